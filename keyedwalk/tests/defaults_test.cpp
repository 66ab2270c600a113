// The default definitions: kinds written here give one operation, or none, and get the rest.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fp/classes.hpp"
#include "keyedwalk/coerce.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"

namespace {

using fp::List;

// A kind with only its plain capabilities: a list in a bag.
template <class A>
struct Bag {
  using value_type = A;
  List<A> items;
  friend bool operator==(const Bag&, const Bag&) = default;
};

// A kind whose plain traversal visits its second element before its first.
template <class A>
struct Swapped {
  using value_type = A;
  A first, second;
  friend bool operator==(const Swapped&, const Swapped&) = default;
};

// A kind indexed by a letter, which gives only its itraverse.
template <class A>
struct Labelled {
  using value_type = A;
  A x, y;
  friend bool operator==(const Labelled&, const Labelled&) = default;
};

}  // namespace

template <class A>
struct fp::Functor<Bag<A>> {
  template <class F>
  static auto fmap(F&& f, const Bag<A>& bag) {
    auto items = fp::fmap(std::forward<F>(f), bag.items);
    return Bag<typename decltype(items)::value_type>{items};
  }
};

struct BagItems {
  template <class A>
  const fp::List<A>& operator()(const Bag<A>& bag) const {
    return bag.items;
  }
};
template <class A>
struct fp::Foldable<Bag<A>> : fp::detail::FoldsViaList<Bag<A>, BagItems> {};

template <class A>
struct fp::Traversable<Bag<A>> {
  template <class E, class F>
  static auto traverse(const E& effect, F&& f, const Bag<A>& bag) {
    return effect.fmap([](const auto& items) { return Bag<typename std::decay_t<decltype(items)>::value_type>{items}; },
                       fp::traverse(effect, std::forward<F>(f), bag.items));
  }
};

template <class A>
struct fp::Traversable<Swapped<A>> {
  template <class E, class F>
  static auto traverse(const E& effect, F f, const Swapped<A>& s) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, const A&>>;
    return effect.liftA2([](const B& second, const B& first) { return Swapped<B>{first, second}; }, f(s.second),
                         [f, first = s.first] { return f(first); });
  }
};

namespace keyedwalk {

template <class A>
struct FunctorWithIndex<Bag<A>> : FunctorWithIndexDefaults<Bag<A>> {
  using Index = std::int64_t;
};
template <class A>
struct FoldableWithIndex<Bag<A>> : FoldableWithIndexDefaults<Bag<A>> {
  using Index = std::int64_t;
};
template <class A>
struct TraversableWithIndex<Bag<A>> : TraversableWithIndexDefaults<Bag<A>> {
  using Index = std::int64_t;
};

template <class A>
struct FunctorWithIndex<Swapped<A>> : FunctorWithIndexDefaults<Swapped<A>> {
  using Index = std::int64_t;
};
template <class A>
struct FoldableWithIndex<Swapped<A>> : FoldableWithIndexDefaults<Swapped<A>> {
  using Index = std::int64_t;
};
template <class A>
struct TraversableWithIndex<Swapped<A>> : TraversableWithIndexDefaults<Swapped<A>> {
  using Index = std::int64_t;
};

template <class A>
struct FunctorWithIndex<Labelled<A>> : FunctorWithIndexDefaults<Labelled<A>> {
  using Index = char;
};
template <class A>
struct FoldableWithIndex<Labelled<A>> : FoldableWithIndexDefaults<Labelled<A>> {
  using Index = char;
};
template <class A>
struct TraversableWithIndex<Labelled<A>> : TraversableWithIndexDefaults<Labelled<A>> {
  using Index = char;
  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const Labelled<A>& l) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, char, const A&>>;
    return effect.liftA2([](const B& x, const B& y) { return Labelled<B>{x, y}; }, f('x', l.x),
                         [f, y = l.y] { return f('y', y); });
  }
};

}  // namespace keyedwalk

namespace {

using Log = fp::StateEffect<std::string>;
const auto logIndex = [](const auto& i, const auto& x) {
  return Log::state([i, x](const std::string& log) {
    return std::pair(x, log + (std::is_same_v<std::decay_t<decltype(i)>, char> ? std::string(1, i) : std::to_string(i)));
  });
};
const auto tag = [](const auto& i, char x) { return std::pair(i, x); };
const auto asList = [](const auto& i, char x) { return List<std::pair<std::decay_t<decltype(i)>, char>>{{i, x}}; };

TEST(Defaults, APositionIndexedKindWithOnlyItsPlainTraversalCountsItsElements) {
  const Bag<char> abc{List<char>{'a', 'b', 'c'}};
  using Tagged = std::vector<std::pair<std::int64_t, char>>;
  const Tagged expected{{0, 'a'}, {1, 'b'}, {2, 'c'}};
  EXPECT_EQ(Log::execState(keyedwalk::itraverse(Log{}, logIndex, abc), ""), "012");
  EXPECT_EQ(keyedwalk::imap(tag, abc).items.toVector(), expected);
  EXPECT_EQ(keyedwalk::ifoldMap(fp::ListMonoid<std::pair<std::int64_t, char>>{}, asList, abc).toVector(), expected);
  EXPECT_EQ(keyedwalk::itoList(abc).toVector(), expected);
  EXPECT_TRUE(keyedwalk::none([](char x) { return x == 'd'; }, abc)) << "by the kind's plain Foldable";
  EXPECT_EQ(keyedwalk::ifoldlPrime([](std::int64_t i, std::string acc, char x) { return acc + std::to_string(i) + x; },
                                   std::string(), abc),
            "0a1b2c");
  EXPECT_EQ(keyedwalk::ifoldrPrime([](std::int64_t i, char x, std::string acc) { return acc + std::to_string(i) + x; },
                                   std::string(), abc),
            "2c1b0a");

  int calls = 0;
  const auto never = [&](std::int64_t, char) { return ++calls, std::optional(0); };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, never, Bag<char>{}), std::optional(Bag<int>{}));
  EXPECT_TRUE(keyedwalk::imap(never, Bag<char>{}).items.empty());
  EXPECT_EQ(calls, 0);
}

TEST(Defaults, CountedIndicesFollowThePlainTraversalsOrder) {
  const Swapped<char> ab{'a', 'b'};
  EXPECT_EQ(Log::execState(keyedwalk::itraverse(Log{}, logIndex, ab), ""), "01");
  EXPECT_EQ(keyedwalk::imap(tag, ab), (Swapped<std::pair<std::int64_t, char>>{{1, 'a'}, {0, 'b'}}));
  EXPECT_EQ(keyedwalk::itoList(ab).toVector(), (std::vector<std::pair<std::int64_t, char>>{{0, 'b'}, {1, 'a'}}));
}

TEST(Defaults, AKindThatGivesOnlyItraverseGetsEveryOperation) {
  const Labelled<char> ab{'a', 'b'};
  using Entries = std::vector<std::pair<char, char>>;
  EXPECT_EQ(keyedwalk::imap(tag, ab), (Labelled<std::pair<char, char>>{{'x', 'a'}, {'y', 'b'}}));
  EXPECT_EQ(keyedwalk::ifoldMap(fp::ListMonoid<std::pair<char, char>>{}, asList, ab).toVector(),
            (Entries{{'x', 'a'}, {'y', 'b'}}));
  EXPECT_EQ(keyedwalk::ifoldMapPrime(fp::ListMonoid<std::pair<char, char>>{}, asList, ab).toVector(),
            (Entries{{'x', 'a'}, {'y', 'b'}}));
  const auto right = [](char i, char x, std::string acc) { return std::string{i, x} + acc; };
  const auto left = [](char i, std::string acc, char x) { return acc + std::string{i, x}; };
  EXPECT_EQ(keyedwalk::ifoldr(right, std::string("."), ab), "xayb.");
  EXPECT_EQ(keyedwalk::ifoldrPrime(right, std::string("."), ab), "xayb.");
  EXPECT_EQ(keyedwalk::ifoldl(left, std::string("."), ab), ".xayb");
  EXPECT_EQ(keyedwalk::ifoldlPrime(left, std::string("."), ab), ".xayb");
  EXPECT_EQ(keyedwalk::ifind([](char i, char) { return i == 'y'; }, ab), std::pair('y', 'b'));
  EXPECT_EQ(Log::execState(keyedwalk::itraverse_(Log{}, logIndex, ab), ""), "xy");
}

TEST(Defaults, IndexingRunsTheCounterThroughTheActionsFromLeftToRight) {
  const keyedwalk::Indexing<fp::OptionalEffect> counting;
  const auto fromSeven = keyedwalk::runIndexing(counting.pure(5))(fp::Deferred<std::int64_t>(7));
  EXPECT_EQ(fromSeven.counter.get(), 7);
  EXPECT_EQ(fromSeven.action.get(), std::optional(5));

  using Act = keyedwalk::Indexed<std::optional<std::int64_t>>;
  const Act takeOne{[](const Act::Counter& i) {
    return Act::Step{Act::Counter([i] { return i.get() + 1; }), fp::Deferred<std::optional<std::int64_t>>(i.get())};
  }};
  const auto both = counting.liftA2(std::plus<>{}, takeOne, [&] { return takeOne; });
  const auto step = keyedwalk::runIndexing(both)(fp::Deferred<std::int64_t>(0));
  EXPECT_EQ(step.counter.get(), 2);
  EXPECT_EQ(step.action.get(), std::optional<std::int64_t>(1)) << "0 + 1";
}

TEST(Defaults, SmallUtilities) {
  EXPECT_EQ(keyedwalk::skip(std::string("anything")), fp::unit);
  EXPECT_EQ(keyedwalk::uncurryPrime(std::minus<>{}, std::pair(7, 2)), 5);
  EXPECT_EQ(keyedwalk::uncurryPrime(std::minus<>{}, fp::defer([] { return std::pair(7, 2); })), 5);

  const auto identity = keyedwalk::relabel2<fp::Identity<bool>>([](std::int64_t i, int x) { return i == x; });
  EXPECT_EQ(identity(std::int64_t{2}, 2), fp::Identity<bool>{true});
  const auto constant = keyedwalk::relabel<fp::Const<bool, fp::Unit>>([](int x) { return x > 0; });
  EXPECT_EQ(constant(-1).value, false);
  static_assert(sizeof(fp::Identity<bool>) == sizeof(bool));
}

}  // namespace
