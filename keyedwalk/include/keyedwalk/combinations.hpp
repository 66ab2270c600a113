// keyedwalk::Traversed<E> and keyedwalk::Sequenced<M>: a run of actions as a monoid, so that
// ifoldMap can sequence them.
//
//   keyedwalk::Traversed<fp::OptionalEffect> runAll;
//   auto checked = runAll.append(runAll.discard(std::optional(1)),
//                                [&] { return runAll.discard(std::optional(2)); });   // runs both
//   // checked holds a NoResult: reading it throws "Traversed: value used"
//
// `append(a, b)` runs a, then b (`thenRight` of the effect, `then` of the monad), and builds b
// only when the effect gets to it, so an effect that stops at a failure never builds the rest.
// Only the effects matter: the combined action's result is a `NoResult`, and `mempty`, the
// action that does nothing, has no result to give at all. `discard(act)` turns an element's
// action into one that yields a NoResult. The operations that use these monoids throw the
// result away; reading it is a mistake that fails with "Traversed: value used" or "Sequenced:
// value used".
#pragma once

#include <utility>

#include "fp/applicative.hpp"
#include "fp/monoid.hpp"

namespace keyedwalk {

namespace detail {
[[noreturn]] void throwValueUsed(const char* message);
}  // namespace detail

// The result of an action that was run for its effect only.
class NoResult {
 public:
  explicit constexpr NoResult(const char* message) noexcept : message_(message) {}
  // There is none: throws std::logic_error.
  [[noreturn]] void value() const { detail::throwValueUsed(message_); }

 private:
  const char* message_;
};

template <fp::Applicative E>
struct Traversed : fp::MonoidDefaults<Traversed<E>> {
  using Value = typename E::template Action<NoResult>;
  static constexpr NoResult placeholder{"Traversed: value used"};

  Traversed() = default;
  explicit Traversed(E e) : effect(std::move(e)) {}

  Value mempty() const { return effect.pure(placeholder); }
  template <class Rhs>
  Value append(const Value& a, Rhs&& b) const {
    return effect.thenRight(a, std::forward<Rhs>(b));
  }
  template <class Act>
  Value discard(const Act& act) const {
    return effect.replace(placeholder, act);
  }

  E effect;
};

template <fp::Monad M>
struct Sequenced : fp::MonoidDefaults<Sequenced<M>> {
  using Value = typename M::template Action<NoResult>;
  static constexpr NoResult placeholder{"Sequenced: value used"};

  Sequenced() = default;
  explicit Sequenced(M m) : monad(std::move(m)) {}

  Value mempty() const { return monad.ret(placeholder); }
  template <class Rhs>
  Value append(const Value& a, Rhs&& b) const {
    return monad.then(a, std::forward<Rhs>(b));
  }
  template <class Act>
  Value discard(const Act& act) const {
    return monad.bind(act, [m = monad](const auto&) { return m.ret(placeholder); });
  }

  M monad;
};

}  // namespace keyedwalk
