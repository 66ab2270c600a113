// keyedwalk::relabel and keyedwalk::relabel2: a callback whose result is wrapped in a type of
// the same representation, at no cost.
//
//   auto isEven = [](std::int64_t, int x) { return x % 2 == 0; };
//   auto asIdentity = keyedwalk::relabel2<fp::Identity<bool>>(isEven);   // returns Identity{...}
//   auto asConst = keyedwalk::relabel<fp::Const<bool, fp::Unit>>([](int x) { return x > 0; });
//
// The libraries' monoid and effect records give a plain value its meaning, so a callback's own
// result serves as it is; these are for callers that want the wrapper type itself.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

namespace keyedwalk {

namespace detail {
template <class Wrapper, class R>
concept RelabelsAs = std::is_aggregate_v<Wrapper> && sizeof(Wrapper) == sizeof(std::decay_t<R>) &&
                     requires(R r) { Wrapper{std::forward<R>(r)}; };
}  // namespace detail

// x ↦ Wrapper{f(x)}
template <class Wrapper, class F>
auto relabel(F f) {
  return [f = std::move(f)](auto&& x) -> Wrapper
           requires detail::RelabelsAs<Wrapper, std::invoke_result_t<const F&, decltype(x)>>
  { return Wrapper{std::invoke(f, std::forward<decltype(x)>(x))}; };
}

// (x, y) ↦ Wrapper{f(x, y)}
template <class Wrapper, class F>
auto relabel2(F f) {
  return [f = std::move(f)](auto&& x, auto&& y) -> Wrapper
           requires detail::RelabelsAs<Wrapper, std::invoke_result_t<const F&, decltype(x), decltype(y)>>
  { return Wrapper{std::invoke(f, std::forward<decltype(x)>(x), std::forward<decltype(y)>(y))}; };
}

}  // namespace keyedwalk
