// split::split: cut a list into pieces by a strategy, on demand.
//
//   auto s = split::dropDelims(split::oneOf({0}));
//   split::split(s, fp::List<int>{1, 0, 2, 0, 0, 3})             // [[1],[2],[],[3]]
//   auto cycle = fp::iterate([](int x) { return (x + 1) % 4; }, 1);   // 1 2 3 0 1 2 3 0 ...
//   split::split(s, cycle).take(2)                                // [[1,2,3],[1,2,3]]
//
// Splitting runs in two phases. `splitInternal` walks the input once, left to right, and cuts it
// into chunks: a Text chunk for each maximal non-empty stretch between matches, a Delim chunk for
// each match, the leftmost match first and matches never overlapping. `postProcess` then rewrites
// the chunk list in six stages, each governed by one policy: condense runs of delimiters, insert
// blank chunks between and around delimiters, drop delimiters, merge them into a neighbour, drop a
// blank first chunk, drop a blank last chunk. Each chunk left becomes one piece. Every stage is an
// operation of its own here, working on fp::List<Chunk<T>>.
//
// Everything is produced when read. The elements of a piece come out as the input is read: from
// input made cell by cell, each one as soon as the delimiter has failed to match at its position;
// from a contiguous buffer, a slice at a time, the search running ahead through the buffer no
// further than the match that closes the piece. A piece is complete once that match has been
// read, plus what the policies must see: the chunk after a delimiter, a whole run of delimiters
// when condensing, and the chunk after a blank last-piece candidate. So taking the first pieces
// of an unbounded list reads only a little past them, and a single unbounded piece still yields
// its elements one by one. Matching is the straightforward
// one: at each position the predicates are tried from the first until one rejects, so a delimiter
// of k predicates costs at most k calls per input element. A caller's predicate that throws
// reaches whoever reads the affected piece.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/functor.hpp"
#include "fp/list.hpp"
#include "split/chunk.hpp"
#include "split/detail/cutter.hpp"
#include "split/detail/fragments.hpp"
#include "split/detail/list_cut.hpp"
#include "split/policies.hpp"
#include "split/splitter.hpp"

namespace split {

template <class T>
using Chunks = fp::List<Chunk<T>>;

// A delimiter match: the elements matched, and the input behind them.
template <class T>
using Match = std::pair<fp::List<T>, fp::List<T>>;

// The match of `d` at the very start of `xs`, or nothing. The empty delimiter matches (nothing,
// xs) without looking at xs; otherwise the predicates are tried in order on consecutive elements.
template <class T>
std::optional<Match<T>> matchDelim(const Delimiter<T>& d, fp::List<T> xs) {
  if (d.empty()) return Match<T>({}, std::move(xs));
  const std::span<const T> run = xs.run();
  if (run.empty()) return std::nullopt;
  if (d.matcher()->find(xs, run, 0, 1) != 0) return std::nullopt;
  const auto match = detail::Fragment<T>::delim(xs.dropInRun(0), d.matcher()->length());
  return Match<T>(match.elements(), match.after());
}

// The elements before the leftmost match of `d` in `xs`, and that match (or nothing). The
// elements come out one by one as the search passes them; the match is known once it is found.
template <class T>
std::pair<fp::List<T>, fp::Deferred<std::optional<Match<T>>>> breakDelim(const Delimiter<T>& d,
                                                                         fp::List<T> xs) {
  if (d.empty()) return {fp::List<T>(), std::optional<Match<T>>(Match<T>({}, std::move(xs)))};
  auto frags = detail::fragments(d.matcher(), std::move(xs));
  auto before = fp::List<T>::lazy([frags] { return detail::textAt(frags); });
  fp::Deferred<std::optional<Match<T>>> match([at = frags]() mutable -> std::optional<Match<T>> {
    detail::skipText(at);
    if (at.empty()) return std::nullopt;
    return Match<T>(at.head().elements(), at.head().after());
  });
  return {std::move(before), std::move(match)};
}

namespace detail {

template <class T>
Chunks<T> chunksAt(const Fragments<T>& frags) {
  if (frags.empty()) return {};
  const Fragment<T>& first = frags.head();
  const Fragments<T> rest = frags.tail();
  if (!first.isText())
    return Chunks<T>::cons(Delim(first.elements()), [rest] { return chunksAt(rest); });
  if (first.closed)
    return Chunks<T>::cons(Text(first.elements()), [rest] { return chunksAt(rest); });
  return Chunks<T>::cons(Text(textFrom(first, rest)),
                         [at = rest]() mutable { return chunksAt(skipText(at)); });
}

}  // namespace detail

// `xs` cut into Text chunks (the maximal non-empty stretches between matches) and Delim chunks
// (the matches), in order. With the empty delimiter: an empty Delim before every element, each
// element a Text chunk of its own.
template <class T>
Chunks<T> splitInternal(const Delimiter<T>& d, fp::List<T> xs) {
  return Chunks<T>::lazy(
      [frags = detail::fragments(d.matcher(), std::move(xs))] { return detail::chunksAt(frags); });
}

namespace detail {

template <class T>
Chunk<T> blank() {
  return Text(fp::List<T>());
}

template <class T>
bool isBlank(const Chunk<T>& c) {
  return c.isText() && c.elements().empty();
}

template <class T>
bool startsWithDelim(const Chunks<T>& chunks) {
  return !chunks.empty() && chunks.head().isDelim();
}

// Advances `chunks` to its first chunk that is not a delimiter, or the end. A step that skips
// advances the list it keeps in its own (mutable) capture: it then holds none of the chunks
// passed, so a run of any length is skipped in bounded memory, and a predicate that fails on
// the way leaves it where the next reader resumes.
template <class T>
const Chunks<T>& skipDelims(Chunks<T>& chunks) {
  while (startsWithDelim(chunks)) chunks = chunks.tail();
  return chunks;
}

// The elements of the run of Delim chunks that `chunks` starts with, one after another.
template <class T>
fp::List<T> delimRunAt(Chunks<T>& chunks) {
  while (startsWithDelim(chunks) && chunks.head().elements().empty()) chunks = chunks.tail();
  if (!startsWithDelim(chunks)) return {};
  return fp::append(chunks.head().elements(),
                    [rest = chunks.tail()]() mutable { return delimRunAt(rest); });
}

template <class T>
Chunks<T> condenseAt(const Chunks<T>& chunks) {
  if (chunks.empty()) return {};
  if (chunks.head().isText())
    return Chunks<T>::cons(chunks.head(), [rest = chunks.tail()] { return condenseAt(rest); });
  return Chunks<T>::cons(
      Delim(fp::List<T>::lazy([run = chunks]() mutable { return delimRunAt(run); })),
      [run = chunks]() mutable { return condenseAt(skipDelims(run)); });
}

template <class T>
Chunks<T> insertBlanksAt(CondensePolicy policy, const Chunks<T>& chunks) {
  if (chunks.empty()) return {};
  const Chunks<T> rest = chunks.tail();
  if (chunks.head().isText())
    return Chunks<T>::cons(chunks.head(), [policy, rest] { return insertBlanksAt(policy, rest); });
  // A delimiter comes out at once; the chunk after it decides what follows.
  return Chunks<T>::cons(chunks.head(), [policy, rest]() -> Chunks<T> {
    if (rest.empty()) return {blank<T>()};
    if (rest.head().isDelim() && policy != CondensePolicy::DropBlankFields)
      return Chunks<T>::cons(blank<T>(), [policy, rest] { return insertBlanksAt(policy, rest); });
    return insertBlanksAt(policy, rest);
  });
}

template <class T>
Chunks<T> textsAt(Chunks<T>& chunks) {
  const Chunks<T>& at = skipDelims(chunks);
  if (at.empty()) return {};
  return Chunks<T>::cons(at.head(), [rest = at.tail()]() mutable { return textsAt(rest); });
}

template <class T>
Chunks<T> mergeLeftAt(const Chunks<T>& chunks) {
  if (chunks.empty()) return {};
  const Chunk<T>& first = chunks.head();
  const Chunks<T> rest = chunks.tail();
  if (first.isDelim() && !rest.empty() && rest.head().isText())
    return Chunks<T>::cons(Text(fp::append(first.elements(), rest.head().elements())),
                           [after = rest.tail()] { return mergeLeftAt(after); });
  return Chunks<T>::cons(first, [rest] { return mergeLeftAt(rest); });
}

template <class T>
Chunks<T> mergeRightAt(const Chunks<T>& chunks) {
  if (chunks.empty()) return {};
  const Chunk<T>& first = chunks.head();
  const Chunks<T> rest = chunks.tail();
  if (first.isDelim()) return Chunks<T>::cons(first, [rest] { return mergeRightAt(rest); });
  // The text's own elements come out before the chunk after it is looked at.
  auto joined = fp::append(first.elements(), [rest] {
    return startsWithDelim(rest) ? rest.head().elements() : fp::List<T>();
  });
  return Chunks<T>::cons(Text(std::move(joined)), [rest] {
    return mergeRightAt(startsWithDelim(rest) ? rest.tail() : rest);
  });
}

template <class T>
Chunks<T> dropFinalAt(const Chunks<T>& chunks) {
  if (chunks.empty()) return {};
  const Chunks<T> rest = chunks.tail();
  if (isBlank(chunks.head()) && rest.empty()) return {};
  return Chunks<T>::cons(chunks.head(), [rest] { return dropFinalAt(rest); });
}

}  // namespace detail

// Under Condense, each maximal run of consecutive Delim chunks becomes one Delim chunk holding
// their elements in order; otherwise the chunks unchanged.
template <class T>
Chunks<T> doCondense(CondensePolicy policy, Chunks<T> chunks) {
  if (policy != CondensePolicy::Condense) return chunks;
  return Chunks<T>::lazy([chunks = std::move(chunks)] { return detail::condenseAt(chunks); });
}

// The walk of `insertBlanks`: a blank chunk after a last Delim, and between two Delims unless
// the policy is DropBlankFields.
template <class T>
Chunks<T> insertBlanksPrime(CondensePolicy policy, Chunks<T> chunks) {
  return Chunks<T>::lazy(
      [policy, chunks = std::move(chunks)] { return detail::insertBlanksAt(policy, chunks); });
}

// Blank chunks where pieces are missing: one for an empty list, one before a leading Delim, then
// those of `insertBlanksPrime`.
template <class T>
Chunks<T> insertBlanks(CondensePolicy policy, Chunks<T> chunks) {
  return Chunks<T>::lazy([policy, chunks = std::move(chunks)]() -> Chunks<T> {
    if (chunks.empty()) return {detail::blank<T>()};
    if (chunks.head().isDelim())
      return Chunks<T>::cons(detail::blank<T>(), insertBlanksPrime(policy, chunks));
    return detail::insertBlanksAt(policy, chunks);
  });
}

// Under Drop, the chunks without their Delim chunks; otherwise unchanged.
template <class T>
Chunks<T> doDrop(DelimPolicy policy, Chunks<T> chunks) {
  if (policy != DelimPolicy::Drop) return chunks;
  return Chunks<T>::lazy(
      [chunks = std::move(chunks)]() mutable { return detail::textsAt(chunks); });
}

// Each Delim chunk joined to the Text chunk directly after it; a Delim followed by another
// Delim, or last, stays.
template <class T>
Chunks<T> mergeLeft(Chunks<T> chunks) {
  return Chunks<T>::lazy([chunks = std::move(chunks)] { return detail::mergeLeftAt(chunks); });
}

// Each Text chunk joined to the Delim chunk directly after it; a Delim that directly follows
// another Delim, or comes first, stays.
template <class T>
Chunks<T> mergeRight(Chunks<T> chunks) {
  return Chunks<T>::lazy([chunks = std::move(chunks)] { return detail::mergeRightAt(chunks); });
}

// KeepLeft merges left, KeepRight merges right; Drop and Keep leave the chunks unchanged.
template <class T>
Chunks<T> doMerge(DelimPolicy policy, Chunks<T> chunks) {
  switch (policy) {
    case DelimPolicy::KeepLeft:
      return mergeLeft(std::move(chunks));
    case DelimPolicy::KeepRight:
      return mergeRight(std::move(chunks));
    default:
      return chunks;
  }
}

// Under DropBlank, the chunks without a blank first chunk; only that one is looked at.
template <class T>
Chunks<T> dropInitial(EndPolicy policy, Chunks<T> chunks) {
  if (policy == EndPolicy::KeepBlank) return chunks;
  return Chunks<T>::lazy([chunks = std::move(chunks)] {
    return !chunks.empty() && detail::isBlank(chunks.head()) ? chunks.tail() : chunks;
  });
}

// Under DropBlank, the chunks without a blank last chunk; only that one is removed.
template <class T>
Chunks<T> dropFinal(EndPolicy policy, Chunks<T> chunks) {
  if (policy == EndPolicy::KeepBlank) return chunks;
  return Chunks<T>::lazy([chunks = std::move(chunks)] { return detail::dropFinalAt(chunks); });
}

// The six stages in order, each under its policy of `s`; s's delimiter is not used.
template <class T>
Chunks<T> postProcess(const Splitter<T>& s, Chunks<T> chunks) {
  auto condensed = doCondense(s.condensePolicy, std::move(chunks));
  auto blanked = insertBlanks(s.condensePolicy, std::move(condensed));
  auto dropped = doDrop(s.delimPolicy, std::move(blanked));
  auto merged = doMerge(s.delimPolicy, std::move(dropped));
  return dropFinal(s.finalBlankPolicy, dropInitial(s.initBlankPolicy, std::move(merged)));
}

// The pieces of `xs` cut by strategy `s`: the elements of each chunk that `postProcess` leaves
// of `splitInternal`'s chunks. They are computed in one pass (split/detail/list_cut.hpp) that
// cuts the pieces of a buffer as slices of it, a stretch at a time.
template <class T>
fp::List<fp::List<T>> split(const Splitter<T>& s, fp::List<T> xs) {
  return detail::cutList(s.delimiter.matcher(), detail::cutterOf(s), std::move(xs));
}

// The engine for the element types used most is compiled into the library (src/engine.cpp);
// programs that split those reuse it.
#ifdef SPLIT_COMPILING_THE_ENGINE
#define SPLIT_DETAIL_EXTERN
#else
#define SPLIT_DETAIL_EXTERN extern
#endif
#define SPLIT_DETAIL_ENGINE_FOR(T)                                                           \
  SPLIT_DETAIL_EXTERN template Splitter<T> defaultSplitter();                                \
  SPLIT_DETAIL_EXTERN template std::optional<Match<T>> matchDelim(const Delimiter<T>&,       \
                                                                  fp::List<T>);              \
  SPLIT_DETAIL_EXTERN template std::pair<fp::List<T>, fp::Deferred<std::optional<Match<T>>>> \
  breakDelim(const Delimiter<T>&, fp::List<T>);                                              \
  SPLIT_DETAIL_EXTERN template Chunks<T> splitInternal(const Delimiter<T>&, fp::List<T>);    \
  SPLIT_DETAIL_EXTERN template Chunks<T> doCondense(CondensePolicy, Chunks<T>);              \
  SPLIT_DETAIL_EXTERN template Chunks<T> insertBlanksPrime(CondensePolicy, Chunks<T>);       \
  SPLIT_DETAIL_EXTERN template Chunks<T> insertBlanks(CondensePolicy, Chunks<T>);            \
  SPLIT_DETAIL_EXTERN template Chunks<T> doDrop(DelimPolicy, Chunks<T>);                     \
  SPLIT_DETAIL_EXTERN template Chunks<T> mergeLeft(Chunks<T>);                               \
  SPLIT_DETAIL_EXTERN template Chunks<T> mergeRight(Chunks<T>);                              \
  SPLIT_DETAIL_EXTERN template Chunks<T> doMerge(DelimPolicy, Chunks<T>);                    \
  SPLIT_DETAIL_EXTERN template Chunks<T> dropInitial(EndPolicy, Chunks<T>);                  \
  SPLIT_DETAIL_EXTERN template Chunks<T> dropFinal(EndPolicy, Chunks<T>);                    \
  SPLIT_DETAIL_EXTERN template Chunks<T> postProcess(const Splitter<T>&, Chunks<T>);         \
  SPLIT_DETAIL_EXTERN template fp::List<fp::List<T>> split(const Splitter<T>&, fp::List<T>);
SPLIT_DETAIL_ENGINE_FOR(char)
SPLIT_DETAIL_ENGINE_FOR(std::int64_t)
#undef SPLIT_DETAIL_ENGINE_FOR
#undef SPLIT_DETAIL_EXTERN

}  // namespace split
