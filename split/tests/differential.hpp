// One generated case run through the list engine, the contiguous engine and the reference, for
// the differential test and the fuzz target.
//
//   split::testing::Case<char> c{...};
//   if (auto difference = split::testing::disagreement(c)) report(*difference);
//
// A case is a delimiter (of one of four kinds), a policy for each of the four fields, a limit
// on the delimiters (or none), an input, and the layout the list engine reads it in: one
// buffer, one cell per element, or buffers cut at given places. The count-based operations have
// cases of their own; splitOnce and the operations that take a predicate use the splitter cases.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ranges>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/list.hpp"
#include "reference.hpp"
#include "split/split.hpp"

namespace split::testing {

enum class DelimKind : std::uint8_t {
  Sublist,     // onSublist(elements)
  OneOf,       // oneOf(elements)
  Predicate,   // whenElt(x is one of elements)
  Predicates,  // a Delimiter of one predicate per element e: x <= e
};

template <class T>
struct Layout {
  bool cells = false;               // one cell per element
  std::vector<std::size_t> cuts{};  // else buffers, cut before these positions
};

template <class T>
struct Case {
  DelimKind kind;
  std::vector<T> elements;
  reference::Policies policies;
  std::int64_t limit;  // reference::Splitting<T>::kNoLimit for none
  std::vector<T> input;
  Layout<T> layout;
};

template <class T>
fp::List<T> listOf(const std::vector<T>& xs, const Layout<T>& layout) {
  if (layout.cells) {
    fp::List<T> out;
    for (auto x = xs.rbegin(); x != xs.rend(); ++x) out = fp::List<T>::cons(*x, out);
    return out;
  }
  fp::List<T> out;
  std::size_t end = xs.size();
  for (auto cut = layout.cuts.rbegin(); cut != layout.cuts.rend(); ++cut) {
    if (*cut >= end) continue;
    out = fp::append(fp::List<T>::from(std::vector<T>(xs.begin() + std::ptrdiff_t(*cut),
                                                      xs.begin() + std::ptrdiff_t(end))),
                     out);
    end = *cut;
  }
  return fp::append(fp::List<T>::from(std::vector<T>(xs.begin(), xs.begin() + std::ptrdiff_t(end))),
                    out);
}

template <class T>
using Pieces = std::vector<std::vector<T>>;

// The pieces of either engine's result as vectors, at most `most` of them.
template <class R>
auto piecesOf(const R& pieces, std::size_t most = SIZE_MAX) {
  using T = std::remove_cv_t<std::ranges::range_value_t<std::ranges::range_value_t<R>>>;
  Pieces<T> out;
  for (auto it = std::ranges::begin(pieces); it != std::ranges::end(pieces); ++it) {
    if (out.size() == most) break;
    const auto piece = *it;
    out.emplace_back(std::ranges::begin(piece), std::ranges::end(piece));
  }
  return out;
}

// The contiguous input of the elements: a string for characters, a vector for the rest.
template <class T>
auto contiguous(const std::vector<T>& xs) {
  if constexpr (std::same_as<T, char>)
    return std::string(xs.begin(), xs.end());
  else
    return xs;
}

template <class T>
std::string show(const std::vector<T>& xs) {
  std::ostringstream out;
  out << '[';
  for (std::size_t i = 0; i < xs.size(); ++i) out << (i ? "," : "") << +xs[i];
  out << ']';
  return out.str();
}
template <class T>
std::string show(const Pieces<T>& pieces) {
  std::string out;
  for (const auto& piece : pieces) out += show(piece) + ' ';
  return out;
}

template <class T>
std::string show(const Case<T>& c) {
  std::ostringstream out;
  static const char* const kinds[] = {"onSublist", "oneOf", "whenElt(in)", "predicates(<=)"};
  out << kinds[int(c.kind)] << show(c.elements) << ' ' << c.policies.delim << ' '
      << c.policies.condense << ' ' << c.policies.init << ' ' << c.policies.final << " limit "
      << c.limit << " input " << show(c.input) << " layout "
      << (c.layout.cells ? std::string("cells") : "cuts " + show(c.layout.cuts));
  return out.str();
}

// The library's strategy and the reference's tests for a case.
template <class T>
std::pair<Splitter<T>, typename reference::Splitting<T>::Tests> strategyOf(const Case<T>& c) {
  using Tests = typename reference::Splitting<T>::Tests;
  Splitter<T> s = defaultSplitter<T>();
  Tests tests;
  const std::vector<T>& es = c.elements;
  const auto isOneOf = [es](const T& x) { return std::find(es.begin(), es.end(), x) != es.end(); };
  switch (c.kind) {
    case DelimKind::Sublist:
      s = onSublist<T>(es);
      for (T e : es) tests.push_back([e](const T& x) { return x == e; });
      break;
    case DelimKind::OneOf:
      s = oneOf<T>(es);
      tests.push_back(isOneOf);
      break;
    case DelimKind::Predicate:
      s = whenElt<T>(isOneOf);
      tests.push_back(isOneOf);
      break;
    case DelimKind::Predicates: {
      std::vector<Predicate<T>> predicates;
      for (T e : es) predicates.push_back([e](const T& x) { return x <= e; });
      s.delimiter = Delimiter<T>(fp::List<Predicate<T>>::from(predicates));
      tests.assign(predicates.begin(), predicates.end());
      break;
    }
  }
  s.delimPolicy = c.policies.delim;
  s.condensePolicy = c.policies.condense;
  s.initBlankPolicy = c.policies.init;
  s.finalBlankPolicy = c.policies.final;
  return {std::move(s), std::move(tests)};
}

// Where the engines and the reference part ways on a case, or nothing.
template <class T>
std::optional<std::string> disagreement(const Case<T>& c) {
  using Ref = reference::Splitting<T>;
  const auto [s, tests] = strategyOf(c);
  const Pieces<T> expected = Ref::split(tests, c.policies, c.limit, c.input);
  const fp::List<T> list = listOf(c.input, c.layout);
  const auto in = contiguous(c.input);
  Pieces<T> byList, byContiguous;
  if (c.limit == Ref::kNoLimit) {
    byList = piecesOf(split::split(s, list));
    byContiguous = piecesOf(split::split(s, in));
  } else {
    byList = piecesOf(split::split(maxSplits(c.limit, s), list));
    byContiguous = piecesOf(split::split(maxSplits(c.limit, s), in));
  }
  if (byList == expected && byContiguous == expected) return std::nullopt;
  return show(c) + "\n  reference  " + show(expected) + "\n  list       " + show(byList) +
         "\n  contiguous " + show(byContiguous);
}

// The operations that take a predicate of the caller's own type, which the contiguous engine
// keeps in that type and calls inline, with the policies they stand for.
enum class PredicateOperation : std::uint8_t { SplitWhen, LinesBy, WordsBy };

// Where the engines and the reference part ways on `op` with the predicate "is one of the
// case's elements" (the case's kind, policies and limit play no part), or nothing.
template <class T>
std::optional<std::string> predicateOperationDisagreement(PredicateOperation op, const Case<T>& c) {
  const std::vector<T>& es = c.elements;
  const auto isOneOf = [es](const T& x) { return std::find(es.begin(), es.end(), x) != es.end(); };
  const fp::List<T> list = listOf(c.input, c.layout);
  const auto in = contiguous(c.input);
  reference::Policies policies{};
  Pieces<T> byList, byContiguous;
  switch (op) {
    case PredicateOperation::SplitWhen:
      policies = {DelimPolicy::Drop, CondensePolicy::KeepBlankFields, EndPolicy::KeepBlank,
                  EndPolicy::KeepBlank};
      byList = piecesOf(splitWhen(isOneOf, list));
      byContiguous = piecesOf(splitWhen(isOneOf, in));
      break;
    case PredicateOperation::LinesBy:
      policies = {DelimPolicy::Drop, CondensePolicy::KeepBlankFields, EndPolicy::KeepBlank,
                  EndPolicy::DropBlank};
      byList = piecesOf(linesBy(isOneOf, list));
      byContiguous = piecesOf(linesBy(isOneOf, in));
      break;
    case PredicateOperation::WordsBy:
      policies = {DelimPolicy::Drop, CondensePolicy::Condense, EndPolicy::DropBlank,
                  EndPolicy::DropBlank};
      byList = piecesOf(wordsBy(isOneOf, list));
      byContiguous = piecesOf(wordsBy(isOneOf, in));
      break;
  }
  using Ref = reference::Splitting<T>;
  const Pieces<T> expected = Ref::split({isOneOf}, policies, Ref::kNoLimit, c.input);
  if (byList == expected && byContiguous == expected) return std::nullopt;
  static const char* const names[] = {"splitWhen", "linesBy", "wordsBy"};
  return std::string(names[int(op)]) + "(in " + show(c.elements) + ") input " + show(c.input) +
         "\n  reference  " + show(expected) + "\n  list       " + show(byList) +
         "\n  contiguous " + show(byContiguous);
}

// The same for splitOnce.
template <class T>
std::optional<std::string> splitOnceDisagreement(const Case<T>& c) {
  const auto [s, tests] = strategyOf(c);
  const auto expected = reference::Splitting<T>::splitOnce(tests, c.input);
  const auto in = contiguous(c.input);
  const auto byList = splitOnce(s, listOf(c.input, c.layout));
  const auto byContiguous = splitOnce(s, in);
  const auto vectors = [](const auto& parts) {
    return parts ? std::optional(Pieces<T>{std::vector<T>(parts->first.begin(), parts->first.end()),
                                           std::vector<T>(parts->second.begin(), parts->second.end())})
                 : std::nullopt;
  };
  const auto wanted = vectors(expected);
  if (vectors(byList) == wanted && vectors(byContiguous) == wanted) return std::nullopt;
  return "splitOnce " + show(c) + "\n  reference  " + (wanted ? show(*wanted) : "none") +
         "\n  list       " + (byList ? show(*vectors(byList)) : "none") + "\n  contiguous " +
         (byContiguous ? show(*vectors(byContiguous)) : "none");
}

// Runs f(path) once for each scan path this processor has, each forced while f runs; the path
// in force before is restored after.
template <class F>
void forEachScanPath(F f) {
  struct Restore {
    ScanPath path = scanPath();
    ~Restore() { setScanPath(path); }
  } restore;
  for (const ScanPath path : {ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2}) {
    if (!scanPathAvailable(path)) continue;
    setScanPath(path);
    f(path);
  }
}

// A count-based operation, with its numbers.
enum class CountKind : std::uint8_t { ChunksOf, SplitPlaces, SplitPlacesBlanks, Divvy, Chop };

template <class T>
struct CountCase {
  CountKind kind;
  std::int64_t n;  // chunksOf's size, divvy's window, chop's take
  std::int64_t m;  // divvy's step (positive), chop's drop (positive)
  std::vector<std::int64_t> counts;
  std::vector<T> input;
  Layout<T> layout;
};

template <class T>
std::optional<std::string> countDisagreement(const CountCase<T>& c) {
  using Ref = reference::Splitting<T>;
  constexpr std::size_t kMost = 16;  // chunksOf(0, ...) is unbounded
  const fp::List<T> list = listOf(c.input, c.layout);
  const auto in = contiguous(c.input);
  using View = PieceView<T>;
  Pieces<T> expected, byList, byContiguous;
  switch (c.kind) {
    case CountKind::ChunksOf:
      expected = Ref::chunksOf(c.n, c.input, kMost);
      byList = piecesOf(chunksOf(c.n, list), kMost);
      byContiguous = piecesOf(chunksOf(c.n, in), kMost);
      break;
    case CountKind::SplitPlaces:
    case CountKind::SplitPlacesBlanks: {
      const bool blanks = c.kind == CountKind::SplitPlacesBlanks;
      expected = Ref::splitPlaces(c.counts, c.input, blanks);
      byList = piecesOf(blanks ? splitPlacesBlanks(c.counts, list) : splitPlaces(c.counts, list));
      byContiguous =
          blanks ? piecesOf(splitPlacesBlanks(c.counts, in)) : piecesOf(splitPlaces(c.counts, in));
      break;
    }
    case CountKind::Divvy:
      expected = Ref::divvy(c.n, c.m, c.input);
      byList = piecesOf(divvy(c.n, c.m, list));
      byContiguous = piecesOf(divvy(c.n, c.m, in));
      break;
    case CountKind::Chop: {
      const std::int64_t take = c.n, skip = c.m;
      expected = Ref::chop(take, skip, c.input);
      byList = piecesOf(chop([=](const fp::List<T>& xs) { return std::pair(xs.take(take), xs.drop(skip)); },
                             list));
      byContiguous = piecesOf(chop(
          [=](View v) {
            return std::pair(View(v.data(), std::min<std::size_t>(v.size(), std::size_t(take))),
                             View(v.data() + std::min<std::size_t>(v.size(), std::size_t(skip)),
                                  v.size() - std::min<std::size_t>(v.size(), std::size_t(skip))));
          },
          in));
      break;
    }
  }
  if (byList == expected && byContiguous == expected) return std::nullopt;
  static const char* const kinds[] = {"chunksOf", "splitPlaces", "splitPlacesBlanks", "divvy",
                                      "chop"};
  return std::string(kinds[int(c.kind)]) + " n " + std::to_string(c.n) + " m " +
         std::to_string(c.m) + " counts " + show(c.counts) + " input " + show(c.input) +
         "\n  reference  " + show(expected) + "\n  list       " + show(byList) +
         "\n  contiguous " + show(byContiguous);
}

}  // namespace split::testing
