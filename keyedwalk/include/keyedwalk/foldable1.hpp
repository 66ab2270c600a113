// Folding a container that is never empty, with indices and without a start value.
//
//   fp::NonEmpty<int> xs(4, fp::List<int>{9, 2});
//   auto [at, smallest] = keyedwalk::ifoldlMap1Prime(
//       [](std::int64_t i, int x) { return std::pair(i, x); },
//       [](std::int64_t i, std::pair<std::int64_t, int> best, int x) {
//         return x < best.second ? std::pair(i, x) : best;
//       },
//       xs);                                                            // (2, 2)
//   bool climbs = keyedwalk::ifoldMap1(fp::AnyMonoid{},
//                                      [](std::int64_t i, int x) { return x > 4 + i; }, xs);
//   // true, decided at position 1 without looking further
//
// `Foldable1WithIndex<C>` names its base records (`Foldable1`, `FoldableWithIndex`), its
// `Index`, then six operations:
//
//   ifoldMap1(s, f, c)           f(i0, x0) <> (f(i1, x1) <> ... f(in, xn)), s a semigroup,
//                                each right operand computed only when `append` uses it
//   ifoldMap1Prime(s, f, c)      ((f(i0, x0) <> f(i1, x1)) <> ...), each partial result computed
//   ifoldrMap1(f, g, c)          g(i0, x0, g(i1, x1, ... f(in, xn))), g's accumulator deferred
//   ifoldlMap1Prime(f, g, c)     g(in, ... g(i1, f(i0, x0), x1) ..., xn), a loop from the front
//   ifoldlMap1(f, g, c)          the same value, each accumulator deferred until g uses it
//   ifoldrMap1Prime(f, g, c)     the value of ifoldrMap1, computed from the back, strictly
//
// f maps the element at the end where the fold starts; g combines an element with the fold of
// the others, the accumulator standing on that side too: after the element in the right folds,
// before it in the left ones. A provider that inherits `Foldable1WithIndexDefaults<C>` gives
// `ifoldMap1` or `ifoldrMap1`, either one, and gets the rest: the lazy folds through the
// semigroup of `FromMaybe`, the strict ones as loops that carry an `SMaybe`.
//
// fp::NonEmpty is the provider here: the head at position 0, the tail from 1.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/foldable1.hpp"
#include "fp/list.hpp"
#include "fp/monoid.hpp"
#include "fp/nonempty.hpp"
#include "fp/stack.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/list.hpp"

namespace keyedwalk {

template <class C>
struct Foldable1WithIndex;

template <class C>
concept IndexedFoldable1 = requires { typename Foldable1WithIndex<std::remove_cvref_t<C>>::Index; };

// A function from an optional B, whose value is computed when first used, to a B.
template <class B>
struct FromMaybe {
  using Argument = std::optional<fp::Deferred<B>>;
  std::function<B(const Argument&)> appFromMaybe;
};

// FromMaybe under p <> q = m ↦ p(just q(m)): q gets the argument, p gets q's result as a
// present value, computed only if p uses it. `q` itself is computed at most once, on first use.
// A combination of any length applies in bounded stack (see fp::Composed).
template <class B>
struct FromMaybeSemigroup : fp::SemigroupDefaults<FromMaybeSemigroup<B>> {
  using Value = FromMaybe<B>;
  using Argument = typename Value::Argument;
  struct Just {
    Argument operator()(fp::Deferred<B> y) const { return Argument(std::move(y)); }
  };
  using Composition = fp::Composed<B, const Argument&, Just>;
  using Function = typename Composition::Function;

  template <class Rhs>
  static Value append(Value p, Rhs&& q) {
    return {Composition{std::move(p.appFromMaybe), fp::Deferred<Function>([q = std::forward<Rhs>(q)]() mutable {
                          return Function(Value(std::invoke(q)).appFromMaybe);
                        })}};
  }
};

// A strict optional value: SNothing, or SJust of a value that is computed when the SJust is made.
struct SNothingT {
  explicit constexpr SNothingT() = default;
};
inline constexpr SNothingT SNothing{};

template <class B>
class SMaybe {
 public:
  SMaybe(SNothingT) noexcept {}
  explicit SMaybe(B value) : value_(std::move(value)) {}

  bool isJust() const noexcept { return value_.has_value(); }
  explicit operator bool() const noexcept { return isJust(); }
  // The value of an SJust.
  const B& operator*() const& { return *value_; }
  B&& operator*() && { return std::move(*value_); }

 private:
  std::optional<B> value_;
};

// SJust v; a deferred v is computed now.
template <class X>
auto SJust(X&& value) {
  using V = std::remove_cvref_t<X>;
  if constexpr (fp::isDeferred<V>)
    return SMaybe<typename V::value_type>(value.get());
  else
    return SMaybe<V>(std::forward<X>(value));
}

namespace detail {

// The (index, element) pairs of a non-empty container, front to back, produced through its
// ifoldrMap1 as a loop reads them.
template <class Self, class C>
auto entries1(const C& c) {
  using Entry = std::pair<typename Self::Index, ElementOf<C>>;
  using Entries = fp::List<Entry>;
  return Self::ifoldrMap1([](const auto& i, const auto& x) { return Entries{Entry(i, x)}; },
                          [](const auto& i, const auto& x, fp::Deferred<Entries> rest) {
                            return Entries::cons(Entry(i, x), std::move(rest));
                          },
                          c);
}

// One step of a strict fold: the first element is mapped, f(i, x); every later one is combined
// with the accumulator y of those before it, combine(i, y, x), which hands g its arguments in
// g's order.
template <class B, class F, class Combine, class I, class X>
SMaybe<B> step1(F& f, const Combine& combine, const I& i, const X& x, SMaybe<B>&& s) {
  if (s) return SJust(B(combine(i, *std::move(s), x)));
  return SJust(B(std::invoke(f, i, x)));
}

}  // namespace detail

template <class C, class Self = Foldable1WithIndex<C>>
struct Foldable1WithIndexDefaults {
  using Foldable1 = fp::Foldable1<C>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<C>;

  // ifoldrMap1 with g(i, x, rest) = f(i, x) <> rest.
  template <fp::Semigroup S, class F>
  static typename S::Value ifoldMap1(const S& s, F f, const C& c) {
    using V = typename S::Value;
    auto shared = fp::detail::share(std::move(f));
    return Self::ifoldrMap1([shared](const auto& i, const auto& x) { return V(shared(i, x)); },
                            [s, shared](const auto& i, const auto& x, fp::Deferred<V> rest) {
                              return V(s.append(V(shared(i, x)), std::move(rest)));
                            },
                            c);
  }

  // ifoldlMap1Prime with g(i, acc, x) = acc <> f(i, x).
  template <fp::Semigroup S, class F>
  static typename S::Value ifoldMap1Prime(const S& s, F&& f, const C& c) {
    using V = typename S::Value;
    return Self::ifoldlMap1Prime([&](const auto& i, const auto& x) { return V(std::invoke(f, i, x)); },
                                 [&](const auto& i, V acc, const auto& x) {
                                   return V(s.append(std::move(acc), detail::given(V(std::invoke(f, i, x)))));
                                 },
                                 c);
  }

  // Through ifoldMap1 with FromMaybe: each element contributes m ↦ f(i, x) when m is empty and
  // g(i, x, y) when m holds y. The combined function, applied to nothing, hands the last
  // element nothing and every other one the deferred fold of the elements to its right.
  template <class F, class G>
  static auto ifoldrMap1(F f, G g, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const typename Self::Index&, const ElementOf<C>&>>;
    const auto combined = Self::ifoldMap1(FromMaybeSemigroup<B>{}, contribution<B>(std::move(f), std::move(g), Right{}), c);
    return combined.appFromMaybe(std::nullopt);
  }

  // Through ifoldMap1 with the dual of FromMaybe: the first element receives nothing and every
  // later one the deferred fold of the elements to its left.
  template <class F, class G>
  static auto ifoldlMap1(F f, G g, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const typename Self::Index&, const ElementOf<C>&>>;
    const auto combined =
        Self::ifoldMap1(fp::Dual<FromMaybeSemigroup<B>>{}, contribution<B>(std::move(f), std::move(g), Left{}), c);
    return combined.appFromMaybe(std::nullopt);
  }

  // The first element is mapped with f, then each accumulator is computed before the next
  // element is looked at.
  template <class F, class G>
  static auto ifoldlMap1Prime(F&& f, G&& g, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const typename Self::Index&, const ElementOf<C>&>>;
    const auto combine = [&](const auto& i, B&& acc, const auto& x) { return std::invoke(g, i, std::move(acc), x); };
    SMaybe<B> acc = SNothing;
    for (const auto& [i, x] : fp::consume(detail::entries1<Self>(c))) acc = detail::step1(f, combine, i, x, std::move(acc));
    return *std::move(acc);
  }

  // The entries are gathered, then the last one is mapped with f and each earlier one combined
  // with the computed result of those after it.
  template <class F, class G>
  static auto ifoldrMap1Prime(F&& f, G&& g, const C& c) {
    using B = std::decay_t<std::invoke_result_t<F&, const typename Self::Index&, const ElementOf<C>&>>;
    std::vector<typename decltype(detail::entries1<Self>(c))::value_type> all;
    for (const auto& entry : fp::consume(detail::entries1<Self>(c))) all.push_back(entry);
    const auto combine = [&](const auto& i, B&& acc, const auto& x) { return std::invoke(g, i, x, std::move(acc)); };
    SMaybe<B> acc = SNothing;
    for (auto it = all.rbegin(); it != all.rend(); ++it) acc = detail::step1(f, combine, it->first, it->second, std::move(acc));
    return *std::move(acc);
  }

 private:
  struct Right {};
  struct Left {};

  // An element's FromMaybe: f(i, x) on nothing, g with the present accumulator on its side.
  template <class B, class F, class G, class Side>
  static auto contribution(F f, G g, Side) {
    return [f = fp::detail::share(std::move(f)), g = fp::detail::share(std::move(g))](const auto& i, const auto& x) {
      return FromMaybe<B>{[f, g, i, x = std::decay_t<decltype(x)>(x)](const typename FromMaybe<B>::Argument& m) {
        if (!m) return B(f(i, x));
        if constexpr (std::same_as<Side, Right>)
          return B(g(i, x, *m));
        else
          return B(g(i, *m, x));
      }};
    };
  }
};

// fp::NonEmpty: the head at 0, then the tail's elements from 1, every operation its own.

namespace detail {

template <class S, class F, class A>
typename S::Value ifoldMap1From(const S& s, const F& f, std::int64_t i, typename S::Value y, const fp::List<A>& rest) {
  using V = typename S::Value;
  if (rest.empty()) return y;
  return s.append(std::move(y), [s, f, i, rest] {
    return fp::ensureStack([&] { return ifoldMap1From(s, f, i + 1, V(f(i, rest.head())), rest.tail()); });
  });
}

template <class B, class F, class G, class A>
B ifoldrMap1From(const F& f, const G& g, std::int64_t i, const A& x, const fp::List<A>& rest) {
  if (rest.empty()) return B(f(i, x));
  return B(g(i, x, fp::Deferred<B>([f, g, i, rest] { return ifoldrMap1From<B>(f, g, i + 1, rest.head(), rest.tail()); })));
}

}  // namespace detail

template <class A>
struct Foldable1WithIndex<fp::NonEmpty<A>> : Foldable1WithIndexDefaults<fp::NonEmpty<A>> {
  using Index = std::int64_t;

  template <fp::Semigroup S, class F>
  static typename S::Value ifoldMap1(const S& s, F f, const fp::NonEmpty<A>& xs) {
    using V = typename S::Value;
    auto shared = fp::detail::share(std::move(f));
    V first(shared(std::int64_t{0}, xs.head()));
    return detail::ifoldMap1From(s, shared, 1, std::move(first), xs.tail());
  }

  template <fp::Semigroup S, class F>
  static typename S::Value ifoldMap1Prime(const S& s, F&& f, const fp::NonEmpty<A>& xs) {
    using V = typename S::Value;
    const auto step = [&](std::int64_t i, V acc, const A& x) {
      return V(s.append(std::move(acc), detail::given(V(std::invoke(f, i, x)))));
    };
    return ifoldlPrimeListOff(1, step, V(std::invoke(f, std::int64_t{0}, xs.head())), xs.tail());
  }

  template <class F, class G>
  static auto ifoldrMap1(F f, G g, const fp::NonEmpty<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const A&>>;
    return detail::ifoldrMap1From<B>(fp::detail::share(std::move(f)), fp::detail::share(std::move(g)), 0,
                                     xs.head(), xs.tail());
  }

  template <class F, class G>
  static auto ifoldlMap1Prime(F&& f, G&& g, const fp::NonEmpty<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const A&>>;
    return ifoldlPrimeListOff(1, std::forward<G>(g), B(std::invoke(f, std::int64_t{0}, xs.head())), xs.tail());
  }

  // The head's accumulator is f(0, head), computed when the step after it uses it.
  template <class F, class G>
  static auto ifoldlMap1(F f, G g, const fp::NonEmpty<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const A&>>;
    fp::Deferred<B> first([f = std::move(f), head = xs.head()] { return B(f(std::int64_t{0}, head)); });
    return detail::ifoldlListOff(1, std::move(g), std::move(first), xs.tail());
  }

  // The tail's runs are gathered, then walked from the last element back: the last is mapped
  // with f, each earlier one combined with the computed result of those after it.
  template <class F, class G>
  static auto ifoldrMap1Prime(F&& f, G&& g, const fp::NonEmpty<A>& xs) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const A&>>;
    std::vector<std::span<const A>> runs;
    std::int64_t i = 1;
    for (std::span<const A> run : xs.tail().runs()) {
      runs.push_back(run);
      i += static_cast<std::int64_t>(run.size());
    }
    const auto combine = [&](std::int64_t at, B&& acc, const A& x) { return std::invoke(g, at, x, std::move(acc)); };
    SMaybe<B> acc = SNothing;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
      for (auto x = run->rbegin(); x != run->rend(); ++x) acc = detail::step1(f, combine, --i, *x, std::move(acc));
    return *detail::step1(f, combine, std::int64_t{0}, xs.head(), std::move(acc));
  }
};

// The free functions, dispatching on the container's type.

template <fp::Semigroup S, class F, IndexedFoldable1 C>
auto ifoldMap1(const S& s, F&& f, C&& c) {
  return Foldable1WithIndex<std::remove_cvref_t<C>>::ifoldMap1(s, std::forward<F>(f), std::forward<C>(c));
}

template <fp::Semigroup S, class F, IndexedFoldable1 C>
auto ifoldMap1Prime(const S& s, F&& f, C&& c) {
  return Foldable1WithIndex<std::remove_cvref_t<C>>::ifoldMap1Prime(s, std::forward<F>(f), std::forward<C>(c));
}

template <class F, class G, IndexedFoldable1 C>
auto ifoldrMap1(F&& f, G&& g, C&& c) {
  return Foldable1WithIndex<std::remove_cvref_t<C>>::ifoldrMap1(std::forward<F>(f), std::forward<G>(g),
                                                                std::forward<C>(c));
}

template <class F, class G, IndexedFoldable1 C>
auto ifoldlMap1(F&& f, G&& g, C&& c) {
  return Foldable1WithIndex<std::remove_cvref_t<C>>::ifoldlMap1(std::forward<F>(f), std::forward<G>(g),
                                                                std::forward<C>(c));
}

template <class F, class G, IndexedFoldable1 C>
auto ifoldrMap1Prime(F&& f, G&& g, C&& c) {
  return Foldable1WithIndex<std::remove_cvref_t<C>>::ifoldrMap1Prime(std::forward<F>(f), std::forward<G>(g),
                                                                     std::forward<C>(c));
}

template <class F, class G, IndexedFoldable1 C>
auto ifoldlMap1Prime(F&& f, G&& g, C&& c) {
  return Foldable1WithIndex<std::remove_cvref_t<C>>::ifoldlMap1Prime(std::forward<F>(f), std::forward<G>(g),
                                                                     std::forward<C>(c));
}

}  // namespace keyedwalk
