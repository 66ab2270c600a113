// What the provider tests record of a walk: each operation's result over a container of chars
// as text, in which every element shows as its index and itself ("0a", "kx"), and the calls
// that the strict folds made, in order.
#pragma once

#include <concepts>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "fp/monoid.hpp"
#include "fp/state.hpp"

namespace keyedwalk::testing {

using Calls = std::vector<std::string>;

// An index as text: numbers in decimal, characters as they are, pairs as both parts.
template <class I>
std::string label(const I& i) {
  if constexpr (std::same_as<I, std::string>)
    return i;
  else if constexpr (std::same_as<I, char>)
    return std::string(1, i);
  else if constexpr (std::same_as<I, bool>)
    return i ? "T" : "F";
  else if constexpr (std::integral<I>)
    return std::to_string(i);
  else
    return label(i.first) + label(i.second);
}

template <class I>
std::string entry(const I& i, char x) {
  return label(i) + x;
}

// (a b), built by appending: g++ 12 warns falsely about "(" + std::string at -O3.
inline std::string paren(const std::string& a, const std::string& b) {
  std::string out(1, '(');
  out += a;
  out += b;
  out += ')';
  return out;
}

// Strings under concatenation with a visible neutral element, so that results show where
// `mempty` was placed.
struct Trace : fp::MonoidDefaults<Trace> {
  using Value = std::string;
  static std::string mempty() { return "."; }
  template <class Rhs>
  static std::string append(const std::string& a, Rhs&& b) {
    return a + std::string(b());
  }
};

// An effect that logs the index of every action it runs; the action yields the element.
using Logged = fp::StateEffect<std::string>;
inline const auto logIndex = [](const auto& i, char x) {
  return Logged::state([l = label(i), x](const std::string& log) { return std::pair(x, log + l); });
};

struct Walks {
  std::string imap, ifoldMap, ifoldMapPrime, ifoldr, ifoldl, ifoldrPrime, ifoldlPrime, itraverseLog;
  Calls ifoldrPrimeCalls, ifoldlPrimeCalls;
  friend bool operator==(const Walks&, const Walks&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Walks& w) {
    out << w.imap << " " << w.ifoldMap << " " << w.ifoldMapPrime << " " << w.ifoldr << " " << w.ifoldl << " "
        << w.ifoldrPrime << " " << w.ifoldlPrime << " " << w.itraverseLog << " calls";
    for (const auto& c : w.ifoldrPrimeCalls) out << " " << c;
    for (const auto& c : w.ifoldlPrimeCalls) out << " " << c;
    return out;
  }
};

}  // namespace keyedwalk::testing
