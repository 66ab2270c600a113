// The keyed providers: the standard maps, IntMap, the pair and Array hand every operation the key
// (or array index) of each element, in the container's own order, with the orders of calls and
// the early stops that each operation promises.
#include <gtest/gtest.h>

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "keyedwalk/array.hpp"
#include "keyedwalk/foldable.hpp"
#include "keyedwalk/intmap.hpp"
#include "keyedwalk/map.hpp"
#include "keyedwalk/pair.hpp"
#include "keyedwalk/traversable.hpp"
#include "walks.hpp"

namespace {

using namespace keyedwalk::testing;

using keyedwalk::Array;
using keyedwalk::IntMap;
using Cell = std::pair<int, char>;

// Reads every element, which computes those of an array made by imap.
template <class C>
void readAll(const C& c) {
  if constexpr (requires { c.begin(); })
    for ([[maybe_unused]] const auto& x : c) {
    }
}

template <class C>
Walks walk(const C& c) {
  Walks w;
  readAll(keyedwalk::imap([&](const auto& i, char x) { return w.imap += entry(i, x), x; }, c));
  w.ifoldMap = keyedwalk::ifoldMap(Trace{}, [](const auto& i, char x) { return entry(i, x); }, c);
  w.ifoldMapPrime = keyedwalk::ifoldMapPrime(Trace{}, [](const auto& i, char x) { return entry(i, x); }, c);
  w.ifoldr = keyedwalk::ifoldr([](const auto& i, char x, std::string acc) { return paren(entry(i, x), acc); },
                               std::string("z"), c);
  w.ifoldl = keyedwalk::ifoldl([](const auto& i, std::string acc, char x) { return paren(acc, entry(i, x)); },
                               std::string("z"), c);
  w.ifoldrPrime = keyedwalk::ifoldrPrime(
      [&](const auto& i, char x, std::string acc) {
        w.ifoldrPrimeCalls.push_back(entry(i, x));
        return paren(entry(i, x), acc);
      },
      std::string("z"), c);
  w.ifoldlPrime = keyedwalk::ifoldlPrime(
      [&](const auto& i, std::string acc, char x) {
        w.ifoldlPrimeCalls.push_back(entry(i, x));
        return paren(acc, entry(i, x));
      },
      std::string("z"), c);
  const auto traversed = keyedwalk::itraverse(Logged{}, logIndex, c);
  w.itraverseLog = Logged::execState(traversed, "");
  EXPECT_EQ(Logged::evalState(traversed, ""), c) << "itraverse keeps every element in its place";
  return w;
}

// What every provider gives for the entries e0, e1, ... ("1a", "2b", ...) in visiting order. A
// map and a pair combine the f values alone; an array is the monoid's mconcat of them, so its
// ifoldMap ends with `mempty`.
enum class Ends { WithF, WithMempty };
Walks visiting(const Calls& entries, Ends ends) {
  Walks w;
  w.ifoldr = w.ifoldl = "z";
  for (const auto& e : entries) {
    w.imap += e;
    w.ifoldl = paren(w.ifoldl, e);
    w.itraverseLog += e.substr(0, e.size() - 1);
  }
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) w.ifoldr = paren(*e, w.ifoldr);
  w.ifoldMap = entries.empty() || ends == Ends::WithMempty ? w.imap + "." : w.imap;
  w.ifoldMapPrime = std::string(".") + w.imap;
  w.ifoldrPrime = w.ifoldr;
  w.ifoldlPrime = w.ifoldl;
  w.ifoldlPrimeCalls = entries;
  w.ifoldrPrimeCalls = Calls(entries.rbegin(), entries.rend());
  return w;
}

TEST(Keyed, EveryProviderVisitsInItsOwnOrder) {
  std::map<int, char> inserted;  // keys inserted 3, 1, 2
  inserted.emplace(3, 'c');
  inserted.emplace(1, 'a');
  inserted.emplace(2, 'b');
  EXPECT_EQ(walk(inserted), visiting({"1a", "2b", "3c"}, Ends::WithF));
  EXPECT_EQ(walk(std::multimap<int, char>{{2, 'x'}, {1, 'a'}, {2, 'y'}}), visiting({"1a", "2x", "2y"}, Ends::WithF))
      << "equal keys in insertion order";
  EXPECT_EQ(walk(IntMap<char>{{7, 'c'}, {-3, 'a'}, {0, 'b'}}), visiting({"-3a", "0b", "7c"}, Ends::WithF));
  EXPECT_EQ(walk(std::pair<std::string, char>("k", 'a')), visiting({"ka"}, Ends::WithF));
  EXPECT_EQ(walk(Array<std::int64_t, char>({10, 12}, {'x', 'y', 'z'})), visiting({"10x", "11y", "12z"}, Ends::WithMempty));
  EXPECT_EQ(walk(Array<Cell, char>({{0, 'a'}, {1, 'b'}}, {'p', 'q', 'r', 's'})),
            visiting({"0ap", "0bq", "1ar", "1bs"}, Ends::WithMempty))
      << "pairs of indices in row-major order";

  const std::unordered_map<int, char> hashed{{1, 'a'}, {2, 'b'}, {3, 'c'}, {4, 'd'}};
  Calls iterationOrder;
  for (const auto& [key, value] : hashed) iterationOrder.push_back(entry(key, value));
  EXPECT_EQ(walk(hashed), visiting(iterationOrder, Ends::WithF));
}

TEST(Keyed, EmptyContainersNeverCallTheCallback) {
  const Walks empty = visiting({}, Ends::WithF);
  EXPECT_EQ(walk(std::map<int, char>()), empty);
  EXPECT_EQ(walk(std::multimap<int, char>()), empty);
  EXPECT_EQ(walk(std::unordered_map<int, char>()), empty);
  EXPECT_EQ(walk(IntMap<char>()), empty);
  const Array<std::int64_t, char> upperBelowLower({10, 9}, {});
  EXPECT_EQ(walk(upperBelowLower), empty);

  int calls = 0;
  const auto never = [&](const auto&, char) { return ++calls, std::optional<int>(); };
  const auto mapped = keyedwalk::imap(never, upperBelowLower);
  EXPECT_EQ(mapped.bounds(), (std::pair<std::int64_t, std::int64_t>(10, 9)));
  EXPECT_EQ(mapped.size(), 0u);
  const auto traversed = keyedwalk::itraverse(fp::OptionalEffect{}, never, upperBelowLower);
  ASSERT_TRUE(traversed.has_value());
  EXPECT_EQ(traversed->bounds(), upperBelowLower.bounds());
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, never, IntMap<char>()), std::optional(IntMap<int>()));
  EXPECT_EQ(calls, 0);
}

TEST(Keyed, ResultsKeepTheKindAndTheKeys) {
  const auto plusKey = [](const auto& k, int v) { return v + static_cast<int>(k); };
  EXPECT_EQ(keyedwalk::imap(plusKey, std::map<int, int>{{1, 10}, {5, 50}}), (std::map<int, int>{{1, 11}, {5, 55}}));
  EXPECT_EQ(keyedwalk::imap(plusKey, std::unordered_map<int, int>{{1, 10}, {5, 50}}),
            (std::unordered_map<int, int>{{1, 11}, {5, 55}}));
  const auto multi = keyedwalk::imap([](int, int v) { return std::to_string(v); }, std::multimap<int, int>{{1, 2}, {1, 1}});
  EXPECT_EQ(multi, (std::multimap<int, std::string>{{1, "2"}, {1, "1"}}));
  EXPECT_EQ(keyedwalk::imap(plusKey, IntMap<int>{{-1, 10}, {1, 10}}), (IntMap<int>{{-1, 9}, {1, 11}}));
  EXPECT_EQ(keyedwalk::imap([](const std::string&, int x) { return x + 1; }, std::pair<std::string, int>("k", 5)),
            (std::pair<std::string, int>("k", 6)));

  const auto positive = [](const auto& k, int v) { return v > 0 ? std::optional(v * 2 + static_cast<int>(k)) : std::nullopt; };
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, std::map<int, int>{{1, 1}, {2, 2}}),
            (std::map<int, int>{{1, 3}, {2, 6}}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, std::map<int, int>{{1, 1}, {2, 0}}), std::nullopt);
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, IntMap<int>{{-7, 1}, {7, 1}}),
            (IntMap<int>{{-7, -5}, {7, 9}}));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, IntMap<int>{{-7, 0}, {7, 1}}), std::nullopt);
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, std::pair<int, int>(4, 1)), (std::pair<int, int>(4, 6)));
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, std::pair<int, int>(4, 0)), std::nullopt);
  const Array<std::int64_t, int> array({10, 11}, {1, 2});
  EXPECT_EQ(keyedwalk::itraverse(fp::OptionalEffect{}, positive, array), (Array<std::int64_t, int>({10, 11}, {12, 15})));

  // The plain capabilities drop the index.
  EXPECT_EQ(fp::fmap([](int v) { return v * 2; }, std::map<char, int>{{'a', 1}}), (std::map<char, int>{{'a', 2}}));
  EXPECT_EQ(fp::foldlPrime([](int acc, int v) { return acc + v; }, 0, IntMap<int>{{3, 4}, {-3, 5}}), 9);
  EXPECT_EQ(fp::foldr([](int v, int acc) { return v - acc; }, 0, array), 1 - 2);
  EXPECT_EQ((fp::Foldable<std::pair<int, int>>::length(std::pair(1, 2))), 1);
}

TEST(Keyed, ArrayImapChecksEveryPositionAtOnceAndComputesOnRead) {
  int calls = 0;
  const Array<std::int64_t, char> xs({10, 12}, {'x', 'y', 'z'});
  const auto mapped = keyedwalk::imap([&](std::int64_t i, char c) { return ++calls, entry(i, c); }, xs);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(mapped.bounds(), xs.bounds());
  EXPECT_EQ(mapped.size(), 3u);
  EXPECT_EQ(mapped.at(11), "11y");
  EXPECT_EQ(mapped.at(11), "11y");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(keyedwalk::imap([](std::int64_t, const std::string& s) { return s.size(); }, mapped).at(12), 3u);
  EXPECT_EQ(calls, 2);
}

TEST(Keyed, LazyFoldsStopAtTheDecidingEntry) {
  int calls = 0;
  const auto firstOnly = [&](const auto& k, auto, auto) { return ++calls, static_cast<std::int64_t>(k); };
  const auto seen = [&](const auto& k, int) { return ++calls, k >= 2; };
  const std::map<int, int> map{{1, 1}, {2, 2}, {3, 3}};
  const IntMap<int> intMap{{-1, 1}, {2, 2}, {3, 3}};
  const Array<std::int64_t, int> array({1, 3}, {1, 2, 3});
  const std::unordered_map<int, int> hashed{{1, 1}};

  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{0}, map), 1);
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{0}, intMap), -1);
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{0}, array), 1);
  EXPECT_EQ(keyedwalk::ifoldr(firstOnly, std::int64_t{0}, hashed), 1);
  EXPECT_EQ(calls, 4);
  calls = 0;
  EXPECT_TRUE(keyedwalk::iany(seen, map));
  EXPECT_TRUE(keyedwalk::iany(seen, intMap));
  EXPECT_TRUE(keyedwalk::iany(seen, array));
  EXPECT_EQ(calls, 6);
  EXPECT_EQ(keyedwalk::ifind([](std::int64_t k, int) { return k > 0; }, intMap), std::pair(std::int64_t{2}, 2));

  // ifoldl begins at the last entry; the others wait until the callback asks for them.
  const auto lastKey = [&](const auto& k, auto, int) { return ++calls, static_cast<std::int64_t>(k); };
  calls = 0;
  EXPECT_EQ(keyedwalk::ifoldl(lastKey, std::int64_t{0}, map), 3);
  EXPECT_EQ(keyedwalk::ifoldl(lastKey, std::int64_t{0}, intMap), 3);
  EXPECT_EQ(keyedwalk::ifoldl(lastKey, std::int64_t{0}, array), 3);
  EXPECT_EQ(calls, 3);
}

TEST(Keyed, LazyResultsOwnAnRvalueMap) {
  // The lists below are read after the maps they came from are gone.
  const auto pairs = keyedwalk::itoList(std::map<int, std::string>{{2, "b"}, {1, "a"}});
  const auto hashed = keyedwalk::itoList(std::unordered_map<int, std::string>{{5, "e"}});
  const auto array = keyedwalk::itoList(Array<std::int64_t, std::string>({4, 4}, {"d"}));
  const auto intMap = keyedwalk::itoList(IntMap<std::string>{{3, "c"}});
  EXPECT_EQ(pairs.toVector(), (std::vector<std::pair<int, std::string>>{{1, "a"}, {2, "b"}}));
  EXPECT_EQ(hashed.toVector(), (std::vector<std::pair<int, std::string>>{{5, "e"}}));
  EXPECT_EQ(array.toVector(), (std::vector<std::pair<std::int64_t, std::string>>{{4, "d"}}));
  EXPECT_EQ(intMap.toVector(), (std::vector<std::pair<std::int64_t, std::string>>{{3, "c"}}));
}

}  // namespace
