// The policies of a splitting strategy: what becomes of the delimiters, of runs of directly
// adjacent delimiters, and of a blank piece at either end of the result.
//
//   split::Splitter<char> s = split::defaultSplitter<char>();
//   s.delimPolicy = split::DelimPolicy::KeepLeft;   // each delimiter opens the piece after it
//   fp::show(s.delimPolicy)                         // "KeepLeft"
//   fp::show(fp::List<split::DelimPolicy>{split::DelimPolicy::Drop, split::DelimPolicy::KeepLeft})
//                                                   // "[Drop,KeepLeft]"
//
// Each policy prints as its constructor's name, at any precedence, and compares with `==`; there
// is no ordering.
#pragma once

#include <concepts>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "fp/show.hpp"

namespace split {

// What becomes of each delimiter.
enum class DelimPolicy : std::uint8_t {
  Drop,       // removed
  Keep,       // a piece of its own, between the pieces it separates
  KeepLeft,   // joined to the front of the piece that follows it
  KeepRight,  // joined to the end of the piece that precedes it
};

// What becomes of delimiters that directly follow one another.
enum class CondensePolicy : std::uint8_t {
  Condense,         // a run of them counts as one delimiter holding all their elements
  DropBlankFields,  // they stay separate, with no blank piece between them
  KeepBlankFields,  // they stay separate, with one blank piece between each two
};

// What becomes of a blank piece at one end of the result.
enum class EndPolicy : std::uint8_t {
  DropBlank,  // removed
  KeepBlank,  // kept
};

template <class P>
concept Policy =
    std::same_as<P, DelimPolicy> || std::same_as<P, CondensePolicy> || std::same_as<P, EndPolicy>;

namespace detail {

constexpr std::string_view nameOf(DelimPolicy p) noexcept {
  switch (p) {
    case DelimPolicy::Drop:
      return "Drop";
    case DelimPolicy::Keep:
      return "Keep";
    case DelimPolicy::KeepLeft:
      return "KeepLeft";
    case DelimPolicy::KeepRight:
      return "KeepRight";
  }
  return "DelimPolicy(?)";
}
constexpr std::string_view nameOf(CondensePolicy p) noexcept {
  switch (p) {
    case CondensePolicy::Condense:
      return "Condense";
    case CondensePolicy::DropBlankFields:
      return "DropBlankFields";
    case CondensePolicy::KeepBlankFields:
      return "KeepBlankFields";
  }
  return "CondensePolicy(?)";
}
constexpr std::string_view nameOf(EndPolicy p) noexcept {
  switch (p) {
    case EndPolicy::DropBlank:
      return "DropBlank";
    case EndPolicy::KeepBlank:
      return "KeepBlank";
  }
  return "EndPolicy(?)";
}

}  // namespace detail

template <Policy P>
std::ostream& operator<<(std::ostream& os, P policy) {
  return os << detail::nameOf(policy);
}

}  // namespace split

namespace fp {

// A policy is a constructor without arguments: its name, never parenthesised.
template <split::Policy P>
struct Show<P> : ShowDefaults<P> {
  static void showsPrec(int, P policy, std::string& out) { out += split::detail::nameOf(policy); }
};

}  // namespace fp
