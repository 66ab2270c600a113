#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "fp/generate.hpp"
#include "keyedwalk/traversable.hpp"

namespace {
using fp::List;

TEST(Smoke, Compiles) {
  std::vector<int> v{1, 2, 3};
  List<int> l{1, 2, 3};
  fp::ZipList<int> z(l);
  fp::NonEmpty<int> ne(1, List<int>{2, 3});
  auto f = [](std::int64_t i, const int& x) { return i * 10 + x; };
  EXPECT_EQ(keyedwalk::imap(f, v), (std::vector<std::int64_t>{1, 12, 23}));
  EXPECT_EQ(keyedwalk::imap(f, l).toVector(), (std::vector<std::int64_t>{1, 12, 23}));
  EXPECT_EQ(keyedwalk::imap(f, z).list().toVector(), (std::vector<std::int64_t>{1, 12, 23}));
  EXPECT_EQ(keyedwalk::imap(f, ne).toList().toVector(), (std::vector<std::int64_t>{1, 12, 23}));
  auto sum = [](std::int64_t i, std::int64_t acc, int x) { return acc + i * x; };
  EXPECT_EQ(keyedwalk::ifoldlPrime(sum, std::int64_t{0}, v), 8);
  EXPECT_EQ(keyedwalk::ifoldlPrime(sum, std::int64_t{0}, l), 8);
  EXPECT_EQ(keyedwalk::ifoldlPrime(sum, std::int64_t{0}, z), 8);
  EXPECT_EQ(keyedwalk::ifoldlPrime(sum, std::int64_t{0}, ne), 8);
  auto r = [](std::int64_t i, int x, std::string acc) { return acc + std::to_string(i) + std::to_string(x); };
  EXPECT_EQ(keyedwalk::ifoldr(r, std::string(), v), "231201");
  EXPECT_EQ(keyedwalk::ifoldr(r, std::string(), l), "231201");
  EXPECT_EQ(keyedwalk::ifoldr(r, std::string(), z), "231201");
  EXPECT_EQ(keyedwalk::ifoldr(r, std::string(), ne), "231201");
  EXPECT_EQ(keyedwalk::ifoldrPrime(r, std::string(), z), "231201");
  auto lf = [](std::int64_t i, std::string acc, int x) { return acc + std::to_string(i) + std::to_string(x); };
  EXPECT_EQ(keyedwalk::ifoldl(lf, std::string(), v), "011223");
  EXPECT_EQ(keyedwalk::ifoldl(lf, std::string(), z), "011223");
  EXPECT_EQ(keyedwalk::ifoldl(lf, std::string(), ne), "011223");
  EXPECT_EQ(keyedwalk::ifoldl(lf, std::string(), l), "011223");
  auto t = keyedwalk::itraverse(fp::OptionalEffect{}, [](std::int64_t i, int x) { return std::optional(i + x); }, v);
  EXPECT_EQ(*t, (std::vector<std::int64_t>{1, 3, 5}));
  auto t2 = keyedwalk::itraverse(fp::OptionalEffect{}, [](std::int64_t i, int x) { return std::optional(i + x); }, ne);
  EXPECT_TRUE(t2.has_value());
  auto t3 = keyedwalk::itraverse(fp::OptionalEffect{}, [](std::int64_t i, int x) { return std::optional(i + x); }, z);
  EXPECT_TRUE(t3.has_value());
  EXPECT_TRUE(keyedwalk::iany([](std::int64_t i, int) { return i == 5; }, fp::iota(0)));
  auto found = keyedwalk::ifind([](std::int64_t i, int) { return i >= 2; }, fp::iota(7));
  EXPECT_EQ(found->second, 9);
  auto lst = keyedwalk::itoList(v);
  EXPECT_EQ(lst.length(), 3);
  auto [acc, ys] = keyedwalk::imapAccumL([](std::int64_t, int a, int x) { return std::pair(a + x, a); }, 0, v);
  EXPECT_EQ(acc.get(), 6);
  EXPECT_EQ(ys, (std::vector<int>{0, 1, 3}));
  auto [acc2, ys2] = keyedwalk::imapAccumR([](std::int64_t, int a, int x) { return std::pair(a + x, a); }, 0, l);
  EXPECT_EQ(acc2.get(), 6);
  EXPECT_EQ(ys2.toVector(), (std::vector<int>{5, 3, 0}));
  auto u = keyedwalk::itraverse_(fp::OptionalEffect{}, [](std::int64_t i, int x) { return std::optional(i + x); }, v);
  EXPECT_TRUE(u.has_value());
  auto cm = keyedwalk::iconcatMap([](std::int64_t i, int x) { return List<int>::from(std::vector<int>(i, x)); }, v);
  EXPECT_EQ(cm.toVector(), (std::vector<int>{2, 3, 3}));
  auto fm = keyedwalk::ifoldlM(fp::OptionalEffect{}, [](std::int64_t i, int acc, int x) { return std::optional(acc + int(i) * x); }, 0, v);
  EXPECT_EQ(fm, 8);
  auto fr = keyedwalk::ifoldrM(fp::OptionalEffect{}, [](std::int64_t i, int x, int acc) { return std::optional(acc + int(i) * x); }, 0, l);
  EXPECT_EQ(fr, 8);
  EXPECT_TRUE(keyedwalk::none([](int x) { return x > 5; }, v));
  auto m = keyedwalk::imapM(fp::OptionalEffect{}, [](std::int64_t i, int x) { return std::optional(i + x); }, l);
  EXPECT_TRUE(m.has_value());
  auto m_ = keyedwalk::imapM_(fp::OptionalEffect{}, [](std::int64_t i, int x) { return std::optional(i + x); }, l);
  EXPECT_TRUE(m_.has_value());
  std::array<int, 3> arr{1, 2, 3};
  EXPECT_EQ(keyedwalk::imap(f, arr)[2], 23);
  std::deque<int> dq{1, 2, 3};
  EXPECT_EQ(keyedwalk::imap(f, dq)[2], 23);
  std::span<const int> sp(v);
  EXPECT_EQ(keyedwalk::imap(f, sp)[2], 23);
  EXPECT_EQ(keyedwalk::ifoldMapPrime(fp::ListMonoid<int>{}, [](std::int64_t, int x) { return List<int>{x}; }, z).toVector(), (std::vector<int>{1, 2, 3}));
}

}  // namespace
