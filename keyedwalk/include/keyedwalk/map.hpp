// The indexed capabilities of the standard maps: std::map, std::multimap and std::unordered_map,
// indexed by key.
//
//   std::map<std::string, int> stock{{"pear", 3}, {"apple", 0}, {"fig", 7}};
//   auto missing = keyedwalk::ifind([](const std::string&, int n) { return n == 0; }, stock);
//   // ("apple", 0)
//   auto labels = keyedwalk::imap(
//       [](const std::string& name, int n) { return name + "=" + std::to_string(n); }, stock);
//   // std::map{{"apple", "apple=0"}, {"fig", "fig=7"}, {"pear", "pear=3"}}
//
// The callbacks receive the key and the mapped value, and every operation visits the entries in
// the container's own order: ascending keys for std::map, ascending keys with equal keys in
// insertion order for std::multimap, the iteration order for std::unordered_map. `imap` keeps
// every key in its place and `itraverse` runs the effects in that order and rebuilds a map of the
// same kind with the same keys.
//
// The strict folds are loops over the entries: `ifoldlPrime` and `ifoldMapPrime` from the front,
// `ifoldrPrime` from the back (an std::unordered_map, which cannot walk back, gathers its entries
// first). `ifoldMap` and `ifoldr` walk from the front with the rest deferred, so they stop where
// their result is decided; `ifoldMap` gives f(k1, v1) <> (... <> f(kn, vn)), with `mempty` only
// for an empty map. `ifoldl` starts at the last entry and computes each accumulator in front of
// it only when the callback uses it. A lazy result that outlives the call reads the map it was
// given: an rvalue map is moved into the result, an lvalue one is borrowed and must outlive it.
#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/list.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/sequence.hpp"

namespace keyedwalk {

namespace detail {

// How a map kind is rebuilt with mapped values of another type.
template <class C>
struct StandardMap;

template <class K, class V, class Compare, class Alloc>
struct StandardMap<std::map<K, V, Compare, Alloc>> {
  template <class B>
  using Rebind = std::map<K, B, Compare, typename std::allocator_traits<Alloc>::template rebind_alloc<std::pair<const K, B>>>;
};
template <class K, class V, class Compare, class Alloc>
struct StandardMap<std::multimap<K, V, Compare, Alloc>> {
  template <class B>
  using Rebind = std::multimap<K, B, Compare, typename std::allocator_traits<Alloc>::template rebind_alloc<std::pair<const K, B>>>;
};
template <class K, class V, class Hash, class Equal, class Alloc>
struct StandardMap<std::unordered_map<K, V, Hash, Equal, Alloc>> {
  template <class B>
  using Rebind = std::unordered_map<K, B, Hash, Equal,
                                    typename std::allocator_traits<Alloc>::template rebind_alloc<std::pair<const K, B>>>;
};

// A map with the same keys, in the same order, and the value make(entry) for each entry, called
// in the map's order.
template <class Out, class C, class Make>
Out rebuildMap(const C& c, Make&& make) {
  Out out;
  if constexpr (requires { out.reserve(c.size()); }) out.reserve(c.size());
  for (const auto& entry : c) out.emplace_hint(out.end(), entry.first, make(entry));
  return out;
}

template <class C>
using MapPos = typename C::const_iterator;

template <class M, class F, class C>
typename M::Value ifoldMapEntries(const M& m, const F& f, const Source<C>& c, MapPos<C> at) {
  using V = typename M::Value;
  V here(std::invoke(f, at->first, at->second));
  if (++at == c->end()) return here;
  return m.append(std::move(here), [m, f, c, at] {
    return fp::ensureStack([&] { return ifoldMapEntries(m, f, c, at); });
  });
}

template <class Z, class F, class C>
Z ifoldrEntries(const F& f, const fp::detail::Boxed<Z>& z, const Source<C>& c, MapPos<C> at) {
  if (at == c->end()) return z.get();
  const auto& entry = *at;
  return Z(std::invoke(f, entry.first, entry.second,
                       fp::Deferred<Z>([f, z, c, next = std::next(at)] { return ifoldrEntries(f, z, c, next); })));
}

// f(k, acc, v) for the entry at `at`, with acc the deferred fold of the entries in front of it.
template <class Z, class F, class C>
Z ifoldlUpToEntry(const F& f, const fp::detail::Boxed<Z>& z, const Source<C>& c, MapPos<C> at) {
  fp::Deferred<Z> acc = at == c->begin()
                            ? fp::Deferred<Z>(z.get())
                            : fp::Deferred<Z>([f, z, c, at] { return ifoldlUpToEntry(f, z, c, std::prev(at)); });
  return Z(std::invoke(f, at->first, std::move(acc), at->second));
}

// Without a way back, each entry's step waits, unforced, for the step after it to use it.
template <class Z, class F, class C>
Z ifoldlChain(const F& f, Z z, const Source<C>& c) {
  fp::Deferred<Z> acc(std::move(z));
  for (auto at = c->begin(); at != c->end(); ++at)
    acc = fp::Deferred<Z>([f, prev = std::move(acc), c, at] { return Z(std::invoke(f, at->first, prev, at->second)); });
  return acc.get();
}

template <class B, class E, class F, class C>
auto itraverseEntries(const E& effect, const F& f, const Source<C>& c, MapPos<C> at)
    -> typename E::template Action<fp::List<B>> {
  if (at == c->end()) return effect.pure(fp::List<B>());
  return effect.liftA2(
      [](const B& b, auto&& rest) { return fp::List<B>::cons(b, fp::detail::restList<B>(rest)); },
      std::invoke(f, at->first, at->second), [effect, f, c, next = std::next(at)] {
        return fp::ensureStack([&] { return itraverseEntries<B>(effect, f, c, next); });
      });
}

template <class C>
inline constexpr bool walksBack = std::bidirectional_iterator<typename C::const_iterator>;

template <class C>
struct MapFunctor {
  using Functor = fp::Functor<C>;
  using Index = typename C::key_type;

  template <class F>
  static auto imap(F&& f, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const Index&, const typename C::mapped_type&>>;
    return rebuildMap<typename StandardMap<C>::template Rebind<B>>(
        c, [&](const auto& entry) { return std::invoke(f, entry.first, entry.second); });
  }
};

template <class C>
struct MapFoldable : FoldableWithIndexDefaults<C> {
  using Index = typename C::key_type;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const C& c) {
    if (c.empty()) return m.mempty();
    return ifoldMapEntries(m, fp::detail::share(std::move(f)), borrow(c), c.begin());
  }
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, C&& c) {
    if (c.empty()) return m.mempty();
    const auto owned = own(std::move(c));
    return ifoldMapEntries(m, fp::detail::share(std::move(f)), owned, owned->begin());
  }

  template <class F, class Z>
  static Z ifoldr(F f, Z z, const C& c) {
    return ifoldrEntries(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), borrow(c), c.begin());
  }
  template <class F, class Z>
  static Z ifoldr(F f, Z z, C&& c) {
    const auto owned = own(std::move(c));
    return ifoldrEntries(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), owned, owned->begin());
  }

  template <class F, class Z>
  static Z ifoldl(F f, Z z, const C& c) {
    return ifoldlFrom(std::move(f), std::move(z), borrow(c));
  }
  template <class F, class Z>
  static Z ifoldl(F f, Z z, C&& c) {
    return ifoldlFrom(std::move(f), std::move(z), own(std::move(c)));
  }

  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const C& c) {
    if constexpr (walksBack<C>) {
      for (auto at = c.rbegin(); at != c.rend(); ++at) z = Z(std::invoke(f, at->first, at->second, std::move(z)));
    } else {
      std::vector<const typename C::value_type*> entries;
      entries.reserve(c.size());
      for (const auto& entry : c) entries.push_back(&entry);
      for (auto at = entries.rbegin(); at != entries.rend(); ++at)
        z = Z(std::invoke(f, (*at)->first, (*at)->second, std::move(z)));
    }
    return z;
  }

  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const C& c) {
    for (const auto& entry : c) z = Z(std::invoke(f, entry.first, std::move(z), entry.second));
    return z;
  }

 private:
  template <class F, class Z>
  static Z ifoldlFrom(F f, Z z, const Source<C>& c) {
    if constexpr (walksBack<C>) {
      if (c->empty()) return z;
      return ifoldlUpToEntry(fp::detail::share(std::move(f)), fp::detail::Boxed<Z>(std::move(z)), c,
                             std::prev(c->end()));
    } else {
      return ifoldlChain(fp::detail::share(std::move(f)), std::move(z), c);
    }
  }
};

template <class C>
struct MapTraversable {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<C>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<C>;
  using Traversable = fp::Traversable<C>;
  using Index = typename C::key_type;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const C& c) {
    return traverse(effect, std::move(f), borrow(c));
  }
  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, C&& c) {
    return traverse(effect, std::move(f), own(std::move(c)));
  }

 private:
  // The actions are combined into one that yields the list of the new values, which becomes a
  // map with the old keys once the effect has run.
  template <class E, class F>
  static auto traverse(const E& effect, F f, const Source<C>& c) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const Index&, const typename C::mapped_type&>>;
    using Out = typename StandardMap<C>::template Rebind<B>;
    return effect.fmap(
        [c](const fp::List<B>& values) {
          auto value = values.begin();
          return rebuildMap<Out>(*c, [&](const auto&) -> B { return *value++; });
        },
        itraverseEntries<B>(effect, fp::detail::share(std::move(f)), c, c->begin()));
  }
};

}  // namespace detail

// std::map, std::multimap and std::unordered_map.
template <class C>
concept StandardMapKind = requires { sizeof(detail::StandardMap<C>); };

template <StandardMapKind C>
struct Element<C> {
  using type = typename C::mapped_type;
};

template <StandardMapKind C>
struct FunctorWithIndex<C> : detail::MapFunctor<C> {};
template <StandardMapKind C>
struct FoldableWithIndex<C> : detail::MapFoldable<C> {};
template <StandardMapKind C>
struct TraversableWithIndex<C> : detail::MapTraversable<C> {};

}  // namespace keyedwalk

namespace fp {

template <keyedwalk::StandardMapKind C>
struct Functor<C> : keyedwalk::detail::UnindexedFunctor<C> {};
template <keyedwalk::StandardMapKind C>
struct Foldable<C> : keyedwalk::detail::UnindexedFoldable<C> {};
template <keyedwalk::StandardMapKind C>
struct Traversable<C> : keyedwalk::detail::UnindexedTraversable<C> {};

}  // namespace fp
