// The vocabulary of splitting: strategies built from a description of the delimiter, modifiers
// of their policies, and ready-made splitting operations.
//
//   fp::String line = fp::String::from("a, b,, c");
//   split::splitOn(", ", line)                              // ["a","b,","c"]
//   split::splitOneOf(",;", fp::String::from("a;b,c"))      // ["a","b","c"]
//   split::wordsBy([](char c) { return c == ' '; }, fp::String::from("  two  words "))
//                                                           // ["two","words"]
//   auto fields = split::splitOn(std::string("\t"));        // built once, reused
//   auto pieces = fields(fp::String::from("x\ty"));         // ["x","y"]
//   split::split(split::condense(split::oneOf({0})), fp::List<int>{1, 0, 0, 2})
//                                                           // [[1],[0,0],[2]]
//
// `oneOf`, `onSublist` and `whenElt` give `defaultSplitter` with their delimiter; a modifier sets
// one or more policies and keeps everything else, so the last of two modifiers of one policy
// wins. A delimiter description is what a caller holds: an fp::List, a braced list, a
// std::vector, a std::string or a string literal (a finite sequence, copied once); a predicate
// is any callable on an element. The ready-made operations split the input, an fp::List, with
// the strategy their table row gives; `splitOn` and `endBy` given only the sublist return the
// splitting operation, to apply to any number of inputs.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <ranges>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/list.hpp"
#include "split/contiguous.hpp"
#include "split/detail/scan.hpp"
#include "split/engine.hpp"
#include "split/pieces.hpp"
#include "split/splitter.hpp"

namespace split {

namespace detail {

template <class D>
struct ElementOfImpl {
  using type = std::ranges::range_value_t<D>;
};
template <CString D>
struct ElementOfImpl<D> {
  using type = std::remove_const_t<std::remove_pointer_t<std::decay_t<D>>>;
};

}  // namespace detail

// What a delimiter description may be: a C string, or a finite range of elements.
template <class D>
concept Description = detail::CString<D> || std::ranges::input_range<D>;

// The element type of a description.
template <Description D>
using ElementOf = typename detail::ElementOfImpl<std::remove_cvref_t<D>>::type;

// A delimiter description reduced to its elements, in order.
template <class T>
class Elements {
 public:
  Elements(std::initializer_list<T> items) : items_(items) {}
  // A finite range of elements; not a character array, which is a C string.
  template <std::ranges::input_range R>
  requires std::convertible_to<std::ranges::range_reference_t<R>, T> &&
      (!detail::CString<R>)Elements(R&& items)
      : items_(std::ranges::begin(items), std::ranges::end(items)) {}
  // A C string, without its terminating zero.
  Elements(const T* chars) requires detail::Character<T>
      : Elements(std::basic_string_view<T>(chars)) {}

  std::vector<T>&& take() && noexcept { return std::move(items_); }

 private:
  std::vector<T> items_;
};

// Delimiter constructors -------------------------------------------------------------------------
//
// Each one, and each ready-made splitter below, comes in three forms: with the element type
// named (`oneOf<int>(description)`), from a braced list (`oneOf({0, 9})`), and from any other
// description, whose element type it takes (`oneOf(std::vector<long>{0})`, `oneOf(",;")`).

// One predicate: the element equals one of `elements`, compared in order (an element of the
// description on the left of `==`) up to the first equal one. No elements: never matches.
template <class T>
Splitter<T> oneOf(std::type_identity_t<Elements<T>> elements) {
  auto s = defaultSplitter<T>();
  if constexpr (detail::Scannable<T>) {
    s.delimiter =
        Delimiter<T>(detail::makeMatcher(detail::Scanner<T>::anyOf(std::move(elements).take())));
  } else {
    auto isAny = [](const std::vector<T>& es, const T& x) {
      for (const T& e : es)
        if (e == x) return true;
      return false;
    };
    s.delimiter = Delimiter<T>(
        detail::makeMatcher<T>(std::array<std::vector<T>, 1>{std::move(elements).take()}, isAny));
  }
  return s;
}
template <class T>
Splitter<T> oneOf(std::initializer_list<T> elements) {
  return oneOf<T>(Elements<T>(elements));
}
template <Description D>
Splitter<ElementOf<D>> oneOf(const D& elements) {
  return oneOf<ElementOf<D>>(elements);
}

// One predicate per element of `sublist`, the i-th testing si == element: matches occurrences of
// the sublist. The empty sublist gives the empty delimiter, which matches everywhere.
template <class T>
Splitter<T> onSublist(std::type_identity_t<Elements<T>> sublist) {
  auto s = defaultSplitter<T>();
  if constexpr (detail::Scannable<T>)
    s.delimiter =
        Delimiter<T>(detail::makeMatcher(detail::Scanner<T>::sublist(std::move(sublist).take())));
  else
    s.delimiter = Delimiter<T>(detail::makeMatcher<T>(std::move(sublist).take(), detail::Equal{}));
  return s;
}
template <class T>
Splitter<T> onSublist(std::initializer_list<T> sublist) {
  return onSublist<T>(Elements<T>(sublist));
}
template <Description D>
Splitter<ElementOf<D>> onSublist(const D& sublist) {
  return onSublist<ElementOf<D>>(sublist);
}

// The one predicate `p`. The element type is p's parameter type, or `T` if given (as it must be
// for a generic lambda).
template <class T = detail::Deduced, class P>
auto whenElt(P p) -> Splitter<typename detail::ElementFor<T, P>::type> {
  using E = typename detail::ElementFor<T, P>::type;
  static_assert(std::predicate<const P&, const E&>, "split::whenElt: p must take an element");
  auto s = defaultSplitter<E>();
  s.delimiter = detail::predicateDelimiter<E>(std::move(p));
  return s;
}

// Policy modifiers --------------------------------------------------------------------------------

template <class T>
Splitter<T> dropDelims(Splitter<T> s) {
  s.delimPolicy = DelimPolicy::Drop;
  return s;
}
template <class T>
Splitter<T> keepDelimsL(Splitter<T> s) {
  s.delimPolicy = DelimPolicy::KeepLeft;
  return s;
}
template <class T>
Splitter<T> keepDelimsR(Splitter<T> s) {
  s.delimPolicy = DelimPolicy::KeepRight;
  return s;
}
template <class T>
Splitter<T> condense(Splitter<T> s) {
  s.condensePolicy = CondensePolicy::Condense;
  return s;
}
template <class T>
Splitter<T> dropInnerBlanks(Splitter<T> s) {
  s.condensePolicy = CondensePolicy::DropBlankFields;
  return s;
}
template <class T>
Splitter<T> dropInitBlank(Splitter<T> s) {
  s.initBlankPolicy = EndPolicy::DropBlank;
  return s;
}
template <class T>
Splitter<T> dropFinalBlank(Splitter<T> s) {
  s.finalBlankPolicy = EndPolicy::DropBlank;
  return s;
}
// Condense (not DropBlankFields), and blank pieces dropped at both ends.
template <class T>
Splitter<T> dropBlanks(Splitter<T> s) {
  return dropFinalBlank(dropInitBlank(condense(std::move(s))));
}

// Ready-made splitters ---------------------------------------------------------------------------

// Each occurrence of `sublist` opens a piece: [0,1,0,2] by [0] gives [0,1] [0,2].
template <class T>
Splitter<T> startsWith(std::type_identity_t<Elements<T>> sublist) {
  return dropInitBlank(keepDelimsL(onSublist<T>(std::move(sublist))));
}
template <class T>
Splitter<T> startsWith(std::initializer_list<T> sublist) {
  return startsWith<T>(Elements<T>(sublist));
}
template <Description D>
Splitter<ElementOf<D>> startsWith(const D& sublist) {
  return startsWith<ElementOf<D>>(sublist);
}

// Each of `elements` opens a piece.
template <class T>
Splitter<T> startsWithOneOf(std::type_identity_t<Elements<T>> elements) {
  return dropInitBlank(keepDelimsL(oneOf<T>(std::move(elements))));
}
template <class T>
Splitter<T> startsWithOneOf(std::initializer_list<T> elements) {
  return startsWithOneOf<T>(Elements<T>(elements));
}
template <Description D>
Splitter<ElementOf<D>> startsWithOneOf(const D& elements) {
  return startsWithOneOf<ElementOf<D>>(elements);
}

// Each occurrence of `sublist` closes a piece: [1,0,2,0] by [0] gives [1,0] [2,0].
template <class T>
Splitter<T> endsWith(std::type_identity_t<Elements<T>> sublist) {
  return dropFinalBlank(keepDelimsR(onSublist<T>(std::move(sublist))));
}
template <class T>
Splitter<T> endsWith(std::initializer_list<T> sublist) {
  return endsWith<T>(Elements<T>(sublist));
}
template <Description D>
Splitter<ElementOf<D>> endsWith(const D& sublist) {
  return endsWith<ElementOf<D>>(sublist);
}

// Each of `elements` closes a piece.
template <class T>
Splitter<T> endsWithOneOf(std::type_identity_t<Elements<T>> elements) {
  return dropFinalBlank(keepDelimsR(oneOf<T>(std::move(elements))));
}
template <class T>
Splitter<T> endsWithOneOf(std::initializer_list<T> elements) {
  return endsWithOneOf<T>(Elements<T>(elements));
}
template <Description D>
Splitter<ElementOf<D>> endsWithOneOf(const D& elements) {
  return endsWithOneOf<ElementOf<D>>(elements);
}

// Ready-made splitting operations -----------------------------------------------------------------

// A strategy bound into a splitting operation: `splitting(input)` is `split(strategy, input)`,
// for an fp::List or contiguous input.
template <class T>
class Splitting {
 public:
  explicit Splitting(Splitter<T> s) : splitter_(std::move(s)) {}
  fp::List<fp::List<T>> operator()(fp::List<T> xs) const { return split(splitter_, std::move(xs)); }
  template <ContiguousInput X>
    requires std::same_as<InputElement<X>, T>
  auto operator()(X&& input) const {
    return split(splitter_, std::forward<X>(input));
  }
  const Splitter<T>& splitter() const noexcept { return splitter_; }

 private:
  Splitter<T> splitter_;
};

namespace detail {

// An operation that splits by the strategy `Strategy{}(description)` makes; given the
// description alone, it returns that strategy bound into a Splitting.
template <class Strategy>
struct SplitByDescription {
  template <class T>
  fp::List<fp::List<T>> operator()(std::type_identity_t<Elements<T>> description,
                                   fp::List<T> xs) const {
    return split(Strategy{}(std::move(description)), std::move(xs));
  }
  // Over contiguous input the pieces are cut as texts between matches: every strategy here
  // drops its delimiters.
  template <ContiguousInput X>
  auto operator()(std::type_identity_t<Elements<InputElement<X>>> description, X&& input) const {
    return splitTexts(Strategy{}(std::move(description)), std::forward<X>(input));
  }
};
template <class Strategy>
struct ReusableSplitByDescription : SplitByDescription<Strategy> {
  using SplitByDescription<Strategy>::operator();
  template <class T>
  Splitting<T> operator()(std::initializer_list<T> description) const {
    return Splitting<T>(Strategy{}(Elements<T>(description)));
  }
  template <Description D>
  Splitting<ElementOf<D>> operator()(const D& description) const {
    return Splitting<ElementOf<D>>(Strategy{}(Elements<ElementOf<D>>(description)));
  }
};

// An operation that splits by the strategy `Strategy{}(predicate)` makes.
template <class Strategy>
struct SplitByPredicate {
  template <class T, std::predicate<const T&> P>
  fp::List<fp::List<T>> operator()(P p, fp::List<T> xs) const {
    return split(Strategy{}(whenElt<T>(std::move(p))), std::move(xs));
  }
  // Over contiguous input a named class is searched for as a set of elements, and any other
  // predicate stays in its own type, inlined into the search; the pieces are cut as texts
  // between matches: every strategy here drops its delimiters.
  template <class P, ContiguousInput X>
    requires std::predicate<const P&, const InputElement<X>&>
  auto operator()(P p, X&& input) const {
    using T = InputElement<X>;
    if constexpr (Named<P> && Scannable<T>) {
      using Search = ClassSearch<T, P>;
      return makePieces(std::forward<X>(input),
                        TextCutting<PieceView<T>, Search>(Search(), cutter<T>()));
    } else {
      using Search = PredicateSearch<T, P>;
      return makePieces(std::forward<X>(input),
                        TextCutting<PieceView<T>, Search>(Search(std::move(p)), cutter<T>()));
    }
  }

 private:
  // The strategy's policies, read once off the strategy made from any delimiter.
  template <class T>
  static Cutter cutter() {
    static const Cutter policies = cutterOf(Strategy{}(defaultSplitter<T>()));
    return policies;
  }
};

struct SublistDropped {
  template <class T>
  Splitter<T> operator()(Elements<T> sublist) const {
    return dropDelims(onSublist<T>(std::move(sublist)));
  }
};
struct SublistEnding {
  template <class T>
  Splitter<T> operator()(Elements<T> sublist) const {
    return dropFinalBlank(dropDelims(onSublist<T>(std::move(sublist))));
  }
};
struct AnyDropped {
  template <class T>
  Splitter<T> operator()(Elements<T> elements) const {
    return dropDelims(oneOf<T>(std::move(elements)));
  }
};
struct AnyEnding {
  template <class T>
  Splitter<T> operator()(Elements<T> elements) const {
    return dropFinalBlank(dropDelims(oneOf<T>(std::move(elements))));
  }
};
struct Dropped {
  template <class T>
  Splitter<T> operator()(Splitter<T> s) const {
    return dropDelims(std::move(s));
  }
};
struct Ending {
  template <class T>
  Splitter<T> operator()(Splitter<T> s) const {
    return dropFinalBlank(dropDelims(std::move(s)));
  }
};
struct Words {
  template <class T>
  Splitter<T> operator()(Splitter<T> s) const {
    return dropBlanks(dropDelims(std::move(s)));
  }
};

}  // namespace detail

// Splits at each occurrence of a sublist, dropping it: splitOn([0], [1,0,2,0,0,3]) gives
// [1] [2] [] [3]. Given the sublist alone, the splitting operation for it.
inline constexpr detail::ReusableSplitByDescription<detail::SublistDropped> splitOn{};
// Splits at each of some elements, dropping them.
inline constexpr detail::SplitByDescription<detail::AnyDropped> splitOneOf{};
// Splits at each element that satisfies a predicate, dropping it.
inline constexpr detail::SplitByPredicate<detail::Dropped> splitWhen{};
// Pieces each ended by a sublist: as splitOn, without a blank last piece. Given the sublist
// alone, the splitting operation for it.
inline constexpr detail::ReusableSplitByDescription<detail::SublistEnding> endBy{};
// Pieces each ended by one of some elements.
inline constexpr detail::SplitByDescription<detail::AnyEnding> endByOneOf{};
// Lines ended by elements that satisfy a predicate: as splitWhen, without a blank last piece.
inline constexpr detail::SplitByPredicate<detail::Ending> linesBy{};
// Words between runs of separators that satisfy a predicate: no blank pieces at all.
inline constexpr detail::SplitByPredicate<detail::Words> wordsBy{};

// Other names of the same operations.
inline constexpr const auto& sepBy = splitOn;
inline constexpr const auto& unintercalate = splitOn;
inline constexpr const auto& sepByOneOf = splitOneOf;

}  // namespace split
