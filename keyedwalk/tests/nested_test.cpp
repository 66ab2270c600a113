// Kinds nested in kinds: each layer adds its part of the index and its own order, in every
// operation.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "keyedwalk/compose.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/optional.hpp"
#include "keyedwalk/reverse.hpp"
#include "keyedwalk/traversable.hpp"
#include "keyedwalk/tree.hpp"
#include "walk.hpp"

namespace {

using walktest::expected;
using walktest::walk;

TEST(Nested, AReversedCompositionOfAVectorOfMaps) {
  // Positions, then keys in ascending order, all turned around; an empty map contributes mempty.
  using Shelf = std::map<std::string, char>;
  const keyedwalk::Reverse<keyedwalk::Compose<std::vector<Shelf>>> shelves{
      {{Shelf{{"y", 'b'}, {"x", 'a'}}, Shelf{}, Shelf{{"z", 'c'}}}}};
  EXPECT_EQ(walk(shelves), expected({"(2,z)c", "(0,y)b", "(0,x)a"}, "{{{.(2,z)c}.}{(0,y)b(0,x)a}}"));
}

TEST(Nested, ATreeOfOptionals) {
  // A node without a value holds no element and contributes mempty; its children still count.
  using Node = keyedwalk::Tree<std::optional<char>>;
  const keyedwalk::Compose<Node> tree{Node('a', {Node(std::nullopt), Node('b', {Node('c')})})};
  EXPECT_EQ(walk(tree), expected({"([],())a", "([1],())b", "([1,0],())c"}, "{([],())a{{..}{{([1],())b{{([1,0],())c.}.}}.}}}"));
}

}  // namespace
