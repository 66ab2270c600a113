// Generated cases run through every engine of split, each stage of the list engine, and the
// reference, for the differential test and the fuzz target.
//
//   split::testing::Case<char> c{...};
//   if (auto difference = split::testing::disagreement(c)) report(*difference);
//   if (auto difference = split::testing::stageDisagreement(c)) report(*difference);
//
// A case is a delimiter (of one of four kinds), a policy for each of the four fields, a limit
// on the delimiters (or none), an input, and the layout the list engine reads it in: one
// buffer, one cell per element, or buffers cut at given places. Each check returns where the
// library and the reference part ways, or nothing:
//
// - `disagreement`: the pieces of every engine in `engines()` (the list engine, the contiguous
//   engine, and the stages `postProcess(splitInternal(...))` composed by hand), against the
//   reference's. A new engine (another search over contiguous input, say) is one more row there.
// - `delimiterDisagreement`: what uses the delimiter only, `matchDelim` at every position,
//   `breakDelim` and `splitInternal`.
// - `stageDisagreement`: the six stages of `postProcess`, in order, each given what the
//   reference's stage before it gave, so that a fault shows at the stage that makes it.
// - `chunkStageDisagreement`: every stage on a chunk list of any shape (adjacent Text chunks,
//   blank ones, empty Delim chunks: shapes `splitInternal` never gives).
// - `forcingDisagreement`: how many cells of an input made on demand the first k pieces read,
//   for every k, against how many they, and the first k + 2, depend on
//   (reference::Splitting::needed).
//
// Elements are compared by their object representation where == would not do: a piece holds
// the input's own elements, so a NaN must come back as that NaN and -0.0 as -0.0. The
// count-based operations, splitOnce and the operations that take a predicate have checks of
// their own.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <ranges>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/list.hpp"
#include "split/testing/reference.hpp"
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

// The symbols cases draw on: three that collide often, and eight over the element type's
// corners (NUL and bytes with the high bit set; NaN, -0.0, infinities). `other` is one more,
// which no delimiter made of the three accepts.
template <class T>
struct Symbols;
template <>
struct Symbols<char> {
  static std::vector<char> few() { return {'a', 'b', 'c'}; }
  static std::vector<char> many() { return {'\0', 'a', 'b', ',', '\n', '\x7f', '\x80', '\xff'}; }
  static char other() { return 'd'; }
};
template <>
struct Symbols<int> {
  static std::vector<int> few() { return {0, 1, 2}; }
  static std::vector<int> many() {
    return {0, 1, -1, 2, 256, 257, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
  }
  static int other() { return 3; }
};
template <>
struct Symbols<double> {
  static std::vector<double> many() {
    constexpr double inf = std::numeric_limits<double>::infinity();
    return {0.0, -0.0, std::numeric_limits<double>::quiet_NaN(), 1.0, -1.0, inf, -inf,
            std::numeric_limits<double>::denorm_min()};
  }
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

template <class T>
using RefChunks = typename reference::Splitting<T>::Chunks;

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

// Whether two elements are the same: equal, and for floating point of the same bits.
template <class T>
bool same(const T& a, const T& b) {
  if constexpr (std::floating_point<T>)
    return std::memcmp(&a, &b, sizeof(T)) == 0;
  else
    return a == b;
}
template <class T>
bool same(const std::vector<T>& a, const std::vector<T>& b) {
  return std::ranges::equal(a, b, [](const T& x, const T& y) { return same(x, y); });
}
template <class T>
bool same(const Pieces<T>& a, const Pieces<T>& b) {
  return std::ranges::equal(a, b, [](const auto& x, const auto& y) { return same(x, y); });
}
template <class C>
  requires requires(const C& c) { c.delim; }
bool same(const std::vector<C>& a, const std::vector<C>& b) {
  return std::ranges::equal(
      a, b, [](const C& x, const C& y) { return x.delim == y.delim && same(x.elements, y.elements); });
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
template <class C>
  requires requires(const C& c) { c.delim; }
std::string show(const std::vector<C>& chunks) {
  std::string out;
  for (const C& c : chunks) {
    out += c.delim ? 'D' : 'T';
    out += show(c.elements);
    out += ' ';
  }
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

// The pieces of `postProcess(splitInternal(...))`, chunk by chunk.
template <class T>
fp::List<fp::List<T>> byStages(const Splitter<T>& s, fp::List<T> xs) {
  return fp::fmap([](const Chunk<T>& c) { return fromElem(c); },
                  postProcess(s, splitInternal(s.delimiter, std::move(xs))));
}

// One way of cutting a case's input by its strategy: the pieces, or nothing where it does not
// apply to the case.
template <class T>
struct Engine {
  const char* name;
  std::optional<Pieces<T>> (*pieces)(const Splitter<T>&, const Case<T>&);
};

template <class T>
const std::vector<Engine<T>>& engines() {
  static const std::vector<Engine<T>> all{
      {"list",
       [](const Splitter<T>& s, const Case<T>& c) -> std::optional<Pieces<T>> {
         const fp::List<T> list = listOf(c.input, c.layout);
         if (c.limit == reference::Splitting<T>::kNoLimit) return piecesOf(split::split(s, list));
         return piecesOf(split::split(maxSplits(c.limit, s), list));
       }},
      {"contiguous",
       [](const Splitter<T>& s, const Case<T>& c) -> std::optional<Pieces<T>> {
         const auto in = contiguous(c.input);
         if (c.limit == reference::Splitting<T>::kNoLimit) return piecesOf(split::split(s, in));
         return piecesOf(split::split(maxSplits(c.limit, s), in));
       }},
      {"stages",
       [](const Splitter<T>& s, const Case<T>& c) -> std::optional<Pieces<T>> {
         if (c.limit != reference::Splitting<T>::kNoLimit) return std::nullopt;
         return piecesOf(byStages(s, listOf(c.input, c.layout)));
       }},
  };
  return all;
}

// Where the engines and the reference part ways on a case, or nothing.
template <class T>
std::optional<std::string> disagreement(const Case<T>& c) {
  using Ref = reference::Splitting<T>;
  const auto [s, tests] = strategyOf(c);
  const Pieces<T> expected = Ref::split(tests, c.policies, c.limit, c.input);
  std::string results;
  bool differ = false;
  for (const Engine<T>& engine : engines<T>()) {
    const std::optional<Pieces<T>> pieces = engine.pieces(s, c);
    if (!pieces) continue;
    differ = differ || !same(*pieces, expected);
    results += "\n  " + std::string(engine.name) + ' ' + show(*pieces);
  }
  if (!differ) return std::nullopt;
  return show(c) + "\n  reference " + show(expected) + results;
}

// The chunks of a chunk list as the reference has them, and back.
template <class T>
RefChunks<T> referenceChunks(const fp::List<Chunk<T>>& chunks) {
  RefChunks<T> out;
  for (const Chunk<T>& c : chunks) out.push_back({c.isDelim(), c.elements().toVector()});
  return out;
}
template <class T>
fp::List<Chunk<T>> libraryChunks(const RefChunks<T>& chunks) {
  std::vector<Chunk<T>> out;
  for (const auto& c : chunks) {
    fp::List<T> elements = fp::List<T>::from(c.elements);
    out.push_back(c.delim ? Delim(std::move(elements)) : Text(std::move(elements)));
  }
  return fp::List<Chunk<T>>::from(std::move(out));
}

// A stage of postProcess, or one of the walks it uses, in the library and in the reference;
// each takes its policy from the splitter or the policies given.
template <class T>
struct Stage {
  const char* name;
  fp::List<Chunk<T>> (*library)(const Splitter<T>&, fp::List<Chunk<T>>);
  RefChunks<T> (*reference)(const reference::Policies&, const RefChunks<T>&);
};

// The six stages of postProcess in their order, then the walks and postProcess itself.
inline constexpr std::size_t kPostProcessStages = 6;
template <class T>
const std::vector<Stage<T>>& stages() {
  using Ref = reference::Splitting<T>;
  using Chunks = fp::List<Chunk<T>>;
  using P = reference::Policies;
  static const std::vector<Stage<T>> all{
      {"doCondense", [](const Splitter<T>& s, Chunks cs) { return doCondense(s.condensePolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::doCondense(p.condense, cs); }},
      {"insertBlanks",
       [](const Splitter<T>& s, Chunks cs) { return insertBlanks(s.condensePolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::insertBlanks(p.condense, cs); }},
      {"doDrop", [](const Splitter<T>& s, Chunks cs) { return doDrop(s.delimPolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::doDrop(p.delim, cs); }},
      {"doMerge", [](const Splitter<T>& s, Chunks cs) { return doMerge(s.delimPolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::doMerge(p.delim, cs); }},
      {"dropInitial",
       [](const Splitter<T>& s, Chunks cs) { return dropInitial(s.initBlankPolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::dropInitial(p.init, cs); }},
      {"dropFinal", [](const Splitter<T>& s, Chunks cs) { return dropFinal(s.finalBlankPolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::dropFinal(p.final, cs); }},
      {"insertBlanksPrime",
       [](const Splitter<T>& s, Chunks cs) { return insertBlanksPrime(s.condensePolicy, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::insertBlanksPrime(p.condense, cs); }},
      {"mergeLeft", [](const Splitter<T>&, Chunks cs) { return mergeLeft(cs); },
       [](const P&, const RefChunks<T>& cs) { return Ref::mergeLeft(cs); }},
      {"mergeRight", [](const Splitter<T>&, Chunks cs) { return mergeRight(cs); },
       [](const P&, const RefChunks<T>& cs) { return Ref::mergeRight(cs); }},
      {"postProcess", [](const Splitter<T>& s, Chunks cs) { return postProcess(s, cs); },
       [](const P& p, const RefChunks<T>& cs) { return Ref::postProcess(p, cs); }},
  };
  return all;
}

// Where `stage` of the library and of the reference part ways on `chunks`, or nothing.
template <class T>
std::optional<std::string> stageDifference(const Stage<T>& stage, const Splitter<T>& s,
                                           const reference::Policies& policies,
                                           const RefChunks<T>& chunks) {
  const RefChunks<T> expected = stage.reference(policies, chunks);
  const RefChunks<T> got = referenceChunks(stage.library(s, libraryChunks<T>(chunks)));
  if (same(got, expected)) return std::nullopt;
  std::ostringstream out;
  out << stage.name << " under " << policies.delim << ' ' << policies.condense << ' '
      << policies.init << ' ' << policies.final << " of " << show(chunks) << "\n  reference "
      << show(expected) << "\n  library   " << show(got);
  return out.str();
}

// The same for the stages of postProcess in order, from the chunks of the case's input.
template <class T>
std::optional<std::string> stageDisagreement(const Case<T>& c) {
  const auto [s, tests] = strategyOf(c);
  RefChunks<T> chunks = reference::Splitting<T>::splitInternal(tests, c.input);
  for (std::size_t i = 0; i < kPostProcessStages; ++i) {
    const Stage<T>& stage = stages<T>()[i];
    if (auto difference = stageDifference(stage, s, c.policies, chunks))
      return show(c) + "\n" + *difference;
    chunks = stage.reference(c.policies, chunks);
  }
  return std::nullopt;
}

// A chunk list of any shape and the policies to run every stage under.
template <class T>
struct ChunkCase {
  RefChunks<T> chunks;
  reference::Policies policies;
};

template <class T>
std::optional<std::string> chunkStageDisagreement(const ChunkCase<T>& c) {
  Splitter<T> s = defaultSplitter<T>();
  s.delimPolicy = c.policies.delim;
  s.condensePolicy = c.policies.condense;
  s.initBlankPolicy = c.policies.init;
  s.finalBlankPolicy = c.policies.final;
  for (const Stage<T>& stage : stages<T>())
    if (auto difference = stageDifference(stage, s, c.policies, c.chunks)) return difference;
  return std::nullopt;
}

// The same for what uses the delimiter only: matchDelim at every position, breakDelim and
// splitInternal.
template <class T>
std::optional<std::string> delimiterDisagreement(const Case<T>& c) {
  using Ref = reference::Splitting<T>;
  using Match = typename Ref::Match;
  const auto [s, tests] = strategyOf(c);
  const fp::List<T> list = listOf(c.input, c.layout);
  const auto vectors = [](const std::optional<split::Match<T>>& m) -> std::optional<Match> {
    if (!m) return std::nullopt;
    return Match(m->first.toVector(), m->second.toVector());
  };
  const auto sameMatch = [](const std::optional<Match>& a, const std::optional<Match>& b) {
    return a.has_value() == b.has_value() &&
           (!a || (same(a->first, b->first) && same(a->second, b->second)));
  };
  const auto showMatch = [](const std::optional<Match>& m) {
    return m ? show(m->first) + " then " + show(m->second) : std::string("none");
  };
  for (std::size_t i = 0; i <= c.input.size(); ++i) {
    const std::vector<T> rest(c.input.begin() + std::ptrdiff_t(i), c.input.end());
    const auto expected = Ref::matchDelim(tests, rest);
    const auto got = vectors(matchDelim(s.delimiter, list.drop(std::int64_t(i))));
    if (!sameMatch(got, expected))
      return show(c) + "\n  matchDelim at " + std::to_string(i) + "\n  reference " +
             showMatch(expected) + "\n  library   " + showMatch(got);
  }
  const auto [before, match] = breakDelim(s.delimiter, list);
  const auto expected = Ref::breakDelim(tests, c.input);
  const std::vector<T> gotBefore = before.toVector();
  const auto gotMatch = vectors(match.get());
  if (!same(gotBefore, expected.first) || !sameMatch(gotMatch, expected.second))
    return show(c) + "\n  breakDelim\n  reference " + show(expected.first) + ", " +
           showMatch(expected.second) + "\n  library   " + show(gotBefore) + ", " +
           showMatch(gotMatch);
  const RefChunks<T> chunks = Ref::splitInternal(tests, c.input);
  const RefChunks<T> got = referenceChunks(splitInternal(s.delimiter, list));
  if (!same(got, chunks))
    return show(c) + "\n  splitInternal\n  reference " + show(chunks) + "\n  library   " +
           show(got);
  return std::nullopt;
}

// The elements of `xs` from `at` on, one cell at a time, each made when first read; `made`
// counts the cells made, the end of the list being one too.
template <class T>
fp::List<T> madeOnDemand(std::shared_ptr<const std::vector<T>> xs, std::size_t at,
                         std::size_t* made) {
  return fp::List<T>::lazy([xs, at, made] {
    *made = std::max(*made, at + 1);
    if (at == xs->size()) return fp::List<T>();
    return fp::List<T>::cons((*xs)[at], madeOnDemand(xs, at + 1, made));
  });
}

// How many cells of the case's input, made on demand, reading the first k pieces of `cut` makes:
// each piece to its end, and the end of the pieces if there are fewer than k.
template <class T, class Cut>
std::size_t cellsRead(const Case<T>& c, std::size_t k, const Cut& cut) {
  std::size_t made = 0;
  fp::List<fp::List<T>> pieces =
      cut(madeOnDemand(std::make_shared<const std::vector<T>>(c.input), 0, &made));
  for (std::size_t i = 0; i < k && !pieces.empty(); ++i) {
    for (const T& x : pieces.head()) static_cast<void>(x);
    pieces = pieces.tail();
  }
  return made;
}

// Where the list engine, or the stages composed, read an input made on demand out of bounds
// when the first k pieces are read, for any k up to one past the number of pieces; or nothing.
// Reading the first k pieces reads at least what they depend on. It may look further, at what
// the policies may need to see (the chunk after a delimiter, the end of a run of them, whether
// a blank piece is the last), which lies in the pieces that follow: at most what the first
// k + 2 pieces depend on, the next piece being perhaps a delimiter that Keep makes a piece of
// its own. The list engine without a limit, over a delimiter that is not empty, reads exactly
// what the pieces depend on. The reference tries continuations of the input made of
// `alphabet`, which must hold an element of each kind that the delimiter tells apart.
template <class T>
std::optional<std::string> forcingDisagreement(const Case<T>& c, const std::vector<T>& alphabet) {
  using Ref = reference::Splitting<T>;
  const auto strategy = strategyOf(c);
  const Splitter<T>& s = strategy.first;
  const auto& tests = strategy.second;
  const Pieces<T> pieces = Ref::split(tests, c.policies, c.limit, c.input);
  // What decides the first pieces lies within a delimiter's length of the cells read: whether a
  // match goes on, whether one starts, whether the input ends there.
  const std::vector<std::size_t> needed = Ref::needed(tests, c.policies, c.limit, c.input,
                                                      alphabet, tests.size() + 1, pieces.size() + 3);
  const bool limited = c.limit != Ref::kNoLimit;
  const bool exact = !limited && !tests.empty();
  for (std::size_t k = 1; k <= pieces.size() + 1; ++k) {
    const std::size_t least = needed[k - 1], most = exact ? least : needed[k + 1];
    const std::size_t listRead = cellsRead(c, k, [&](fp::List<T> xs) {
      return limited ? split::split(maxSplits(c.limit, s), std::move(xs))
                     : split::split(s, std::move(xs));
    });
    // The stages know no limit.
    const std::size_t stagesRead =
        limited ? least : cellsRead(c, k, [&](fp::List<T> xs) { return byStages(s, xs); });
    if (listRead < least || listRead > most || stagesRead < least || stagesRead > needed[k + 1])
      return show(c) + "\n  the first " + std::to_string(k) + " of " + show(pieces) +
             "depend on " + std::to_string(least) + " cells, the first " + std::to_string(k + 2) +
             " on " + std::to_string(needed[k + 1]) + "; the list engine reads " +
             std::to_string(listRead) + ", the stages " + std::to_string(stagesRead);
  }
  return std::nullopt;
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
  if (same(byList, expected) && same(byContiguous, expected)) return std::nullopt;
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
  const auto sameParts = [&](const std::optional<Pieces<T>>& parts) {
    return parts.has_value() == wanted.has_value() && (!parts || same(*parts, *wanted));
  };
  if (sameParts(vectors(byList)) && sameParts(vectors(byContiguous))) return std::nullopt;
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
  if (same(byList, expected) && same(byContiguous, expected)) return std::nullopt;
  static const char* const kinds[] = {"chunksOf", "splitPlaces", "splitPlacesBlanks", "divvy",
                                      "chop"};
  return std::string(kinds[int(c.kind)]) + " n " + std::to_string(c.n) + " m " +
         std::to_string(c.m) + " counts " + show(c.counts) + " input " + show(c.input) +
         "\n  reference  " + show(expected) + "\n  list       " + show(byList) +
         "\n  contiguous " + show(byContiguous);
}

}  // namespace split::testing
