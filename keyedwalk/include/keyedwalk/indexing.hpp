// keyedwalk::Indexing<E>: an effect that numbers the elements of a plain traversal.
//
//   // Any kind with a plain fp::Traversable gets positions 0, 1, 2, ... for free:
//   auto checked = keyedwalk::traverseCounting(
//       fp::OptionalEffect{},
//       [](std::int64_t i, int x) { return x >= 0 ? std::optional(i * x) : std::nullopt; },
//       fp::List<int>{2, 3});                                       // optional(List{0, 3})
//
// An action of `Indexing<E>` is a function from a counter (the position the next element will
// receive) to the pair of the counter after it and an action of E. Combining two actions runs
// the counter through them from left to right: the right action starts where the left one
// stopped. Both parts of the pair are computed on demand, so a lazy E (the on-demand state
// effect, Identity) still produces its result element by element.
//
// `traverseCounting(e, f, c)` is the default `itraverse` of a kind indexed by position: the kind's
// plain traversal with `Indexing<E>`, where each element takes one position, started at 0.
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/traversable.hpp"

namespace keyedwalk {

// An action of Indexing over an effect whose action type is `Act`.
template <class Act>
struct Indexed {
  using Inner = Act;
  using Counter = fp::Deferred<std::int64_t>;
  // What running the action from a counter gives, each part computed when first used.
  struct Step {
    Counter counter;
    fp::Deferred<Act> action;
  };
  std::function<Step(const Counter&)> runIndexing;
};

template <fp::Applicative E>
struct Indexing : fp::ApplicativeDefaults<Indexing<E>> {
  template <class A>
  using Action = Indexed<typename E::template Action<A>>;
  template <class Act>
  using ValueOf = fp::ActionValue<E, typename Act::Inner>;
  using Counter = fp::Deferred<std::int64_t>;

  Indexing() = default;
  explicit Indexing(E e) : inner(std::move(e)) {}

  // Yields a without moving the counter.
  template <class A>
  Action<A> pure(A a) const {
    using Act = typename E::template Action<A>;
    return {[e = inner, a = std::move(a)](const Counter& i) {
      return typename Indexed<Act>::Step{i, fp::Deferred<Act>(e.pure(a))};
    }};
  }

  template <class F, class Act>
  auto fmap(F f, const Indexed<Act>& m) const {
    using Out = decltype(inner.fmap(f, std::declval<const Act&>()));
    return Indexed<Out>{[e = inner, f = std::move(f), m](const Counter& i) {
      auto step = m.runIndexing(i);
      return typename Indexed<Out>::Step{
          step.counter, fp::Deferred<Out>([e, f, act = step.action] { return e.fmap(f, act.get()); })};
    }};
  }

  // The left action runs from the counter given; the right one, built only when something needs
  // it, from the counter the left one ends at.
  template <class H, class Act, class Rhs>
  auto liftA2(H h, const Indexed<Act>& left, Rhs&& rhs) const {
    using Right = typename std::decay_t<std::invoke_result_t<Rhs&>>::Inner;
    using Out = std::decay_t<decltype(inner.liftA2(h, std::declval<const Act&>(),
                                                   std::declval<ActionOf<Right>>()))>;
    auto right = fp::defer(std::forward<Rhs>(rhs));
    return Indexed<Out>{[e = inner, h = std::move(h), left, right](const Counter& i) {
      auto first = left.runIndexing(i);
      auto second = fp::defer([right, middle = first.counter] { return right().runIndexing(middle); });
      return typename Indexed<Out>::Step{
          Counter([second] { return second().counter.get(); }),
          fp::Deferred<Out>([e, h, a = first.action, second] {
            return e.liftA2(h, a.get(), ActionOf<Right>{second});
          })};
    }};
  }

  E inner;

 private:
  // Computes the action of E from a step of an Indexing action that is run on demand.
  template <class Act>
  struct ActionOf {
    fp::Deferred<typename Indexed<Act>::Step> step;
    Act operator()() const { return step.get().action.get(); }
  };
};

// The counter function of an Indexing action.
template <class Act>
const auto& runIndexing(const Indexed<Act>& action) {
  return action.runIndexing;
}

// E's traversal of c by its plain fp::Traversable, with f(i, x) given each element's position i
// in the traversal's order. f is called when E needs the element's action.
template <fp::Applicative E, class F, class C>
auto traverseCounting(const E& effect, F f, const C& c) {
  using Counter = fp::Deferred<std::int64_t>;
  auto step = fp::detail::share(std::move(f));
  const Indexing<E> counting(effect);
  auto whole = fp::Traversable<C>::traverse(
      counting,
      [step](const auto& x) {
        using Act = std::decay_t<std::invoke_result_t<const decltype(step)&, std::int64_t, decltype(x)>>;
        return Indexed<Act>{[step, x = std::decay_t<decltype(x)>(x)](const Counter& i) {
          return typename Indexed<Act>::Step{Counter([i] { return i.get() + 1; }),
                                             fp::Deferred<Act>([step, i, x] { return Act(step(i.get(), x)); })};
        }};
      },
      c);
  return whole.runIndexing(Counter(std::int64_t{0})).action.get();
}

}  // namespace keyedwalk
