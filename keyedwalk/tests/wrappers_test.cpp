// Containers of at most one element, containers of none, wrappers that pass everything through,
// and Reverse, which walks back to front with each element keeping its index and its place.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "keyedwalk/empty.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/generic.hpp"
#include "keyedwalk/identity.hpp"
#include "keyedwalk/optional.hpp"
#include "keyedwalk/reverse.hpp"
#include "keyedwalk/traversable.hpp"
#include "keyedwalk/wrappers.hpp"
#include "walk.hpp"

namespace {

using walktest::expected;
using walktest::ownOperations;
using walktest::walk;
using Chars = fp::List<char>;
using Strings = std::vector<std::string>;

TEST(Wrappers, ReverseWalksBackToFrontKeepingTheIndices) {
  const auto reversed = expected({"2c", "1b", "0a"}, "{{{.2c}1b}0a}");
  EXPECT_EQ(walk(keyedwalk::Reverse{Chars{'a', 'b', 'c'}}), reversed);
  EXPECT_EQ(walk(keyedwalk::Reverse<keyedwalk::Reverse<Chars>>{{Chars{'a', 'b', 'c'}}}),
            expected({"0a", "1b", "2c"}, "{0a{1b{2c.}}}"))
      << "twice reversed: the list's own order and grouping";
  EXPECT_EQ(walk(keyedwalk::Reverse{Chars{}}), expected({}, "."));
}

TEST(Wrappers, ReverseRunsEffectsFromTheLastElementAndKeepsEachResultInPlace) {
  const keyedwalk::Reverse abc{std::vector<char>{'a', 'b', 'c'}};
  const keyedwalk::Reverse tags{Strings{"0a", "1b", "2c"}};
  EXPECT_EQ(keyedwalk::imap(walktest::entry, abc), tags);
  const auto logged = keyedwalk::itraverse(
      walktest::Logged{},
      [](std::int64_t i, char x) {
        return walktest::Logged::state([i, x](const std::string& log) { return std::pair(walktest::entry(i, x), log + std::to_string(i)); });
      },
      abc);
  const auto step = walktest::Logged::runState(logged, "");
  EXPECT_EQ(step.state.get(), "210");
  EXPECT_EQ(step.result.get(), tags);

  const auto [count, numbered] = keyedwalk::imapAccumL(
      [](std::int64_t, int n, char x) { return std::pair(n + 1, walktest::join(x, std::to_string(n))); }, 0, abc);
  EXPECT_EQ(count.get(), 3);
  EXPECT_EQ(numbered, (keyedwalk::Reverse{Strings{"a2", "b1", "c0"}}));
}

TEST(Wrappers, PassThroughWrappersWalkAsTheWrappedList) {
  const auto list = expected({"0a", "1b", "2c"}, "{0a{1b{2c.}}}");
  EXPECT_EQ(ownOperations(keyedwalk::Backwards{Chars{'a', 'b', 'c'}}), ownOperations(list))
      << "reverses nothing as a container";
  EXPECT_EQ(ownOperations(keyedwalk::IdentityT{Chars{'a', 'b', 'c'}}), ownOperations(list));
  EXPECT_EQ(ownOperations(keyedwalk::Rec1{Chars{'a', 'b', 'c'}}), ownOperations(list));
  EXPECT_EQ(keyedwalk::imap(walktest::entry, keyedwalk::IdentityT{std::vector<char>{'a', 'b'}}),
            (keyedwalk::IdentityT{Strings{"0a", "1b"}}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, [](std::int64_t i, char x) { return std::optional(walktest::entry(i, x)); },
                                 keyedwalk::Backwards{std::vector<char>{'a'}}),
            (keyedwalk::Backwards{Strings{"0a"}}));
}

TEST(Wrappers, AtMostOneElementIndexedByUnit) {
  // Named: g++ 12 with the sanitizers warns falsely about the element of an empty temporary.
  const std::optional<char> nothing;
  const auto one = expected({"()x"}, "()x");
  EXPECT_EQ(walk(std::optional<char>('x')), one);
  EXPECT_EQ(ownOperations(fp::Identity<char>{'x'}), ownOperations(one));
  EXPECT_EQ(ownOperations(keyedwalk::Par1<char>{'x'}), ownOperations(one));
  EXPECT_EQ(walk(nothing), expected({}, "."));

  const auto tag = [](fp::Unit, char x) { return std::string(2, x); };
  EXPECT_EQ(keyedwalk::imap(tag, fp::Identity<char>{'x'}), fp::Identity<std::string>{"xx"});
  EXPECT_EQ(keyedwalk::imap(tag, std::optional<char>('x')), std::optional<std::string>("xx"));
  const auto checked = [](fp::Unit, char x) { return x == 'x' ? std::optional(std::string(1, x)) : std::nullopt; };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, keyedwalk::Par1<char>{'x'}), (keyedwalk::Par1<std::string>{"x"}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, std::optional<char>('y')), std::nullopt);
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, nothing),
            std::optional<std::optional<std::string>>(std::in_place)) << "pure of the empty optional";

  int calls = 0;
  EXPECT_EQ(keyedwalk::imap([&](fp::Unit, char x) { return ++calls, x; }, nothing), std::nullopt);
  EXPECT_EQ(calls, 0);
}

TEST(Wrappers, ElementFreeKindsNeverCallTheCallback) {
  const auto none = expected({}, ".");
  EXPECT_EQ(walk(keyedwalk::Proxy<char>{}), none);
  EXPECT_EQ(ownOperations(keyedwalk::U1<char>{}), ownOperations(none));
  EXPECT_EQ(ownOperations(fp::Const<int, char>{7}), ownOperations(none));
  EXPECT_EQ(ownOperations(keyedwalk::Constant<int, char>{7}), ownOperations(none));
  EXPECT_EQ(ownOperations(keyedwalk::K1<int, char>{7}), ownOperations(none));

  // The stored value comes back unchanged, as a container of the callback's result type.
  const auto tag = [](const auto&, char) { return std::string("never"); };
  EXPECT_EQ(keyedwalk::imap(tag, fp::Const<int, char>{7}), (fp::Const<int, std::string>{7}));
  EXPECT_EQ(keyedwalk::imap(tag, keyedwalk::K1<int, char>{7}), (keyedwalk::K1<int, std::string>{7}));
  EXPECT_EQ(keyedwalk::imap(tag, keyedwalk::Proxy<char>{}), keyedwalk::Proxy<std::string>{});
  const auto checked = [](const auto&, char) { return std::optional(1.5); };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, keyedwalk::Constant<int, char>{7}),
            (keyedwalk::Constant<int, double>{7}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, checked, keyedwalk::U1<char>{}), keyedwalk::U1<double>{});
  EXPECT_TRUE(fp::Foldable<keyedwalk::Proxy<char>>::null(keyedwalk::Proxy<char>{}));
}

TEST(Wrappers, TheEmptyGenericTypeHasNoValuesButItsOperationsExist) {
  using V1 = keyedwalk::V1<char>;
  static_assert(!std::is_default_constructible_v<V1>);
  static_assert(std::is_same_v<keyedwalk::IndexOf<V1>, fp::Void>);
  static_assert(std::is_same_v<typename keyedwalk::FunctorWithIndex<V1>::Index, fp::Void>);
  const auto tag = [](const auto&, char) { return std::string(); };
  static_assert(std::is_same_v<decltype(keyedwalk::imap(tag, std::declval<const V1&>())), keyedwalk::V1<std::string>>);
  static_assert(std::is_same_v<decltype(keyedwalk::ifoldMap(walktest::Concat{}, tag, std::declval<const V1&>())), std::string>);
  static_assert(std::is_same_v<decltype(keyedwalk::itraverse(fp::OptionalEffect{}, [](const auto&, char) { return std::optional(0); },
                                                             std::declval<const V1&>())),
                               std::optional<keyedwalk::V1<int>>>);
}

}  // namespace
