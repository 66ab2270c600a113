// Splitting contiguous input the C++ way: every operation over strings, views, C strings and
// spans, the pieces as views into the input, conversions into standard containers, iterators,
// ownership of an rvalue input, and built-in equality searched with scanners.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <iterator>
#include <list>
#include <map>
#include <ranges>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "fp/testing/allocations.hpp"
#include "split/split.hpp"

namespace {

using Strings = std::vector<std::string>;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The pieces as strings, whatever the range; at most `most` of them.
template <class R>
Strings strings(R&& pieces, std::size_t most = SIZE_MAX) {
  Strings out;
  for (auto piece : pieces) {
    if (out.size() == most) break;
    out.emplace_back(piece.begin(), piece.end());
  }
  return out;
}

// 1, 2, 3, ...: counts without end.
struct Naturals {
  struct iterator {
    using iterator_concept = std::forward_iterator_tag;
    using value_type = int;
    using difference_type = std::ptrdiff_t;
    int n = 1;
    int operator*() const { return n; }
    iterator& operator++() {
      ++n;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++n;
      return old;
    }
    bool operator==(const iterator&) const = default;
  };
  iterator begin() const { return {}; }
  std::unreachable_sentinel_t end() const { return {}; }
};

TEST(Contiguous, PiecesAreViewsIntoTheInput) {
  const std::string line = "name, age,, city";
  auto fields = split::splitOn(", ", line);
  static_assert(std::ranges::forward_range<decltype(fields)>);
  static_assert(std::same_as<std::ranges::range_value_t<decltype(fields)>, std::string_view>);
  EXPECT_EQ(strings(fields), (Strings{"name", "age,", "city"}));
  for (std::string_view field : fields)
    EXPECT_TRUE(field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size());

  const std::vector<int> xs{1, 0, 2, 0, 0, 3};
  auto parts = split::splitOn({0}, xs);
  static_assert(std::same_as<std::ranges::range_value_t<decltype(parts)>, std::span<const int>>);
  std::vector<std::vector<int>> got;
  for (std::span<const int> part : parts) {
    got.emplace_back(part.begin(), part.end());
    if (!part.empty()) {
      EXPECT_TRUE(part.data() >= xs.data() && part.data() < xs.data() + xs.size());
    }
  }
  EXPECT_EQ(got, (std::vector<std::vector<int>>{{1}, {2}, {}, {3}}));

  // The standard algorithms take the range.
  EXPECT_EQ(std::ranges::distance(split::wordsBy(isBlank, line)), 3);
  EXPECT_EQ(std::ranges::count(split::splitOneOf(",", line), std::string_view()), 1);
  std::vector<std::string_view> nonEmpty;
  std::ranges::copy_if(split::splitOneOf(" ,", line), std::back_inserter(nonEmpty),
                       [](std::string_view p) { return !p.empty(); });
  EXPECT_EQ(nonEmpty, (std::vector<std::string_view>{"name", "age", "city"}));
  const auto endsWithComma = [](std::string_view p) { return p.ends_with(","); };
  EXPECT_EQ(*std::ranges::find_if(fields, endsWithComma), "age,");
}

TEST(Contiguous, EveryOperationTakesWhatCallersHold) {
  const std::string text = "a,b;;c";
  const std::string_view view = text;
  const char* cString = "a,b;;c";
  const std::vector<int> ints{1, 0, 2, 0, 0, 3};
  const std::array<int, 4> array{1, 2, 3, 4};
  const auto isZero = [](int x) { return x == 0; };
  const auto isSemicolon = [](char c) { return c == ';'; };
  const auto takeTwo = [](std::string_view rest) {
    return std::pair(rest.substr(0, 2), rest.substr(std::min<std::size_t>(2, rest.size())));
  };
  struct Case {
    const char* call;
    std::function<Strings()> run;
    Strings expected;
  };
  // Integer pieces are shown as their digits.
  const auto digits = [](auto&& pieces) {
    Strings out;
    for (auto piece : pieces) {
      out.emplace_back();
      for (int x : piece) out.back() += char('0' + x);
    }
    return out;
  };
  // clang-format off
  const Case cases[] = {
      {"splitOn(\";\", string)", [&] { return strings(split::splitOn(";", text)); }, {"a,b", "", "c"}},
      {"splitOn(\";;\", string_view)", [&] { return strings(split::splitOn(";;", view)); }, {"a,b", "c"}},
      {"splitOn(\",\", C string)", [&] { return strings(split::splitOn(",", cString)); }, {"a", "b;;c"}},
      {"splitOn(\",\", literal)", [] { return strings(split::splitOn(",", "x,y")); }, {"x", "y"}},
      {"splitOn(\"\", string)", [] { return strings(split::splitOn("", std::string("ab"))); }, {"", "a", "b"}},
      {"splitOn([0], vector)", [&] { return digits(split::splitOn({0}, ints)); }, {"1", "2", "", "3"}},
      {"splitOn(span)", [&] { return digits(split::splitOn({2, 3}, std::span<const int>(array))); }, {"1", "4"}},
      {"sepBy", [&] { return strings(split::sepBy(";", text)); }, {"a,b", "", "c"}},
      {"unintercalate", [&] { return strings(split::unintercalate(",", text)); }, {"a", "b;;c"}},
      {"splitOneOf", [&] { return strings(split::splitOneOf(",;", text)); }, {"a", "b", "", "c"}},
      {"sepByOneOf", [&] { return strings(split::sepByOneOf(std::string(",;"), view)); }, {"a", "b", "", "c"}},
      {"splitWhen", [&] { return strings(split::splitWhen(isSemicolon, text)); }, {"a,b", "", "c"}},
      {"endBy", [] { return strings(split::endBy(";", "a;b;")); }, {"a", "b"}},
      {"endByOneOf", [] { return strings(split::endByOneOf(";,", "a;b,")); }, {"a", "b"}},
      {"linesBy", [] { return strings(split::linesBy([](char c) { return c == '\n'; }, "one\n\ntwo\n")); },
       {"one", "", "two"}},
      {"wordsBy", [] { return strings(split::wordsBy(isBlank, "  to be\t or ")); }, {"to", "be", "or"}},
      {"wordsBy over integers", [&] { return digits(split::wordsBy(isZero, ints)); }, {"1", "2", "3"}},
      {"split(dropBlanks(oneOf(\" \\t\")))", [] { return strings(split::split(split::dropBlanks(split::oneOf(" \t")), " a\t b ")); },
       {" ", "a", "\t ", "b", " "}},
      {"split(startsWith)", [] { return strings(split::split(split::startsWith("#"), "#1#2")); }, {"#1", "#2"}},
      {"split(endsWithOneOf)", [] { return strings(split::split(split::endsWithOneOf(".!"), "Hi! Bye.")); },
       {"Hi!", " Bye."}},
      {"a reusable splitOn", [] { const auto csv = split::splitOn(","); return strings(csv("p,q")); }, {"p", "q"}},
      {"maxSplits", [] { return strings(split::split(split::maxSplits(1, split::dropDelims(split::oneOf("="))), "k=v=w")); },
       {"k", "v=w"}},
      {"maxSplits(0)", [] { return strings(split::split(split::maxSplits(0, split::dropDelims(split::oneOf("="))), "k=v")); },
       {"k=v"}},
      {"chunksOf", [] { return strings(split::chunksOf(3, "abcdefgh")); }, {"abc", "def", "gh"}},
      {"chunk", [&] { return digits(split::chunk(4, ints)); }, {"1020", "03"}},
      {"splitEvery", [] { return strings(split::splitEvery(5, "")); }, {}},
      {"splitPlaces", [] { return strings(split::splitPlaces({2, 3, 4}, "abcdef")); }, {"ab", "cde", "f"}},
      {"splitPlacesBlanks", [] { return strings(split::splitPlacesBlanks(std::vector<long>{2, 3, 4}, "abcd")); },
       {"ab", "cd", ""}},
      {"divvy", [&] { return digits(split::divvy(3, 2, array)); }, {"123"}},
      {"chop", [&] { return strings(split::chop(takeTwo, std::string("abcde"))); }, {"ab", "cd", "e"}},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(c.run(), c.expected) << c.call;

  // Counts and pieces without end: as many as asked.
  EXPECT_EQ(strings(split::chunksOf(0, "ab"), 3), (Strings{"", "", ""}));
  EXPECT_EQ(strings(split::splitPlacesBlanks(Naturals{}, "abc"), 4), (Strings{"a", "bc", "", ""}));
  const Naturals naturals;
  EXPECT_EQ(strings(split::splitPlaces(naturals, "abcdef")), (Strings{"a", "bc", "def"}));
}

TEST(Contiguous, SplitOnceGivesThePartsAroundTheFirstMatch) {
  const std::string line = "key = value = more";
  const auto kv = split::splitOnce(" = ", line);
  ASSERT_TRUE(kv.has_value());
  EXPECT_EQ(kv->first, "key");
  EXPECT_EQ(kv->second, "value = more");
  EXPECT_FALSE(split::splitOnce(":", line).has_value());
  EXPECT_EQ(split::splitOnce(split::oneOf(" ="), std::string_view("a=b"))->second, "b");
  const auto everywhere = split::splitOnce("", std::string_view());
  ASSERT_TRUE(everywhere.has_value()) << "the empty delimiter matches at the start";
  EXPECT_TRUE(everywhere->first.empty() && everywhere->second.empty());
  const auto list = split::splitOnce({0}, fp::List<int>{1, 0, 2, 0});
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->first, fp::List<int>{1});
  EXPECT_EQ(list->second, (fp::List<int>{2, 0}));
  // The parts of a string handed over as an rvalue would dangle.
  static_assert(!std::is_invocable_v<decltype(split::splitOnce), const char*, std::string>);
  static_assert(std::is_invocable_v<decltype(split::splitOnce), const char*, std::string&>);
}

TEST(Contiguous, ALimitMustNotBeNegative) {
  EXPECT_THROW((void)split::maxSplits(-1, split::oneOf(",")), std::invalid_argument);
  EXPECT_THROW((void)split::divvy(2, 0, "abc"), std::invalid_argument);
}

TEST(Contiguous, ConvertsIntoStandardContainers) {
  const std::string line = "b,a,b";
  const std::vector<std::string_view> views = split::splitOn(",", line);
  EXPECT_EQ(views, (std::vector<std::string_view>{"b", "a", "b"}));
  const std::vector<std::string> owned = split::splitOn(",", line);
  EXPECT_EQ(owned, (Strings{"b", "a", "b"}));
  const std::list<std::string> list = split::splitOn(",", line);
  EXPECT_EQ(list.back(), "b");
  const std::deque<std::string_view> deque = split::splitOn(",", line);
  EXPECT_EQ(deque.size(), 3u);
  const std::set<std::string> set = split::splitOn(",", line);
  EXPECT_EQ(set, (std::set<std::string>{"a", "b"}));
  const std::unordered_set<std::string_view> unique = split::splitOn(",", line);
  EXPECT_EQ(unique.size(), 2u);
  const std::map<std::string, std::string> map = split::splitOneOf("=&", "a=1&b=2&c");
  EXPECT_EQ(map, (std::map<std::string, std::string>{{"a", "1"}, {"b", "2"}, {"c", ""}}));
  const std::pair<std::string, std::string_view> pair = split::splitOn(",", line);
  EXPECT_EQ(pair.first, "b");
  EXPECT_EQ(pair.second, "a");
  const std::pair<std::string, std::string> short_ = split::splitOn(",", "x");
  EXPECT_EQ(short_.second, "");
  const std::vector<std::vector<int>> spans = split::splitOn({0}, std::vector<int>{1, 0, 2});
  EXPECT_EQ(spans, (std::vector<std::vector<int>>{{1}, {2}}));

  // A range that owns its input converts into views of it only while it lives.
  using Owning = decltype(split::splitOn(",", std::string()));
  static_assert(!std::is_convertible_v<Owning, std::vector<std::string_view>>);
  static_assert(!std::is_convertible_v<Owning, std::pair<std::string_view, std::string>>);
  static_assert(std::is_convertible_v<Owning&, std::vector<std::string_view>>);
  static_assert(std::is_convertible_v<Owning, std::vector<std::string>>);
  using Viewing = decltype(split::splitOn(",", line));
  static_assert(std::is_convertible_v<Viewing, std::vector<std::string_view>>);
}

std::string longLine() { return std::string(100, 'x') + ", " + std::string(100, 'y'); }

// The strings are long enough to live on the heap, where AddressSanitizer sees a read of a
// freed one.
TEST(Contiguous, AnRvalueStringLivesAsLongAsTheRangeOfItsPieces) {
  auto pieces = split::splitOn(", ", longLine());
  // The temporary string is gone; its characters live on in `pieces`.
  EXPECT_EQ(strings(pieces), (Strings{std::string(100, 'x'), std::string(100, 'y')}));
  const std::vector<std::string_view> views = pieces;  // from the lvalue: they point into it
  EXPECT_EQ(views.back(), std::string(100, 'y'));
  auto moved = std::move(pieces);
  EXPECT_EQ(std::string((*moved.begin()).substr(0, 3)), "xxx");
  // A range-for keeps the range alive through the loop, and with it the string, which is
  // destroyed before the loop's body would otherwise.
  Strings words;
  for (std::string_view word : split::wordsBy([](char c) { return c == ','; }, longLine()))
    words.emplace_back(word);
  EXPECT_EQ(words, (Strings{std::string(100, 'x'), ' ' + std::string(100, 'y')}));
  const std::vector<std::string> owned = split::splitOn(", ", longLine());
  EXPECT_EQ(owned.back(), std::string(100, 'y'));
  std::vector<int> numbers(1000, 7);
  numbers[500] = 0;
  auto halves = split::splitOn({0}, std::move(numbers));
  EXPECT_EQ((*std::next(halves.begin())).size(), 499u);
}

TEST(Contiguous, IteratorsAreMultiPass) {
  // Keep with the empty delimiter gives two empty pieces at the start, at the same place.
  auto pieces = split::split(split::onSublist(""), "ab");
  EXPECT_EQ(strings(pieces), (Strings{"", "", "a", "", "b"}));
  auto first = pieces.begin();
  auto second = std::next(first);
  EXPECT_EQ((*first).data(), (*second).data());
  EXPECT_NE(first, second);
  auto again = first;
  EXPECT_EQ(std::next(again, 2), std::next(first, 2));
  EXPECT_EQ(*std::next(again, 2), "a");
  EXPECT_EQ(std::next(first, 5), pieces.end());
  EXPECT_EQ(pieces.begin(), pieces.begin());
}

TEST(Contiguous, IteratingAllocatesNothing) {
  FP_REQUIRE_ALLOCATION_COUNTS();
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "field" + std::to_string(i) + (i % 3 ? ", " : ";  ");
  const auto byComma = split::splitOn(", ", text);
  const auto byEither = split::splitOneOf(",;", text);
  const auto words = split::wordsBy(isBlank, text);
  const auto kept = split::split(split::keepDelimsR(split::condense(split::oneOf(" ,;"))), text);
  const auto chunks = split::chunksOf(7, text);
  const fp::testing::AllocationsSince since;
  std::size_t pieces = 0;
  for (auto p : byComma) pieces += !p.empty();
  for (auto p : byEither) pieces += !p.empty();
  for (auto p : words) pieces += !p.empty();
  for (auto p : kept) pieces += !p.empty();
  for (auto p : chunks) pieces += !p.empty();
  EXPECT_EQ(since.count(), 0);
  EXPECT_GT(pieces, 5000u);
}

TEST(Contiguous, ScannersCompareWithBuiltInEquality) {
  const double nan = std::nan("");
  const std::vector<double> xs{1.5, -0.0, 2.5, nan, 3.5};
  std::vector<std::size_t> sizes;
  for (auto piece : split::splitOn({0.0}, xs)) sizes.push_back(piece.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 3})) << "-0.0 == 0.0";
  sizes.clear();
  for (auto piece : split::splitOneOf({nan}, xs)) sizes.push_back(piece.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{5})) << "a NaN equals nothing";

  const std::vector<std::int64_t> big{7, 1LL << 40, 7, 1LL << 40, 8};
  sizes.clear();
  for (auto piece : split::splitOn({std::int64_t{1} << 40, 7}, big)) sizes.push_back(piece.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 2}));

  const std::u32string wide = U"α→β→γ";
  std::vector<std::u32string> greek;
  for (auto piece : split::splitOn(U"→", wide)) greek.emplace_back(piece);
  EXPECT_EQ(greek, (std::vector<std::u32string>{U"α", U"β", U"γ"}));
  // Bytes with the high bit set are bytes like any other.
  EXPECT_EQ(strings(split::splitOneOf("\xff\x80", "a\xff" "b\x80" "c")), (Strings{"a", "b", "c"}));
}

TEST(Contiguous, AFailingPredicateReachesTheReaderOfTheAffectedPiece) {
  const auto failsAtFive = [](char c) {
    if (c == '5') throw std::runtime_error("five");
    return c == ',';
  };
  const auto pieces = split::splitWhen(failsAtFive, "1,2,5,6");
  auto it = pieces.begin();
  EXPECT_EQ(*it, "1");
  EXPECT_EQ(*++it, "2");
  EXPECT_THROW(++it, std::runtime_error);
}

}  // namespace
