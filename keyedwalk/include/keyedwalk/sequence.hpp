// The indexed capabilities of the standard sequences: std::vector, std::deque, std::array,
// std::span, std::list, std::forward_list, std::basic_string, std::basic_string_view and C
// arrays, indexed by position (an std::int64_t from 0 at the front).
//
//   std::vector<std::int64_t> xs{3, 1, 4, 1, 5};
//   auto weighted = keyedwalk::ifoldlPrime(
//       [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; },
//       std::int64_t{0}, xs);                                             // 0 + 1 + 8 + 3 + 20
//   auto shifted = keyedwalk::imap([](std::int64_t i, std::int64_t x) { return x + i; }, xs);
//   // std::vector{3, 2, 6, 4, 9}, computed at once
//   auto caps = keyedwalk::imap([](std::int64_t i, char c) { return i == 0 ? char(c - 32) : c; },
//                               std::string("word"));                    // "Word"
//
// The folds run over the storage in whichever direction they need, counting the index up from 0
// at the front or down from n - 1 at the back: `ifoldlPrime` and `ifoldMapPrime` are the loop
// over the elements, `ifoldrPrime` the loop backwards, and `ifoldl` starts at the last element,
// computing each accumulator in front of it only when the callback uses it (a std::forward_list,
// which cannot be walked back, has its steps made from the front instead). `ifoldMap`, `ifoldr`
// and `itraverse` walk from the front with the rest deferred, so they stop where their result is
// decided.
//
// `imap` builds the new sequence at once: the same kind, except that a std::span or a C array
// gives a std::vector, and a string or string view a std::basic_string when the
// new elements are its characters and a std::vector otherwise; `itraverse` yields the same. A
// lazy result that outlives the call reads the sequence it was given: an rvalue sequence is moved
// into the result, an lvalue one is borrowed and must outlive it.
//
// The plain fp::Functor, fp::Foldable and fp::Traversable of these sequences, which the
// capabilities name as their base records, are the same operations with the index dropped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <forward_list>
#include <iterator>
#include <list>
#include <ranges>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "fp/unit.hpp"
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
// A C array may be large (a static one of millions of elements); what it maps to is not put on
// the stack.
template <class A, std::size_t N>
struct Sequence<A[N]> {
  template <class B>
  using Rebind = std::vector<B>;
};
template <class A, class Alloc>
struct Sequence<std::list<A, Alloc>> {
  template <class B>
  using Rebind = std::list<B>;
};
template <class A, class Alloc>
struct Sequence<std::forward_list<A, Alloc>> {
  template <class B>
  using Rebind = std::forward_list<B>;
};
// Characters stay a string of the same kind; anything else becomes a vector.
template <class Ch, class Traits, class Alloc>
struct Sequence<std::basic_string<Ch, Traits, Alloc>> {
  template <class B>
  using Rebind = std::conditional_t<std::is_same_v<B, Ch>, std::basic_string<Ch, Traits, Alloc>, std::vector<B>>;
};
template <class Ch, class Traits>
struct Sequence<std::basic_string_view<Ch, Traits>> {
  template <class B>
  using Rebind = std::conditional_t<std::is_same_v<B, Ch>, std::basic_string<Ch, Traits>, std::vector<B>>;
};

// The number of elements of a sequence, also of one that does not store it.
template <class C>
std::size_t sizeOf(const C& c) {
  if constexpr (requires { std::size(c); })
    return std::size(c);
  else
    return static_cast<std::size_t>(std::distance(std::begin(c), std::end(c)));
}

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
  } else if constexpr (requires(Out out) { out.insert_after(out.before_begin(), make(0)); }) {
    Out out;
    auto last = out.before_begin();
    for (std::size_t i = 0; i < n; ++i) last = out.insert_after(last, make(i));
    return out;
  } else {
    Out out;
    if constexpr (requires { out.reserve(n); }) out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(make(i));
    return out;
  }
}

// The sequence a lazy walk reads: shared with the caller's own when borrowed, owned when moved in.
// A C array is read as a std::span of it, or as the std::array it is moved into.
template <class C>
using Source = std::shared_ptr<const C>;
template <class C>
auto borrow(const C& c) {
  if constexpr (std::is_array_v<C>)
    return std::make_shared<const std::span<const ElementOf<C>, std::extent_v<C>>>(c);
  else
    return Source<C>(Source<C>(), &c);
}
template <class C>
auto own(C&& c) {
  if constexpr (std::is_array_v<C>) {
    auto copy = std::make_shared<std::array<ElementOf<C>, std::extent_v<C>>>();
    std::move(std::begin(c), std::end(c), copy->begin());
    return Source<std::array<ElementOf<C>, std::extent_v<C>>>(std::move(copy));
  } else {
    return std::make_shared<const C>(std::move(c));
  }
}

template <class C>
using Position = decltype(std::begin(std::declval<const C&>()));

// The walks from the element at `at`, whose index is i, to the end.

template <class M, class F, class C>
typename M::Value ifoldMapFrom(const M& m, const F& f, const Source<C>& c, Position<C> at, std::int64_t i) {
  using V = typename M::Value;
  if (at == std::end(*c)) return m.mempty();
  return m.append(V(std::invoke(f, i, *at)), [m, f, c, next = std::next(at), i] {
    return fp::ensureStack([&] { return ifoldMapFrom(m, f, c, next, i + 1); });
  });
}

template <class Z, class F, class C>
Z ifoldrFrom(const F& f, const fp::detail::Boxed<Z>& z, const Source<C>& c, Position<C> at, std::int64_t i) {
  if (at == std::end(*c)) return z.get();
  return Z(std::invoke(f, i, *at,
                       fp::Deferred<Z>([f, z, c, next = std::next(at), i] { return ifoldrFrom(f, z, c, next, i + 1); })));
}

// f(i, acc, x_i) for the element at `at`, with acc the deferred fold of the elements in front of
// it, reached by walking back.
template <class Z, class F, class C>
Z ifoldlUpTo(const F& f, const fp::detail::Boxed<Z>& z, const Source<C>& c, Position<C> at, std::int64_t i) {
  fp::Deferred<Z> acc = i == 0 ? fp::Deferred<Z>(z.get())
                               : fp::Deferred<Z>([f, z, c, at, i] { return ifoldlUpTo(f, z, c, std::prev(at), i - 1); });
  return Z(std::invoke(f, i, std::move(acc), *at));
}

// The deferred left fold of a sequence that cannot be walked back: the steps are made from the
// front, each waiting, unforced, until the step after it uses it.
template <class Z, class F, class C>
Z ifoldlForward(const F& f, Z z, const Source<C>& c) {
  fp::Deferred<Z> acc(std::move(z));
  std::int64_t i = 0;
  for (const auto& x : *c)
    acc = fp::Deferred<Z>([f, prev = std::move(acc), c, at = &x, k = i++] { return Z(std::invoke(f, k, prev, *at)); });
  return acc.get();
}

template <class B, class E, class F, class C>
auto itraverseFrom(const E& effect, const F& f, const Source<C>& c, Position<C> at, std::int64_t i)
    -> typename E::template Action<fp::List<B>> {
  if (at == std::end(*c)) return effect.pure(fp::List<B>());
  return effect.liftA2(
      [](const B& b, auto&& rest) { return fp::List<B>::cons(b, fp::detail::restList<B>(rest)); },
      std::invoke(f, i, *at), [effect, f, c, next = std::next(at), i] {
        return fp::ensureStack([&] { return itraverseFrom<B>(effect, f, c, next, i + 1); });
      });
}

template <class C>
struct SequenceFunctor {
  using Functor = fp::Functor<C>;
  using Index = std::int64_t;

  template <class F>
  static auto imap(F&& f, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const ElementOf<C>&>>;
    using Out = typename Sequence<C>::template Rebind<B>;
    auto at = std::begin(c);
    return buildSequence<Out>(sizeOf(c), [&](std::size_t i) -> B {
      return std::invoke(f, static_cast<std::int64_t>(i), *at++);
    });
  }
};

template <class C>
struct SequenceFoldable {
  using Foldable = fp::Foldable<C>;
  using Index = std::int64_t;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const C& c) {
    const auto read = borrow(c);
    return ifoldMapFrom(m, fp::detail::share(std::move(f)), read, std::begin(*read), 0);
  }
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, C&& c) {
    const auto read = own(std::move(c));
    return ifoldMapFrom(m, fp::detail::share(std::move(f)), read, std::begin(*read), 0);
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
    const auto read = borrow(c);
    return ifoldrFrom(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), read, std::begin(*read), 0);
  }
  template <class F, class Z>
  static Z ifoldr(F f, Z z, C&& c) {
    const auto read = own(std::move(c));
    return ifoldrFrom(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), read, std::begin(*read), 0);
  }

  template <class F, class Z>
  static Z ifoldl(F f, Z z, const C& c) {
    return foldl(fp::detail::share(std::move(f)), std::move(z), borrow(c));
  }
  template <class F, class Z>
  static Z ifoldl(F f, Z z, C&& c) {
    return foldl(fp::detail::share(std::move(f)), std::move(z), own(std::move(c)));
  }

  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const C& c) {
    if constexpr (std::ranges::bidirectional_range<const C&>) {
      auto i = static_cast<std::int64_t>(sizeOf(c));
      for (auto at = std::end(c); at != std::begin(c);) z = Z(std::invoke(f, --i, *--at, std::move(z)));
    } else {
      std::vector<const ElementOf<C>*> all;
      for (const auto& x : c) all.push_back(&x);
      for (auto i = static_cast<std::int64_t>(all.size()); i-- > 0;)
        z = Z(std::invoke(f, i, *all[static_cast<std::size_t>(i)], std::move(z)));
    }
    return z;
  }

  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const C& c) {
    std::int64_t i = 0;
    for (const auto& x : c) z = Z(std::invoke(f, i++, std::move(z), x));
    return z;
  }

 private:
  // From the last element back, where the sequence can be walked back; else from the front.
  template <class F, class Z, class Read>
  static Z foldl(const F& f, Z z, const Source<Read>& c) {
    if constexpr (std::ranges::bidirectional_range<const Read&>) {
      const std::size_t n = sizeOf(*c);
      if (n == 0) return z;
      return ifoldlUpTo(f, fp::detail::Boxed<Z>(std::move(z)), c, std::prev(std::end(*c)),
                        static_cast<std::int64_t>(n - 1));
    } else {
      return ifoldlForward(f, std::move(z), c);
    }
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
  // the new sequence once the effect has run. A strict effect, whose bind goes on at once or
  // never, is run as a loop instead: the same calls of f in the same order, up to the first
  // action that does not go on, and no deferred value per element.
  template <class E, class F, class Read>
  static auto traverse(const E& effect, F f, const Source<Read>& c) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, std::int64_t, const ElementOf<C>&>>;
    using Out = typename Sequence<C>::template Rebind<B>;
    const std::size_t n = sizeOf(*c);
    if constexpr (fp::StrictMonad<E>) {
      std::vector<B> items;
      items.reserve(n);
      auto status = effect.ret(fp::unit);
      bool wentOn = true;
      std::int64_t i = 0;
      for (auto at = std::begin(*c); wentOn && at != std::end(*c); ++at) {
        wentOn = false;
        status = effect.bind(std::invoke(f, i++, *at), [&](const B& b) {
          wentOn = true;
          items.push_back(b);
          return effect.ret(fp::unit);
        });
      }
      return effect.bind(status, [&](const fp::Unit&) {
        auto at = std::make_move_iterator(items.begin());
        return effect.ret(buildSequence<Out>(items.size(), [&](std::size_t) -> B { return *at++; }));
      });
    } else {
      return effect.fmap(
          [n](const fp::List<B>& items) {
            auto at = items.begin();
            return buildSequence<Out>(n, [&](std::size_t) -> B { return *at++; });
          },
          itraverseFrom<B>(effect, fp::detail::share(std::move(f)), c, std::begin(*c), 0));
    }
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
    if constexpr (requires { std::size(c); })
      return std::size(c) == 0;
    else
      return Indexed::ifoldr([](const auto&, const auto&, const auto&) { return false; }, true, c);
  }
  static std::int64_t length(const C& c) {
    if constexpr (requires { std::size(c); })
      return static_cast<std::int64_t>(std::size(c));
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

// imapAccumL (fromBack false) and imapAccumR (true) over a sequence. The state effect's
// traversal rebuilds a sequence at once, reading every new element, and each element's
// transition needs the accumulator its neighbour passes on: so every f(i, acc, x) runs at the
// call, from the front or from the back, one after the other. A loop makes the same calls in the
// same order and gives the same results, without a deferred value per element.
template <bool fromBack, class F, class S, class C>
auto accumulateSequence(F& f, S s, const C& c) {
  const auto step = [&f](std::int64_t i, const S& acc, const ElementOf<C>& x) {
    auto [next, y] = std::invoke(f, i, acc, x);
    return std::pair(std::move(y), S(std::move(next)));
  };
  using B = typename std::invoke_result_t<decltype(step)&, std::int64_t, const S&, const ElementOf<C>&>::first_type;
  using Out = typename Sequence<C>::template Rebind<B>;
  const std::size_t n = sizeOf(c);
  S acc = std::move(s);
  const auto apply = [&](std::int64_t i, const ElementOf<C>& x) {
    auto [y, next] = step(i, acc, x);
    acc = std::move(next);
    return std::move(y);
  };
  Out out = [&] {
    if constexpr (!fromBack) {
      auto at = std::begin(c);
      return buildSequence<Out>(n, [&](std::size_t i) -> B { return apply(static_cast<std::int64_t>(i), *at++); });
    } else {
      std::vector<Position<C>> positions;  // a std::forward_list cannot be walked back
      positions.reserve(n);
      for (auto at = std::begin(c); at != std::end(c); ++at) positions.push_back(at);
      std::vector<B> backwards;
      backwards.reserve(n);
      for (std::size_t i = n; i-- > 0;) backwards.push_back(apply(static_cast<std::int64_t>(i), *positions[i]));
      return buildSequence<Out>(n, [&](std::size_t i) -> B { return std::move(backwards[n - 1 - i]); });
    }
  }();
  return std::pair<fp::Deferred<S>, Out>(fp::Deferred<S>(std::move(acc)), std::move(out));
}

}  // namespace detail

template <class A, std::size_t N>
struct Element<A[N]> {
  using type = A;
};

// std::vector, std::deque, std::array, std::span, std::list, std::forward_list, std::basic_string,
// std::basic_string_view and C arrays.
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
