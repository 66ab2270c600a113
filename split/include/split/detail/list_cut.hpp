// The list engine's pass: a splitter's pieces cut from an fp::List a stretch at a time.
//
// One step searches one stretch of the input's leading run (at most kSearchStretch positions of
// a buffer, or a single cell) and feeds the matches to a Cutter, which says where the pieces are.
// The pieces that end inside the stretch come out at once as slices sharing the input's buffer,
// gathered in one buffer of their own, so that a step costs one suspension however many pieces
// it cuts. A piece still under way at the end of the stretch comes out too, if it is certain to
// be a piece: its elements so far, followed by the rest that the next step finds. The next step
// is computed once, when either that rest or the pieces after it are first read, so every
// position is searched once however the result is read.
//
// Reading therefore goes as far as the definition allows: a piece appears once the match before
// it has been found and, where the policies need it, what follows (whether a run of delimiters
// goes on, whether a blank piece is the last); its elements appear a stretch at a time. When a
// predicate fails, the pieces cut before the failure still come out, and the step after them
// runs again, failing again, when somebody reads on.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "fp/deferred.hpp"
#include "fp/list.hpp"
#include "split/detail/cutter.hpp"
#include "split/detail/fragments.hpp"
#include "split/detail/matcher.hpp"

namespace split::detail {

template <class T>
struct Stretch {
  fp::List<T> rest;              // the rest of the piece under way where the step began
  fp::List<fp::List<T>> pieces;  // the pieces after it
  bool goesOn = false;           // that piece goes on past the step: no pieces after it here
};

// A step of the pass, computed once, when first needed.
template <class T>
using Step = fp::Deferred<Stretch<T>>;

// Where the pieces after a piece handed out before its end are to be found: the step that
// continues the piece, as far as it has been read. The steps move it on as they are computed,
// so that it holds one step, not the chain of them that a long piece goes through.
template <class T>
class Cursor {
 public:
  explicit Cursor(Step<T> step) : step_(std::move(step)) {}

  Step<T> step() const {
    const std::lock_guard lock(mutex_);
    return step_;
  }
  void moveTo(Step<T> step) {
    const std::lock_guard lock(mutex_);
    step_ = std::move(step);
  }

  // The pieces after the piece: its steps computed in turn until the one where it ends.
  fp::List<fp::List<T>> piecesAfter() const {
    for (;;) {
      const Step<T> at = step();
      if (!at.get().goesOn) return at.get().pieces;  // else computing `at` moved the cursor on
    }
  }

 private:
  mutable std::mutex mutex_;
  Step<T> step_;
};

template <class T>
Stretch<T> cutStep(const MatcherRef<T>& matcher, Cutter cut, fp::List<T> xs, std::uint64_t at,
                   bool open, const std::weak_ptr<Cursor<T>>& cursor);

// The step from position `at` (the input there is `xs`); `open` if a piece under way there has
// been handed out already, whose cursor the step moves on.
template <class T>
Step<T> nextStep(MatcherRef<T> matcher, Cutter cut, fp::List<T> xs, std::uint64_t at, bool open,
                 std::weak_ptr<Cursor<T>> cursor) {
  return Step<T>([matcher = std::move(matcher), cut, xs = std::move(xs), at, open,
                  cursor = std::move(cursor)] { return cutStep(matcher, cut, xs, at, open, cursor); });
}

// The n elements of `xs` followed by the rest that step `next` finds. A single element (the
// common case of input made cell by cell) is put in front directly.
template <class T>
fp::List<T> thenRest(const fp::List<T>& xs, std::uint64_t n, Step<T> next) {
  auto rest = [next = std::move(next)] { return next.get().rest; };
  if (n == 0) return fp::List<T>::lazy(std::move(rest));
  if (n == 1) return fp::List<T>::cons(xs.head(), std::move(rest));
  return fp::append(xs.take(std::int64_t(n)), std::move(rest));
}

template <class T>
Stretch<T> cutStep(const MatcherRef<T>& matcher, Cutter cut, fp::List<T> xs, std::uint64_t at,
                   bool open, const std::weak_ptr<Cursor<T>>& cursor) {
  const std::uint64_t start = at;
  Stretch<T> out;
  std::vector<fp::List<T>> pieces;
  bool delivered = false;  // the piece under way has ended, or a piece has been cut

  // The input from position `at` on is `xs`; its leading run is `run`.
  std::span<const T> run;
  const auto input = [&](std::uint64_t p) {
    const std::uint64_t offset = p - at;
    return offset <= run.size() ? xs.dropInRun(std::size_t(offset))
                                : xs.drop(std::int64_t(offset));
  };
  // Pieces within the run are slices of it: a node each, and one count operation on the buffer
  // for all of them.
  std::optional<typename fp::List<T>::Slicer> slicer;
  const auto slice = [&](std::uint64_t b, std::uint64_t e) {
    if (e - at <= run.size() && b >= at) {
      if (!slicer) slicer.emplace(xs);
      return (*slicer)(std::size_t(b - at), std::size_t(e - at));
    }
    return input(b).take(std::int64_t(e - b));
  };
  // A piece that the cutter settles is the rest of the open one, which ends in the step where
  // the search for it began, or a piece of its own.
  const auto emit = [&](Cut c) {
    if (open)
      out.rest = slice(start, c.end);
    else
      pieces.push_back(slice(c.begin, c.end));
    open = false;
    delivered = true;
  };
  const auto piecesThen = [&](fp::List<fp::List<T>> after) {
    return pieces.empty() ? after
                          : fp::append(fp::List<fp::List<T>>::from(std::move(pieces)),
                                       std::move(after));
  };
  // Ends the step at position e, everything before it fed to the cutter.
  const auto stopAt = [&](std::uint64_t e) {
    const Progress under = cut.progress(e);
    if (!(under.any && under.certain)) {
      Step<T> next = nextStep(matcher, cut, input(e), e, false, {});
      out.pieces = piecesThen(fp::List<fp::List<T>>::lazy(
          [next = std::move(next)] { return next.get().pieces; }));
    } else if (open) {
      // The piece goes on: so does its cursor.
      const std::shared_ptr<Cursor<T>> onward = cursor.lock();
      Step<T> next = nextStep(matcher, cut, input(e), e, true, cursor);
      if (onward) onward->moveTo(next);
      out.rest = thenRest(input(start), e - start, std::move(next));
      out.goesOn = true;
    } else {
      // A piece to hand out before its end.
      auto onward = std::make_shared<Cursor<T>>(Step<T>(Stretch<T>{}));
      Step<T> next = nextStep(matcher, cut, input(e), e, true, std::weak_ptr(onward));
      onward->moveTo(next);
      pieces.push_back(thenRest(input(under.begin), e - under.begin, std::move(next)));
      out.pieces = piecesThen(fp::List<fp::List<T>>::lazy(
          [onward = std::move(onward)] { return onward->piecesAfter(); }));
    }
    return std::move(out);
  };
  const auto finish = [&] {
    out.pieces = fp::List<fp::List<T>>::from(std::move(pieces));
    return std::move(out);
  };

  for (;;) {
    run = xs.run();
    if (run.empty()) {
      cut.end(at, emit);
      return finish();
    }
    const std::uint64_t stretchEnd = at + std::min(run.size(), kSearchStretch);
    while (cut.searching() && cut.searchFrom() < stretchEnd) {
      const std::size_t from = std::size_t(cut.searchFrom() - at);
      const std::size_t last = cut.anchored() ? from + 1 : std::size_t(stretchEnd - at);
      std::size_t found;
      try {
        found = matcher->find(xs, run, from, last);
      } catch (...) {
        if (!delivered) throw;
        return stopAt(cut.searchFrom());  // the next reader searches from here again
      }
      if (found == last)
        cut.noMatchBefore(at + last, emit);
      else
        cut.match(at + found, at + found + matcher->length(), emit);
    }
    if (!cut.searching() && !cut.done()) {
      // The last delimiter allowed has been passed: the rest of the input is the last text.
      const std::uint64_t e = cut.searchFrom();
      const fp::List<T> rest = input(e);
      if (rest.empty()) {
        cut.end(e, emit);
        return finish();
      }
      if (open)
        out.rest = fp::append(slice(start, e), rest);
      else
        pieces.push_back(fp::append(slice(cut.progress(e).begin, e), rest));
      return finish();
    }
    const std::uint64_t e = std::max(stretchEnd, cut.searchFrom());
    const Progress under = cut.progress(e);
    if (delivered || (under.any && under.certain)) return stopAt(e);
    // Nothing to hand out yet: search on.
    slicer.reset();  // it slices the run it was made for
    xs = input(e);
    at = e;
  }
}

// The pieces of `xs` that `cut`'s policies leave, the delimiter's matches found by `matcher`.
template <class T>
fp::List<fp::List<T>> cutList(MatcherRef<T> matcher, Cutter cut, fp::List<T> xs) {
  return fp::List<fp::List<T>>::lazy([matcher = std::move(matcher), cut, xs = std::move(xs)] {
    return cutStep<T>(matcher, cut, xs, 0, false, {}).pieces;
  });
}

}  // namespace split::detail
