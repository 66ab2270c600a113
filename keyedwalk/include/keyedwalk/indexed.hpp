// keyedwalk::indexed: a container's (index, element) pairs as a lazy view, for a range-for with
// structured bindings.
//
//   std::vector<std::string> names{"ada", "bob", "cy"};
//   for (const auto& [i, name] : keyedwalk::indexed(names)) ...     // (0,ada) (1,bob) (2,cy)
//   for (auto [i, name] : keyedwalk::indexed(names)) name += '!';   // writes into names
//   std::map<std::string, int> stock{{"fig", 7}, {"pear", 3}};
//   for (auto& [fruit, n] : keyedwalk::indexed(stock)) n *= 2;      // keys as indices
//   using T = keyedwalk::Tree<char>;
//   for (const auto& [path, label] : keyedwalk::indexed(T('t', {T('u')}))) ...  // ([],t) ([0],u)
//
// The indices are the ones the container's provider hands its callbacks (positions, keys, paths,
// pairs of indices, ...), in the order in which the provider visits the elements. The view walks
// in one of two ways:
//
// - A container that stores its elements is walked by its own iterators, and its elements are
//   references into it, so writing through them writes the container. The standard sequences
//   (std::vector, std::deque, std::array, std::span) and fp::List give a Positioned pair made on
//   the spot: `first` the std::int64_t position, counted beside the iterator, and `second` the
//   container's reference. That is the loop with a counter, at its cost, with nothing allocated.
//   The standard maps (std::map, std::multimap, std::unordered_map) give their own entries,
//   std::pair<const K, V>&, the key first.
// - Every other provider (keyedwalk::Tree, Compose, Product, Reverse, fp::NonEmpty, IntMap, ...)
//   gives the entries of its lazy right fold, the list that keyedwalk::itoList makes: each element
//   is a const std::pair<Index, Element>& holding copies. The walk computes an entry when it
//   reaches it, so a walk that stops after k entries has computed about k of them, and an
//   unbounded container can be walked up to a `break`.
//
// `auto&&` or `const auto&` bindings suit every view, and for the views of pairs made on the
// spot (the sequences and lists) a plain `auto` copies only the index and the reference.
//
// An lvalue container is borrowed: the view keeps a pointer to it, and the container must outlive
// the view. An rvalue one is moved into the view, which then owns it. Nothing is read until the
// view is walked. Each view is a std::ranges::view: random-access over a std::vector, std::deque,
// std::array or std::span, bidirectional over a std::map or std::multimap, forward otherwise, and
// sized where its container is. The views that borrow a container that stores its elements are
// borrowed ranges, so an iterator that a std::ranges algorithm returns from one stays usable.
// Like iterating an fp::List itself, walking a view keeps the list cells it has passed alive for
// as long as the view lives.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <iterator>
#include <memory>
#include <ranges>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/list.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/detail/parts.hpp"
#include "keyedwalk/map.hpp"
#include "keyedwalk/sequence.hpp"

namespace keyedwalk {

namespace detail {

template <class C>
inline constexpr bool isList = false;
template <class A>
inline constexpr bool isList<fp::List<A>> = true;

// Kinds whose provider visits the elements in the order of their own iterators and indexes them
// by position (the sequences, fp::List) or by the key of the entry (the maps).
template <class C>
concept CountedKind = StandardSequence<C> || isList<C>;
template <class C>
concept StoresElements = CountedKind<C> || StandardMapKind<C>;

// Where a view keeps its container: a pointer to an lvalue (R = C&), or an rvalue moved in
// (R = C). A view that owns its container is move-only, so that copying a view is always cheap.
template <class R>
class Held {
 public:
  explicit Held(R c) : c_(std::move(c)) {}
  Held(Held&&) = default;
  Held& operator=(Held&&) = default;

  R& get() { return c_; }
  const R& get() const { return c_; }

 private:
  R c_;
};

template <class C>
class Held<C&> {
 public:
  explicit Held(C& c) : c_(&c) {}
  C& get() const { return *c_; }

 private:
  C* c_;
};

// How indexed() holds a container: an lvalue by reference, an rvalue as the plain kind, so that
// a const rvalue is copied rather than borrowed.
template <class C>
using HeldAs = std::conditional_t<std::is_lvalue_reference_v<C>, C, std::remove_cvref_t<C>>;

}  // namespace detail

// An element of a counted walk: a position and a reference to the element there. It binds like
// a pair (`auto [i, x]`, with x the reference) and converts to a pair holding a copy.
template <class R>
struct Positioned {
  std::int64_t first;
  R second;

  template <class A, class B>
    requires std::constructible_from<A, const std::int64_t&> && std::constructible_from<B, const R&>
  operator std::pair<A, B>() const {
    return std::pair<A, B>(first, second);
  }
};

// An iterator that walks It and counts the steps: its element is the pair (position, *it).
template <std::forward_iterator It>
class CountedIterator {
  static constexpr bool bidirectional = std::bidirectional_iterator<It>;
  static constexpr bool randomAccess = std::random_access_iterator<It>;

 public:
  using iterator_concept =
      std::conditional_t<randomAccess, std::random_access_iterator_tag,
                         std::conditional_t<bidirectional, std::bidirectional_iterator_tag,
                                            std::forward_iterator_tag>>;
  // The elements are made on the spot, not stored, which the older categories allow only of input.
  using iterator_category = std::input_iterator_tag;
  using value_type = std::pair<std::int64_t, std::iter_value_t<It>>;
  using reference = Positioned<std::iter_reference_t<It>>;
  using difference_type = std::iter_difference_t<It>;

  CountedIterator() = default;
  CountedIterator(It at, std::int64_t position) : at_(std::move(at)), position_(position) {}

  const It& base() const noexcept { return at_; }
  std::int64_t position() const noexcept { return position_; }

  reference operator*() const { return reference{position_, *at_}; }
  reference operator[](difference_type n) const
    requires randomAccess
  {
    return reference{position_ + n, at_[n]};
  }

  CountedIterator& operator++() {
    ++at_;
    ++position_;
    return *this;
  }
  CountedIterator operator++(int) {
    CountedIterator old = *this;
    ++*this;
    return old;
  }
  CountedIterator& operator--()
    requires bidirectional
  {
    --at_;
    --position_;
    return *this;
  }
  CountedIterator operator--(int)
    requires bidirectional
  {
    CountedIterator old = *this;
    --*this;
    return old;
  }
  CountedIterator& operator+=(difference_type n)
    requires randomAccess
  {
    at_ += n;
    position_ += n;
    return *this;
  }
  CountedIterator& operator-=(difference_type n)
    requires randomAccess
  {
    return *this += -n;
  }
  friend CountedIterator operator+(CountedIterator it, difference_type n)
    requires randomAccess
  {
    return it += n;
  }
  friend CountedIterator operator+(difference_type n, CountedIterator it)
    requires randomAccess
  {
    return it += n;
  }
  friend CountedIterator operator-(CountedIterator it, difference_type n)
    requires randomAccess
  {
    return it -= n;
  }
  // Two places in one range differ by as many steps as their positions do.
  friend difference_type operator-(const CountedIterator& a, const CountedIterator& b)
    requires randomAccess
  {
    return a.position_ - b.position_;
  }
  friend bool operator==(const CountedIterator& a, const CountedIterator& b) { return a.at_ == b.at_; }
  friend std::strong_ordering operator<=>(const CountedIterator& a, const CountedIterator& b)
    requires randomAccess
  {
    return a.position_ <=> b.position_;
  }

 private:
  It at_{};
  std::int64_t position_ = 0;
};

// The end of a counted walk over a range that does not know its size: where the base ends.
template <class S>
struct CountedEnd {
  S at;

  template <class It>
  friend bool operator==(const CountedIterator<It>& it, const CountedEnd& end) {
    return it.base() == end.at;
  }
};

// The view of a container that stores its elements: a standard sequence or an fp::List, as
// (position, reference) pairs, or a standard map, as its own entries. R is C& for a borrowed
// container and C for one that the view owns.
template <class R>
  requires detail::StoresElements<std::remove_cvref_t<R>>
class IndexedView : public std::ranges::view_base {
  using C = std::remove_reference_t<R>;

 public:
  explicit IndexedView(R c) : held_(std::forward<R>(c)) {}

  auto begin() { return first(held_.get()); }
  auto end() { return last(held_.get()); }
  auto begin() const { return first(held_.get()); }
  auto end() const { return last(held_.get()); }
  auto size() const
    requires std::ranges::sized_range<const C>
  {
    return std::ranges::size(held_.get());
  }

 private:
  template <class D>
  static auto first(D& c) {
    if constexpr (detail::CountedKind<std::remove_cv_t<D>>)
      return CountedIterator(std::ranges::begin(c), 0);
    else
      return std::ranges::begin(c);
  }
  template <class D>
  static auto last(D& c) {
    if constexpr (!detail::CountedKind<std::remove_cv_t<D>>)
      return std::ranges::end(c);
    else if constexpr (std::ranges::sized_range<D>)
      return CountedIterator(std::ranges::end(c), static_cast<std::int64_t>(std::ranges::size(c)));
    else
      return CountedEnd<std::ranges::sentinel_t<D>>{std::ranges::end(c)};
  }

  detail::Held<R> held_;
};

// The view of any other foldable container: the (index, element) entries of its lazy right fold,
// computed as the walk reaches them. R is C& for a borrowed container and C for one that the view
// owns; an owned one is kept alive by the fold's own callback, which every suspended step of the
// fold holds for as long as it may still read the container.
template <class R>
  requires IndexedFoldable<R>
class FoldedView : public std::ranges::view_base {
  using C = std::remove_cvref_t<R>;

 public:
  using Entry = std::pair<IndexOf<C>, ElementOf<C>>;

  explicit FoldedView(R c) : entries_(Entries::lazy(walk(std::forward<R>(c)))) {}

  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  using Entries = fp::List<Entry>;

  struct Cons {
    template <class I, class X>
    Entries operator()(const I& i, const X& x, const fp::Deferred<Entries>& rest) const {
      return Entries::cons(Entry(i, x), rest);
    }
  };

  // What computes the entries when the view is first walked.
  static auto walk(R c) {
    if constexpr (std::is_lvalue_reference_v<R>) {
      return [at = &std::as_const(c)] { return ifoldr(Cons{}, Entries(), *at); };
    } else {
      return [kept = std::make_shared<const C>(std::move(c))] {
        return ifoldr(detail::Keeping<Cons, C>{Cons{}, kept}, Entries(), *kept);
      };
    }
  }

  Entries entries_;
};

// The (index, element) pairs of c in its provider's visiting order, as a view that borrows an
// lvalue c and owns an rvalue one.
template <IndexedFoldable C>
auto indexed(C&& c) {
  using R = detail::HeldAs<C>;
  if constexpr (detail::StoresElements<std::remove_cvref_t<C>>)
    return IndexedView<R>(std::forward<C>(c));
  else
    return FoldedView<R>(std::forward<C>(c));
}

}  // namespace keyedwalk

template <class C>
inline constexpr bool std::ranges::enable_borrowed_range<keyedwalk::IndexedView<C&>> = true;

// A counted walk's element and a pair it converts to, its value type among them, have that pair
// as their common reference, which the std::ranges algorithms ask for.
template <class R, class A, class B, template <class> class RQual, template <class> class PQual>
  requires std::convertible_to<const keyedwalk::Positioned<R>&, std::pair<A, B>>
struct std::basic_common_reference<keyedwalk::Positioned<R>, std::pair<A, B>, RQual, PQual> {
  using type = std::pair<A, B>;
};
template <class A, class B, class R, template <class> class PQual, template <class> class RQual>
  requires std::convertible_to<const keyedwalk::Positioned<R>&, std::pair<A, B>>
struct std::basic_common_reference<std::pair<A, B>, keyedwalk::Positioned<R>, PQual, RQual> {
  using type = std::pair<A, B>;
};
