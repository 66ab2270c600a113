// fp::Deferred<T>: a value computed at most once, on first use, and never if nothing uses it.
//
//   int calls = 0;
//   fp::Deferred<int> answer = fp::defer([&] { ++calls; return 6 * 7; });
//   fp::Deferred<int> copy = answer;   // shares the one computation
//   int a = answer;                    // runs it: calls == 1
//   int b = copy();                    // already known: calls is still 1
//
// A `Deferred` made from a plain value holds it inline and allocates nothing, so strict code
// that passes ready values where a deferred one is expected pays nothing for it. One made from
// a computation shares a heap cell among its copies; the computation is destroyed as soon as it
// has run. Forcing is thread-safe: concurrent first uses run the computation once and the other
// threads wait for its result. If the computation throws, the exception reaches the reader and
// the cell stays unforced, so the next reader runs it again.
#pragma once

#include <concepts>
#include <functional>
#include <ios>
#include <type_traits>
#include <utility>
#include <variant>

#include "fp/detail/memo.hpp"

namespace fp {

template <class T>
class Deferred {
 public:
  using value_type = T;

  // A value that is already known.
  Deferred(T value) : rep_(std::in_place_index<0>, std::move(value)) {}

  // A value that `compute()` gives when it is first needed.
  template <class F>
    requires(!std::is_convertible_v<F, T> && !std::same_as<std::remove_cvref_t<F>, Deferred> &&
             std::is_invocable_r_v<T, std::decay_t<F>&>)
  explicit Deferred(F&& compute)
      : rep_(std::in_place_index<1>,
             detail::makeRef<detail::MemoOf<T, std::decay_t<F>>>(std::forward<F>(compute))) {}

  const T& get() const {
    if (const T* value = std::get_if<0>(&rep_)) return *value;
    return std::get<1>(rep_)->get();
  }
  const T& operator()() const { return get(); }
  operator const T&() const { return get(); }

  // Whether the value is known already, without computing it.
  bool ready() const noexcept { return rep_.index() == 0 || std::get<1>(rep_)->ready(); }

 private:
  std::variant<T, detail::Ref<detail::Memo<T>>> rep_;
};

// A deferred value computed by `compute()`, with its type deduced.
template <class F>
auto defer(F&& compute) {
  return Deferred<std::decay_t<std::invoke_result_t<std::decay_t<F>&>>>(std::forward<F>(compute));
}

template <class T>
inline constexpr bool isDeferred = false;
template <class T>
inline constexpr bool isDeferred<Deferred<T>> = true;

namespace detail {
template <class X>
const auto& valueOf(const X& x) {
  if constexpr (isDeferred<X>) {
    return x.get();
  } else {
    return x;
  }
}
template <class A, class B>
concept EitherDeferred = isDeferred<A> || isDeferred<B>;
}  // namespace detail

// A deferred value in an expression reads as its value: `total + "!"`, `count * 2`, `n == 3`,
// `out << total`. The conversion to `const T&` does that for the operators that are plain
// functions; these also reach the ones that are templates, such as std::string's `+` and `<<`,
// which a conversion does not.
#define FP_DEFERRED_OPERATOR(op)                                                         \
  template <class A, class B>                                                            \
    requires detail::EitherDeferred<A, B> &&                                             \
             requires(const A& a, const B& b) { detail::valueOf(a) op detail::valueOf(b); } \
  decltype(auto) operator op(const A& a, const B& b) {                                   \
    return detail::valueOf(a) op detail::valueOf(b);                                     \
  }
FP_DEFERRED_OPERATOR(+)
FP_DEFERRED_OPERATOR(-)
FP_DEFERRED_OPERATOR(*)
FP_DEFERRED_OPERATOR(/)
FP_DEFERRED_OPERATOR(%)
FP_DEFERRED_OPERATOR(==)
FP_DEFERRED_OPERATOR(<)
FP_DEFERRED_OPERATOR(<=)
FP_DEFERRED_OPERATOR(>)
FP_DEFERRED_OPERATOR(>=)
#undef FP_DEFERRED_OPERATOR

template <class Out, class T>
  requires std::derived_from<Out, std::ios_base> && requires(Out& out, const T& x) { out << x; }
Out& operator<<(Out& out, const Deferred<T>& x) {
  out << x.get();
  return out;
}

}  // namespace fp
