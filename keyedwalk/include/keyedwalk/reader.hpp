// keyedwalk::ReaderT: a function from an environment to a container, indexed by the pair
// (environment, index in the container).
//
//   keyedwalk::ReaderT greet{[](const std::string& name) { return fp::List<std::string>{"hi", name}; }};
//   auto tagged = keyedwalk::imap(
//       [](const std::pair<std::string, std::int64_t>& at, const std::string& word) {
//         return at.first + "#" + std::to_string(at.second) + ":" + word;
//       },
//       greet);
//   tagged.run("ann");                                      // "ann#0:hi", "ann#1:ann"
//
// imap(f, reader) is the reader that, given an environment e, runs the wrapped function on e and
// maps the container it returns with that container's own imap, handing f the pair (e, i). The
// same environment reaches the wrapped function and every index. Only the FunctorWithIndex
// record is given: a reader is mapped, not folded. Its plain fp::Functor is the same map with
// the index dropped.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/detail/boxed.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/sequence.hpp"

namespace keyedwalk {

template <class Env, class C>
struct ReaderT {
  std::function<C(const Env&)> run;
};

namespace detail {
// The environment and container types of a callable taking one argument.
template <class Function>
struct ReaderParts;
template <class C, class Arg>
struct ReaderParts<std::function<C(Arg)>> {
  using Env = std::remove_cvref_t<Arg>;
  using Container = C;
};
template <class F>
using ReaderPartsOf = ReaderParts<decltype(std::function(std::declval<F>()))>;
}  // namespace detail

template <class F>
ReaderT(F) -> ReaderT<typename detail::ReaderPartsOf<F>::Env, typename detail::ReaderPartsOf<F>::Container>;

namespace detail {

// f with the index i of the inner container handed on as (environment, i).
template <class Env, class F>
struct WithEnvironment {
  Env env;
  F f;

  template <class I, class X>
  decltype(auto) operator()(const I& i, X&& x) const {
    return std::invoke(f, std::pair<Env, I>(env, i), std::forward<X>(x));
  }
};

}  // namespace detail

template <class Env, class C>
struct FunctorWithIndex<ReaderT<Env, C>> {
  using Functor = fp::Functor<ReaderT<Env, C>>;
  using Index = std::pair<Env, typename FunctorWithIndex<C>::Index>;

  template <class F>
  static auto imap(F f, const ReaderT<Env, C>& reader) {
    using Shared = decltype(fp::detail::share(std::move(f)));
    using Mapped = decltype(FunctorWithIndex<C>::imap(std::declval<detail::WithEnvironment<Env, Shared>>(),
                                                      std::declval<C>()));
    return ReaderT<Env, Mapped>{[f = fp::detail::share(std::move(f)), run = reader.run](const Env& env) {
      return FunctorWithIndex<C>::imap(detail::WithEnvironment<Env, Shared>{env, f}, run(env));
    }};
  }
};

}  // namespace keyedwalk

namespace fp {

template <class Env, class C>
struct Functor<keyedwalk::ReaderT<Env, C>> : keyedwalk::detail::UnindexedFunctor<keyedwalk::ReaderT<Env, C>> {};

}  // namespace fp
