// Every indexed operation of a provider over a container of chars, rendered as strings, and what
// a table row expects of them: the (index, element) entries in visiting order and the grouping of
// `ifoldMap`, from which the other operations' results follow by their definitions.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fp/effects.hpp"
#include "fp/either.hpp"
#include "fp/list.hpp"
#include "fp/monoid.hpp"
#include "fp/state.hpp"
#include "fp/unit.hpp"
#include "keyedwalk/core.hpp"

namespace walktest {

// The parts one after the other. (g++ 12 warns falsely about "(" + std::string at -O3.)
template <class... Parts>
std::string join(const Parts&... parts) {
  std::string out;
  (out += ... += parts);
  return out;
}

// Indices as text: 0, (0,1), L0 / R0, [0,1], (), keys as they are.
template <class I, class J>
std::string show(const std::pair<I, J>& p);
template <class I, class J>
std::string show(const fp::Either<I, J>& e);
inline std::string show(std::int64_t i) { return std::to_string(i); }
inline std::string show(const std::string& key) { return key; }
inline std::string show(fp::Unit) { return "()"; }
inline std::string show(const fp::Void& v) { return fp::absurd<std::string>(v); }
inline std::string show(const fp::List<std::int64_t>& path) {
  std::string out = "[";
  for (std::int64_t step : path) {
    if (out.size() > 1) out += ',';
    out += std::to_string(step);
  }
  out += ']';
  return out;
}
template <class I, class J>
std::string show(const std::pair<I, J>& p) {
  return join("(", show(p.first), ",", show(p.second), ")");
}
template <class I, class J>
std::string show(const fp::Either<I, J>& e) {
  return e.either([](const I& i) { return join("L", show(i)); }, [](const J& j) { return join("R", show(j)); });
}

inline const auto entry = [](const auto& i, char x) { return join(show(i), x); };

// Strings under concatenation with every combination and `mempty` visible: {ab} and ".".
struct Grouped : fp::MonoidDefaults<Grouped> {
  using Value = std::string;
  static std::string mempty() { return "."; }
  template <class Rhs>
  static std::string append(const std::string& a, Rhs&& b) {
    return join("{", a, std::string(b()), "}");
  }
};

// Plain concatenation, to read a mapped container back.
struct Concat : fp::MonoidDefaults<Concat> {
  using Value = std::string;
  static std::string mempty() { return {}; }
  template <class Rhs>
  static std::string append(const std::string& a, Rhs&& b) {
    return a + std::string(b());
  }
};

// (a b), the parts side by side.
inline std::string paren(const std::string& a, const std::string& b) { return join("(", a, b, ")"); }

template <class C>
std::string readBack(const C& mapped) {
  return keyedwalk::ifoldMap(Concat{}, [](const auto&, const std::string& s) { return s; }, mapped);
}

// The on-demand state effect with a log as its state: each action logs its index.
using Logged = fp::StateEffect<std::string>;

// The effect that only carries a string: an action's string is its index, and combining two
// actions joins their strings in the order the effect runs them.
using Recorded = fp::ConstEffect<Concat>;

struct Walk {
  std::string imap, ifoldMap, ifoldMapPrime, ifoldr, ifoldl, ifoldrPrime, ifoldlPrime;
  std::string ifoldrPrimeCalls, ifoldlPrimeCalls, itraverseLog, itraversed;
  friend bool operator==(const Walk&, const Walk&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Walk& w) {
    return out << "\n  imap " << w.imap << "\n  ifoldMap " << w.ifoldMap << "\n  ifoldMapPrime " << w.ifoldMapPrime
               << "\n  ifoldr " << w.ifoldr << "\n  ifoldl " << w.ifoldl << "\n  ifoldrPrime " << w.ifoldrPrime
               << " calls " << w.ifoldrPrimeCalls << "\n  ifoldlPrime " << w.ifoldlPrime << " calls "
               << w.ifoldlPrimeCalls << "\n  itraverse log " << w.itraverseLog << " result " << w.itraversed;
  }
};

// Runs every operation over c with f(i, x) = show(i) + x.
template <class C>
Walk walk(const C& c) {
  Walk w;
  w.imap = readBack(keyedwalk::imap(entry, c));
  w.ifoldMap = keyedwalk::ifoldMap(Grouped{}, entry, c);
  w.ifoldMapPrime = keyedwalk::ifoldMapPrime(Grouped{}, entry, c);
  w.ifoldr = keyedwalk::ifoldr([](const auto& i, char x, std::string acc) { return paren(entry(i, x), acc); },
                               std::string("z"), c);
  w.ifoldl = keyedwalk::ifoldl([](const auto& i, std::string acc, char x) { return paren(acc, entry(i, x)); },
                               std::string("z"), c);
  w.ifoldrPrime = keyedwalk::ifoldrPrime(
      [&](const auto& i, char x, std::string acc) {
        w.ifoldrPrimeCalls += entry(i, x);
        return paren(entry(i, x), acc);
      },
      std::string("z"), c);
  w.ifoldlPrime = keyedwalk::ifoldlPrime(
      [&](const auto& i, std::string acc, char x) {
        w.ifoldlPrimeCalls += entry(i, x);
        return paren(acc, entry(i, x));
      },
      std::string("z"), c);
  w.itraverseLog =
      keyedwalk::itraverse(Recorded{}, [](const auto& i, char) { return fp::Const<std::string, char>{show(i)}; }, c)
          .value;
  const auto traversed =
      keyedwalk::itraverse(fp::OptionalEffect{}, [](const auto& i, char x) { return std::optional(entry(i, x)); }, c);
  w.itraversed = traversed ? readBack(*traversed) : "failed";
  return w;
}

// The two operations a kind writes itself besides itraverse, as walk renders them: for a kind
// whose records are those of a kind walked in full (the generic twins, the wrappers that share a
// template), which shows that it is wired to them.
struct OwnOperations {
  std::string imap, ifoldMap;
  friend bool operator==(const OwnOperations&, const OwnOperations&) = default;
  friend std::ostream& operator<<(std::ostream& out, const OwnOperations& o) {
    return out << "imap " << o.imap << " ifoldMap " << o.ifoldMap;
  }
};
template <class C>
OwnOperations ownOperations(const C& c) {
  return {readBack(keyedwalk::imap(entry, c)), keyedwalk::ifoldMap(Grouped{}, entry, c)};
}
inline OwnOperations ownOperations(const Walk& w) { return {w.imap, w.ifoldMap}; }

// What walk gives for a provider that visits `entries` (index text followed by the element) in
// this order and whose ifoldMap groups them as `grouping` shows.
inline Walk expected(const std::vector<std::string>& entries, std::string grouping) {
  Walk w;
  std::string right = "z", left = "z", leftGrouped = ".";
  for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
    right = paren(*e, right);
    w.ifoldrPrimeCalls += *e;
  }
  for (const auto& e : entries) {
    left = paren(left, e);
    leftGrouped = join("{", leftGrouped, e, "}");
    w.imap += e;
    w.ifoldlPrimeCalls += e;
    w.itraverseLog += e.substr(0, e.size() - 1);
  }
  w.ifoldMap = std::move(grouping);
  w.ifoldMapPrime = leftGrouped;
  w.ifoldr = w.ifoldrPrime = right;
  w.ifoldl = w.ifoldlPrime = left;
  w.itraversed = w.imap;
  return w;
}

}  // namespace walktest
