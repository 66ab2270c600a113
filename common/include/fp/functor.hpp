// fp::Functor<C>: change every element of a container, keeping its shape.
//
//   fp::List<int> squares = fp::fmap([](int x) { return x * x; }, fp::iota(1));  // 1 4 9 ...
//
// A capability of a container kind is a class template specialised on the concrete container
// type, with its operations as static member functions, found by type at build time. This
// header gives the lists' own: a List maps on demand (reading the first k elements of the
// result calls f k times, also on an unbounded list), and so do ZipList and the tail of a
// NonEmpty.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "fp/ziplist.hpp"

namespace fp {

template <class C>
struct Functor;

template <class F, class C>
auto fmap(F&& f, const C& c) {
  return Functor<C>::fmap(std::forward<F>(f), c);
}

namespace detail {

template <class B, class F, class A>
List<B> mapList(F f, List<A> xs) {
  return List<B>::lazy([f = std::move(f), xs = std::move(xs)] {
    if (xs.empty()) return List<B>();
    return List<B>::cons(B(std::invoke(f, xs.head())), mapList<B>(f, xs.tail()));
  });
}

}  // namespace detail

template <class A>
struct Functor<List<A>> {
  template <class F>
  static auto fmap(F f, const List<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, const A&>>;
    return detail::mapList<B>(detail::share(std::move(f)), xs);
  }
  template <class B>
  static List<B> replace(B b, const List<A>& xs) {
    return fmap([b = std::move(b)](const A&) { return b; }, xs);
  }
};

template <class A>
struct Functor<ZipList<A>> {
  template <class F>
  static auto fmap(F f, const ZipList<A>& xs) {
    return ZipList(Functor<List<A>>::fmap(std::move(f), xs.list()));
  }
  template <class B>
  static ZipList<B> replace(B b, const ZipList<A>& xs) {
    return ZipList<B>(Functor<List<A>>::replace(std::move(b), xs.list()));
  }
};

template <class A>
struct Functor<NonEmpty<A>> {
  template <class F>
  static auto fmap(F f, const NonEmpty<A>& xs) {
    auto shared = detail::share(std::move(f));
    auto head = std::invoke(shared, xs.head());
    using B = decltype(head);
    return NonEmpty<B>(std::move(head), detail::mapList<B>(shared, xs.tail()));
  }
  template <class B>
  static NonEmpty<B> replace(B b, const NonEmpty<A>& xs) {
    return fmap([b = std::move(b)](const A&) { return b; }, xs);
  }
};

}  // namespace fp
