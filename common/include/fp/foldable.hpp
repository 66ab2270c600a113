// fp::Foldable<C>: fold the elements of a container, without their indices.
//
//   fp::List<int> xs{1, 2, 3};
//   bool anyEven = fp::foldMap(fp::AnyMonoid{}, [](int x) { return x % 2 == 0; }, fp::iota(1));
//   int total = fp::foldlPrime([](int acc, int x) { return acc + x; }, 0, xs);          // 6
//   int firstBig = fp::foldr([](int x, fp::Deferred<int> rest) { return x > 1 ? x : rest(); },
//                            0, fp::iota(0));                                          // 2
//
// The lazy folds stop early: `foldr` hands its callback the fold of the elements to the right
// as an fp::Deferred, computed only if the callback uses it, and `foldMap` hands the right
// operand to the monoid the same way, so both finish at the deciding element, also on an
// unbounded list. `foldl` defers each partial accumulator until the callback uses it. The
// primed folds (`foldlPrime`, `foldrPrime`, `foldMapPrime`) never defer, hold one accumulator
// at a time and run in constant stack; they need a finite list.
//
// In right folds the callback takes the element, then the accumulator; in left folds the
// accumulator, then the element.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/stack.hpp"
#include "fp/list.hpp"
#include "fp/monoid.hpp"
#include "fp/nonempty.hpp"
#include "fp/ziplist.hpp"

namespace fp {

template <class C>
struct Foldable;

template <class M, class F, class C>
auto foldMap(const M& m, F&& f, const C& c) {
  return Foldable<C>::foldMap(m, std::forward<F>(f), c);
}
template <class M, class F, class C>
auto foldMapPrime(const M& m, F&& f, const C& c) {
  return Foldable<C>::foldMapPrime(m, std::forward<F>(f), c);
}
template <class F, class Z, class C>
Z foldr(F&& f, Z z, const C& c) {
  return Foldable<C>::foldr(std::forward<F>(f), std::move(z), c);
}
template <class F, class Z, class C>
Z foldl(F&& f, Z z, const C& c) {
  return Foldable<C>::foldl(std::forward<F>(f), std::move(z), c);
}
template <class F, class Z, class C>
Z foldrPrime(F&& f, Z z, const C& c) {
  return Foldable<C>::foldrPrime(std::forward<F>(f), std::move(z), c);
}
template <class F, class Z, class C>
Z foldlPrime(F&& f, Z z, const C& c) {
  return Foldable<C>::foldlPrime(std::forward<F>(f), std::move(z), c);
}

namespace detail {

template <class M, class F, class A>
typename M::Value foldMapList(const M& m, const F& f, const List<A>& xs) {
  if (xs.empty()) return m.mempty();
  return m.append(typename M::Value(std::invoke(f, xs.head())),
                  [m, f, rest = xs.tail()] {
                    return ensureStack([&] { return foldMapList(m, f, rest); });
                  });
}

template <class F, class Z, class A>
Z foldrList(const F& f, const Boxed<Z>& z, const List<A>& xs) {
  if (xs.empty()) return z.get();
  return Z(std::invoke(f, xs.head(),
                       Deferred<Z>([f, z, rest = xs.tail()] { return foldrList(f, z, rest); })));
}

// The folds of a List; the other list-like kinds fold the List of their elements.
template <class A>
struct ListFolds {
  template <class M, class F>
  static typename M::Value foldMap(const M& m, F f, const List<A>& xs) {
    return foldMapList(m, share(std::move(f)), xs);
  }

  template <class M, class F>
  static typename M::Value foldMapPrime(const M& m, F&& f, const List<A>& xs) {
    using V = typename M::Value;
    V acc = m.mempty();
    for (const A& x : xs) acc = m.append(std::move(acc), [v = V(std::invoke(f, x))] { return v; });
    return acc;
  }

  template <class F, class Z>
  static Z foldr(F f, Z z, const List<A>& xs) {
    return foldrList(share(std::move(f)), Boxed<Z>(std::move(z)), xs);
  }

  template <class F, class Z>
  static Z foldl(F f, Z z, const List<A>& xs) {
    // Each partial accumulator waits, unforced, until the step after it uses it; the steps own
    // what they use, so a result that keeps an accumulator unforced stays valid.
    auto step = share(std::move(f));
    Deferred<Z> acc(std::move(z));
    for (List<A> at = xs; !at.empty(); at = at.tail())
      acc = Deferred<Z>([step, prev = std::move(acc), at] { return Z(step(prev, at.head())); });
    return acc.get();
  }

  template <class F, class Z>
  static Z foldrPrime(F&& f, Z z, const List<A>& xs) {
    std::vector<const A*> items;
    for (const A& x : xs) items.push_back(&x);
    for (auto it = items.rbegin(); it != items.rend(); ++it)
      z = Z(std::invoke(f, **it, std::move(z)));
    return z;
  }

  template <class F, class Z>
  static Z foldlPrime(F&& f, Z z, const List<A>& xs) {
    for (const A& x : xs) z = Z(std::invoke(f, std::move(z), x));
    return z;
  }

  static bool null(const List<A>& xs) { return xs.empty(); }
  static std::int64_t length(const List<A>& xs) { return xs.length(); }
};

// The folds of a kind whose elements, in order, are the List that `ToList` gives.
template <class C, class ToList>
struct FoldsViaList {
  using Folds = ListFolds<typename C::value_type>;
  template <class M, class F>
  static auto foldMap(const M& m, F&& f, const C& c) {
    return Folds::foldMap(m, std::forward<F>(f), ToList{}(c));
  }
  template <class M, class F>
  static auto foldMapPrime(const M& m, F&& f, const C& c) {
    return Folds::foldMapPrime(m, std::forward<F>(f), ToList{}(c));
  }
  template <class F, class Z>
  static Z foldr(F&& f, Z z, const C& c) {
    return Folds::foldr(std::forward<F>(f), std::move(z), ToList{}(c));
  }
  template <class F, class Z>
  static Z foldl(F&& f, Z z, const C& c) {
    return Folds::foldl(std::forward<F>(f), std::move(z), ToList{}(c));
  }
  template <class F, class Z>
  static Z foldrPrime(F&& f, Z z, const C& c) {
    return Folds::foldrPrime(std::forward<F>(f), std::move(z), ToList{}(c));
  }
  template <class F, class Z>
  static Z foldlPrime(F&& f, Z z, const C& c) {
    return Folds::foldlPrime(std::forward<F>(f), std::move(z), ToList{}(c));
  }
  static bool null(const C& c) { return Folds::null(ToList{}(c)); }
  static std::int64_t length(const C& c) { return Folds::length(ToList{}(c)); }
};

struct ZipListElements {
  template <class A>
  const List<A>& operator()(const ZipList<A>& xs) const {
    return xs.list();
  }
};
struct NonEmptyElements {
  template <class A>
  List<A> operator()(const NonEmpty<A>& xs) const {
    return xs.toList();
  }
};

}  // namespace detail

template <class A>
struct Foldable<List<A>> : detail::ListFolds<A> {};
template <class A>
struct Foldable<ZipList<A>> : detail::FoldsViaList<ZipList<A>, detail::ZipListElements> {};
template <class A>
struct Foldable<NonEmpty<A>> : detail::FoldsViaList<NonEmpty<A>, detail::NonEmptyElements> {};

}  // namespace fp
