// split::Splitter<T>: a splitting strategy as a plain value, what counts as a delimiter and what
// becomes of the delimiters and of blank pieces.
//
//   // Split at every negative number, keeping each one at the front of the piece it opens.
//   split::Splitter<int> s{split::Delimiter<int>(fp::List<split::Predicate<int>>{
//                              [](int x) { return x < 0; }}),
//                          split::DelimPolicy::KeepLeft, split::CondensePolicy::KeepBlankFields,
//                          split::EndPolicy::DropBlank, split::EndPolicy::KeepBlank};
//   split::split(s, fp::List<int>{-1, 2, -3, 4})       // [[-1,2],[-3,4]]
//
//   // The same strategy over words: one shorter than three letters opens a piece.
//   auto byLength = split::mapSplitter([](const std::string& w) { return int(w.size()) - 3; }, s);
//
// A Delimiter is a list of element predicates p1 ... pk: it matches where k elements remain and
// each pi accepts the i-th of them; with no predicates it matches the empty sequence everywhere.
// The combinators (split/combinators.hpp) build splitters from a description (`oneOf`,
// `onSublist`, `whenElt`) and adjust their policies; they start from `defaultSplitter`, which
// matches nothing and keeps everything. Splitters are immutable values: copies share the
// predicates, and one splitter may split any number of inputs, concurrently.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "fp/functor.hpp"
#include "fp/list.hpp"
#include "split/classes.hpp"
#include "split/detail/matcher.hpp"
#include "split/policies.hpp"

namespace split {

template <class T>
class Delimiter {
 public:
  using value_type = T;

  // Matches where each predicate in turn accepts the next element. The list may be of any
  // length; nothing is checked.
  explicit Delimiter(fp::List<Predicate<T>> predicates)
      : matcher_(detail::makeMatcher<T>(std::move(predicates), detail::Call{})) {}

  // A delimiter that searches with `matcher`: how the combinators give a delimiter its tests in
  // their own types.
  explicit Delimiter(std::shared_ptr<const detail::Matcher<T>> matcher)
      : matcher_(std::move(matcher)) {}

  // The predicates, in order.
  fp::List<Predicate<T>> predicates() const { return matcher_->predicates(); }
  // Whether there are no predicates, so that the delimiter matches the empty sequence.
  bool empty() const { return matcher_->empty(); }

  // How the engine searches for matches.
  const std::shared_ptr<const detail::Matcher<T>>& matcher() const noexcept { return matcher_; }

 private:
  std::shared_ptr<const detail::Matcher<T>> matcher_;
};

template <class T>
struct Splitter {
  using value_type = T;

  Delimiter<T> delimiter;         // what counts as a delimiter
  DelimPolicy delimPolicy;        // what becomes of delimiters
  CondensePolicy condensePolicy;  // what becomes of adjacent delimiters
  EndPolicy initBlankPolicy;      // whether a blank first piece survives
  EndPolicy finalBlankPolicy;     // whether a blank last piece survives
};

namespace detail {

// Stands for an element type to be read off a callable's parameter.
struct Deduced;

template <class R, class A>
A parameterOf(std::function<R(A)>);

// The element type a callable takes: `Given`, or else the decayed type of the callable's one
// parameter.
template <class Given, class F>
struct ElementFor {
  using type = Given;
};
template <class F>
struct ElementFor<Deduced, F> {
  static_assert(
      requires { std::function{std::declval<F>()}; },
      "split: name the element type for a generic callable, as in whenElt<int>(p)");
  using type = std::remove_cvref_t<decltype(parameterOf(std::function{std::declval<F>()}))>;
};

// The delimiter of the one predicate `p`: a named class is searched as `oneOf` its members.
template <class T, class P>
Delimiter<T> predicateDelimiter(P p) {
  if constexpr (Named<P> && Scannable<T>)
    return Delimiter<T>(makeMatcher(Scanner<T>::anyOf(membersOf<T, P>())));
  else
    return Delimiter<T>(makeMatcher<T>(std::array<P, 1>{std::move(p)}, Call{}));
}

}  // namespace detail

// The strategy every ready-made one starts from: one predicate that rejects every element, so
// that nothing matches; delimiters and blank fields kept, and blank pieces at both ends.
// Splitting with it gives the whole input as one piece.
template <class T>
Splitter<T> defaultSplitter() {
  return {detail::predicateDelimiter<T>([](const T&) { return false; }), DelimPolicy::Keep,
          CondensePolicy::KeepBlankFields, EndPolicy::KeepBlank, EndPolicy::KeepBlank};
}

// The splitter `s` over elements of another type, which `f` converts to s's elements: the same
// policies, and as many predicates, the i-th applying f and handing the result to s's i-th. f is
// applied afresh at every test. The new element type is f's parameter type, or `B` if given.
template <class B = detail::Deduced, class F, class A>
auto mapSplitter(F f, const Splitter<A>& s) -> Splitter<typename detail::ElementFor<B, F>::type> {
  using To = typename detail::ElementFor<B, F>::type;
  auto convert = std::make_shared<const F>(std::move(f));
  auto predicates = fp::fmap(
      [convert](const Predicate<A>& p) {
        return Predicate<To>([convert, p](const To& x) { return p(std::invoke(*convert, x)); });
      },
      s.delimiter.predicates());
  return {Delimiter<To>(std::move(predicates)), s.delimPolicy, s.condensePolicy, s.initBlankPolicy,
          s.finalBlankPolicy};
}

}  // namespace split
