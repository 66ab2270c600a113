// keyedwalk::indexed: each provider's indices in its visiting order, references into the
// containers that store their elements, walks of unbounded containers that compute only what is
// read, rvalue containers owned by the view, and the std::ranges algorithms over the views.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <iterator>
#include <map>
#include <ranges>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "fp/generate.hpp"
#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "keyedwalk/core.hpp"
#include "walk.hpp"

namespace {

using keyedwalk::indexed;
using T = keyedwalk::Tree<char>;

std::string text(char x) { return std::string(1, x); }
std::string text(int x) { return std::to_string(x); }
std::string text(const std::string& x) { return x; }

// The first n entries of a view (all of them by default) as "ix ix ...", read through structured
// bindings; the walk leaves with a break as soon as the last one wanted is read.
template <class View>
std::string entries(View&& view, std::int64_t n = -1) {
  std::string out;
  for (const auto& [i, x] : view) {
    out += walktest::join(out.empty() ? "" : " ", walktest::show(i), text(x));
    if (--n == 0) break;
  }
  return out;
}

TEST(Indexed, EveryProviderGivesItsIndicesInItsVisitingOrder) {
  std::vector<char> vec{'a', 'b', 'c'};
  const std::vector<char>& constVec = vec;
  std::deque<char> deq{'a', 'b', 'c'};
  std::array<char, 3> arr{'a', 'b', 'c'};
  const fp::List<char> list{'a', 'b', 'c'};
  std::map<std::string, char> map{{"pear", 'p'}, {"apple", 'a'}, {"fig", 'f'}};
  std::multimap<int, char> multi{{2, 'x'}, {1, 'a'}, {2, 'y'}};
  const keyedwalk::IntMap<char> ints{{7, 's'}, {-3, 'm'}, {0, 'z'}};
  const T tree('t', {T('u', {T('w')}), T('v')});
  const keyedwalk::Compose grid{std::vector<std::vector<char>>{{'a', 'b'}, {}, {'c'}}};
  const keyedwalk::Product both{std::vector<char>{'a'}, fp::List<char>{'b', 'c'}};
  const keyedwalk::Reverse back{std::vector<char>{'a', 'b', 'c'}};
  const fp::NonEmpty<char> nonEmpty('a', fp::List<char>{'b', 'c'});

  const struct {
    const char* kind;
    std::string walked, expected;
  } rows[] = {
      {"std::vector", entries(indexed(vec)), "0a 1b 2c"},
      {"const std::vector", entries(indexed(constVec)), "0a 1b 2c"},
      {"empty std::vector", entries(indexed(std::vector<char>{})), ""},
      {"std::deque", entries(indexed(deq)), "0a 1b 2c"},
      {"std::array", entries(indexed(arr)), "0a 1b 2c"},
      {"std::span", entries(indexed(std::span<const char>(vec).subspan(1))), "0b 1c"},
      {"fp::List", entries(indexed(list)), "0a 1b 2c"},
      {"std::map: keys in order", entries(indexed(map)), "applea figf pearp"},
      {"std::multimap: equal keys as inserted", entries(indexed(multi)), "1a 2x 2y"},
      {"IntMap: ascending signed keys", entries(indexed(ints)), "-3m 0z 7s"},
      {"Tree: paths in pre-order", entries(indexed(tree)), "[]t [0]u [0,0]w [1]v"},
      {"Compose: pairs, inner by inner", entries(indexed(grid)), "(0,0)a (0,1)b (2,0)c"},
      {"Product: the sides", entries(indexed(both)), "L0a R0b R1c"},
      {"Reverse: back to front, same indices", entries(indexed(back)), "2c 1b 0a"},
      {"fp::NonEmpty", entries(indexed(nonEmpty)), "0a 1b 2c"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.walked, row.expected) << row.kind;
}

TEST(Indexed, ElementsAreReferencesIntoContainersThatStoreThem) {
  std::vector<int> xs{5, 6, 7};
  for (auto [i, x] : indexed(xs)) x *= static_cast<int>(i);
  EXPECT_EQ(xs, (std::vector<int>{0, 6, 14}));

  std::deque<int> ys{1, 1};
  for (const auto& [i, y] : indexed(ys)) y += static_cast<int>(i);  // the binding's reference, not the pair, is const
  EXPECT_EQ(ys, (std::deque<int>{1, 2}));

  std::map<std::string, int> stock{{"fig", 7}, {"pear", 3}};
  for (auto& [fruit, n] : indexed(stock)) n += static_cast<int>(fruit.size());
  EXPECT_EQ(stock, (std::map<std::string, int>{{"fig", 10}, {"pear", 7}}));

  EXPECT_EQ(&(*indexed(xs).begin()).second, &xs[0]);
  EXPECT_EQ(&*indexed(stock).begin(), &*stock.begin());
  const fp::List<int> list{4, 5};
  EXPECT_EQ(&(*indexed(list).begin()).second, &list.head()) << "a list's elements are read in its cells";
}

TEST(Indexed, UnboundedContainersComputeAboutWhatIsRead) {
  int steps = 0;
  const auto counting = [&steps] {
    return fp::iterate([&steps](int n) { return ++steps, n + 1; }, 0);
  };

  EXPECT_EQ(entries(indexed(counting()), 4), "00 11 22 33");
  EXPECT_EQ(steps, 3) << "four elements: the seed and three steps";

  steps = 0;
  const auto view = indexed(fp::NonEmpty(-1, counting()));
  EXPECT_EQ(steps, 0) << "making the view reads nothing";
  EXPECT_EQ(entries(view, 4), "0-1 10 21 32");
  EXPECT_EQ(steps, 2) << "the head, then three elements of the tail: its seed and two steps";

  int made = 0;
  const fp::NonEmpty<char> lateTail('a', fp::List<char>::lazy([&made] { return ++made, fp::List<char>{'b'}; }));
  const auto late = indexed(lateTail);
  EXPECT_EQ(walktest::show((*late.begin()).first), "0");
  EXPECT_EQ(made, 0) << "the entry after the first is computed when the walk moves on";
  EXPECT_EQ(entries(late), "0a 1b");
  EXPECT_EQ(made, 1);

  const keyedwalk::Compose rows{fp::repeat(std::vector<char>{'a', 'b'})};
  EXPECT_EQ(entries(indexed(rows), 3), "(0,0)a (0,1)b (1,0)a");
}

// A view of a container made inside the function, which is gone when the view is walked.
template <class C>
auto viewOfTemporary(C c) {
  return indexed(std::move(c));
}

TEST(Indexed, RvalueContainersAreOwnedByTheView) {
  auto words = indexed(std::vector<std::string>{"x", "yy"});
  auto moved = std::move(words);
  EXPECT_EQ(entries(moved), "0x 1yy");

  EXPECT_EQ(entries(viewOfTemporary(std::array<char, 2>{'p', 'q'})), "0p 1q");
  EXPECT_EQ(entries(viewOfTemporary(std::map<std::string, char>{{"k", 'v'}})), "kv");
  EXPECT_EQ(entries(viewOfTemporary(keyedwalk::Compose{std::vector<std::vector<char>>{{'a'}, {'b', 'c'}}})),
            "(0,0)a (1,0)b (1,1)c");

  const std::vector<char> source{'s'};
  const auto copied = indexed(std::move(source));  // a const rvalue cannot be moved from: it is copied
  static_assert(!std::ranges::borrowed_range<decltype(copied)>);
  EXPECT_NE(&(*copied.begin()).second, &source[0]);
  EXPECT_EQ(entries(copied), "0s");
}

TEST(Indexed, ViewsWorkWithTheStandardRangeAlgorithms) {
  std::vector<int> xs{3, 9, 4, 9};
  using Counted = decltype(indexed(xs));
  static_assert(std::ranges::view<Counted> && std::ranges::random_access_range<Counted> &&
                std::ranges::sized_range<Counted> && std::ranges::common_range<Counted> &&
                std::ranges::borrowed_range<Counted>);
  static_assert(std::ranges::bidirectional_range<decltype(indexed(std::declval<std::map<int, int>&>()))>);
  static_assert(std::ranges::forward_range<decltype(indexed(std::declval<const fp::List<int>&>()))>);
  static_assert(std::ranges::view<decltype(indexed(std::declval<T>()))>);

  const auto nine = std::ranges::find_if(indexed(xs), [](const auto& e) { return e.second == 9; });
  EXPECT_EQ((*nine).first, 1);
  const auto largest = std::ranges::max_element(indexed(xs), {}, [](const auto& e) { return e.second - e.first; });
  EXPECT_EQ((*largest).first, 1);
  const auto view = indexed(xs);
  EXPECT_EQ(view.end() - view.begin(), 4);
  EXPECT_EQ(view.begin()[3].first, 3);
  EXPECT_EQ(std::ranges::size(view), 4u);

  std::vector<std::pair<std::int64_t, int>> copies;
  std::ranges::copy(indexed(xs), std::back_inserter(copies));
  EXPECT_EQ(copies, (std::vector<std::pair<std::int64_t, int>>{{0, 3}, {1, 9}, {2, 4}, {3, 9}}));

  const T tree('t', {T('u', {T('w')}), T('v')});
  EXPECT_EQ(std::ranges::count_if(indexed(tree), [](const auto& e) { return e.first.length() == 1; }), 2);
  EXPECT_EQ(std::ranges::distance(indexed(fp::List<int>{1, 2, 3})), 3);
}

}  // namespace
