// The indexed map of a function: std::function<A(R)> seen as a container with one element for
// each argument, indexed by the argument.
//
//   std::function<int(int)> square = [](int r) { return r * r; };
//   auto shifted = keyedwalk::imap([](int r, int value) { return value + r; }, square);
//   shifted(5);                                            // 30
//   auto cheap = keyedwalk::imap([](int r, auto) { return -r; }, square);
//   cheap(5);                                              // -5: square is never called
//
// imap(f, g) is the function r ↦ f(r, g(r)), where f receives g(r) as an fp::Deferred computed
// when f first uses it: a callback that takes the element's own type simply forces it, one that
// takes `auto` may leave it alone. A function can be mapped but not folded or traversed, so only
// the FunctorWithIndex record is given. Its plain fp::Functor is composition.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/functor.hpp"
#include "keyedwalk/capabilities.hpp"

namespace fp {

template <class A, class R>
struct Functor<std::function<A(R)>> {
  template <class F>
  static auto fmap(F f, const std::function<A(R)>& g) {
    using B = std::decay_t<std::invoke_result_t<F&, A>>;
    return std::function<B(R)>([f = std::move(f), g](R r) -> B { return std::invoke(f, g(std::forward<R>(r))); });
  }
  template <class B>
  static std::function<B(R)> replace(B b, const std::function<A(R)>&) {
    return [b = std::move(b)](R) { return b; };
  }
};

}  // namespace fp

namespace keyedwalk {

template <class A, class R>
struct FunctorWithIndex<std::function<A(R)>> {
  using Functor = fp::Functor<std::function<A(R)>>;
  using Index = std::remove_cvref_t<R>;

  template <class F>
  static auto imap(F f, const std::function<A(R)>& g) {
    using B = std::decay_t<std::invoke_result_t<F&, const Index&, fp::Deferred<A>>>;
    return std::function<B(R)>([f = std::move(f), g = fp::detail::share(g)](R r) -> B {
      const Index at(std::forward<R>(r));
      return std::invoke(f, at, fp::Deferred<A>([g, at] { return A(g(at)); }));
    });
  }
};

}  // namespace keyedwalk
