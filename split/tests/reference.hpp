// A plain, eager reading of the splitting rules over std::vector, to check the engines against.
//
//   using R = split::reference::Splitting<int>;
//   R::Tests isZero{[](const int& x) { return x == 0; }};
//   R::split(isZero, {DelimPolicy::Drop, ...}, R::kNoLimit, {1, 0, 2})   // {{1}, {2}}
//
// It shares no code with the library. The chunk list is built in full by trying the delimiter at
// every position from the left, the six stages then rewrite it one after the other, each a loop
// over a vector, in the order and with the rules that define them; the count-based operations
// are loops over indices. Slow, and meant to be obviously right.
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
  static constexpr std::int64_t kNoLimit = -1;

  struct Chunk {
    bool delim;
    Elements elements;
  };
  using Chunks = std::vector<Chunk>;

  // The length of the match of `tests` at xs[i], if it matches there.
  static std::optional<std::size_t> matchAt(const Tests& tests, const Elements& xs, std::size_t i) {
    for (std::size_t k = 0; k < tests.size(); ++k)
      if (i + k >= xs.size() || !tests[k](xs[i + k])) return std::nullopt;
    return tests.size();
  }

  // The Text and Delim chunks of xs, leftmost match first; with no tests, an empty Delim before
  // each element, each element a Text of its own.
  static Chunks chunks(const Tests& tests, const Elements& xs) {
    Chunks out;
    Elements text;
    const auto flush = [&] {
      if (!text.empty()) out.push_back({false, text});
      text.clear();
    };
    for (std::size_t i = 0; i < xs.size();) {
      if (const auto k = matchAt(tests, xs, i)) {
        flush();
        out.push_back({true, Elements(xs.begin() + i, xs.begin() + i + *k)});
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

  static Chunks condense(const Chunks& in) {
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

  static Chunks insertBlanks(CondensePolicy policy, const Chunks& in) {
    if (in.empty()) return {{false, {}}};
    Chunks out;
    if (in.front().delim) out.push_back({false, {}});
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

  static Chunks drop(DelimPolicy policy, const Chunks& in) {
    if (policy != DelimPolicy::Drop) return in;
    Chunks out;
    for (const Chunk& c : in)
      if (!c.delim) out.push_back(c);
    return out;
  }

  static Chunks merge(DelimPolicy policy, const Chunks& in) {
    Chunks out;
    if (policy == DelimPolicy::KeepLeft) {
      for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i].delim && i + 1 < in.size() && !in[i + 1].delim) {
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
    if (policy == DelimPolicy::KeepRight) {
      for (std::size_t i = 0; i < in.size(); ++i) {
        if (!in[i].delim && i + 1 < in.size() && in[i + 1].delim) {
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
    return in;
  }

  static bool blank(const Chunk& c) { return !c.delim && c.elements.empty(); }

  static Pieces split(const Tests& tests, Policies p, std::int64_t maxDelims, const Elements& xs) {
    Chunks cs = chunks(tests, xs);
    if (p.condense == CondensePolicy::Condense) cs = condense(cs);
    cs = limit(cs, maxDelims);
    cs = merge(p.delim, drop(p.delim, insertBlanks(p.condense, cs)));
    if (p.init == EndPolicy::DropBlank && !cs.empty() && blank(cs.front())) cs.erase(cs.begin());
    if (p.final == EndPolicy::DropBlank && !cs.empty() && blank(cs.back())) cs.pop_back();
    Pieces out;
    for (const Chunk& c : cs) out.push_back(c.elements);
    return out;
  }

  // The part before the first match and the part after it.
  static std::optional<std::pair<Elements, Elements>> splitOnce(const Tests& tests,
                                                                const Elements& xs) {
    for (std::size_t i = 0; i <= xs.size(); ++i)
      if (const auto k = matchAt(tests, xs, i))
        return std::pair(Elements(xs.begin(), xs.begin() + i),
                         Elements(xs.begin() + i + *k, xs.end()));
    return std::nullopt;
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
