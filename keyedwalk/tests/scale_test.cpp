// Every provider crossed with every family of operations at a million elements (10,000 under the
// sanitizers), on the main thread and on a thread with a 256 KiB stack: no crash, and the right
// result. Each row builds a container whose elements, in visiting order, are 0, 1, ..., n - 1,
// and every check compares an order-sensitive fingerprint of what an operation saw with the one
// computed from that sequence. How the time grows with the size is measured by the benchmarks.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <forward_list>
#include <list>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fp/consume.hpp"
#include "fp/effects.hpp"
#include "fp/state.hpp"
#include "keyedwalk/core.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/foldable1.hpp"
#include "keyedwalk/traversable.hpp"
#include "fp/testing/sanitized.hpp"
#include "keyedwalk/testing/one_operation.hpp"

namespace {

using keyedwalk::testing::OnlyFoldMap;
using keyedwalk::testing::OnlyFoldMap1;

// Under the sanitizers every step costs many times more, and the suite must stay within a minute
// there: 10,000 elements still nest deeper than a 256 KiB stack holds.
constexpr std::int64_t kSize = fp::testing::kSanitized ? 10'000 : 1'000'000;

using U = std::uint64_t;
using Int = std::int64_t;

// An order-sensitive fingerprint of a sequence, taken one element at a time.
constexpr U mix(U acc, Int x) { return acc * 1'000'003u + static_cast<U>(x) + 1; }

// What the operations must find for the elements 0 .. n - 1 in visiting order.
struct Expected {
  explicit Expected(Int n) : n(n) {
    for (Int x = 0; x < n; ++x) left = mix(left, x);
    for (Int x = n; x-- > 0;) right = mix(right, x);
  }
  Int n;
  U left = 0;   // mix from the first element on
  U right = 0;  // mix from the last element back
  Int sum() const { return n * (n - 1) / 2; }
};

struct Sum : fp::MonoidDefaults<Sum> {
  using Value = Int;
  static Int mempty() noexcept { return 0; }
  template <class Rhs>
  static Int append(Int a, Rhs&& b) {
    return a + b();
  }
};

using Counter = fp::StateEffect<Int>;

// The lazy folds, each forced to the end.
template <class C>
void lazyFolds(const C& c, const Expected& e) {
  EXPECT_EQ(keyedwalk::ifoldr([](const auto&, Int x, U rest) { return mix(rest, x); }, U{0}, c), e.right) << "ifoldr";
  EXPECT_EQ(keyedwalk::ifoldl([](const auto&, U acc, Int x) { return mix(acc, x); }, U{0}, c), e.left) << "ifoldl";
  EXPECT_EQ(keyedwalk::ifoldMap(Sum{}, [](const auto&, Int x) { return x; }, c), e.sum()) << "ifoldMap";
  U listed = 0;
  for (const auto& entry : fp::consume(keyedwalk::itoList(c))) listed = mix(listed, entry.second);
  EXPECT_EQ(listed, e.left) << "itoList";
}

template <class C>
void strictFolds(const C& c, const Expected& e) {
  EXPECT_EQ(keyedwalk::ifoldlPrime([](const auto&, U acc, Int x) { return mix(acc, x); }, U{0}, c), e.left)
      << "ifoldlPrime";
  EXPECT_EQ(keyedwalk::ifoldrPrime([](const auto&, Int x, U acc) { return mix(acc, x); }, U{0}, c), e.right)
      << "ifoldrPrime";
  EXPECT_EQ(keyedwalk::ifoldMapPrime(Sum{}, [](const auto&, Int x) { return x; }, c), e.sum()) << "ifoldMapPrime";
}

// With a strict monad (optional) and a lazy one (the state effect, which also counts the steps).
template <class C>
void monadicFolds(const C& c, const Expected& e) {
  const auto optional = [](U acc, Int x) { return std::optional(mix(acc, x)); };
  EXPECT_EQ(keyedwalk::ifoldlM(fp::OptionalEffect{}, [&](const auto&, U acc, Int x) { return optional(acc, x); }, U{0}, c),
            e.left)
      << "ifoldlM optional";
  EXPECT_EQ(keyedwalk::ifoldrM(fp::OptionalEffect{}, [&](const auto&, Int x, U acc) { return optional(acc, x); }, U{0}, c),
            e.right)
      << "ifoldrM optional";
  const auto counted = [](U acc, Int x) { return Counter::state([=](Int s) { return std::pair(mix(acc, x), s + 1); }); };
  const auto left = Counter::runState(
      keyedwalk::ifoldlM(Counter{}, [&](const auto&, U acc, Int x) { return counted(acc, x); }, U{0}, c), 0);
  EXPECT_EQ(left.result.get(), e.left) << "ifoldlM state";
  EXPECT_EQ(left.state.get(), e.n) << "ifoldlM state";
  const auto right = Counter::runState(
      keyedwalk::ifoldrM(Counter{}, [&](const auto&, Int x, U acc) { return counted(acc, x); }, U{0}, c), 0);
  EXPECT_EQ(right.result.get(), e.right) << "ifoldrM state";
  EXPECT_EQ(right.state.get(), e.n) << "ifoldrM state";
}

// The fingerprint of a traversal's result, read in visiting order.
template <class C>
U fingerprint(const C& c) {
  return keyedwalk::ifoldlPrime([](const auto&, U acc, Int x) { return mix(acc, x); }, U{0}, c);
}

// With the effects that do nothing and that may fail, and with the state effect forwards and
// backwards, which imapAccumL and imapAccumR are: each element becomes the accumulator it
// received, the count of elements before it (0 .. n - 1 in visiting order) or after it.
template <class C>
void traversals(const C& c, const Expected& e) {
  const auto same = keyedwalk::itraverse(fp::IdentityEffect{}, [](const auto&, Int x) { return fp::Identity<Int>{x}; }, c);
  EXPECT_EQ(fingerprint(same.value), e.left) << "itraverse Identity";
  const auto checked = keyedwalk::itraverse(fp::OptionalEffect{}, [](const auto&, Int x) { return std::optional(x); }, c);
  EXPECT_TRUE(checked && fingerprint(*checked) == e.left) << "itraverse optional";

  const auto numbered = [](const auto&, Int s, Int) { return std::pair(s + 1, s); };
  const auto [afterL, fromL] = keyedwalk::imapAccumL(numbered, Int{0}, c);
  EXPECT_EQ(afterL.get(), e.n) << "imapAccumL";
  EXPECT_EQ(fingerprint(fromL), e.left) << "imapAccumL";
  const auto [afterR, fromR] = keyedwalk::imapAccumR(numbered, Int{0}, c);
  EXPECT_EQ(afterR.get(), e.n) << "imapAccumR";
  EXPECT_EQ(fingerprint(fromR), e.right) << "imapAccumR";
}

// The non-empty folds of a kind that gives only ifoldMap1.
void nonEmptyFolds(const OnlyFoldMap1& c, const Expected& e) {
  const auto first = [](const auto&, Int x) { return mix(0, x); };
  EXPECT_EQ(keyedwalk::ifoldMap1(Sum{}, [](const auto&, Int x) { return x; }, c), e.sum()) << "ifoldMap1";
  EXPECT_EQ(keyedwalk::ifoldMap1Prime(Sum{}, [](const auto&, Int x) { return x; }, c), e.sum()) << "ifoldMap1Prime";
  EXPECT_EQ(keyedwalk::ifoldrMap1(first, [](const auto&, Int x, U rest) { return mix(rest, x); }, c), e.right)
      << "ifoldrMap1";
  EXPECT_EQ(keyedwalk::ifoldlMap1(first, [](const auto&, U acc, Int x) { return mix(acc, x); }, c), e.left)
      << "ifoldlMap1";
  EXPECT_EQ(keyedwalk::ifoldrMap1Prime(first, [](const auto&, Int x, U rest) { return mix(rest, x); }, c), e.right)
      << "ifoldrMap1Prime";
  EXPECT_EQ(keyedwalk::ifoldlMap1Prime(first, [](const auto&, U acc, Int x) { return mix(acc, x); }, c), e.left)
      << "ifoldlMap1Prime";
}

template <class C>
void everyFamily(const C& c, const Expected& e) {
  if constexpr (keyedwalk::IndexedFoldable<C>) {
    lazyFolds(c, e);
    strictFolds(c, e);
    monadicFolds(c, e);
  }
  if constexpr (keyedwalk::IndexedTraversable<C>) traversals(c, e);
  if constexpr (std::same_as<C, OnlyFoldMap1>) nonEmptyFolds(c, e);
}

std::vector<Int> upTo(Int n) {
  std::vector<Int> xs(static_cast<std::size_t>(n));
  for (Int x = 0; x < n; ++x) xs[static_cast<std::size_t>(x)] = x;
  return xs;
}

fp::List<Int> listUpTo(Int n) { return fp::List<Int>::from(upTo(n)); }

keyedwalk::Tree<Int> wideTree(Int n) {
  std::vector<keyedwalk::Tree<Int>> leaves;
  for (Int x = 1; x < n; ++x) leaves.emplace_back(x);
  return keyedwalk::Tree<Int>(0, fp::List<keyedwalk::Tree<Int>>::from(std::move(leaves)));
}

keyedwalk::Tree<Int> deepTree(Int n) {
  keyedwalk::Tree<Int> t(n - 1);
  for (Int depth = n - 1; depth-- > 0;) t = keyedwalk::Tree<Int>(depth, {t});
  return t;
}

// Inner vectors of four elements each.
std::vector<std::vector<Int>> rows(Int n) {
  std::vector<std::vector<Int>> all;
  for (Int x = 0; x < n; x += 4) {
    all.emplace_back();
    for (Int y = x; y < std::min(n, x + 4); ++y) all.back().push_back(y);
  }
  return all;
}

struct Row {
  const char* provider;
  std::function<void(Int)> run;
};

template <class Make>
Row row(const char* provider, Make make) {
  return {provider, [make](Int n) {
            const auto& c = make(n);
            everyFamily(c, Expected(n));
          }};
}

const std::vector<Row>& rowsOfProviders() {
  static const std::vector<Row> all{
      row("std::vector", upTo),
      row("std::deque", [](Int n) { auto xs = upTo(n); return std::deque<Int>(xs.begin(), xs.end()); }),
      row("std::list", [](Int n) { auto xs = upTo(n); return std::list<Int>(xs.begin(), xs.end()); }),
      row("std::forward_list", [](Int n) { auto xs = upTo(n); return std::forward_list<Int>(xs.begin(), xs.end()); }),
      row("C array", [](Int n) -> const Int(&)[kSize] {
        static Int xs[kSize];
        for (Int x = 0; x < n; ++x) xs[x] = x;
        return xs;
      }),
      row("fp::List", listUpTo),
      row("fp::ZipList", [](Int n) { return fp::ZipList<Int>(listUpTo(n)); }),
      row("fp::NonEmpty", [](Int n) { return fp::NonEmpty<Int>(0, listUpTo(n).tail()); }),
      row("std::map", [](Int n) {
        std::map<Int, Int> m;
        for (Int x = 0; x < n; ++x) m.emplace_hint(m.end(), x, x);
        return m;
      }),
      row("keyedwalk::IntMap", [](Int n) {
        keyedwalk::IntMap<Int> m;
        for (Int x = 0; x < n; ++x) m = std::move(m).insert(x, x);
        return m;
      }),
      row("keyedwalk::Array", [](Int n) { return keyedwalk::Array<Int, Int>({0, n - 1}, upTo(n)); }),
      row("Compose", [](Int n) { return keyedwalk::Compose{rows(n)}; }),
      row("GCompose", [](Int n) { return keyedwalk::GCompose{rows(n)}; }),
      row("Product", [](Int n) {
        auto xs = upTo(n);
        auto back = std::vector<Int>(xs.begin() + n / 2, xs.end());
        xs.resize(static_cast<std::size_t>(n / 2));
        return keyedwalk::Product{std::move(xs), fp::List<Int>::from(std::move(back))};
      }),
      row("GProduct", [](Int n) {
        auto xs = upTo(n);
        auto back = fp::List<Int>::from(std::vector<Int>(xs.begin() + n / 2, xs.end()));
        xs.resize(static_cast<std::size_t>(n / 2));
        return keyedwalk::GProduct{fp::List<Int>::from(std::move(xs)), std::move(back)};
      }),
      row("Sum", [](Int n) { return keyedwalk::Sum<std::vector<Int>, fp::List<Int>>(keyedwalk::InR{listUpTo(n)}); }),
      row("GSum", [](Int n) { return keyedwalk::GSum<std::vector<Int>, fp::List<Int>>(keyedwalk::L1{upTo(n)}); }),
      row("Tree, wide", wideTree),
      row("Tree, path-shaped", deepTree),
      row("Reverse of a vector", [](Int n) {
        auto xs = upTo(n);
        std::reverse(xs.begin(), xs.end());
        return keyedwalk::Reverse{std::move(xs)};
      }),
      row("Reverse of a List", [](Int n) {
        auto xs = upTo(n);
        std::reverse(xs.begin(), xs.end());
        return keyedwalk::Reverse{fp::List<Int>::from(std::move(xs))};
      }),
      row("IdentityT", [](Int n) { return keyedwalk::IdentityT{listUpTo(n)}; }),
      row("Backwards", [](Int n) { return keyedwalk::Backwards{upTo(n)}; }),
      row("Rec1", [](Int n) { return keyedwalk::Rec1{listUpTo(n)}; }),
      row("only ifoldMap", [](Int n) { return OnlyFoldMap{upTo(n)}; }),
      row("only ifoldMap1", [](Int n) { return OnlyFoldMap1{fp::NonEmpty<Int>(0, listUpTo(n).tail())}; }),
  };
  return all;
}

// Runs fn on a new thread whose stack is exactly `size` bytes.
template <class Fn>
void onStackOf(std::size_t size, Fn fn) {
  const std::unique_ptr<void, decltype(&std::free)> stack(std::aligned_alloc(4096, size), &std::free);
  ASSERT_NE(stack, nullptr);
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstack(&attr, stack.get(), size), 0);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, [](void* f) -> void* { return (*static_cast<Fn*>(f))(), nullptr; }, &fn), 0);
  pthread_attr_destroy(&attr);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
}

class Scale : public ::testing::TestWithParam<Row> {};

TEST_P(Scale, EveryOperationFamilyOnTheMainThread) { GetParam().run(kSize); }

TEST_P(Scale, EveryOperationFamilyOnA256KiBStack) {
  onStackOf(256 << 10, [] { GetParam().run(kSize); });
}

INSTANTIATE_TEST_SUITE_P(Providers, Scale, ::testing::ValuesIn(rowsOfProviders()), [](const auto& info) {
  std::string name;
  for (const char* at = info.param.provider; *at; ++at)
    if (std::isalnum(static_cast<unsigned char>(*at))) name += *at;
  return name;
});

}  // namespace
