// A plain, eager reading of the splitting rules over std::vector, to check the engines against.
//
//   using R = split::reference::Splitting<int>;
//   R::Tests isZero{[](const int& x) { return x == 0; }};
//   R::split(isZero, {DelimPolicy::Drop, ...}, R::kNoLimit, {1, 0, 2})   // {{1}, {2}}
//   R::postProcess(policies, R::splitInternal(isZero, {1, 0, 2}))        // the same, as chunks
//
// It shares no code with the library. Each stage of the engine is a function of the same name
// here, a loop over a vector doing what the stage's rule says: `splitInternal` tries the
// delimiter at every position from the left, the six stages of `postProcess` rewrite the chunk
// list one after the other. `needed` says how much of an input the first pieces depend on. The
// count-based operations are loops over indices. Slow, and meant to be obviously right.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "split/policies.hpp"

namespace split::reference {

struct Policies {
  DelimPolicy delim;
  CondensePolicy condense;
  EndPolicy init;
  EndPolicy final;
};

template <class T>
struct Splitting {
  using Elements = std::vector<T>;
  using Pieces = std::vector<Elements>;
  using Tests = std::vector<std::function<bool(const T&)>>;
  using Match = std::pair<Elements, Elements>;  // the elements matched, and the rest
  static constexpr std::int64_t kNoLimit = -1;

  struct Chunk {
    bool delim;
    Elements elements;
  };
  using Chunks = std::vector<Chunk>;

  static bool blank(const Chunk& c) { return !c.delim && c.elements.empty(); }

  // The length of the match of `tests` at xs[i], if it matches there.
  static std::optional<std::size_t> matchAt(const Tests& tests, const Elements& xs, std::size_t i) {
    for (std::size_t k = 0; k < tests.size(); ++k)
      if (i + k >= xs.size() || !tests[k](xs[i + k])) return std::nullopt;
    return tests.size();
  }

  static Elements slice(const Elements& xs, std::size_t from, std::size_t to) {
    return Elements(xs.begin() + std::ptrdiff_t(from), xs.begin() + std::ptrdiff_t(to));
  }

  // The match at the start of xs.
  static std::optional<Match> matchDelim(const Tests& tests, const Elements& xs) {
    const auto k = matchAt(tests, xs, 0);
    if (!k) return std::nullopt;
    return Match(slice(xs, 0, *k), slice(xs, *k, xs.size()));
  }

  // The elements before the leftmost match, and that match.
  static std::pair<Elements, std::optional<Match>> breakDelim(const Tests& tests,
                                                              const Elements& xs) {
    for (std::size_t i = 0; i <= xs.size(); ++i)
      if (const auto k = matchAt(tests, xs, i))
        return {slice(xs, 0, i), Match(slice(xs, i, i + *k), slice(xs, i + *k, xs.size()))};
    return {xs, std::nullopt};
  }

  // The Text and Delim chunks of xs, leftmost match first; with no tests, an empty Delim before
  // each element, each element a Text of its own.
  static Chunks splitInternal(const Tests& tests, const Elements& xs) {
    Chunks out;
    Elements text;
    const auto flush = [&] {
      if (!text.empty()) out.push_back({false, text});
      text.clear();
    };
    for (std::size_t i = 0; i < xs.size();) {
      if (const auto k = matchAt(tests, xs, i)) {
        flush();
        out.push_back({true, slice(xs, i, i + *k)});
        if (*k == 0) {
          out.push_back({false, {xs[i]}});
          ++i;
        } else {
          i += *k;
        }
      } else {
        text.push_back(xs[i++]);
      }
    }
    flush();
    return out;
  }

  static Chunks doCondense(CondensePolicy policy, const Chunks& in) {
    if (policy != CondensePolicy::Condense) return in;
    Chunks out;
    for (const Chunk& c : in) {
      if (c.delim && !out.empty() && out.back().delim)
        out.back().elements.insert(out.back().elements.end(), c.elements.begin(),
                                   c.elements.end());
      else
        out.push_back(c);
    }
    return out;
  }

  // A blank after a last Delim, and between two Delims unless the policy is DropBlankFields.
  static Chunks insertBlanksPrime(CondensePolicy policy, const Chunks& in) {
    Chunks out;
    for (std::size_t i = 0; i < in.size(); ++i) {
      out.push_back(in[i]);
      if (!in[i].delim) continue;
      if (i + 1 == in.size())
        out.push_back({false, {}});
      else if (in[i + 1].delim && policy != CondensePolicy::DropBlankFields)
        out.push_back({false, {}});
    }
    return out;
  }

  static Chunks insertBlanks(CondensePolicy policy, const Chunks& in) {
    if (in.empty()) return {{false, {}}};
    Chunks out;
    if (in.front().delim) out.push_back({false, {}});
    for (Chunk& c : insertBlanksPrime(policy, in)) out.push_back(std::move(c));
    return out;
  }

  static Chunks doDrop(DelimPolicy policy, const Chunks& in) {
    if (policy != DelimPolicy::Drop) return in;
    Chunks out;
    for (const Chunk& c : in)
      if (!c.delim) out.push_back(c);
    return out;
  }

  // Each chunk of kind `first` directly followed by one of the other kind becomes one Text
  // holding the elements of both.
  static Chunks joinPairs(const Chunks& in, bool firstIsDelim) {
    Chunks out;
    for (std::size_t i = 0; i < in.size(); ++i) {
      if (in[i].delim == firstIsDelim && i + 1 < in.size() && in[i + 1].delim != firstIsDelim) {
        Elements joined = in[i].elements;
        joined.insert(joined.end(), in[i + 1].elements.begin(), in[i + 1].elements.end());
        out.push_back({false, joined});
        ++i;
      } else {
        out.push_back(in[i]);
      }
    }
    return out;
  }
  static Chunks mergeLeft(const Chunks& in) { return joinPairs(in, true); }
  static Chunks mergeRight(const Chunks& in) { return joinPairs(in, false); }

  static Chunks doMerge(DelimPolicy policy, const Chunks& in) {
    if (policy == DelimPolicy::KeepLeft) return mergeLeft(in);
    if (policy == DelimPolicy::KeepRight) return mergeRight(in);
    return in;
  }

  static Chunks dropInitial(EndPolicy policy, Chunks in) {
    if (policy == EndPolicy::DropBlank && !in.empty() && blank(in.front())) in.erase(in.begin());
    return in;
  }

  static Chunks dropFinal(EndPolicy policy, Chunks in) {
    if (policy == EndPolicy::DropBlank && !in.empty() && blank(in.back())) in.pop_back();
    return in;
  }

  static Chunks postProcess(Policies p, const Chunks& in) {
    Chunks cs = doCondense(p.condense, in);
    cs = insertBlanks(p.condense, cs);
    cs = doDrop(p.delim, cs);
    cs = doMerge(p.delim, cs);
    cs = dropInitial(p.init, std::move(cs));
    return dropFinal(p.final, std::move(cs));
  }

  // Everything after the n-th Delim chunk becomes one Text chunk.
  static Chunks limit(const Chunks& in, std::int64_t n) {
    if (n < 0) return in;
    Chunks out;
    std::int64_t delims = 0;
    Elements rest;
    for (const Chunk& c : in) {
      if (delims == n)
        rest.insert(rest.end(), c.elements.begin(), c.elements.end());
      else
        out.push_back(c);
      if (c.delim && delims < n) ++delims;
    }
    if (!rest.empty()) out.push_back({false, rest});
    return out;
  }

  static Pieces split(const Tests& tests, Policies p, std::int64_t maxDelims, const Elements& xs) {
    Chunks cs = splitInternal(tests, xs);
    // A limit counts the delimiters left by condensing; condensing them again changes nothing.
    if (maxDelims != kNoLimit) cs = limit(doCondense(p.condense, cs), maxDelims);
    Pieces out;
    for (const Chunk& c : postProcess(p, cs)) out.push_back(c.elements);
    return out;
  }

  // For k = 1 .. most: how many leading cells of xs the first k pieces depend on, the end of xs
  // counting as the cell after its last element. That is the least p such that every input
  // beginning with the first p cells of xs has the same first k pieces as xs (the same pieces,
  // or the same fewer than k): what an engine must have read, at least, to deliver them. The
  // inputs tried go on for up to `horizon` elements past those p cells, each one of `alphabet`.
  static std::vector<std::size_t> needed(const Tests& tests, Policies p, std::int64_t maxDelims,
                                         const Elements& xs, const Elements& alphabet,
                                         std::size_t horizon, std::size_t most) {
    // Every sequence of up to `horizon` elements of the alphabet, the shortest first.
    std::vector<Elements> continuations{{}};
    for (std::size_t from = 0; continuations.back().size() < horizon;) {
      const std::size_t to = continuations.size();
      for (std::size_t i = from; i < to; ++i)
        for (const T& x : alphabet) {
          Elements longer = continuations[i];
          longer.push_back(x);
          continuations.push_back(std::move(longer));
        }
      from = to;
    }
    const auto first = [](const Pieces& pieces, std::size_t k) {
      return Pieces(pieces.begin(), pieces.begin() + std::ptrdiff_t(std::min(k, pieces.size())));
    };
    const Pieces whole = split(tests, p, maxDelims, xs);
    std::size_t cells = 0;
    // The pieces of the first `cells` cells of xs followed by each continuation, as tried.
    std::vector<std::optional<Pieces>> tried(continuations.size());
    const auto decides = [&](std::size_t k) {
      if (cells > xs.size()) return true;
      const Pieces wanted = first(whole, k);
      for (std::size_t i = 0; i < continuations.size(); ++i) {
        if (!tried[i]) {
          Elements input = slice(xs, 0, cells);
          input.insert(input.end(), continuations[i].begin(), continuations[i].end());
          tried[i] = split(tests, p, maxDelims, input);
        }
        if (first(*tried[i], k) != wanted) return false;
      }
      return true;
    };
    std::vector<std::size_t> out;
    for (std::size_t k = 1; k <= most; ++k) {
      while (!decides(k)) {
        ++cells;
        tried.assign(tried.size(), std::nullopt);
      }
      out.push_back(cells);
    }
    return out;
  }

  // The part before the first match and the part after it.
  static std::optional<std::pair<Elements, Elements>> splitOnce(const Tests& tests,
                                                                const Elements& xs) {
    auto [before, match] = breakDelim(tests, xs);
    if (!match) return std::nullopt;
    return std::pair(std::move(before), std::move(match->second));
  }

  // At most `most` pieces of chunksOf: chunks of i from 0, i, 2i, ...; for i <= 0, empty ones.
  static Pieces chunksOf(std::int64_t i, const Elements& xs, std::size_t most) {
    Pieces out;
    for (std::size_t at = 0; at < xs.size() && out.size() < most;) {
      const std::size_t n = i <= 0 ? 0 : std::min<std::size_t>(std::size_t(i), xs.size() - at);
      out.emplace_back(xs.begin() + at, xs.begin() + at + n);
      at += n;
    }
    return out;
  }

  static Pieces splitPlaces(const std::vector<std::int64_t>& counts, const Elements& xs,
                            bool blanks) {
    Pieces out;
    std::size_t at = 0;
    for (std::int64_t k : counts) {
      if (!blanks && at == xs.size()) break;
      const std::size_t n = k <= 0 ? 0 : std::min<std::size_t>(std::size_t(k), xs.size() - at);
      out.emplace_back(xs.begin() + at, xs.begin() + at + n);
      at += n;
    }
    return out;
  }

  // chop with a cut that takes the first `take` elements and leaves all but the first `skip`
  // (skip > 0).
  static Pieces chop(std::int64_t take, std::int64_t skip, const Elements& xs) {
    Pieces out;
    for (std::size_t at = 0; at < xs.size(); at += std::size_t(skip))
      out.emplace_back(xs.begin() + at,
                       xs.begin() + std::min<std::size_t>(xs.size(), at + std::size_t(take)));
    return out;
  }

  // Windows of n starting every m (m > 0), only the full ones.
  static Pieces divvy(std::int64_t n, std::int64_t m, const Elements& xs) {
    Pieces out;
    for (std::size_t at = 0; at < xs.size(); at += std::size_t(m))
      if (n >= 0 && xs.size() - at >= std::size_t(n))
        out.emplace_back(xs.begin() + at, xs.begin() + at + n);
    return out;
  }
};

}  // namespace split::reference
