// Named classes of elements: predicates that split knows by name, and so searches for a vector at
// a time.
//
//   split::wordsBy(split::isSpace, line)             // the words between runs of blanks
//   split::linesBy(split::isNewline, text)           // the lines, each ended by '\n'
//   split::splitWhen(split::isSpace, fp::String::from("a b"))   // ["a","b"]
//   split::isSpace('\t')                             // true
//
// `isSpace` accepts what isspace accepts in the C locale: ' ', '\t', '\n', '\v', '\f' and '\r';
// `isNewline` accepts '\n'. Each takes a character of any type, or any other integer, compared
// with those characters' values. Given to `whenElt`, `splitWhen`, `linesBy` or `wordsBy`, a
// named class gives the same pieces as any predicate that accepts the same elements, and is
// searched for as `oneOf` its members is (split/scan_path.hpp); a predicate of the caller's own
// is called on each element in turn.
#pragma once

#include <concepts>
#include <string_view>
#include <type_traits>
#include <vector>

namespace split {

namespace detail {

template <class C>
concept ClassElement = std::integral<C> && !std::same_as<C, bool>;

// A predicate that holds for exactly the characters of `Class::members`.
template <class Class>
struct NamedClass {
  template <ClassElement C>
  constexpr bool operator()(C c) const noexcept {
    for (const char m : Class::members)
      if (c == static_cast<C>(m)) return true;
    return false;
  }
};

// Whether P is a named class.
template <class P>
concept Named = std::derived_from<std::remove_cvref_t<P>, NamedClass<std::remove_cvref_t<P>>>;

// The members of the named class P as elements of type T.
template <class T, Named P>
std::vector<T> membersOf() {
  std::vector<T> out;
  for (const char m : std::remove_cvref_t<P>::members) out.push_back(static_cast<T>(m));
  return out;
}

}  // namespace detail

struct IsSpace : detail::NamedClass<IsSpace> {
  static constexpr std::string_view members = " \t\n\v\f\r";
};
struct IsNewline : detail::NamedClass<IsNewline> {
  static constexpr std::string_view members = "\n";
};

inline constexpr IsSpace isSpace{};
inline constexpr IsNewline isNewline{};

}  // namespace split
