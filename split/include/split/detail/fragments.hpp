// The search for a delimiter's matches through a list, as a list of fragments produced on
// demand: stretches of input that start no match, and the matches themselves.
//
// The engine's chunk list and `breakDelim` are both read off this one list, so every position
// is tried once however the results are read: the elements of a piece, and the search for where
// the piece ends, share the same memoised steps. A step covers at most one run of the input
// (a single cell, or up to kSearchStretch elements of a contiguous buffer), so elements of an
// input produced cell by cell come out one by one, each as soon as the delimiter has failed to
// match at its position, while a buffer is searched a stretch at a time.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "fp/list.hpp"
#include "split/detail/matcher.hpp"

namespace split::detail {

// The most elements of a buffer one step searches, so that the first elements of a long piece
// come out without waiting for the search through all of it.
inline constexpr std::size_t kSearchStretch = 4096;

template <class T>
struct Fragment {
  enum class Kind : std::uint8_t { Text, Delim };

  static Fragment text(fp::List<T> at, std::size_t length, bool closed) {
    return {std::move(at), length, Kind::Text, closed};
  }
  static Fragment delim(fp::List<T> at, std::size_t length) {
    return {std::move(at), length, Kind::Delim, true};
  }

  bool isText() const noexcept { return kind == Kind::Text; }

  // The elements covered: a slice of a buffer, or cells already read.
  fp::List<T> elements() const { return at.take(static_cast<std::int64_t>(length)); }
  // The input behind the fragment.
  fp::List<T> after() const {
    return length <= at.run().size() ? at.dropInRun(length)
                                     : at.drop(static_cast<std::int64_t>(length));
  }

  fp::List<T> at;      // the input from the fragment's first element on
  std::size_t length;  // the number of elements covered
  Kind kind;
  bool closed;  // for a stretch of text: known to be the last before a match
};

template <class T>
using Fragments = fp::List<Fragment<T>>;

template <class T>
using MatcherRef = std::shared_ptr<const Matcher<T>>;

// The fragments of `xs`, computed as they are read.
template <class T>
Fragments<T> fragments(MatcherRef<T> matcher, fp::List<T> xs) {
  return Fragments<T>::lazy([matcher = std::move(matcher),
                             input = std::move(xs)]() -> Fragments<T> {
    const fp::List<T> xs = input.dropInRun(0);  // computed, so that fragments hold no suspension
    const std::span<const T> run = xs.run();
    if (run.empty()) return {};
    const std::size_t limit = std::min(run.size(), kSearchStretch);
    const std::size_t at = matcher->find(xs, run, 0, limit);
    if (at == limit)
      return Fragments<T>::cons(Fragment<T>::text(xs, limit, false),
                                fragments(matcher, xs.dropInRun(limit)));
    const std::size_t length = matcher->length();
    auto match = Fragment<T>::delim(xs.dropInRun(at), length);
    // After a match of the empty delimiter, the next element alone makes progress.
    auto rest = length > 0 ? fragments(matcher, match.after())
                           : Fragments<T>::cons(Fragment<T>::text(xs, 1, true),
                                                fragments(matcher, xs.dropInRun(1)));
    auto fromMatch = Fragments<T>::cons(std::move(match), std::move(rest));
    if (at == 0) return fromMatch;
    return Fragments<T>::cons(Fragment<T>::text(xs, at, true), std::move(fromMatch));
  });
}

// Advances `frags` to its first fragment that is not text, or the end. Like skipDelims, it
// advances the caller's own list, so that the fragments passed are let go.
template <class T>
const Fragments<T>& skipText(Fragments<T>& frags) {
  while (!frags.empty() && frags.head().isText()) frags = frags.tail();
  return frags;
}

template <class T>
fp::List<T> textFrom(const Fragment<T>& first, const Fragments<T>& rest);

// The elements of the text fragments that `frags` starts with.
template <class T>
fp::List<T> textAt(const Fragments<T>& frags) {
  if (frags.empty() || !frags.head().isText()) return {};
  return textFrom(frags.head(), frags.tail());
}

// The elements of the text that starts with fragment `first`, followed by `rest`; those of the
// fragments after it are looked for only once the caller has read up to them.
template <class T>
fp::List<T> textFrom(const Fragment<T>& first, const Fragments<T>& rest) {
  if (first.closed) return first.elements();
  auto more = [rest] { return textAt(rest); };
  if (first.length == 1) return fp::List<T>::cons(first.at.head(), std::move(more));
  return fp::append(first.elements(), std::move(more));
}

}  // namespace split::detail
