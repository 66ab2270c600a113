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
// `oneOf` or `onSublist` over arithmetic elements, or of a named class (split/classes.hpp), is
// searched a vector at a time where the processor allows (split/scan_path.hpp), or with memchr and
// its kin; any other runs its predicates, in order at each position, as the list engine does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>

#include "split/classes.hpp"
#include "split/detail/cutter.hpp"
#include "split/detail/matcher.hpp"
#include "split/pieces.hpp"
#include "split/splitter.hpp"

namespace split {

namespace detail {

// The search for a delimiter's matches in contiguous elements: the scanner, called directly,
// where the delimiter has one.
//
// A search hands out a `Key`, a value that holds what the search reads, and searches with it
// through the static `find(key, ...)`: a loop that keeps the key in its own state searches with
// values in registers, however it writes to memory between pieces.
template <class T>
class ContiguousSearch {
 public:
  explicit ContiguousSearch(std::shared_ptr<const Matcher<T>> matcher)
      : matcher_(std::move(matcher)), scanner_(matcher_->scanner()), length_(matcher_->length()) {}

  struct Key {
    ScanKey<T> scan;           // the scanner's, if `scans`
    const Matcher<T>* matcher;  // the predicates otherwise
    bool scans;
  };
  Key key() const noexcept {
    if constexpr (Scannable<T>) {
      if (scanner_) return {scanner_->key(), matcher_.get(), true};
    }
    return {{}, matcher_.get(), false};
  }

  // As Matcher::find over `elements`; the key keeps what the search learns of them for the next
  // search of the same elements.
  [[gnu::always_inline]] static std::size_t find(Key& k, std::span<const T> elements,
                                                 std::size_t from, std::size_t last) {
    if constexpr (Scannable<T>) {
      if (k.scans) return Scanner<T>::find(k.scan, elements.data(), elements.size(), from, last);
    }
    return k.matcher->find(elements, from, last);
  }
  std::size_t find(std::span<const T> elements, std::size_t from, std::size_t last) const {
    Key k = key();
    return find(k, elements, from, last);
  }
  std::size_t length() const noexcept { return length_; }

 private:
  std::shared_ptr<const Matcher<T>> matcher_;
  const typename ScannerFor<T>::type* scanner_;
  std::size_t length_;
};

// The search for the elements that a predicate of the caller's own type accepts: the delimiter
// of splitWhen, linesBy and wordsBy, its calls inlined into the loop. Its key points to the
// predicate (which need not be default-constructible, as a key must).
template <class T, class P>
class PredicateSearch {
 public:
  explicit PredicateSearch(P p) : p_(std::move(p)) {}

  struct Key {
    const P* p;
  };
  Key key() const noexcept { return {&p_}; }

  static std::size_t find(const Key& k, std::span<const T> elements, std::size_t from,
                          std::size_t last) {
    const T* const data = elements.data();
    const T* const end = data + last;
    for (const T* x = data + from; x != end; ++x)
      if (std::invoke(*k.p, *x)) return std::size_t(x - data);
    return last;
  }
  std::size_t find(std::span<const T> elements, std::size_t from, std::size_t last) const {
    return find(key(), elements, from, last);
  }
  static constexpr std::size_t length() noexcept { return 1; }

 private:
  P p_;
};

// The search for the members of the named class P (split/classes.hpp): its scanner, made once.
template <class T, detail::Named P>
class ClassSearch {
 public:
  using Key = typename Scanner<T>::Key;
  Key key() const noexcept { return scanner().key(); }

  [[gnu::always_inline]] static std::size_t find(Key& k, std::span<const T> elements,
                                                 std::size_t from, std::size_t last) {
    return Scanner<T>::find(k, elements.data(), elements.size(), from, last);
  }
  std::size_t find(std::span<const T> elements, std::size_t from, std::size_t last) const {
    Key k = key();
    return find(k, elements, from, last);
  }
  static constexpr std::size_t length() noexcept { return 1; }

 private:
  static const Scanner<T>& scanner() {
    static const Scanner<T> members = Scanner<T>::anyOf(membersOf<T, P>());
    return members;
  }
};

// The search's element type over the pieces of type View.
template <class View>
using ViewElement = std::remove_cv_t<typename View::value_type>;

// How contiguous input is cut, for split::Pieces, where the pieces are the texts between the
// matches that `Search` finds, less some blank ones: delimiters dropped, no limit (see
// Cutter::cutsTexts), the kind of splitOn, splitOneOf and wordsBy. One search per text, as a
// hand-written loop does; the cutter's policies only say which blank texts go. The state is four
// words, which the caller's loop keeps in registers.
template <class View, class Search>
class TextCutting {
 public:
  using view_type = View;
  using piece_type = View;

  struct State {
    typename Search::Key key;  // the search's, kept here so that the caller's loop holds it
    std::size_t begin = 0;     // where the next text starts
    std::size_t from = 0;      // where the search for its end starts: past an empty match, one on
    bool first = true;
    bool done = false;
  };

  // Cuts as `policies` would where policies.cutsTexts().
  TextCutting(Search search, Cutter policies)
      : search_(std::move(search)), policies_(policies), length_(search_.length()) {}

  State start(View) const { return {search_.key()}; }

  [[gnu::always_inline]] bool next(View text, State& st, View& piece) const {
    const std::size_t n = text.size();
    while (!st.done) {
      const std::size_t begin = st.begin;
      const std::size_t at =
          st.from < n ? Search::find(st.key, span(text), st.from, n) : n;
      const bool first = st.first, last = at == n;
      st.first = false;
      st.done = last;
      st.begin = at + length_;
      // After an empty match the element behind it is a text of its own.
      st.from = length_ > 0 ? st.begin : at + 1;
      // A blank text between two matches is one only without Condense: with it, the two matches
      // are one delimiter.
      if (at != begin || !policies_.leavesOut(first, last)) {
        piece = View(text.data() + begin, at - begin);
        return true;
      }
    }
    return false;
  }

  static std::span<const ViewElement<View>> span(View text) { return {text.data(), text.size()}; }
  std::size_t length() const noexcept { return length_; }

 private:
  Search search_;
  Cutter policies_;
  std::size_t length_;
};

// How a splitter cuts contiguous input, for split::Pieces: the Cutter fed with the matches that
// `Search` finds, one piece handed out at a time; where the pieces are just texts between
// matches, as TextCutting does.
template <class View, class Search = ContiguousSearch<ViewElement<View>>>
class SplitterCutting {
 public:
  using view_type = View;
  using piece_type = View;
  using element_type = ViewElement<View>;

  struct State {
    Cutter cut;
    Cut held{};  // one search can settle two pieces: a text, then the delimiter after it
    bool holding = false;
    typename TextCutting<View, Search>::State texts{};
  };

  SplitterCutting(const Splitter<element_type>& s, std::uint64_t maxDelims)
      : SplitterCutting(Search(s.delimiter.matcher()), cutterOf(s, maxDelims)) {}
  SplitterCutting(Search search, Cutter start)
      : texts_(std::move(search), start), start_(start), cutsTexts_(start.cutsTexts()) {}

  State start(View text) const { return State{start_, {}, false, texts_.start(text)}; }

  // Inlined into the caller's loop, where the state can live in registers.
  [[gnu::always_inline]] bool next(View text, State& st, View& piece) const {
    if (cutsTexts_) return texts_.next(text, st.texts, piece);
    Cut cut{};
    if (st.holding) {
      cut = st.held;
      st.holding = false;
    } else if (!settle(text, st, cut)) {
      return false;
    }
    piece = View(text.data() + cut.begin, std::size_t(cut.end - cut.begin));
    return true;
  }

 private:
  // Searches on until the cutter settles a piece, which goes to `first` (a second one to the
  // state); false when the input is done. The pieces pass through locals, not the state, so
  // that they stay in registers.
  [[gnu::always_inline]] bool settle(View text, State& st, Cut& first) const {
    const std::size_t n = text.size();
    int count = 0;
    Cut second{};
    const auto emit = [&](Cut c) { (count++ == 0 ? first : second) = c; };
    Cutter& cut = st.cut;
    while (count == 0) {
      if (cut.done()) return false;
      const std::size_t from = std::size_t(cut.searchFrom());
      if (!cut.searching() || from >= n) {
        cut.end(n, emit);
        continue;
      }
      const std::size_t last = cut.anchored() ? from + 1 : n;
      const std::size_t at = Search::find(st.texts.key, texts_.span(text), from, last);
      if (at != last)
        cut.match(at, at + texts_.length(), emit);
      else if (last < n)
        cut.noMatchBefore(last, emit);
      else
        cut.end(n, emit);
    }
    if (count == 2) {
      st.held = second;
      st.holding = true;
    }
    return true;
  }

  TextCutting<View, Search> texts_;  // the search, and the cutting where it applies
  Cutter start_;
  bool cutsTexts_;
};

// The pieces of contiguous `input` cut by `s`, which drops its delimiters and has no limit.
template <class T, ContiguousInput X>
auto splitTexts(const Splitter<T>& s, X&& input) {
  using Search = ContiguousSearch<T>;
  return makePieces(std::forward<X>(input), TextCutting<PieceView<T>, Search>(
                                                Search(s.delimiter.matcher()), cutterOf(s)));
}

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
