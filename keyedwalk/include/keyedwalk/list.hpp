// The indexed capabilities of fp::List, fp::ZipList and fp::NonEmpty, and the four list
// routines they rest on.
//
//   fp::List<char> xs{'a', 'b', 'c'};
//   auto pairs = keyedwalk::imap([](std::int64_t i, char c) { return std::pair(i, c); }, xs);
//   // (0,a) (1,b) (2,c), each computed when read
//   bool found = keyedwalk::ifoldMap(fp::AnyMonoid{}, [](std::int64_t i, int x) { return i == x * x; },
//                                    fp::iota(1));   // stops at 1 * 1 == 1, on an unbounded list
//
// The index of an element is its position, counted from 0; in a NonEmpty the head is 0 and the
// tail counts from 1. Each routine takes the position of the list's first element (its start
// offset), which lets the head of a NonEmpty, and any caller walking a list that sits inside
// something bigger, number the elements where they really are:
//
//   itraverseListOff(e, o, f, xs)     one action of e yielding the list of f's results
//   ifoldrListOff(o, f, z, xs)        f(o, x0, f(o+1, x1, ... z)), each accumulator deferred
//   ifoldlPrimeListOff(o, f, z, xs)   f(o+n, ... f(o, z, x0) ..., xn), a loop over the list's runs
//   ifoldMapListOff(m, o, f, xs)      f(o, x0) <> (f(o+1, x1) <> (... <> mempty)), right deferred
//
// The lazy routines visit only what their result needs: a callback that ignores its
// accumulator, or a monoid that decides from its left operand, ends the walk, also on an
// unbounded list. The strict folds walk a contiguous buffer as a pointer range, so that over a
// list made from a vector they are the loop over the vector.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "fp/ziplist.hpp"
#include "keyedwalk/capabilities.hpp"

namespace keyedwalk {

namespace detail {

template <class B, class F, class A>
fp::List<B> imapListFrom(std::int64_t o, F f, fp::List<A> xs) {
  return fp::List<B>::lazy([o, f = std::move(f), xs = std::move(xs)] {
    if (xs.empty()) return fp::List<B>();
    return fp::List<B>::cons(B(std::invoke(f, o, xs.head())), imapListFrom<B>(o + 1, f, xs.tail()));
  });
}

template <class B, class E, class F, class A>
auto itraverseListFrom(const E& effect, std::int64_t o, const F& f, const fp::List<A>& xs)
    -> typename E::template Action<fp::List<B>> {
  if (xs.empty()) return effect.pure(fp::List<B>());
  return effect.liftA2(
      [](const B& b, auto&& rest) { return fp::List<B>::cons(b, fp::detail::restList<B>(rest)); },
      std::invoke(f, o, xs.head()), [effect, o, f, rest = xs.tail()] {
        return fp::ensureStack([&] { return itraverseListFrom<B>(effect, o + 1, f, rest); });
      });
}

template <class Z, class F, class A>
Z ifoldrListFrom(std::int64_t o, const F& f, const fp::detail::Boxed<Z>& z, const fp::List<A>& xs) {
  if (xs.empty()) return z.get();
  return Z(std::invoke(f, o, xs.head(), fp::Deferred<Z>([o, f, z, rest = xs.tail()] {
                         return ifoldrListFrom(o + 1, f, z, rest);
                       })));
}

template <class M, class F, class A>
typename M::Value ifoldMapListFrom(const M& m, std::int64_t o, const F& f, const fp::List<A>& xs) {
  using V = typename M::Value;
  if (xs.empty()) return m.mempty();
  return m.append(V(std::invoke(f, o, xs.head())), [m, o, f, rest = xs.tail()] {
    return fp::ensureStack([&] { return ifoldMapListFrom(m, o + 1, f, rest); });
  });
}

// The deferred left fold from position o, started from an accumulator that may itself be
// deferred: every step waits until the step after it uses its accumulator.
template <class F, class Z, class A>
Z ifoldlListOff(std::int64_t o, F f, fp::Deferred<Z> acc, const fp::List<A>& xs) {
  auto step = fp::detail::share(std::move(f));
  for (std::span<const A> run : xs.runs())
    for (const A& x : run)
      acc = fp::Deferred<Z>([step, prev = std::move(acc), i = o++, at = &x, keep = xs] {
        return Z(step(i, prev, *at));
      });
  return acc.get();
}

// The strict right fold from position o: the runs are gathered, then walked from the last
// element back to the first, each result computed before the element in front is visited.
template <class F, class Z, class A>
Z ifoldrPrimeListOff(std::int64_t o, F&& f, Z z, const fp::List<A>& xs) {
  std::vector<std::span<const A>> runs;
  for (std::span<const A> run : xs.runs()) {
    runs.push_back(run);
    o += static_cast<std::int64_t>(run.size());
  }
  for (auto run = runs.rbegin(); run != runs.rend(); ++run)
    for (auto x = run->rbegin(); x != run->rend(); ++x) z = Z(std::invoke(f, --o, *x, std::move(z)));
  return z;
}

}  // namespace detail

template <fp::Applicative E, class F, class A>
auto itraverseListOff(const E& effect, std::int64_t o, F f, const fp::List<A>& xs) {
  using B = fp::ActionValue<E, std::invoke_result_t<F&, std::int64_t, const A&>>;
  return detail::itraverseListFrom<B>(effect, o, fp::detail::share(std::move(f)), xs);
}

template <class F, class Z, class A>
Z ifoldrListOff(std::int64_t o, F f, Z z, const fp::List<A>& xs) {
  return detail::ifoldrListFrom(o, fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), xs);
}

template <class F, class Z, class A>
Z ifoldlPrimeListOff(std::int64_t o, F&& f, Z z, const fp::List<A>& xs) {
  for (std::span<const A> run : xs.runs())
    for (const A& x : run) z = Z(std::invoke(f, o++, std::move(z), x));
  return z;
}

template <fp::Monoid M, class F, class A>
typename M::Value ifoldMapListOff(const M& m, std::int64_t o, F f, const fp::List<A>& xs) {
  return detail::ifoldMapListFrom(m, o, fp::detail::share(std::move(f)), xs);
}

// fp::List: positions from 0, every operation its own.

template <class A>
struct FunctorWithIndex<fp::List<A>> {
  using Functor = fp::Functor<fp::List<A>>;
  using Index = std::int64_t;

  template <class F>
  static auto imap(F f, const fp::List<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const A&>>;
    return detail::imapListFrom<B>(0, fp::detail::share(std::move(f)), xs);
  }
};

template <class A>
struct FoldableWithIndex<fp::List<A>> {
  using Foldable = fp::Foldable<fp::List<A>>;
  using Index = std::int64_t;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&& f, const fp::List<A>& xs) {
    return ifoldMapListOff(m, 0, std::forward<F>(f), xs);
  }
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMapPrime(const M& m, F&& f, const fp::List<A>& xs) {
    using V = typename M::Value;
    return ifoldlPrimeListOff(
        0,
        [&](std::int64_t i, V acc, const A& x) {
          return V(m.append(std::move(acc), detail::given(V(std::invoke(f, i, x)))));
        },
        V(m.mempty()), xs);
  }
  template <class F, class Z>
  static Z ifoldr(F&& f, Z z, const fp::List<A>& xs) {
    return ifoldrListOff(0, std::forward<F>(f), std::move(z), xs);
  }
  template <class F, class Z>
  static Z ifoldl(F&& f, Z z, const fp::List<A>& xs) {
    return detail::ifoldlListOff(0, std::forward<F>(f), fp::Deferred<Z>(std::move(z)), xs);
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const fp::List<A>& xs) {
    return detail::ifoldrPrimeListOff(0, std::forward<F>(f), std::move(z), xs);
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const fp::List<A>& xs) {
    return ifoldlPrimeListOff(0, std::forward<F>(f), std::move(z), xs);
  }
};

template <class A>
struct TraversableWithIndex<fp::List<A>> {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<fp::List<A>>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<fp::List<A>>;
  using Traversable = fp::Traversable<fp::List<A>>;
  using Index = std::int64_t;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&& f, const fp::List<A>& xs) {
    return itraverseListOff(effect, 0, std::forward<F>(f), xs);
  }
};

// fp::ZipList: the list's operations over its list.

template <class A>
struct FunctorWithIndex<fp::ZipList<A>> {
  using Functor = fp::Functor<fp::ZipList<A>>;
  using Index = std::int64_t;

  template <class F>
  static auto imap(F&& f, const fp::ZipList<A>& xs) {
    return fp::ZipList(keyedwalk::FunctorWithIndex<fp::List<A>>::imap(std::forward<F>(f), xs.list()));
  }
};

template <class A>
struct FoldableWithIndex<fp::ZipList<A>> : FoldableWithIndexDefaults<fp::ZipList<A>> {
  using Index = std::int64_t;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&& f, const fp::ZipList<A>& xs) {
    return ifoldMapListOff(m, 0, std::forward<F>(f), xs.list());
  }
  // The list's own folds, which give what the defaults over ifoldMap give, in the same order.
  template <class F, class Z>
  static Z ifoldr(F&& f, Z z, const fp::ZipList<A>& xs) {
    return ifoldrListOff(0, std::forward<F>(f), std::move(z), xs.list());
  }
  template <class F, class Z>
  static Z ifoldl(F&& f, Z z, const fp::ZipList<A>& xs) {
    return detail::ifoldlListOff(0, std::forward<F>(f), fp::Deferred<Z>(std::move(z)), xs.list());
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const fp::ZipList<A>& xs) {
    return detail::ifoldrPrimeListOff(0, std::forward<F>(f), std::move(z), xs.list());
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const fp::ZipList<A>& xs) {
    return ifoldlPrimeListOff(0, std::forward<F>(f), std::move(z), xs.list());
  }
};

template <class A>
struct TraversableWithIndex<fp::ZipList<A>> {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<fp::ZipList<A>>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<fp::ZipList<A>>;
  using Traversable = fp::Traversable<fp::ZipList<A>>;
  using Index = std::int64_t;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F&& f, const fp::ZipList<A>& xs) {
    return effect.fmap([](const auto& ys) { return fp::ZipList(ys); },
                       itraverseListOff(effect, 0, std::forward<F>(f), xs.list()));
  }
};

// fp::NonEmpty: the head at 0, then the tail's routines from 1.

template <class A>
struct FunctorWithIndex<fp::NonEmpty<A>> {
  using Functor = fp::Functor<fp::NonEmpty<A>>;
  using Index = std::int64_t;

  template <class F>
  static auto imap(F f, const fp::NonEmpty<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const A&>>;
    auto shared = fp::detail::share(std::move(f));
    B head(shared(std::int64_t{0}, xs.head()));
    return fp::NonEmpty<B>(std::move(head), detail::imapListFrom<B>(1, shared, xs.tail()));
  }
};

template <class A>
struct FoldableWithIndex<fp::NonEmpty<A>> {
  using Foldable = fp::Foldable<fp::NonEmpty<A>>;
  using Index = std::int64_t;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const fp::NonEmpty<A>& xs) {
    using V = typename M::Value;
    auto shared = fp::detail::share(std::move(f));
    return m.append(V(shared(std::int64_t{0}, xs.head())),
                    [m, shared, tail = xs.tail()] { return ifoldMapListOff(m, 1, shared, tail); });
  }
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMapPrime(const M& m, F&& f, const fp::NonEmpty<A>& xs) {
    using V = typename M::Value;
    const auto step = [&](std::int64_t i, V acc, const A& x) {
      return V(m.append(std::move(acc), detail::given(V(std::invoke(f, i, x)))));
    };
    return ifoldlPrimeListOff(1, step, step(0, V(m.mempty()), xs.head()), xs.tail());
  }
  template <class F, class Z>
  static Z ifoldr(F f, Z z, const fp::NonEmpty<A>& xs) {
    auto shared = fp::detail::share(std::move(f));
    return Z(shared(std::int64_t{0}, xs.head(),
                    fp::Deferred<Z>([shared, z = std::move(z), tail = xs.tail()] {
                      return ifoldrListOff(1, shared, z, tail);
                    })));
  }
  template <class F, class Z>
  static Z ifoldl(F f, Z z, const fp::NonEmpty<A>& xs) {
    auto shared = fp::detail::share(std::move(f));
    fp::Deferred<Z> first([shared, z = std::move(z), head = xs.head()] {
      return Z(shared(std::int64_t{0}, fp::Deferred<Z>(z), head));
    });
    return detail::ifoldlListOff(1, shared, std::move(first), xs.tail());
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const fp::NonEmpty<A>& xs) {
    Z rest = detail::ifoldrPrimeListOff(1, f, std::move(z), xs.tail());
    return Z(std::invoke(f, std::int64_t{0}, xs.head(), std::move(rest)));
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const fp::NonEmpty<A>& xs) {
    Z first(std::invoke(f, std::int64_t{0}, std::move(z), xs.head()));
    return ifoldlPrimeListOff(1, std::forward<F>(f), std::move(first), xs.tail());
  }
};

template <class A>
struct TraversableWithIndex<fp::NonEmpty<A>> {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<fp::NonEmpty<A>>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<fp::NonEmpty<A>>;
  using Traversable = fp::Traversable<fp::NonEmpty<A>>;
  using Index = std::int64_t;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const fp::NonEmpty<A>& xs) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, std::int64_t, const A&>>;
    auto shared = fp::detail::share(std::move(f));
    return effect.liftA2(
        [](const B& head, auto&& tail) { return fp::NonEmpty<B>(head, fp::detail::restList<B>(tail)); },
        shared(std::int64_t{0}, xs.head()),
        [effect, shared, tail = xs.tail()] { return itraverseListOff(effect, 1, shared, tail); });
  }
};

}  // namespace keyedwalk
