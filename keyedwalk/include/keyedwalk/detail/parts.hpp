// Helpers for the providers of kinds built from other kinds: compositions, products and sums.
//
//   // An operation that takes its container as `Self&&` and may return a lazy result:
//   return detail::lend(std::forward<Self>(c), std::move(f), [&](const Kind& c, const auto& f) {
//     return Part::ifoldMap(m, detail::OnSide<Index, fp::Left, std::decay_t<decltype(f)>>{f}, c.part);
//   });
#pragma once

#include <concepts>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "fp/detail/boxed.hpp"

namespace keyedwalk::detail {

// A container argument of kind C, of either value category.
template <class T, class C>
concept Forwarded = std::same_as<std::remove_cvref_t<T>, C>;

// A callback that also keeps a container alive.
template <class F, class C>
struct Keeping {
  F f;
  std::shared_ptr<const C> kept;

  template <class... Args>
  decltype(auto) operator()(Args&&... args) const {
    return std::invoke(f, std::forward<Args>(args)...);
  }
};

// body(c, f) for a container handed to an operation whose result may be lazy, with f shared so
// that copies of it are cheap. An lvalue container is lent as it is and must outlive the result,
// as with every lvalue. An rvalue one moves to the heap and the callback that body receives keeps
// it alive: every suspended step of a walk that may still read the container, or the parts inside
// it, still holds that callback, since it must call it for whatever it reads.
template <class C, class F, class Body>
decltype(auto) lend(C&& c, F f, Body&& body) {
  using Kind = std::remove_cvref_t<C>;
  if constexpr (std::is_lvalue_reference_v<C>) {
    return body(std::as_const(c), fp::detail::share(std::move(f)));
  } else {
    auto kept = std::make_shared<const Kind>(std::move(c));
    const Kind& lent = *kept;
    return body(lent, fp::detail::share(Keeping<F, Kind>{std::move(f), std::move(kept)}));
  }
}

// f with the index i of a part handed on as the index of the whole, Index(Side{i}): the Left or
// the Right of an fp::Either.
template <class Index, template <class> class Side, class F>
struct OnSide {
  F f;

  template <class I, class... Rest>
  decltype(auto) operator()(const I& i, Rest&&... rest) const {
    return std::invoke(f, Index(Side<I>{i}), std::forward<Rest>(rest)...);
  }
};

}  // namespace keyedwalk::detail
