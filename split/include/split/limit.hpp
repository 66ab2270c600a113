// Splitting at the first delimiters only: a limit on how many, and the split at the first one.
//
//   auto firstOnly = split::maxSplits(1, split::dropDelims(split::oneOf("=")));
//   split::split(firstOnly, "k=v=w")                     // "k" "v=w"
//   split::split(split::maxSplits(2, split::dropDelims(split::onSublist(","))), "a,b,c,d")
//                                                        // "a" "b" "c,d"
//   if (auto kv = split::splitOnce("=", line)) use(kv->first, kv->second);
//   split::splitOnce(", ", "no comma")                   // std::nullopt
//
// `maxSplits(n, s)` splits where `s` would at the first n delimiters of the input and no further:
// the rest, delimiters and all, is one last text. Under Condense a run of adjacent matches
// counts as one delimiter, as it does for the policies; the policies apply to what is cut as they
// always do (a limit of 0 leaves the whole input as the one text). `splitOnce(d, input)` is the
// part before the first match of the delimiter and the part after it, or nothing if there is no
// match; d is a sublist, or a splitter whose delimiter is used. Both work over an fp::List and
// over contiguous input, as `split` does. Over an fp::List, `maxSplits` is produced on demand;
// `splitOnce` has to find the match (or the end of the input) before it can answer.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "fp/list.hpp"
#include "split/combinators.hpp"
#include "split/contiguous.hpp"
#include "split/detail/cutter.hpp"
#include "split/detail/list_cut.hpp"
#include "split/engine.hpp"
#include "split/pieces.hpp"
#include "split/splitter.hpp"

namespace split {

// A splitting strategy that stops at its first `limit` delimiters.
template <class T>
struct LimitedSplitter {
  using value_type = T;

  Splitter<T> splitter;
  std::int64_t limit;
};

// `s`, splitting at its first n delimiters only. Throws std::invalid_argument for n < 0.
template <class T>
LimitedSplitter<T> maxSplits(std::int64_t n, Splitter<T> s) {
  if (n < 0)
    throw std::invalid_argument("split::maxSplits: the limit must not be negative, got " +
                                std::to_string(n));
  return {std::move(s), n};
}

template <class T>
fp::List<fp::List<T>> split(const LimitedSplitter<T>& s, fp::List<T> xs) {
  return detail::cutList(s.splitter.delimiter.matcher(),
                         detail::cutterOf(s.splitter, std::uint64_t(s.limit)), std::move(xs));
}

template <class T, ContiguousInput X>
  requires std::same_as<InputElement<X>, T>
auto split(const LimitedSplitter<T>& s, X&& input) {
  return makePieces(std::forward<X>(input),
                    detail::SplitterCutting<PieceView<T>>(s.splitter, std::uint64_t(s.limit)));
}

namespace detail {

// Contiguous input whose pieces outlive the call: not a container handed over as an rvalue.
template <class X>
concept Lasting = ContiguousInput<X> &&
    (CString<X> || std::is_lvalue_reference_v<X> || std::ranges::borrowed_range<X>);

struct SplitOnce {
  template <class T>
  std::optional<std::pair<fp::List<T>, fp::List<T>>> operator()(const Splitter<T>& s,
                                                                fp::List<T> xs) const {
    auto [before, match] = breakDelim(s.delimiter, std::move(xs));
    if (!match.get()) return std::nullopt;
    return std::pair(std::move(before), match.get()->second);
  }
  template <class T>
  std::optional<std::pair<fp::List<T>, fp::List<T>>> operator()(
      std::type_identity_t<Elements<T>> sublist, fp::List<T> xs) const {
    return (*this)(onSublist<T>(std::move(sublist)), std::move(xs));
  }

  template <class T, Lasting X>
    requires std::same_as<InputElement<X>, T>
  std::optional<std::pair<PieceView<T>, PieceView<T>>> operator()(const Splitter<T>& s,
                                                                  X&& input) const {
    using View = PieceView<T>;
    const View text = hold(input);
    if (s.delimiter.empty()) return std::pair(View(text.data(), 0), text);
    if (text.empty()) return std::nullopt;
    const ContiguousSearch<T> search(s.delimiter.matcher());
    const std::size_t at = search.find(std::span<const T>(text.data(), text.size()), 0, text.size());
    if (at == text.size()) return std::nullopt;
    const std::size_t after = at + search.length();
    return std::pair(View(text.data(), at), View(text.data() + after, text.size() - after));
  }
  template <Lasting X>
  auto operator()(std::type_identity_t<Elements<InputElement<X>>> sublist, X&& input) const {
    return (*this)(onSublist<InputElement<X>>(std::move(sublist)), std::forward<X>(input));
  }
  // The parts of a container handed over as an rvalue would point into it after it is gone.
  template <class D, ContiguousInput X>
    requires(!Lasting<X>)
  void operator()(const D&, X&&) const = delete;
};

}  // namespace detail

// The part of the input before the first match of a delimiter (a sublist, or a splitter's) and
// the part after it; nothing when the delimiter does not match. The empty delimiter matches at
// the start, even of empty input.
inline constexpr detail::SplitOnce splitOnce{};

}  // namespace split
