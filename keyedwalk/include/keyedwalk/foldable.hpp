// Folding with indices: keyedwalk::FoldableWithIndex with every provider, and the operations
// written once on top of any provider's folds.
//
//   std::vector<int> xs{4, 8, 15, 16, 23, 42};
//   keyedwalk::iany([](std::int64_t i, int x) { return x > 10 * i; }, xs);      // true
//   keyedwalk::ifind([](std::int64_t, int x) { return x % 2 == 1; }, xs);       // (2, 15)
//   keyedwalk::itoList(fp::List<char>{'a', 'b'});                               // (0,a) (1,b)
//   keyedwalk::itraverse_(fp::OptionalEffect{}, [](std::int64_t i, int x) {
//     return x > i ? std::optional(x) : std::nullopt; }, xs);  // optional(unit); stops at a failure
//
// The searches and tests (`iany`, `iall`, `inone`, `ifind`) and the effectful walks
// (`itraverse_`, `imapM_`, `ifoldlM`) stop at the deciding element: they go through the
// provider's `ifoldMap` or `ifoldr`, which build the rest only when it is needed, so they work
// on unbounded lists. `ifoldrM` starts from the last element and needs a finite container.
// `itoList` and `iconcatMap` produce their lists on demand.
#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "fp/consume.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/effects.hpp"
#include "fp/foldable.hpp"
#include "fp/list.hpp"
#include "fp/monoid.hpp"
#include "fp/stack.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/core.hpp"

namespace keyedwalk {

// Whether p(i, x) holds for some element.
template <class P, IndexedFoldable C>
bool iany(P&& p, C&& c) {
  return ifoldMap(fp::AnyMonoid{}, std::forward<P>(p), std::forward<C>(c));
}

// Whether p(i, x) holds for every element.
template <class P, IndexedFoldable C>
bool iall(P&& p, C&& c) {
  return ifoldMap(fp::AllMonoid{}, std::forward<P>(p), std::forward<C>(c));
}

// Whether p(i, x) holds for no element.
template <class P, IndexedFoldable C>
bool inone(P&& p, C&& c) {
  return !iany(std::forward<P>(p), std::forward<C>(c));
}

// Whether p(x) holds for no element, by the kind's plain fp::Foldable.
template <class P, class C>
bool none(P&& p, const C& c) {
  return !fp::foldMap(fp::AnyMonoid{}, std::forward<P>(p), c);
}

// Runs the action f(i, x) of every element, in visiting order, for its effect; yields unit.
template <fp::Applicative E, class F, IndexedFoldable C>
auto itraverse_(const E& effect, F f, C&& c) {
  const Traversed<E> actions(effect);
  return effect.replace(fp::unit, ifoldMap(
                                      actions,
                                      [actions, f = std::move(f)](const auto& i, const auto& x) {
                                        return actions.discard(std::invoke(f, i, x));
                                      },
                                      std::forward<C>(c)));
}

template <fp::Applicative E, IndexedFoldable C, class F>
auto ifor_(const E& effect, C&& c, F&& f) {
  return itraverse_(effect, std::forward<F>(f), std::forward<C>(c));
}

// Runs the monadic action f(i, x) of every element, in visiting order; yields unit.
template <fp::Monad M, class F, IndexedFoldable C>
auto imapM_(const M& monad, F f, C&& c) {
  const Sequenced<M> actions(monad);
  return monad.bind(ifoldMap(
                        actions,
                        [actions, f = std::move(f)](const auto& i, const auto& x) {
                          return actions.discard(std::invoke(f, i, x));
                        },
                        std::forward<C>(c)),
                    [monad](const NoResult&) { return monad.ret(fp::unit); });
}

template <fp::Monad M, IndexedFoldable C, class F>
auto iforM_(const M& monad, C&& c, F&& f) {
  return imapM_(monad, std::forward<F>(f), std::forward<C>(c));
}

// The lists f(i, x) one after the other, produced on demand.
template <class F, IndexedFoldable C>
auto iconcatMap(F&& f, C&& c) {
  using Items = std::decay_t<std::invoke_result_t<F&, const IndexOf<C>&, const ElementOf<C>&>>;
  return ifoldMap(fp::ListMonoid<typename Items::value_type>{}, std::forward<F>(f),
                  std::forward<C>(c));
}

// The first (index, element) in visiting order for which p holds; looks no further.
template <class P, IndexedFoldable C>
std::optional<std::pair<IndexOf<C>, ElementOf<C>>> ifind(P p, C&& c) {
  using Found = std::optional<std::pair<IndexOf<C>, ElementOf<C>>>;
  return ifoldr(
      [p = std::move(p)](const auto& i, const auto& x, const fp::Deferred<Found>& rest) -> Found {
        if (std::invoke(p, i, x)) return Found(std::in_place, i, x);
        return rest.get();
      },
      Found(), std::forward<C>(c));
}

// The (index, element) pairs in visiting order, produced on demand.
template <IndexedFoldable C>
fp::List<std::pair<IndexOf<C>, ElementOf<C>>> itoList(C&& c) {
  using Entries = fp::List<std::pair<IndexOf<C>, ElementOf<C>>>;
  return ifoldr(
      [](const auto& i, const auto& x, fp::Deferred<Entries> rest) {
        return Entries::cons({i, x}, std::move(rest));
      },
      Entries(), std::forward<C>(c));
}

namespace detail {
// The action type of a monadic fold, and a continuation: from an accumulator to the action of
// the rest of the fold.
template <class M, class Z>
using FoldAction = std::decay_t<decltype(std::declval<const M&>().ret(std::declval<Z>()))>;
template <class M, class Z>
using FoldStep = fp::detail::SharedFunction<FoldAction<M, Z>(const Z&)>;

// act >>= k for a monad that calls k at once or never; whether it went on is stored in `wentOn`.
template <class M, class Act, class K>
Act bindOnce(const M& monad, const Act& act, bool& wentOn, K&& k) {
  wentOn = false;
  return monad.bind(act, [&](const auto& acc) -> Act {
    wentOn = true;
    return k(acc);
  });
}
}  // namespace detail

// The right fold with a monad: f(i, x, acc) runs first for the last element, with z, and each
// earlier element gets the result of the one after it. The whole container is walked first.
// A strict monad's binds run as a loop, from the last element back, stopping where an action does
// not go on; any other monad's continuations are chained, each called on a fresh stack segment
// when the thread's stack runs low.
template <fp::Monad M, class F, class Z, IndexedFoldable C>
auto ifoldrM(const M& monad, F f, Z z, C&& c) {
  using Act = detail::FoldAction<M, Z>;
  if constexpr (fp::StrictMonad<M>) {
    bool wentOn = true;
    return ifoldrPrime(
        [&](const auto& i, const auto& x, Act act) {
          if (!wentOn) return act;
          return detail::bindOnce(monad, act, wentOn, [&](const Z& acc) { return Act(std::invoke(f, i, x, acc)); });
        },
        monad.ret(std::move(z)), std::forward<C>(c));
  } else {
    using Step = detail::FoldStep<M, Z>;
    const Step run = ifoldl(
        [monad, f = std::move(f)](const auto& i, const fp::Deferred<Step>& next, const auto& x) -> Step {
          return [monad, f, i, x, next](const Z& acc) {
            return monad.bind(std::invoke(f, i, x, acc), [next](const Z& result) {
              return fp::ensureStack([&] { return next.get()(result); });
            });
          };
        },
        Step([monad](const Z& acc) { return monad.ret(acc); }), std::forward<C>(c));
    return run(z);
  }
}

// The left fold with a monad: f(i, acc, x) runs first for the first element, with z, and each
// later element gets the result of the one before it. An action that does not go on (a
// failure) ends the fold; the elements after it are never visited. A strict monad's binds run
// as a loop over the elements; any other monad's continuations are chained, each called on a
// fresh stack segment when the thread's stack runs low.
template <fp::Monad M, class F, class Z, IndexedFoldable C>
auto ifoldlM(const M& monad, F f, Z z, C&& c) {
  using Act = detail::FoldAction<M, Z>;
  if constexpr (fp::StrictMonad<M>) {
    Act act = monad.ret(std::move(z));
    bool wentOn = true;
    for (const auto& entry : fp::consume(itoList(std::forward<C>(c)))) {
      act = detail::bindOnce(monad, act, wentOn,
                             [&](const Z& acc) { return Act(std::invoke(f, entry.first, acc, entry.second)); });
      if (!wentOn) break;
    }
    return act;
  } else {
    using Step = detail::FoldStep<M, Z>;
    const Step run = ifoldr(
        [monad, f = std::move(f)](const auto& i, const auto& x, const fp::Deferred<Step>& rest) -> Step {
          return [monad, f, i, x, rest](const Z& acc) {
            return monad.bind(std::invoke(f, i, acc, x), [rest](const Z& next) {
              return fp::ensureStack([&] { return rest.get()(next); });
            });
          };
        },
        Step([monad](const Z& acc) { return monad.ret(acc); }), std::forward<C>(c));
    return run(z);
  }
}

}  // namespace keyedwalk
