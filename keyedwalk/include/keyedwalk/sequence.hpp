// The indexed capabilities of the standard sequences: std::vector, std::deque, std::array and
// std::span, indexed by position (an std::int64_t from 0 at the front).
//
//   std::vector<std::int64_t> xs{3, 1, 4, 1, 5};
//   auto weighted = keyedwalk::ifoldlPrime(
//       [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; },
//       std::int64_t{0}, xs);                                             // 0 + 1 + 8 + 3 + 20
//   auto shifted = keyedwalk::imap([](std::int64_t i, std::int64_t x) { return x + i; }, xs);
//   // std::vector{3, 2, 6, 4, 9}, computed at once
//
// The sequences know their length, so the folds run over the storage in whichever direction
// they need, counting the index up from 0 at the front or down from n - 1 at the back:
// `ifoldlPrime` and `ifoldMapPrime` are the loop over the elements, `ifoldrPrime` the loop
// backwards, and `ifoldl` starts at the last element, computing each accumulator in front of it
// only when the callback uses it. `ifoldMap`, `ifoldr` and `itraverse` walk from the front
// with the rest deferred, so they stop where their result is decided.
//
// `imap` builds the new sequence at once (a std::span gives a std::vector); `itraverse` yields
// the same kind. A lazy result that outlives the call reads the sequence it was given: an rvalue
// sequence is moved into the result, an lvalue one is borrowed and must outlive it.
//
// The plain fp::Functor, fp::Foldable and fp::Traversable of these sequences, which the
// capabilities name as their base records, are the same operations with the index dropped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "keyedwalk/capabilities.hpp"

namespace keyedwalk {

namespace detail {

// How a sequence kind is rebuilt with elements of another type.
template <class C>
struct Sequence;

template <class A, class Alloc>
struct Sequence<std::vector<A, Alloc>> {
  template <class B>
  using Rebind = std::vector<B>;
};
template <class A, class Alloc>
struct Sequence<std::deque<A, Alloc>> {
  template <class B>
  using Rebind = std::deque<B>;
};
template <class A, std::size_t N>
struct Sequence<std::array<A, N>> {
  template <class B>
  using Rebind = std::array<B, N>;
};
template <class A, std::size_t Extent>
struct Sequence<std::span<A, Extent>> {
  template <class B>
  using Rebind = std::vector<B>;
};

// The sequence with element i replaced by make(i), for i from 0 up, called in that order.
template <class Out, class Make>
Out buildSequence(std::size_t n, Make&& make) {
  if constexpr (requires { typename std::tuple_size<Out>::type; }) {
    if constexpr (std::is_default_constructible_v<typename Out::value_type>) {
      Out out;
      for (std::size_t i = 0; i < n; ++i) out[i] = make(i);
      return out;
    } else {
      return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return Out{make(I)...};  // a braced list is evaluated from left to right
      }(std::make_index_sequence<std::tuple_size_v<Out>>());
    }
  } else {
    Out out;
    if constexpr (requires { out.reserve(n); }) out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(make(i));
    return out;
  }
}

// The sequence a lazy walk reads: shared with the caller's own when borrowed, owned when moved in.
template <class C>
using Source = std::shared_ptr<const C>;
template <class C>
Source<C> borrow(const C& c) {
  return Source<C>(Source<C>(), &c);
}
template <class C>
Source<C> own(C&& c) {
  return std::make_shared<const C>(std::move(c));
}

template <class M, class F, class C>
typename M::Value ifoldMapFrom(const M& m, const F& f, const Source<C>& c, std::size_t i) {
  using V = typename M::Value;
  if (i == c->size()) return m.mempty();
  return m.append(V(std::invoke(f, static_cast<std::int64_t>(i), (*c)[i])), [m, f, c, i] {
    return fp::ensureStack([&] { return ifoldMapFrom(m, f, c, i + 1); });
  });
}

template <class Z, class F, class C>
Z ifoldrFrom(const F& f, const fp::detail::Boxed<Z>& z, const Source<C>& c, std::size_t i) {
  if (i == c->size()) return z.get();
  return Z(std::invoke(f, static_cast<std::int64_t>(i), (*c)[i],
                       fp::Deferred<Z>([f, z, c, i] { return ifoldrFrom(f, z, c, i + 1); })));
}

// f(i, acc, x_i) with acc the deferred fold of the elements in front of position i.
template <class Z, class F, class C>
Z ifoldlUpTo(const F& f, const fp::detail::Boxed<Z>& z, const Source<C>& c, std::size_t i) {
  fp::Deferred<Z> acc = i == 0 ? fp::Deferred<Z>(z.get())
                               : fp::Deferred<Z>([f, z, c, i] { return ifoldlUpTo(f, z, c, i - 1); });
  return Z(std::invoke(f, static_cast<std::int64_t>(i), std::move(acc), (*c)[i]));
}

template <class B, class E, class F, class C>
auto itraverseFrom(const E& effect, const F& f, const Source<C>& c, std::size_t i)
    -> typename E::template Action<fp::List<B>> {
  if (i == c->size()) return effect.pure(fp::List<B>());
  return effect.liftA2(
      [](const B& b, auto&& rest) { return fp::List<B>::cons(b, fp::detail::restList<B>(rest)); },
      std::invoke(f, static_cast<std::int64_t>(i), (*c)[i]), [effect, f, c, i] {
        return fp::ensureStack([&] { return itraverseFrom<B>(effect, f, c, i + 1); });
      });
}

template <class C>
struct SequenceFunctor {
  using Functor = fp::Functor<C>;
  using Index = std::int64_t;

  template <class F>
  static auto imap(F&& f, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const typename C::value_type&>>;
    using Out = typename Sequence<C>::template Rebind<B>;
    return buildSequence<Out>(c.size(), [&](std::size_t i) -> B {
      return std::invoke(f, static_cast<std::int64_t>(i), c[i]);
    });
  }
};

template <class C>
struct SequenceFoldable {
  using Foldable = fp::Foldable<C>;
  using Index = std::int64_t;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const C& c) {
    return ifoldMapFrom(m, fp::detail::share(std::move(f)), borrow(c), 0);
  }
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, C&& c) {
    return ifoldMapFrom(m, fp::detail::share(std::move(f)), own(std::move(c)), 0);
  }

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMapPrime(const M& m, F&& f, const C& c) {
    using V = typename M::Value;
    V acc = m.mempty();
    std::int64_t i = 0;
    for (const auto& x : c) acc = V(m.append(std::move(acc), given(V(std::invoke(f, i++, x)))));
    return acc;
  }

  template <class F, class Z>
  static Z ifoldr(F f, Z z, const C& c) {
    return ifoldrFrom(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), borrow(c), 0);
  }
  template <class F, class Z>
  static Z ifoldr(F f, Z z, C&& c) {
    return ifoldrFrom(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)),
                      own(std::move(c)), 0);
  }

  template <class F, class Z>
  static Z ifoldl(F f, Z z, const C& c) {
    if (c.size() == 0) return z;
    return ifoldlUpTo(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), borrow(c),
                      c.size() - 1);
  }
  template <class F, class Z>
  static Z ifoldl(F f, Z z, C&& c) {
    if (c.size() == 0) return z;
    const std::size_t last = c.size() - 1;
    return ifoldlUpTo(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)),
                      own(std::move(c)), last);
  }

  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const C& c) {
    for (auto i = static_cast<std::int64_t>(c.size()); i-- > 0;)
      z = Z(std::invoke(f, i, c[static_cast<std::size_t>(i)], std::move(z)));
    return z;
  }

  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const C& c) {
    std::int64_t i = 0;
    for (const auto& x : c) z = Z(std::invoke(f, i++, std::move(z), x));
    return z;
  }
};

template <class C>
struct SequenceTraversable {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<C>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<C>;
  using Traversable = fp::Traversable<C>;
  using Index = std::int64_t;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const C& c) {
    return traverse(effect, std::move(f), borrow(c));
  }
  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, C&& c) {
    return traverse(effect, std::move(f), own(std::move(c)));
  }

 private:
  // The actions are combined into one that yields the list of the new elements, which becomes
  // the new sequence once the effect has run.
  template <class E, class F>
  static auto traverse(const E& effect, F f, const Source<C>& c) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, std::int64_t, const typename C::value_type&>>;
    using Out = typename Sequence<C>::template Rebind<B>;
    const std::size_t n = c->size();
    return effect.fmap(
        [n](const fp::List<B>& items) {
          auto at = items.begin();
          return buildSequence<Out>(n, [&](std::size_t) -> B { return *at++; });
        },
        itraverseFrom<B>(effect, fp::detail::share(std::move(f)), c, 0));
  }
};

// The index-free operations, for the base records: the indexed ones with the index dropped.
template <class F>
auto dropIndex(F f) {
  return [f = std::move(f)](const auto&, auto&&... args) -> decltype(auto) {
    return std::invoke(f, std::forward<decltype(args)>(args)...);
  };
}

template <class C>
struct UnindexedFunctor {
  template <class F>
  static auto fmap(F f, const C& c) {
    return FunctorWithIndex<C>::imap(dropIndex(std::move(f)), c);
  }
  template <class B>
  static auto replace(B b, const C& c) {
    return fmap([b = std::move(b)](const auto&) { return b; }, c);
  }
};

template <class C>
struct UnindexedFoldable {
  using Indexed = FoldableWithIndex<C>;
  template <class M, class F>
  static auto foldMap(const M& m, F f, const C& c) {
    return Indexed::ifoldMap(m, dropIndex(std::move(f)), c);
  }
  template <class M, class F>
  static auto foldMapPrime(const M& m, F f, const C& c) {
    return Indexed::ifoldMapPrime(m, dropIndex(std::move(f)), c);
  }
  template <class F, class Z>
  static Z foldr(F f, Z z, const C& c) {
    return Indexed::ifoldr(dropIndex(std::move(f)), std::move(z), c);
  }
  template <class F, class Z>
  static Z foldl(F f, Z z, const C& c) {
    return Indexed::ifoldl(dropIndex(std::move(f)), std::move(z), c);
  }
  template <class F, class Z>
  static Z foldrPrime(F f, Z z, const C& c) {
    return Indexed::ifoldrPrime(dropIndex(std::move(f)), std::move(z), c);
  }
  template <class F, class Z>
  static Z foldlPrime(F f, Z z, const C& c) {
    return Indexed::ifoldlPrime(dropIndex(std::move(f)), std::move(z), c);
  }
  // A kind that does not know its size looks for a first element, or counts them all.
  static bool null(const C& c) {
    if constexpr (requires { c.size(); })
      return c.size() == 0;
    else
      return Indexed::ifoldr([](const auto&, const auto&, const auto&) { return false; }, true, c);
  }
  static std::int64_t length(const C& c) {
    if constexpr (requires { c.size(); })
      return static_cast<std::int64_t>(c.size());
    else
      return Indexed::ifoldlPrime([](const auto&, std::int64_t n, const auto&) { return n + 1; }, std::int64_t{0}, c);
  }
};

template <class C>
struct UnindexedTraversable {
  template <class E, class F>
  static auto traverse(const E& effect, F f, const C& c) {
    return TraversableWithIndex<C>::itraverse(effect, dropIndex(std::move(f)), c);
  }
};

}  // namespace detail

// std::vector, std::deque, std::array and std::span.
template <class C>
concept StandardSequence = requires { sizeof(detail::Sequence<C>); };

template <StandardSequence C>
struct FunctorWithIndex<C> : detail::SequenceFunctor<C> {};
template <StandardSequence C>
struct FoldableWithIndex<C> : detail::SequenceFoldable<C> {};
template <StandardSequence C>
struct TraversableWithIndex<C> : detail::SequenceTraversable<C> {};

}  // namespace keyedwalk

namespace fp {

template <keyedwalk::StandardSequence C>
struct Functor<C> : keyedwalk::detail::UnindexedFunctor<C> {};
template <keyedwalk::StandardSequence C>
struct Foldable<C> : keyedwalk::detail::UnindexedFoldable<C> {};
template <keyedwalk::StandardSequence C>
struct Traversable<C> : keyedwalk::detail::UnindexedTraversable<C> {};

}  // namespace fp
