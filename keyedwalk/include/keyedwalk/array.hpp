// keyedwalk::Array<I, A>: an immutable array whose indices are any index type (see ix.hpp), and
// its indexed capabilities.
//
//   keyedwalk::Array<std::int64_t, char> xs({10, 12}, {'x', 'y', 'z'});
//   xs.at(11);                                                        // 'y'
//   auto tagged = keyedwalk::imap([](std::int64_t i, char c) { return std::to_string(i) + c; }, xs);
//   // bounds (10, 12): "10x" "11y" "12z", each computed when first read
//   using Cell = std::pair<int, int>;
//   keyedwalk::Array<Cell, int> grid({{0, 0}, {1, 2}}, {1, 2, 3, 4, 5, 6});   // row-major
//   grid.at({1, 0});                                                  // 4
//
// An array holds its bounds, its element count n and n slots; it is made from its bounds and
// exactly as many elements as the bounds hold, and never changes (copies share the slots). The
// element of index i sits in slot Ix<I>::index(bounds, i). The callbacks of the capabilities
// receive the index, not the slot: an array with bounds (10, 12) hands them 10, 11 and 12.
//
// Every operation walks Ix<I>::range(bounds) and looks each element up through `index`, checking
// that its position lies within 0 .. n-1: a position outside raises an ArrayIndexError that
// carries the position and the count. Only an Ix whose operations disagree causes one, and so
// only such an Ix gives bounds whose `rangeSize` is negative, which raises a NegativeRangeError.
//
// `imap` looks every element up at the call and computes each new element when it is first
// read. `itraverse` runs the effects in range order and builds an array with the same bounds.
// The strict folds are loops over the slots; `ifoldr` and `ifoldMap` walk from the front with
// the rest deferred and look up only the elements they reach; `ifoldl` looks every element up
// and defers each accumulator until the callback uses it.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <ranges>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/ix.hpp"
#include "keyedwalk/sequence.hpp"

namespace keyedwalk {

// A position outside the array's slots, met while looking up an index.
class ArrayIndexError : public std::out_of_range {
 public:
  ArrayIndexError(std::int64_t position, std::int64_t count);
  std::int64_t position() const noexcept { return position_; }
  std::int64_t count() const noexcept { return count_; }

 private:
  std::int64_t position_;
  std::int64_t count_;
};

// Bounds whose Ix gives a negative number of indices.
class NegativeRangeError : public std::length_error {
 public:
  NegativeRangeError();
};

template <ArrayIndex I, class A>
class Array;

namespace detail {

[[noreturn]] void throwArrayIndexError(std::int64_t position, std::int64_t count);
// `given` elements, or more, for bounds that hold `expected` indices.
[[noreturn]] void throwElementCount(std::size_t given, bool orMore, std::int64_t expected);

// The slot of an element at `position` among `count` slots.
inline std::size_t slotAt(std::int64_t position, std::int64_t count) {
  if (position < 0 || position >= count) [[unlikely]]
    throwArrayIndexError(position, count);
  return static_cast<std::size_t>(position);
}

// The number of indices within the bounds, never negative.
template <class I>
std::int64_t slotCount(const std::pair<I, I>& bounds) {
  const std::int64_t n = Ix<I>::rangeSize(bounds);
  if (n < 0) throw NegativeRangeError();
  return n;
}

// The slots of an array: values, or values computed on first use.
template <class A>
class ArraySlots {
 public:
  struct Value {
    A value;  // wrapped, so that bool slots stay contiguous
  };

  explicit ArraySlots(std::vector<Value> values) noexcept : rep_(std::move(values)) {}
  explicit ArraySlots(std::vector<fp::Deferred<A>> pending) noexcept : rep_(std::move(pending)) {}

  const A& operator[](std::size_t slot) const {
    if (const auto* values = std::get_if<0>(&rep_)) return (*values)[slot].value;
    return std::get<1>(rep_)[slot].get();
  }
  // read(at), with at(slot) the element in a slot: the representation is chosen once, outside
  // the caller's loop.
  template <class Read>
  decltype(auto) read(Read&& read) const {
    if (const auto* values = std::get_if<0>(&rep_))
      return read([data = values->data()](std::size_t slot) -> const A& { return data[slot].value; });
    return read([data = std::get<1>(rep_).data()](std::size_t slot) -> const A& { return data[slot].get(); });
  }

 private:
  std::variant<std::vector<Value>, std::vector<fp::Deferred<A>>> rep_;
};

template <ArrayIndex I, class A>
struct ArrayWalks;

}  // namespace detail

template <ArrayIndex I, class A>
class Array {
  using Slots = detail::ArraySlots<A>;

 public:
  using index_type = I;
  using value_type = A;
  using bounds_type = std::pair<I, I>;
  using size_type = std::size_t;
  class iterator;
  using const_iterator = iterator;

  // The elements in range order; throws std::invalid_argument unless there are as many as the
  // bounds hold.
  Array(bounds_type bounds, std::initializer_list<A> elements) : Array(std::move(bounds), Filled{}, elements) {}
  template <std::ranges::input_range R>
    requires std::convertible_to<std::ranges::range_reference_t<R>, A>
  Array(bounds_type bounds, R&& elements) : Array(std::move(bounds), Filled{}, std::forward<R>(elements)) {}

  const bounds_type& bounds() const noexcept { return bounds_; }
  size_type size() const noexcept { return static_cast<size_type>(count_); }
  bool empty() const noexcept { return count_ == 0; }

  // The element of index i; throws std::out_of_range when i lies outside the bounds.
  const A& at(const I& i) const {
    if (!Ix<I>::inRange(bounds_, i)) throw std::out_of_range("keyedwalk::Array::at: index outside the bounds");
    return (*slots_)[slotOf(i)];
  }

  iterator begin() const noexcept { return iterator(slots_.get(), 0); }
  iterator end() const noexcept { return iterator(slots_.get(), size()); }

  friend bool operator==(const Array& a, const Array& b)
    requires std::equality_comparable<A> && std::equality_comparable<I>
  {
    return a.bounds_ == b.bounds_ && a.count_ == b.count_ && std::equal(a.begin(), a.end(), b.begin());
  }

 private:
  template <ArrayIndex, class>
  friend struct detail::ArrayWalks;

  // Reads no further than one element past the count, so that an unbounded list fails too.
  struct Filled {};
  template <class R>
  Array(bounds_type bounds, Filled, R&& elements) : bounds_(std::move(bounds)), count_(detail::slotCount(bounds_)) {
    const auto count = static_cast<std::size_t>(count_);
    std::vector<typename Slots::Value> values;
    if constexpr (std::ranges::sized_range<R>) values.reserve(std::min(count, std::size_t(std::ranges::size(elements))));
    for (auto&& x : elements) {
      if (values.size() == count) detail::throwElementCount(count + 1, true, count_);
      values.push_back({A(std::forward<decltype(x)>(x))});
    }
    if (values.size() != count) detail::throwElementCount(values.size(), false, count_);
    slots_ = std::make_shared<const Slots>(std::move(values));
  }

  Array(bounds_type bounds, std::vector<fp::Deferred<A>> pending)
      : bounds_(std::move(bounds)), count_(detail::slotCount(bounds_)) {
    if (pending.size() != static_cast<std::size_t>(count_)) detail::throwElementCount(pending.size(), false, count_);
    slots_ = std::make_shared<const Slots>(std::move(pending));
  }

  std::size_t slotOf(const I& i) const { return detail::slotAt(Ix<I>::index(bounds_, i), count_); }

  bounds_type bounds_;
  std::int64_t count_;
  std::shared_ptr<const Slots> slots_;
};

// The elements in slot order, which is range order.
template <ArrayIndex I, class A>
class Array<I, A>::iterator {
 public:
  using value_type = A;
  using difference_type = std::ptrdiff_t;
  using reference = const A&;
  using pointer = const A*;
  using iterator_category = std::forward_iterator_tag;

  iterator() = default;
  reference operator*() const { return (*slots_)[slot_]; }
  pointer operator->() const { return &**this; }
  iterator& operator++() noexcept {
    ++slot_;
    return *this;
  }
  iterator operator++(int) noexcept {
    iterator old = *this;
    ++slot_;
    return old;
  }
  friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.slot_ == b.slot_; }

 private:
  friend class Array;
  iterator(const Slots* slots, std::size_t slot) noexcept : slots_(slots), slot_(slot) {}
  const Slots* slots_ = nullptr;
  std::size_t slot_ = 0;
};

namespace detail {

template <ArrayIndex I, class A>
struct ArrayWalks {
  using Slots = ArraySlots<A>;
  using Indices = decltype(Ix<I>::range(std::declval<const std::pair<I, I>&>()));
  using At = std::ranges::iterator_t<const Indices>;

  // An array with its range, kept together for the lazy walks, which hold places in the range.
  struct Walk {
    explicit Walk(Array<I, A> a) : array(std::move(a)), indices(Ix<I>::range(array.bounds())) {}
    Array<I, A> array;
    Indices indices;

    const A& element(const I& i) const { return slots(array)[slotOf(array, i)]; }
  };
  using WalkRef = std::shared_ptr<const Walk>;

  static const Slots& slots(const Array<I, A>& a) noexcept { return *a.slots_; }
  static std::size_t slotOf(const Array<I, A>& a, const I& i) { return a.slotOf(i); }

  // The library's Ix of an integer type puts the k-th index of the range at position k, so an
  // array of them needs no lookup: its k-th index is lower + k and its element slot k. An Ix of
  // the caller's own is always asked.
  static constexpr bool placesAreSlots = CountingIx<I>;
  static I indexAt(const Array<I, A>& a, std::size_t slot) noexcept {
    return static_cast<I>(static_cast<std::uint64_t>(a.bounds_.first) + slot);
  }

  // f(i, x) for the indices of the range, each with its element, in order.
  template <class F>
  static void forEach(const Array<I, A>& a, F&& f) {
    a.slots_->read([&](const auto& element) {
      if constexpr (placesAreSlots) {
        for (std::size_t slot = 0; slot < a.size(); ++slot) f(indexAt(a, slot), element(slot));
      } else {
        for (const I& i : Ix<I>::range(a.bounds_)) f(i, element(a.slotOf(i)));
      }
    });
  }

  // The same from the last index to the first; every element is looked up before f runs.
  template <class F>
  static void forEachBackwards(const Array<I, A>& a, F&& f) {
    if constexpr (placesAreSlots) {
      a.slots_->read([&](const auto& element) {
        for (std::size_t slot = a.size(); slot-- > 0;) f(indexAt(a, slot), element(slot));
      });
    } else {
      std::vector<std::pair<I, std::size_t>> found;
      found.reserve(a.size());
      for (const I& i : Ix<I>::range(a.bounds_)) found.emplace_back(i, a.slotOf(i));
      a.slots_->read([&](const auto& element) {
        for (auto at = found.rbegin(); at != found.rend(); ++at) f(at->first, element(at->second));
      });
    }
  }

  template <class B>
  static Array<I, B> lazily(const std::pair<I, I>& bounds, std::vector<fp::Deferred<B>> pending) {
    return Array<I, B>(bounds, std::move(pending));
  }

  template <class M, class F>
  static typename M::Value foldMapFrom(const M& m, const F& f, const WalkRef& walk, At at) {
    using V = typename M::Value;
    if (at == std::ranges::end(walk->indices)) return m.mempty();
    const I i = *at;
    return m.append(V(std::invoke(f, i, walk->element(i))), [m, f, walk, next = std::next(at)] {
      return fp::ensureStack([&] { return foldMapFrom(m, f, walk, next); });
    });
  }

  template <class Z, class F>
  static Z foldrFrom(const F& f, const fp::detail::Boxed<Z>& z, const WalkRef& walk, At at) {
    if (at == std::ranges::end(walk->indices)) return z.get();
    const I i = *at;
    return Z(std::invoke(f, i, walk->element(i),
                         fp::Deferred<Z>([f, z, walk, next = std::next(at)] { return foldrFrom(f, z, walk, next); })));
  }

  template <class B, class E, class F>
  static auto traverseFrom(const E& effect, const F& f, const WalkRef& walk, At at)
      -> typename E::template Action<fp::List<B>> {
    if (at == std::ranges::end(walk->indices)) return effect.pure(fp::List<B>());
    const I i = *at;
    return effect.liftA2(
        [](const B& b, auto&& rest) { return fp::List<B>::cons(b, fp::detail::restList<B>(rest)); },
        std::invoke(f, i, walk->element(i)), [effect, f, walk, next = std::next(at)] {
          return fp::ensureStack([&] { return traverseFrom<B>(effect, f, walk, next); });
        });
  }

  static WalkRef walk(const Array<I, A>& a) { return std::make_shared<const Walk>(a); }
};

template <ArrayIndex I, class A>
struct ArrayFunctor {
  using Functor = fp::Functor<Array<I, A>>;
  using Index = I;

  // Every element is looked up now; the new one is computed when first read.
  template <class F>
  static auto imap(F f, const Array<I, A>& a) {
    using B = std::decay_t<std::invoke_result_t<F&, const I&, const A&>>;
    using Walks = ArrayWalks<I, A>;
    struct Source {
      F f;
      Array<I, A> array;
    };
    const auto source = std::make_shared<const Source>(Source{std::move(f), a});
    const auto count = static_cast<std::size_t>(slotCount(a.bounds()));
    std::vector<fp::Deferred<B>> pending;
    pending.reserve(count);
    for (const I& i : Ix<I>::range(a.bounds())) {
      if (pending.size() == count) break;
      pending.emplace_back([source, i, slot = Walks::slotOf(a, i)] {
        return B(std::invoke(source->f, i, Walks::slots(source->array)[slot]));
      });
    }
    return Walks::template lazily<B>(a.bounds(), std::move(pending));
  }
};

template <ArrayIndex I, class A>
struct ArrayFoldable : FoldableWithIndexDefaults<Array<I, A>> {
  using Index = I;
  using Walks = ArrayWalks<I, A>;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const Array<I, A>& a) {
    const auto walk = Walks::walk(a);
    return Walks::foldMapFrom(m, fp::detail::share(std::move(f)), walk, std::ranges::begin(walk->indices));
  }

  template <class F, class Z>
  static Z ifoldr(F f, Z z, const Array<I, A>& a) {
    const auto walk = Walks::walk(a);
    return Walks::foldrFrom(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), walk,
                            std::ranges::begin(walk->indices));
  }

  // Every element is looked up now; each step waits, unforced, until the step after it uses it.
  template <class F, class Z>
  static Z ifoldl(F f, Z z, const Array<I, A>& a) {
    const auto step = fp::detail::share(std::move(f));
    fp::Deferred<Z> acc(std::move(z));
    for (const I& i : Ix<I>::range(a.bounds())) {
      acc = fp::Deferred<Z>([step, prev = std::move(acc), a, i, slot = Walks::slotOf(a, i)] {
        return Z(step(i, prev, Walks::slots(a)[slot]));
      });
    }
    return acc.get();
  }

  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const Array<I, A>& a) {
    Walks::forEachBackwards(a, [&](const I& i, const A& x) { z = Z(std::invoke(f, i, x, std::move(z))); });
    return z;
  }

  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const Array<I, A>& a) {
    Walks::forEach(a, [&](const I& i, const A& x) { z = Z(std::invoke(f, i, std::move(z), x)); });
    return z;
  }
};

template <ArrayIndex I, class A>
struct ArrayTraversable {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<Array<I, A>>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<Array<I, A>>;
  using Traversable = fp::Traversable<Array<I, A>>;
  using Index = I;

  // The actions are combined into one that yields the list of the new elements, which fill an
  // array with the same bounds once the effect has run.
  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const Array<I, A>& a) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const I&, const A&>>;
    using Walks = ArrayWalks<I, A>;
    const auto walk = Walks::walk(a);
    return effect.fmap(
        [bounds = a.bounds()](const fp::List<B>& items) { return Array<I, B>(bounds, items.take(slotCount(bounds))); },
        Walks::template traverseFrom<B>(effect, fp::detail::share(std::move(f)), walk, std::ranges::begin(walk->indices)));
  }
};

}  // namespace detail

template <ArrayIndex I, class A>
struct FunctorWithIndex<Array<I, A>> : detail::ArrayFunctor<I, A> {};
template <ArrayIndex I, class A>
struct FoldableWithIndex<Array<I, A>> : detail::ArrayFoldable<I, A> {};
template <ArrayIndex I, class A>
struct TraversableWithIndex<Array<I, A>> : detail::ArrayTraversable<I, A> {};

}  // namespace keyedwalk

namespace fp {

template <keyedwalk::ArrayIndex I, class A>
struct Functor<keyedwalk::Array<I, A>> : keyedwalk::detail::UnindexedFunctor<keyedwalk::Array<I, A>> {};
template <keyedwalk::ArrayIndex I, class A>
struct Foldable<keyedwalk::Array<I, A>> : keyedwalk::detail::UnindexedFoldable<keyedwalk::Array<I, A>> {};
template <keyedwalk::ArrayIndex I, class A>
struct Traversable<keyedwalk::Array<I, A>> : keyedwalk::detail::UnindexedTraversable<keyedwalk::Array<I, A>> {};

}  // namespace fp
