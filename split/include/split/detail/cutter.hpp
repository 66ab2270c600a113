// The policies of a splitter applied in one left-to-right pass over the matches.
//
//   Cutter cut(s);                       // s: a Splitter's four policies
//   cut.match(1, 2, emit);               // a match covering positions [1, 2)
//   cut.match(2, 3, emit);
//   cut.end(5, emit);                    // the input ends at 5
//   // emit has been called with the pieces, as [begin, end) ranges of positions
//
// The engine's definition rewrites a list of chunks in six stages. Every piece those stages can
// leave is a contiguous stretch of the input, so the whole rewriting can run as one pass that is
// told where the matches are and says where the pieces are. Write the input as
// T0 D1 T1 D2 ... Dm Tm, where the Ti are the (possibly empty) stretches between the delimiters
// Di, and a delimiter is one match, or under Condense a maximal run of directly adjacent matches.
// Then the pieces are
//
//   Drop       T0, T1, ..., Tm
//   Keep       T0, D1, T1, ..., Dm, Tm
//   KeepLeft   T0, D1 T1, ..., Dm Tm
//   KeepRight  T0 D1, T1 D2, ..., Tm
//
// where, under DropBlankFields, an empty Ti other than T0 and Tm is left out (under KeepLeft and
// KeepRight it is the delimiter next to it that then stands alone, which is the same stretch).
// Then a blank first piece goes under initBlankPolicy = DropBlank, and a blank last piece under
// finalBlankPolicy = DropBlank; a piece is blank when it is an empty stretch that is not one of
// Keep's delimiters. With the empty delimiter, which matches the empty sequence before each
// element, the search resumes one element further on (each element a text of its own), and
// empty matches never condense.
//
// Positions are the caller's: offsets into a contiguous input, or counts of elements from the
// start of a list. The engines feed the events in order: `match` for each match found searching
// from `searchFrom()`, `noMatchBefore(e)` when no match starts in [searchFrom(), e), `end(e)`
// when the input ends at e. Pieces come out through `emit` as soon as their end is known.
// An engine that hands pieces out before their end is known (the list engine, over input read on
// demand) asks `progress(e)` whether the piece under way will be a piece whatever follows.
//
// A limit on the number of delimiters (see `maxSplits`) stops the search after that many: under
// Condense the last one is still followed to the end of its run, one anchored attempt at a time.
#pragma once

#include <cstdint>

#include "split/policies.hpp"

namespace split::detail {

// A piece: the input in [begin, end); `delim` for a delimiter that Keep makes a piece of its
// own, which is never blank.
struct Cut {
  std::uint64_t begin;
  std::uint64_t end;
  bool delim;
};

// The piece under way at some position, once everything before it has been fed.
struct Progress {
  bool any;            // a piece is under way (under Drop, a delimiter run is not one)
  bool certain;        // it is a piece whatever follows; else it may yet be left out
  std::uint64_t begin;
  bool delim;
};

class Cutter {
 public:
  static constexpr std::uint64_t kUnlimited = UINT64_MAX;

  Cutter() = default;
  Cutter(DelimPolicy delim, CondensePolicy condense, EndPolicy init, EndPolicy final,
         std::uint64_t maxDelims = kUnlimited)
      : delimsLeft_(maxDelims), delim_(delim), condense_(condense), init_(init), final_(final) {}

  // Where the next search starts.
  std::uint64_t searchFrom() const noexcept { return next_; }
  // Whether matches are still wanted: the limit may be reached.
  bool searching() const noexcept { return !done_ && (delimsLeft_ > 0 || inRun_); }
  // Whether only a match starting exactly at searchFrom() counts: the run that reached the limit
  // may still grow.
  bool anchored() const noexcept { return delimsLeft_ == 0 && inRun_; }
  bool done() const noexcept { return done_; }

  // Whether, from the start, the pieces are just the texts between the matches, less some blank
  // ones: delimiters dropped and no limit. An engine may then cut the texts itself, asking
  // `leavesOut` about each blank one, and never feed this cutter. (Under Condense, a blank text
  // between two matches is no text: the matches are one delimiter.)
  bool cutsTexts() const noexcept {
    return delim_ == DelimPolicy::Drop && delimsLeft_ == kUnlimited && next_ == 0 && first_ &&
           !done_;
  }
  // Whether a blank text goes, when the pieces are the texts: the first one, the last one (the
  // first may be the last too), or one between two matches.
  bool leavesOut(bool first, bool last) const noexcept {
    return (first && init_ == EndPolicy::DropBlank) || (last && final_ == EndPolicy::DropBlank) ||
           (!first && !last && condense_ != CondensePolicy::KeepBlankFields);
  }

  // A match of the delimiter covering [a, b), the first found searching from searchFrom().
  template <class Emit>
  void match(std::uint64_t a, std::uint64_t b, Emit&& emit) {
    if (inRun_) {
      if (a == runEnd_) {
        runEnd_ = next_ = b;
        return;
      }
      closeRun(emit);
    }
    textComplete(a, emit);
    --delimsLeft_;
    runStart_ = a;
    runEnd_ = b;
    // After an empty match the next element alone makes progress, as a text of its own.
    next_ = b > a ? b : b + 1;
    if (condense_ == CondensePolicy::Condense && b > a)
      inRun_ = true;
    else
      closeRun(emit);
  }

  // No match starts at searchFrom() or anywhere else before e.
  template <class Emit>
  void noMatchBefore(std::uint64_t e, Emit&& emit) {
    if (e <= next_) return;
    if (inRun_) closeRun(emit);
    next_ = e;
  }

  // The input ends at e; everything before it has been fed.
  template <class Emit>
  void end(std::uint64_t e, Emit&& emit) {
    if (done_) return;
    if (inRun_) closeRun(emit);
    const std::uint64_t begin = delim_ == DelimPolicy::KeepLeft ? pieceStart_ : textStart_;
    const bool blank = begin == e && (delim_ != DelimPolicy::KeepLeft || first_);
    if (!(blank && ((first_ && init_ == EndPolicy::DropBlank) || final_ == EndPolicy::DropBlank)))
      emit(Cut{begin, e, false});
    done_ = true;
  }

  // The piece under way at e (everything before e fed; e at least searchFrom() when in a run).
  Progress progress(std::uint64_t e) const noexcept {
    if (done_) return {};
    if (inRun_) {
      switch (delim_) {
        case DelimPolicy::Drop:
          return {};  // the run is dropped, and what follows it is not known yet
        case DelimPolicy::Keep:
          return {true, true, runStart_, true};
        case DelimPolicy::KeepLeft:
        case DelimPolicy::KeepRight:
          return {true, true, pieceStart_, false};  // holds the run: not blank
      }
    }
    // A text is under way from textStart_ (under KeepLeft, behind the delimiter that opens the
    // piece).
    const std::uint64_t begin = delim_ == DelimPolicy::KeepLeft ? pieceStart_ : textStart_;
    const bool material = begin < e || (delim_ == DelimPolicy::KeepLeft && !first_);
    return {true, material || !mayBeLeftOut(), begin, false};
  }

 private:
  // Whether an empty text under way may yet be left out: as a blank first or last piece, or as
  // an inner blank field.
  bool mayBeLeftOut() const noexcept {
    return final_ == EndPolicy::DropBlank || (first_ && init_ == EndPolicy::DropBlank) ||
           (!first_ && condense_ == CondensePolicy::DropBlankFields &&
            (delim_ == DelimPolicy::Drop || delim_ == DelimPolicy::Keep));
  }

  // The text [textStart_, a) is complete: a match starts at a.
  template <class Emit>
  void textComplete(std::uint64_t a, Emit& emit) {
    switch (delim_) {
      case DelimPolicy::Drop:
      case DelimPolicy::Keep: {
        const bool blank = a == textStart_;
        const bool innerBlank = blank && !first_ && condense_ == CondensePolicy::DropBlankFields;
        const bool droppedFirst = blank && first_ && init_ == EndPolicy::DropBlank;
        if (!innerBlank && !droppedFirst) emit(Cut{textStart_, a, false});
        first_ = false;
        break;
      }
      case DelimPolicy::KeepLeft:
        // The piece that the previous delimiter opened (or T0) ends here; this match opens the
        // next one.
        if (!(first_ && a == 0 && init_ == EndPolicy::DropBlank)) emit(Cut{pieceStart_, a, false});
        pieceStart_ = a;
        first_ = false;
        break;
      case DelimPolicy::KeepRight:
        pieceStart_ = textStart_;  // the piece goes on through the delimiter
        break;
    }
  }

  // The delimiter [runStart_, runEnd_) is complete: the text after it starts at runEnd_.
  template <class Emit>
  void closeRun(Emit& emit) {
    switch (delim_) {
      case DelimPolicy::Drop:
      case DelimPolicy::KeepLeft:
        break;
      case DelimPolicy::Keep:
        emit(Cut{runStart_, runEnd_, true});
        break;
      case DelimPolicy::KeepRight:
        if (!(first_ && runEnd_ == pieceStart_ && init_ == EndPolicy::DropBlank))
          emit(Cut{pieceStart_, runEnd_, false});
        first_ = false;
        break;
    }
    textStart_ = runEnd_;
    inRun_ = false;
  }

  std::uint64_t next_ = 0;        // where the next search starts
  std::uint64_t textStart_ = 0;   // where the current text starts
  std::uint64_t pieceStart_ = 0;  // KeepLeft: where the current piece starts; KeepRight: the
                                  // start of the piece that the current delimiter closes
  std::uint64_t runStart_ = 0;    // the current delimiter, under Condense possibly still growing
  std::uint64_t runEnd_ = 0;
  std::uint64_t delimsLeft_ = kUnlimited;
  DelimPolicy delim_ = DelimPolicy::Keep;
  CondensePolicy condense_ = CondensePolicy::KeepBlankFields;
  EndPolicy init_ = EndPolicy::KeepBlank;
  EndPolicy final_ = EndPolicy::KeepBlank;
  bool inRun_ = false;  // a delimiter whose run may still grow (Condense)
  bool first_ = true;   // the first piece is still under way
  bool done_ = false;
};

// The cutter of a splitter's policies (any record with the four policy fields).
template <class Strategy>
Cutter cutterOf(const Strategy& s, std::uint64_t maxDelims = Cutter::kUnlimited) {
  return Cutter(s.delimPolicy, s.condensePolicy, s.initBlankPolicy, s.finalBlankPolicy, maxDelims);
}

}  // namespace split::detail
