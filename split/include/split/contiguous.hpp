// split::split over contiguous input: the pieces as views into it, cut as they are read.
//
//   std::string line = " a\\t b ";
//   for (std::string_view word : split::split(split::dropBlanks(split::oneOf(" \\t")), line))
//     ...                                         // " " "a" "\\t " "b" " "
//   std::vector<int> xs{1, 0, 2, 0, 0, 3};
//   split::split(split::dropDelims(split::oneOf({0})), xs)   // spans over [1] [2] [] [3]
//
// The input's type chooses the engine: an fp::List goes to the list engine (split/engine.hpp),
// a C string or a contiguous range to this one, which gives the same pieces for every splitter
// as a lazy forward range (split/pieces.hpp). It walks the input once, left to right: each
// increment of an iterator searches on to the end of the next piece (and, where the policies
// need it, just past it), so a loop that stops early searches no further. A delimiter of
// `oneOf` or `onSublist` over arithmetic elements is searched with memchr and its kin; any other
// runs its predicates, in order at each position, as the list engine does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "split/detail/cutter.hpp"
#include "split/detail/matcher.hpp"
#include "split/pieces.hpp"
#include "split/splitter.hpp"

namespace split {

namespace detail {

// The search for a delimiter's matches in contiguous elements: the scanner, called directly,
// where the delimiter has one.
template <class T>
class ContiguousSearch {
 public:
  explicit ContiguousSearch(std::shared_ptr<const Matcher<T>> matcher)
      : matcher_(std::move(matcher)), scanner_(matcher_->scanner()) {}

  // As Matcher::find over `elements`.
  Hit find(std::span<const T> elements, std::size_t from, std::size_t last) const {
    if constexpr (Scannable<T>) {
      if (scanner_) {
        const std::size_t at = scanner_->find(elements.data(), elements.size(), from, last);
        return {at, at == last ? 0 : scanner_->length()};
      }
    }
    return matcher_->find(elements, from, last);
  }

  const std::shared_ptr<const Matcher<T>>& matcher() const noexcept { return matcher_; }

 private:
  std::shared_ptr<const Matcher<T>> matcher_;
  const typename ScannerFor<T>::type* scanner_;
};

// How a splitter cuts contiguous input, for split::Pieces: the Cutter fed with the matches, one
// piece handed out at a time.
template <class View>
class SplitterCutting {
 public:
  using view_type = View;
  using piece_type = View;
  using element_type = std::remove_cv_t<typename View::value_type>;

  struct State {
    Cutter cut;
    Cut pending[2]{};  // one search can settle two pieces: a text and a delimiter after it
    unsigned char count = 0;
    unsigned char taken = 0;
  };

  SplitterCutting(const Splitter<element_type>& s, std::uint64_t maxDelims)
      : search_(s.delimiter.matcher()), start_(cutterOf(s, maxDelims)) {}

  State start(View) const { return State{start_}; }

  bool next(View text, State& st, View& piece) const {
    if (st.taken == st.count) {
      st.taken = st.count = 0;
      if (!settle(text, st)) return false;
    }
    const Cut c = st.pending[st.taken++];
    piece = View(text.data() + c.begin, std::size_t(c.end - c.begin));
    return true;
  }

 private:
  // Searches on until the cutter settles a piece; false when the input is done.
  bool settle(View text, State& st) const {
    const std::size_t n = text.size();
    const auto emit = [&st](Cut c) { st.pending[st.count++] = c; };
    while (st.count == 0) {
      Cutter& cut = st.cut;
      if (cut.done()) return false;
      const std::size_t from = std::size_t(cut.searchFrom());
      if (!cut.searching() || from >= n) {
        cut.end(n, emit);
        continue;
      }
      const std::size_t last = cut.anchored() ? from + 1 : n;
      const Hit hit = search_.find(std::span<const element_type>(text.data(), n), from, last);
      if (hit.at != last)
        cut.match(hit.at, hit.at + hit.length, emit);
      else if (last < n)
        cut.noMatchBefore(last, emit);
      else
        cut.end(n, emit);
    }
    return true;
  }

  ContiguousSearch<element_type> search_;
  Cutter start_;
};

}  // namespace detail

// The pieces of a contiguous `input` cut by strategy `s`, the same as the list engine gives
// for the same elements, as views into the input.
template <class T, ContiguousInput X>
  requires std::same_as<InputElement<X>, T>
auto split(const Splitter<T>& s, X&& input) {
  return makePieces(std::forward<X>(input),
                    detail::SplitterCutting<PieceView<T>>(s, detail::Cutter::kUnlimited));
}

}  // namespace split
