// Traversing with indices: keyedwalk::TraversableWithIndex with every provider, and the
// traversals written once on top of any provider's itraverse.
//
//   auto [total, runningSums] = keyedwalk::imapAccumL(
//       [](std::int64_t, int acc, int x) { return std::pair(acc + x, acc); }, 0,
//       std::vector<int>{1, 2, 3});                              // 6, {0, 1, 3}
//   auto checked = keyedwalk::ifor(fp::OptionalEffect{}, fp::List<int>{3, 0},
//       [](std::int64_t i, int x) { return x > i ? std::optional(x) : std::nullopt; });  // nullopt
//
// `imapAccumL` threads an accumulator through the elements in visiting order and `imapAccumR`
// against it, each element keeping its own index and place; both run on the on-demand state
// effect, so `imapAccumL` over an unbounded list delivers its first k elements after k calls.
// The final accumulator is handed back deferred: it is computed when it is read, which needs a
// finite container.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/effects.hpp"
#include "fp/state.hpp"
#include "keyedwalk/core.hpp"
#include "keyedwalk/foldable.hpp"

namespace keyedwalk {

template <fp::Applicative E, IndexedTraversable C, class F>
auto ifor(const E& effect, C&& c, F&& f) {
  return itraverse(effect, std::forward<F>(f), std::forward<C>(c));
}

// The traversal with a monad, its actions run in visiting order, each bound to the next.
template <fp::Monad M, class F, IndexedTraversable C>
auto imapM(const M& monad, F&& f, C&& c) {
  return itraverse(fp::WrappedMonad<M>(monad), std::forward<F>(f), std::forward<C>(c));
}

template <fp::Monad M, IndexedTraversable C, class F>
auto iforM(const M& monad, C&& c, F&& f) {
  return imapM(monad, std::forward<F>(f), std::forward<C>(c));
}

namespace detail {

// f(i, acc, x) = (next acc, new element) as a transition of the state effect.
template <class S, class F>
auto accumulating(F f) {
  return [f = std::move(f)](const auto& i, const auto& x) {
    return fp::StateEffect<S>::state([f, i, x = std::decay_t<decltype(x)>(x)](const S& acc) {
      auto [next, y] = std::invoke(f, i, acc, x);
      return std::pair(std::move(y), S(std::move(next)));
    });
  };
}

template <class S, class Act>
auto runAccumulating(const Act& whole, S start) {
  auto step = fp::StateEffect<S>::runState(whole, std::move(start));
  using T = std::decay_t<decltype(step.result.get())>;
  return std::pair<fp::Deferred<S>, T>(step.state, step.result.get());
}

}  // namespace detail

// (final accumulator, new container): the accumulator goes from s through the elements in
// visiting order, f(i, acc, x) giving the next accumulator and the new element.
// A standard sequence, which the traversal rebuilds at once, runs it as a loop.
template <class F, class S, IndexedTraversable C>
auto imapAccumL(F f, S s, C&& c) {
  if constexpr (StandardSequence<std::remove_cvref_t<C>>)
    return detail::accumulateSequence<false>(f, std::move(s), c);
  else
    return detail::runAccumulating(
        itraverse(fp::StateEffect<S>{}, detail::accumulating<S>(std::move(f)), std::forward<C>(c)),
        std::move(s));
}

// As imapAccumL, with the accumulator going from s through the elements against visiting order.
template <class F, class S, IndexedTraversable C>
auto imapAccumR(F f, S s, C&& c) {
  if constexpr (StandardSequence<std::remove_cvref_t<C>>)
    return detail::accumulateSequence<true>(f, std::move(s), c);
  else
    return detail::runAccumulating(itraverse(fp::Backwards<fp::StateEffect<S>>{},
                                             detail::accumulating<S>(std::move(f)), std::forward<C>(c)),
                                   std::move(s));
}

}  // namespace keyedwalk
