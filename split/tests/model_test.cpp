// The splitter model: policies and chunks print and compare; splitters are plain values.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fp/generate.hpp"
#include "split/split.hpp"

namespace {

using fp::List;
using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;

template <class V>
std::string showAt(int precedence, const V& v) {
  std::string out;
  fp::Show<V>::showsPrec(precedence, v, out);
  return out;
}

TEST(Model, PoliciesPrintAsTheirNamesAtAnyPrecedence) {
  const std::vector<std::pair<std::string, std::string>> rendered = {
      {fp::show(DelimPolicy::Drop), "Drop"},
      {fp::show(DelimPolicy::Keep), "Keep"},
      {fp::show(DelimPolicy::KeepLeft), "KeepLeft"},
      {showAt(11, DelimPolicy::KeepRight), "KeepRight"},
      {fp::show(CondensePolicy::Condense), "Condense"},
      {fp::show(CondensePolicy::DropBlankFields), "DropBlankFields"},
      {showAt(11, CondensePolicy::KeepBlankFields), "KeepBlankFields"},
      {fp::show(EndPolicy::DropBlank), "DropBlank"},
      {showAt(11, EndPolicy::KeepBlank), "KeepBlank"},
      {fp::show(List<DelimPolicy>{DelimPolicy::Drop, DelimPolicy::KeepLeft}), "[Drop,KeepLeft]"},
      {fp::show(List<EndPolicy>{}), "[]"},
  };
  for (const auto& [got, expected] : rendered) EXPECT_EQ(got, expected);
  EXPECT_EQ(fp::show(List<DelimPolicy>{DelimPolicy::Drop, DelimPolicy::KeepLeft}).size(), 15u);
}

TEST(Model, ChunksPrintTheirKindAndElementsParenthesisedAsArguments) {
  const auto d12 = split::Delim(List<int>{1, 2});
  EXPECT_EQ(showAt(0, d12), "Delim [1,2]");
  EXPECT_EQ(showAt(10, d12), "Delim [1,2]");
  EXPECT_EQ(showAt(11, d12), "(Delim [1,2])");
  EXPECT_EQ(showAt(0, split::Text(List<int>{})), "Text []");
  EXPECT_EQ(showAt(11, split::Text(List<int>{-1})), "(Text [-1])");
  EXPECT_EQ(fp::show(split::Text(fp::String::from(std::string("ab")))), "Text \"ab\"");
  EXPECT_EQ(fp::show(List<split::Chunk<int>>{d12, split::Text(List<int>{3})}),
            "[Delim [1,2],Text [3]]");
  std::ostringstream streamed;
  streamed << d12 << ' ' << CondensePolicy::Condense;
  EXPECT_EQ(streamed.str(), "Delim [1,2] Condense");
}

TEST(Model, ChunksAreEqualWhenKindAndElementsAre) {
  const List<int> xs{1, 2};
  EXPECT_NE(split::Delim(xs), split::Text(xs));
  EXPECT_EQ(split::Delim(List<int>{}), split::Delim(List<int>{}));
  EXPECT_EQ(split::Text(xs), split::Text(List<int>::cons(1, List<int>{2})));
  EXPECT_NE(split::Text(xs), split::Text(List<int>{1}));
  EXPECT_NE(split::Text(xs), split::Text(List<int>{1, 3}));
  // Elements are compared from the front, stopping at the first difference: an unbounded list
  // compares too.
  EXPECT_NE(split::Text(fp::iota(0)), split::Text(List<int>{0, 1, 7}));

  for (const auto& c : {split::Delim(xs), split::Text(xs), split::Delim(List<int>{})}) {
    EXPECT_NE(split::isDelim(c), split::isText(c));
    EXPECT_EQ(split::fromElem(c), c.elements());
  }
  EXPECT_TRUE(split::isDelim(split::Delim(xs)));
  EXPECT_EQ(split::fromElem(split::Text(xs)), xs);
}

TEST(Model, DefaultSplitterMatchesNothingAndKeepsEverything) {
  const auto s = split::defaultSplitter<int>();
  EXPECT_EQ(s.delimPolicy, DelimPolicy::Keep);
  EXPECT_EQ(s.condensePolicy, CondensePolicy::KeepBlankFields);
  EXPECT_EQ(s.initBlankPolicy, EndPolicy::KeepBlank);
  EXPECT_EQ(s.finalBlankPolicy, EndPolicy::KeepBlank);
  const auto predicates = s.delimiter.predicates();
  ASSERT_EQ(predicates.length(), 1);
  for (int x : {0, -1, 42}) EXPECT_FALSE(predicates.head()(x));
  EXPECT_EQ(split::split(s, List<int>{1, 0, 2}), (List<List<int>>{{1, 0, 2}}));
  EXPECT_EQ(split::split(s, List<int>{}), List<List<int>>{{}});
}

TEST(Model, MapSplitterTestsConvertedElementsAfresh) {
  const auto mapped = split::mapSplitter([](const std::string& s) { return int(s.size()); },
                                         split::defaultSplitter<int>());
  static_assert(std::same_as<decltype(mapped), const split::Splitter<std::string>>);
  EXPECT_EQ(mapped.delimPolicy, DelimPolicy::Keep);
  EXPECT_EQ(mapped.finalBlankPolicy, EndPolicy::KeepBlank);
  const List<std::string> words{"a", "", "bc"};
  EXPECT_EQ(split::split(mapped, words), List<List<std::string>>{words});

  // Over a three-predicate delimiter: as many predicates, in order, each converting anew.
  int conversions = 0;
  auto bySize = split::mapSplitter(
      [&conversions](const std::string& s) {
        ++conversions;
        return int(s.size());
      },
      split::dropDelims(split::onSublist({1, 2, 3})));
  EXPECT_EQ(bySize.delimPolicy, DelimPolicy::Drop);
  const auto predicates = bySize.delimiter.predicates();
  ASSERT_EQ(predicates.length(), 3);
  EXPECT_TRUE(predicates.tail().head()("xy"));
  EXPECT_FALSE(predicates.head()("xy"));
  EXPECT_EQ(conversions, 2);
  conversions = 0;
  EXPECT_EQ(split::split(bySize, List<std::string>{"a", "bb", "ccc", "d", "a", "a"}),
            (List<List<std::string>>{{}, {"d", "a", "a"}}));
  // Position 0: three tests, a match; positions 3 and 4: two tests each; position 5: one, with no
  // element left for the second.
  EXPECT_EQ(conversions, 3 + 2 + 2 + 1);
}

TEST(Model, DelimitersWrapTheirPredicates) {
  const List<split::Predicate<int>> none;
  EXPECT_TRUE(split::Delimiter<int>(none).empty());
  const split::Delimiter<int> evenThenOdd(List<split::Predicate<int>>{
      [](int x) { return x % 2 == 0; }, [](int x) { return x % 2 != 0; }});
  EXPECT_FALSE(evenThenOdd.empty());
  EXPECT_EQ(evenThenOdd.predicates().length(), 2);
  EXPECT_EQ(split::onSublist({7, 8}).delimiter.predicates().length(), 2);
  EXPECT_TRUE(split::onSublist(List<int>{}).delimiter.empty());
  const auto isAny = split::oneOf({3, 5}).delimiter.predicates();
  ASSERT_EQ(isAny.length(), 1);
  EXPECT_TRUE(isAny.head()(5));
  EXPECT_FALSE(isAny.head()(4));
}

}  // namespace
