// The indexed map of a function: a callable of one argument seen as a container with one element
// for each argument, indexed by the argument. Any callable whose argument type can be read off
// serves: a std::function, a function pointer, a lambda or a class with a single operator().
//
//   std::function<int(int)> square = [](int r) { return r * r; };
//   auto shifted = keyedwalk::imap([](int r, int value) { return value + r; }, square);
//   shifted(5);                                            // 30
//   auto cheap = keyedwalk::imap([](int r, auto) { return -r; }, square);
//   cheap(5);                                              // -5: square is never called
//   auto half = keyedwalk::imap([](double r, double v) { return v / r; }, [](double r) { return r * r; });
//   half(4.0);                                             // 4
//
// imap(f, g) is the function r ↦ f(r, g(r)), where f receives g(r) as an fp::Deferred computed
// when f first uses it: a callback that takes the element's own type simply forces it, one that
// takes `auto` may leave it alone. It is a std::function for a std::function and a callable of
// one argument otherwise. A function can be mapped but not folded or traversed, so only the
// FunctorWithIndex record is given. Its plain fp::Functor is composition.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/functor.hpp"
#include "keyedwalk/capabilities.hpp"

namespace keyedwalk::detail {

// The argument and result types of a callable of one argument that is not overloaded.
template <class F>
struct OneArgument {};
template <class R, class A>
struct OneArgument<R (*)(A)> {
  using Argument = A;
  using Result = R;
};
template <class R, class A>
struct OneArgument<R (*)(A) noexcept> : OneArgument<R (*)(A)> {};
template <class C, class R, class A>
struct OneArgument<R (C::*)(A)> : OneArgument<R (*)(A)> {};
template <class C, class R, class A>
struct OneArgument<R (C::*)(A) const> : OneArgument<R (*)(A)> {};
template <class C, class R, class A>
struct OneArgument<R (C::*)(A) noexcept> : OneArgument<R (*)(A)> {};
template <class C, class R, class A>
struct OneArgument<R (C::*)(A) const noexcept> : OneArgument<R (*)(A)> {};
template <class F>
  requires requires { &F::operator(); }
struct OneArgument<F> : OneArgument<decltype(&F::operator())> {};

template <class F>
inline constexpr bool isStdFunction = false;
template <class A, class R>
inline constexpr bool isStdFunction<std::function<A(R)>> = true;

// A callable of one argument other than a std::function, which has records of its own.
template <class F>
concept CallableOfOne = !isStdFunction<F> && requires { typename OneArgument<F>::Argument; };

}  // namespace keyedwalk::detail

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

template <keyedwalk::detail::CallableOfOne G>
struct Functor<G> {
  using R = typename keyedwalk::detail::OneArgument<G>::Argument;
  template <class F>
  static auto fmap(F f, const G& g) {
    return [f = std::move(f), g](R r) { return std::invoke(f, std::invoke(g, std::forward<R>(r))); };
  }
  template <class B>
  static auto replace(B b, const G&) {
    return [b = std::move(b)](R) { return b; };
  }
};

}  // namespace fp

namespace keyedwalk {

namespace detail {
// r ↦ f(r, g(r)) with g(r) deferred.
template <class A, class R, class F, class G>
auto mapped(F f, const G& g) {
  using Index = std::remove_cvref_t<R>;
  using B = std::decay_t<std::invoke_result_t<F&, const Index&, fp::Deferred<A>>>;
  return [f = std::move(f), g = fp::detail::share(g)](R r) -> B {
    const Index at(std::forward<R>(r));
    return std::invoke(f, at, fp::Deferred<A>([g, at] { return A(g(at)); }));
  };
}
}  // namespace detail

template <class A, class R>
struct FunctorWithIndex<std::function<A(R)>> {
  using Functor = fp::Functor<std::function<A(R)>>;
  using Index = std::remove_cvref_t<R>;

  template <class F>
  static auto imap(F f, const std::function<A(R)>& g) {
    using B = std::decay_t<std::invoke_result_t<F&, const Index&, fp::Deferred<A>>>;
    return std::function<B(R)>(detail::mapped<A, R>(std::move(f), g));
  }
};

template <detail::CallableOfOne G>
struct FunctorWithIndex<G> {
  using Functor = fp::Functor<G>;
  using Index = std::remove_cvref_t<typename detail::OneArgument<G>::Argument>;

  template <class F>
  static auto imap(F f, const G& g) {
    using Parts = detail::OneArgument<G>;
    return detail::mapped<std::decay_t<typename Parts::Result>, typename Parts::Argument>(std::move(f), g);
  }
};

}  // namespace keyedwalk
