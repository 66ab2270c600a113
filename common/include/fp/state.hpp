// fp::StateEffect<S>: the on-demand state effect.
//
//   using Counter = fp::StateEffect<int>;
//   auto number = [](char c) {                  // tag each element with a running count
//     return Counter::state([c](int n) { return std::pair(std::pair(n, c), n + 1); });
//   };
//   auto tagged = fp::traverse(Counter{}, number, fp::repeat('x'));
//   auto firstThree = Counter::evalState(tagged, 0).take(3);   // (0,x) (1,x) (2,x)
//
// An action is a transition from a state to a result and a next state. Combining two actions
// hands the first one's next state to the second. Everything is computed on demand: running an
// action only describes its result and its next state, and a transition runs when one of them
// is first used. So a traversal of an unbounded list delivers its first results after running
// only their transitions, and a result that nobody reads costs nothing.
#pragma once

#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

#include "fp/applicative.hpp"
#include "fp/deferred.hpp"
#include "fp/detail/shared.hpp"
#include "fp/stack.hpp"
#include "fp/unit.hpp"

namespace fp {

// An action of the state effect. Actions are immutable and shared: copying one, as every
// combination does with its parts, costs a reference count, so a chain of any length is built and
// run in time linear in its length. Running one action may run the next inside it; each run
// continues on a fresh stack segment when the thread's stack runs low (see fp::ensureStack).
template <class S, class A>
class State {
 public:
  using value_type = A;

  // What running an action from a state gives, each part computed when first used.
  struct Step {
    Deferred<A> result;
    Deferred<S> state;
  };

  // The action whose transition is run(from), a Step.
  template <class Run>
    requires(!std::same_as<std::remove_cvref_t<Run>, State> &&
             std::is_invocable_r_v<Step, const std::decay_t<Run>&, const Deferred<S>&>)
  explicit State(Run&& run) : run_(detail::makeRef<Transition<std::decay_t<Run>>>(std::forward<Run>(run))) {}

  Step run(const Deferred<S>& from) const {
    return ensureStack([&] { return run_->run(from); });
  }

 private:
  // Reference-counted nodes (fp::detail::Shared), so that dropping a chain of any length, each
  // action holding the next, runs in bounded stack.
  struct AnyTransition : detail::Shared {
    virtual Step run(const Deferred<S>& from) const = 0;
  };
  template <class Run>
  struct Transition final : AnyTransition {
    explicit Transition(Run r) : f(std::move(r)) {}
    Step run(const Deferred<S>& from) const override { return f(from); }
    Run f;
  };

  detail::Ref<const AnyTransition> run_;
};

template <class S>
struct StateEffect : MonadDefaults<StateEffect<S>> {
  template <class A>
  using Action = State<S, A>;
  template <class Act>
  using ValueOf = typename Act::value_type;

  // The transition s ↦ f(s), where f returns the pair (result, next state).
  template <class F>
  static auto state(F f) {
    using Pair = std::decay_t<std::invoke_result_t<F&, const S&>>;
    using A = typename Pair::first_type;
    return State<S, A>([f = std::move(f)](const Deferred<S>& from) {
      auto both = defer([f, from] { return Pair(std::invoke(f, from.get())); });
      return typename State<S, A>::Step{Deferred<A>([both] { return both().first; }),
                                        Deferred<S>([both] { return both().second; })};
    });
  }
  // Yields the state and keeps it.
  static State<S, S> get() {
    return State<S, S>([](const Deferred<S>& from) { return typename State<S, S>::Step{from, from}; });
  }
  // Replaces the state.
  static State<S, Unit> put(S next) {
    return State<S, Unit>([next = std::move(next)](const Deferred<S>&) {
      return typename State<S, Unit>::Step{unit, next};
    });
  }
  // Applies f to the state.
  template <class F>
  static State<S, Unit> modify(F f) {
    return State<S, Unit>([f = std::move(f)](const Deferred<S>& from) {
      return typename State<S, Unit>::Step{unit, Deferred<S>([f, from] { return S(f(from.get())); })};
    });
  }

  template <class A>
  static State<S, A> pure(A a) {
    return State<S, A>([a = std::move(a)](const Deferred<S>& from) {
      return typename State<S, A>::Step{a, from};
    });
  }
  template <class F, class A>
  static auto fmap(F f, const State<S, A>& act) {
    using B = std::decay_t<std::invoke_result_t<F&, const A&>>;
    return State<S, B>([f = std::move(f), act](const Deferred<S>& from) {
      auto step = act.run(from);
      return typename State<S, B>::Step{
          Deferred<B>([f, result = step.result] { return B(std::invoke(f, result.get())); }),
          step.state};
    });
  }
  template <class H, class A, class Rhs>
  static auto liftA2(H h, const State<S, A>& act, Rhs&& rhs) {
    using B = typename std::decay_t<std::invoke_result_t<Rhs&>>::value_type;
    using C = std::decay_t<std::invoke_result_t<H&, const A&, Deferred<B>&>>;
    auto right = defer(std::forward<Rhs>(rhs));
    return State<S, C>([h = std::move(h), act, right](const Deferred<S>& from) {
      auto first = act.run(from);
      auto second = defer([right, middle = first.state] { return right().run(middle); });
      Deferred<B> b([second] { return second().result.get(); });
      return typename State<S, C>::Step{
          Deferred<C>([h, a = first.result, b] { return C(std::invoke(h, a.get(), b)); }),
          Deferred<S>([second] { return second().state.get(); })};
    });
  }
  template <class A, class K>
  static auto bind(const State<S, A>& act, K k) {
    using Next = std::decay_t<std::invoke_result_t<K&, const A&>>;
    using B = typename Next::value_type;
    return State<S, B>([k = std::move(k), act](const Deferred<S>& from) {
      auto first = act.run(from);
      auto second = defer([k, first] { return std::invoke(k, first.result.get()).run(first.state); });
      return typename State<S, B>::Step{Deferred<B>([second] { return second().result.get(); }),
                                        Deferred<S>([second] { return second().state.get(); })};
    });
  }

  // Runs an action from a start state.
  template <class A>
  static typename State<S, A>::Step runState(const State<S, A>& act, S start) {
    return act.run(Deferred<S>(std::move(start)));
  }
  // The result of running an action from a start state.
  template <class A>
  static A evalState(const State<S, A>& act, S start) {
    return runState(act, std::move(start)).result.get();
  }
  // The final state of running an action from a start state.
  template <class A>
  static S execState(const State<S, A>& act, S start) {
    return runState(act, std::move(start)).state.get();
  }
};

}  // namespace fp
