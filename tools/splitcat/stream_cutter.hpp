// splitcat's cutting of an input that arrives a block at a time: the pieces that a splitter
// cuts from the whole input, each handed on as soon as no further input can change it, in
// memory bounded by the block however long a piece is.
//
//   splitcat::StreamCutter cutter(split::dropDelims(split::oneOf<char>(",")), std::nullopt);
//   std::size_t keep = cutter.cut(text, false, 64 << 10, sink);   // more input to come
//   // keep text[keep..], read more behind it, cut that; at the end of the input:
//   cutter.cut(rest, true, 64 << 10, sink);
//
// The sink takes `piece(bytes, opens, closes)`: a whole piece (opens and closes), or a fragment
// of a piece longer than the caller cares to hold: its first bytes (opens), more of them, its
// last bytes (closes).
//
// Each block is cut by the contiguous engine (split::split over a std::string_view) as if it
// were the whole input. Its pieces are those of the whole input up to where more input could
// change them: positions whose matching needs bytes that are not there yet. The bytes before a
// *restart point* can then be let go: a position where cutting the rest of the input gives the
// rest of the whole input's pieces. Any position where the engine's search stands is one:
// the start of a text (the search failed there), a position inside a text, the start of a
// match (inside a run of adjacent matches too), provided two things are carried over:
//
// - how many delimiters the limit still allows (runs under Condense count once, and a run that
//   goes on behind the restart point is counted when the rest is cut);
// - the blank first piece. Cut from a restart point, the rest starts with a text that is either
//   not blank, or is the empty text in front of a match there. That empty text is no piece of
//   the whole input, or a blank field that was handed on before the restart, so the rest is cut
//   with initBlankPolicy = DropBlank.
//
// The cutter restarts behind the last piece it hands on whole, or where the first piece that
// more input could change starts. When that would hold more than the caller allows, it finds
// the structure of what it holds (the texts and delimiter runs, from a cut that keeps
// everything) and restarts as far on as it can, inside a text or a run. A piece that starts
// before the restart point and goes on behind it is then open: its first bytes are handed on,
// and the rest's first piece, which starts at the restart point, continues it.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "split/split.hpp"

namespace splitcat {

template <class S>
concept PieceSink = requires(S& sink, std::string_view bytes, bool opens, bool closes) {
  sink.piece(bytes, opens, closes);
};

class StreamCutter {
 public:
  // Cuts by `splitter`, at its first `limit` delimiters only when a limit is given. The
  // delimiter matches a fixed number of bytes, at least one.
  StreamCutter(split::Splitter<char> splitter, std::optional<std::int64_t> limit)
      : splitter_(std::move(splitter)),
        structure_{splitter_.delimiter, split::DelimPolicy::Keep,
                   splitter_.condensePolicy == split::CondensePolicy::Condense
                       ? split::CondensePolicy::Condense
                       : split::CondensePolicy::KeepBlankFields,
                   split::EndPolicy::KeepBlank, split::EndPolicy::KeepBlank},
        limit_(limit),
        length_(std::size_t(splitter_.delimiter.predicates().length())) {
    begin();
  }

  // A new input starts.
  void begin() {
    atStart_ = true;
    open_ = false;
    delimitersLeft_ = limit_.value_or(0);
  }

  // Cuts `text`, which goes on from where the last cut asked to keep; hands on the pieces that
  // are settled and returns the offset from which the next cut must be given the text again,
  // followed by what comes next, keeping at most about `hold` bytes when it can. When `ended`,
  // the input ends with `text`: every piece is handed on, and the next cut is of a new input.
  template <PieceSink Sink>
  std::size_t cut(std::string_view text, bool ended, std::size_t hold, Sink& sink) {
    if (ended) {
      withPieces(text, 0, [&](auto&& pieces) {
        for (const std::string_view piece : pieces) emit(sink, text, piece, true);
      });
      if (open_) sink.piece({}, false, true);
      begin();
      return text.size();
    }
    if (text.size() < length_) return 0;
    // A match that starts at or before `settled` lies in `text`, so the engine has found it.
    const std::size_t settled = text.size() - length_;

    // The cut restarts behind the pieces handed on, or where it stands when there are none.
    std::size_t keep = 0;
    bool handedOn = false;
    withPieces(text, 0, [&](auto&& pieces) {
      std::tie(keep, handedOn) = handOnSettled(text, settled, pieces, sink);
    });
    if (handedOn || keep > 0) restartAt(delimitersBefore(text, keep));
    if (text.size() - keep > hold) keep = breakUp(text, keep, settled, sink);
    return keep;
  }

 private:
  // Hands on every piece that starts at or before `settled` but the last, which it hands on too
  // if it ends there as well. Returns where the cut restarts (where the last piece handed on
  // ends, or where the one held back starts) and whether anything was handed on. The engine's
  // steps are inlined into this loop, which runs once per piece.
  template <class Pieces, class Sink>
  [[gnu::flatten]] std::pair<std::size_t, bool> handOnSettled(std::string_view text,
                                                              std::size_t settled,
                                                              const Pieces& pieces, Sink& sink) {
    std::string_view last;
    bool any = false, handedOn = false;
    for (const std::string_view piece : pieces) {
      if (offset(text, piece) > settled) break;
      if (any) {
        emit(sink, text, last, true);
        handedOn = true;
      }
      last = piece;
      any = true;
    }
    if (!any) return {0, false};
    const std::size_t start = offset(text, last);
    if (start + last.size() > settled) return {start, handedOn};
    emit(sink, text, last, true);
    return {start + last.size(), true};
  }

  // Calls f with the pieces of text[from..] as the cut from the current restart point gives them.
  template <class F>
  void withPieces(std::string_view text, std::size_t from, F&& f) const {
    split::Splitter<char> s = splitter_;
    if (!atStart_) s.initBlankPolicy = split::EndPolicy::DropBlank;
    withCut(s, text.substr(from), f);
  }

  // Calls f with the texts and delimiter runs of text[from..], alternately, starting and ending
  // with a text (a blank one where there is none).
  template <class F>
  void withStructure(std::string_view text, std::size_t from, F&& f) const {
    withCut(structure_, text.substr(from), f);
  }

  template <class F>
  void withCut(const split::Splitter<char>& s, std::string_view text, F& f) const {
    if (limit_)
      f(split::split(split::maxSplits(delimitersLeft_, s), text));
    else
      f(split::split(s, text));
  }

  static std::size_t offset(std::string_view text, std::string_view piece) noexcept {
    return std::size_t(piece.data() - text.data());
  }

  // Hands on `piece`; one that starts at the very start of `text` continues an open piece.
  template <class Sink>
  void emit(Sink& sink, std::string_view text, std::string_view piece, bool closes) {
    bool opens = true;
    if (open_) {
      if (piece.data() == text.data())
        opens = false;
      else
        sink.piece({}, false, true);
    }
    sink.piece(piece, opens, closes);
    open_ = !closes;
  }

  // The delimiter runs of text[0..keep) that end before `keep`, for the limit.
  std::int64_t delimitersBefore(std::string_view text, std::size_t keep) const {
    if (!limit_ || delimitersLeft_ == 0) return 0;
    std::int64_t runs = 0;
    withStructure(text, 0, [&](auto&& chunks) {
      bool delimiter = false;
      for (const std::string_view chunk : chunks) {
        if (offset(text, chunk) >= keep) break;
        if (delimiter && offset(text, chunk) + chunk.size() <= keep) ++runs;
        delimiter = !delimiter;
      }
    });
    return runs;
  }

  // The cut now stands at a restart point, behind `delimiters` more delimiters.
  void restartAt(std::int64_t delimiters) {
    atStart_ = false;
    delimitersLeft_ -= delimiters;
  }

  // Hands on what is settled of text[from..], where the cut stands at a restart point, up to
  // the last restart point at or before `settled`, breaking the piece that goes on behind it;
  // returns that point, or `from` if there is none further on.
  template <class Sink>
  std::size_t breakUp(std::string_view text, std::size_t from, std::size_t settled, Sink& sink) {
    std::size_t point = from;
    std::int64_t runsBefore = 0;
    withStructure(text, from, [&](auto&& chunks) {
      bool delimiter = false;
      std::int64_t runs = 0;
      for (const std::string_view chunk : chunks) {
        const std::size_t start = offset(text, chunk), end = start + chunk.size();
        if (start > settled) break;
        // The last match of a run starts `length_` before its end; a text may be left anywhere
        // the engine has searched.
        const std::optional<std::size_t> last =
            delimiter ? std::optional(end - length_)
                      : (chunk.empty() ? std::nullopt : std::optional(std::min(end - 1, settled)));
        if (last && *last > point) {
          point = *last;
          runsBefore = runs;
        }
        if (delimiter) ++runs;
        delimiter = !delimiter;
      }
    });
    if (point == from) return from;
    withPieces(text, from, [&](auto&& pieces) {
      for (const std::string_view piece : pieces) {
        const std::size_t start = offset(text, piece);
        if (start + piece.size() <= point) {
          emit(sink, text.substr(from), piece, true);
        } else {
          if (start < point) emit(sink, text.substr(from), piece.substr(0, point - start), false);
          break;
        }
      }
    });
    restartAt(runsBefore);
    return point;
  }

  split::Splitter<char> splitter_;
  split::Splitter<char> structure_;  // keeps every delimiter and blank: texts and runs alternate
  std::optional<std::int64_t> limit_;
  std::size_t length_;  // of a match

  bool atStart_;  // the cut stands at the start of the input
  bool open_;     // a piece is open: its first bytes are handed on
  std::int64_t delimitersLeft_;
};

}  // namespace splitcat
