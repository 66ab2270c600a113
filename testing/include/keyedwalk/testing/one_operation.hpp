// Kinds of a caller's own that write one operation and take every other from the defaults, for
// the tests and benchmarks of the defaults' paths.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "fp/nonempty.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/foldable1.hpp"

namespace keyedwalk::testing {

// Writes nothing but ifoldMap, over a vector.
struct OnlyFoldMap {
  using value_type = std::int64_t;
  std::vector<std::int64_t> items;
};

// A non-empty kind that writes nothing but ifoldMap1, over a NonEmpty.
struct OnlyFoldMap1 {
  using value_type = std::int64_t;
  fp::NonEmpty<std::int64_t> items;
};

}  // namespace keyedwalk::testing

template <>
struct keyedwalk::FoldableWithIndex<keyedwalk::testing::OnlyFoldMap>
    : keyedwalk::FoldableWithIndexDefaults<keyedwalk::testing::OnlyFoldMap> {
  using Index = std::int64_t;
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&& f, const keyedwalk::testing::OnlyFoldMap& c) {
    return keyedwalk::ifoldMap(m, std::forward<F>(f), c.items);
  }
};

template <>
struct keyedwalk::Foldable1WithIndex<keyedwalk::testing::OnlyFoldMap1>
    : keyedwalk::Foldable1WithIndexDefaults<keyedwalk::testing::OnlyFoldMap1> {
  using Index = std::int64_t;
  template <fp::Semigroup S, class F>
  static typename S::Value ifoldMap1(const S& s, F&& f, const keyedwalk::testing::OnlyFoldMap1& c) {
    return keyedwalk::ifoldMap1(s, std::forward<F>(f), c.items);
  }
};
