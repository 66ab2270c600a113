// Folds that a provider writes itself (loops over a tree, a composition's folds nested, Reverse's
// folds run from the other end) against the default definitions over the same provider's
// ifoldMap: the same results, and the callback called in the same order, as far as each fold
// goes before it stops.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <forward_list>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keyedwalk/core.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/traversable.hpp"
#include "walk.hpp"

namespace {

using walktest::entry;
using walktest::paren;

// Nothing but the provider's own ifoldMap: every other fold is the default over it.
template <class C>
struct ThroughIfoldMap : keyedwalk::FoldableWithIndexDefaults<C, ThroughIfoldMap<C>> {
  using Index = keyedwalk::IndexOf<C>;
  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F&& f, const C& c) {
    return keyedwalk::FoldableWithIndex<C>::ifoldMap(m, std::forward<F>(f), c);
  }
};

// Each fold of the record over c, its result after the log of its calls. The lazy folds use their
// accumulator after logging, and the right fold stops at the element 'c': the log shows what
// each one visits and in which order.
template <class Record, class C>
std::string folds(const C& c) {
  std::string log;
  const auto note = [&](const char* fold, const auto& i, char x) { log += walktest::join(fold, entry(i, x), " "); };
  const auto right = Record::ifoldr(
      [&](const auto& i, char x, const fp::Deferred<std::string>& rest) {
        note("r", i, x);
        return x == 'c' ? entry(i, x) : paren(entry(i, x), rest.get());
      },
      std::string("z"), c);
  const auto left = Record::ifoldl(
      [&](const auto& i, const fp::Deferred<std::string>& acc, char x) {
        note("l", i, x);
        return paren(acc.get(), entry(i, x));
      },
      std::string("z"), c);
  const auto strictRight = Record::ifoldrPrime(
      [&](const auto& i, char x, std::string acc) { return note("R", i, x), paren(entry(i, x), acc); }, std::string("z"), c);
  const auto strictLeft = Record::ifoldlPrime(
      [&](const auto& i, std::string acc, char x) { return note("L", i, x), paren(acc, entry(i, x)); }, std::string("z"), c);
  const auto strictMap =
      Record::ifoldMapPrime(walktest::Grouped{}, [&](const auto& i, char x) { return note("M", i, x), entry(i, x); }, c);
  return walktest::join(log, "= ", right, " ", left, " ", strictRight, " ", strictLeft, " ", strictMap);
}

struct Case {
  std::string provider, own, defaults;
};

template <class C>
Case compare(std::string provider, const C& c) {
  return {std::move(provider), folds<keyedwalk::FoldableWithIndex<C>>(c), folds<ThroughIfoldMap<C>>(c)};
}

using Chars = std::vector<char>;
using List = fp::List<char>;
using T = keyedwalk::Tree<char>;

TEST(HandWritten, FoldsGiveTheDefaultsResultsInTheDefaultsOrder) {
  const List abcd{'a', 'b', 'c', 'd'};
  const T tree('a', {T('b', {T('c'), T('d')}), T('e', {T('f')})});
  const std::vector<Case> cases{
      compare("vector", Chars{'a', 'b', 'c', 'd'}),
      compare("List", abcd),
      compare("ZipList", fp::ZipList<char>(abcd)),
      compare("NonEmpty", fp::NonEmpty<char>('a', abcd.tail())),
      compare("map", std::map<std::string, char>{{"k", 'a'}, {"m", 'c'}, {"x", 'b'}}),
      compare("Array", keyedwalk::Array<std::int64_t, char>({5, 8}, {'a', 'b', 'c', 'd'})),
      compare("Tree", tree),
      compare("Tree, one node", T('c')),
      compare("Compose", keyedwalk::Compose{std::vector<List>{List{'a', 'b'}, List{}, List{'c', 'd'}}}),
      compare("GCompose", keyedwalk::GCompose{std::vector<Chars>{Chars{'a'}, Chars{'b', 'c'}}}),
      compare("Product", keyedwalk::Product{Chars{'a', 'b'}, List{'c', 'd'}}),
      compare("GProduct", keyedwalk::GProduct{List{}, Chars{'d', 'c'}}),
      compare("Sum", keyedwalk::Sum<Chars, List>(keyedwalk::InR{abcd})),
      compare("GSum", keyedwalk::GSum<Chars, List>(keyedwalk::L1{Chars{'b', 'c'}})),
      compare("Reverse of a vector", keyedwalk::Reverse{Chars{'a', 'b', 'c', 'd'}}),
      compare("Reverse of a List", keyedwalk::Reverse{abcd}),
      compare("Reverse of a Reverse", keyedwalk::Reverse<keyedwalk::Reverse<List>>{{abcd}}),
      compare("Reverse of a Tree", keyedwalk::Reverse{tree}),
      compare("IdentityT", keyedwalk::IdentityT{abcd}),
      compare("Backwards", keyedwalk::Backwards{Chars{'d', 'c', 'b'}}),
      compare("Rec1", keyedwalk::Rec1{abcd}),
      compare("optional", std::optional<char>('c')),
      compare("pair", std::pair<std::string, char>("k", 'c')),
  };
  for (const Case& c : cases) EXPECT_EQ(c.own, c.defaults) << c.provider;
}

// A sequence runs the traversal of a strict effect (Identity, optional) as a loop; the same
// effect seen through fp::WrappedMonad, which does not say it is strict, takes the general chain
// of actions. Both must give the same result after the same calls, also where an action fails.
TEST(HandWritten, StrictTraversalsOfASequenceMatchTheChainOfActions) {
  const auto traversal = [](const auto& effect, const auto& wrap, const auto& xs) {
    std::string log;
    const auto upper = keyedwalk::itraverse(
        effect, [&](std::int64_t i, char x) { return log += entry(i, x), wrap(x); }, xs);
    return walktest::join(log, "= ", upper ? std::string(upper->begin(), upper->end()) : "none");
  };
  const auto failAtC = [](char x) { return x == 'c' ? std::nullopt : std::optional(char(x - 32)); };
  const auto identity = [](char x) { return fp::Identity<char>{char(x - 32)}; };
  const auto identityTraversal = [&](const auto& effect, const std::string& xs) {
    std::string log;
    const auto upper = keyedwalk::itraverse(
        effect, [&](std::int64_t i, char x) { return log += entry(i, x), identity(x); }, xs);
    return walktest::join(log, "= ", upper.value);
  };
  for (const std::string xs : {"", "ab", "abcd", "cab"}) {
    EXPECT_EQ(traversal(fp::OptionalEffect{}, failAtC, Chars(xs.begin(), xs.end())),
              traversal(fp::WrappedMonad<fp::OptionalEffect>{}, failAtC, Chars(xs.begin(), xs.end())))
        << xs;
    EXPECT_EQ(traversal(fp::OptionalEffect{}, failAtC, std::list<char>(xs.begin(), xs.end())),
              traversal(fp::WrappedMonad<fp::OptionalEffect>{}, failAtC, std::list<char>(xs.begin(), xs.end())))
        << xs;
    EXPECT_EQ(identityTraversal(fp::IdentityEffect{}, xs), identityTraversal(fp::WrappedMonad<fp::IdentityEffect>{}, xs))
        << xs;
  }
}

// imapAccumL and imapAccumR run over a sequence as loops; the reference is the traversal with the
// state effect (through fp::Backwards for imapAccumR) that defines them, run from the same start.
template <class C>
void accumulationsMatchTheStateEffect(const C& c) {
  using Acc = fp::StateEffect<std::string>;
  std::string log;
  const auto f = [&](std::int64_t i, const std::string& acc, char x) {
    log += entry(i, x);
    return std::pair(acc + x, char(x - 32));
  };
  const auto show = [&](const auto& acc, const auto& ys) {
    const std::string results = walktest::join(acc.get(), " ", std::string(std::begin(ys), std::end(ys)));
    return walktest::join(std::exchange(log, ""), "= ", results);
  };
  const auto viaState = [&](const auto& effect) {
    const auto step = Acc::runState(
        keyedwalk::itraverse(effect,
                             [&](std::int64_t i, char x) {
                               return Acc::state([&f, i, x](const std::string& acc) {
                                 auto [next, y] = f(i, acc, x);
                                 return std::pair(y, next);
                               });
                             },
                             c),
        "s");
    return show(step.state, step.result.get());
  };
  const auto [accL, ysL] = keyedwalk::imapAccumL(f, std::string("s"), c);
  const std::string left = show(accL, ysL);
  EXPECT_EQ(left, viaState(Acc{}));
  const auto [accR, ysR] = keyedwalk::imapAccumR(f, std::string("s"), c);
  const std::string right = show(accR, ysR);
  EXPECT_EQ(right, viaState(fp::Backwards<Acc>{}));
}

TEST(HandWritten, AccumulatingMapsOfASequenceMatchTheStateEffect) {
  accumulationsMatchTheStateEffect(Chars{'a', 'b', 'c', 'd'});
  accumulationsMatchTheStateEffect(Chars{});
  accumulationsMatchTheStateEffect(std::forward_list<char>{'a', 'b', 'c'});
  accumulationsMatchTheStateEffect(std::array<char, 3>{'a', 'b', 'c'});
  accumulationsMatchTheStateEffect(std::string("abcd"));
}

}  // namespace
