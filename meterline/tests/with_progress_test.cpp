#include "meterline/with_progress.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <limits>
#include <list>
#include <ranges>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <type_traits>
#include <vector>

#include "meterline/label.hpp"
#include "meterline/render.hpp"
#include "meterline/style.hpp"

namespace {

using meterline::Progress;
using meterline::ProgressBar;
using meterline::Style;
using meterline::Timing;
using meterline::WithProgressView;
using std::ranges::range_reference_t;

using Vector = std::vector<int>;
using Bar = ProgressBar<>;

// The numbers read from a stream: an input range, neither sized nor forward.
struct Numbers {
  std::istream* in;
  std::istream_iterator<int> begin() const { return std::istream_iterator<int>(*in); }
  std::istream_iterator<int> end() const { return {}; }
};

// The numbers of a stream without end: no end iterator, only a sentinel.
struct Endless {
  std::istream* in;
  std::istream_iterator<int> begin() const { return std::istream_iterator<int>(*in); }
  std::unreachable_sentinel_t end() const { return {}; }
};

// A range that says it holds this many elements, to try the largest totals.
template <std::uint64_t N>
struct Claimed {
  static std::uint64_t size() { return N; }
  static const int* begin() { return nullptr; }
  static const int* end() { return nullptr; }
};

// What withProgress makes of each kind of range.
template <class R>
using ViewOf = decltype(meterline::withProgress(std::declval<R>(), std::declval<Bar>()));

// An lvalue is referred to and an rvalue held; a view holding its range is moved, not copied.
static_assert(std::ranges::view<ViewOf<Vector&>>);
static_assert(std::same_as<ViewOf<Vector&>, WithProgressView<Vector&>>);
static_assert(std::same_as<ViewOf<Vector>, WithProgressView<Vector>>);
static_assert(std::copyable<ViewOf<Vector&>>);
static_assert(std::ranges::view<ViewOf<Vector>> && !std::copy_constructible<ViewOf<Vector>>);
static_assert(std::same_as<range_reference_t<ViewOf<Vector&>>, int&>);
static_assert(std::same_as<range_reference_t<const ViewOf<Vector&>>, int&>);
static_assert(std::same_as<range_reference_t<const ViewOf<Vector>>, const int&>);
static_assert(std::same_as<range_reference_t<ViewOf<const Vector&>>, const int&>);

// Over a container: forward (never more: it does not count backwards), sized and common.
static_assert(std::ranges::forward_range<ViewOf<Vector&>>);
static_assert(!std::ranges::bidirectional_range<ViewOf<std::list<int>&>>);
static_assert(std::ranges::sized_range<ViewOf<std::list<int>&>>);
static_assert(std::ranges::common_range<ViewOf<Vector&>>);
static_assert(std::ranges::forward_range<const ViewOf<Vector&>>);
using VectorIterator = std::ranges::iterator_t<ViewOf<Vector&>>;
static_assert(std::same_as<std::iterator_traits<VectorIterator>::iterator_category,
                           std::forward_iterator_tag>);

// Over an input range: an input range; over one without end: neither sized nor common.
static_assert(std::ranges::input_range<ViewOf<Numbers>>);
static_assert(!std::ranges::forward_range<ViewOf<Numbers>>);
static_assert(!std::ranges::sized_range<ViewOf<Numbers>>);
static_assert(std::ranges::input_range<ViewOf<Endless>>);
static_assert(!std::ranges::common_range<ViewOf<Endless>>);

// The form that creates the bar takes sized ranges only.
template <class R>
concept CreatesItsBar = requires(R&& range) { meterline::withProgress(std::forward<R>(range)); };
static_assert(CreatesItsBar<Vector&>);
static_assert(CreatesItsBar<Vector>);
static_assert(!CreatesItsBar<Numbers>);
static_assert(!CreatesItsBar<Endless&>);

class WithProgress : public testing::Test {
 protected:
  WithProgress() {
    style.styleWidth = meterline::ConstantWidth{16};
    style.stylePostfix = meterline::exact();
  }

  // A bar on `out` that draws only on creation and completion, or every update (rate -1).
  Bar create(std::int64_t todo, double rate = 0) {
    return meterline::hNewProgressBar(out, style, rate, Progress<>{0, todo, {}});
  }

  // The units done so far; for a bar whose progress is not complete (reading it is an update).
  static std::int64_t doneOf(const Bar& bar) {
    std::int64_t done = 0;
    meterline::updateProgress(bar, [&](const Progress<>& progress) {
      done = progress.progressDone;
      return progress;
    });
    return done;
  }

  // The drawings of these progress values, each followed by its ending.
  std::string drawings(std::int64_t from, std::int64_t to, std::int64_t todo) const {
    std::string bytes;
    for (std::int64_t done = from; done <= to; ++done) {
      bytes += meterline::renderProgressBar(style, Progress<>{done, todo, {}}, Timing{}).str();
      bytes += done < todo ? "\r" : "\n";
    }
    return bytes;
  }

  std::string written() {
    std::string bytes = out.str();
    out.str("");
    return bytes;
  }

  std::ostringstream out;
  Style<> style;
};

TEST_F(WithProgress, CountsEachElementOnceItsBodyHasRun) {
  Vector items{10, 20, 30};
  const Bar bar = create(3);
  written();
  std::vector<std::int64_t> doneInBody;
  for (int& item : meterline::withProgress(items, bar)) {
    doneInBody.push_back(doneOf(bar));
    item += 1;
  }
  EXPECT_EQ(doneInBody, (std::vector<std::int64_t>{0, 1, 2}));
  EXPECT_EQ(items, (Vector{11, 21, 31}));   // the elements themselves
  EXPECT_EQ(written(), drawings(3, 3, 3));  // complete when the last body has run
}

TEST_F(WithProgress, LeavesTheBarIncompleteAfterAnEarlyBreak) {
  const Vector items{10, 20, 30};
  const Bar bar = create(3);
  written();
  for (const int item : meterline::withProgress(items, bar)) {
    if (item == 20) break;
  }
  EXPECT_EQ(doneOf(bar), 1);
  EXPECT_EQ(written(), "");
}

TEST_F(WithProgress, CountsWhatAnInputRangeReads) {
  std::istringstream in("4 5 6 7");
  const Bar bar = create(10);
  int sum = 0;
  for (const int n : meterline::withProgress(Numbers{&in}, bar)) sum += n;
  EXPECT_EQ(sum, 22);
  EXPECT_EQ(doneOf(bar), 4);

  std::istringstream more("1 2 3 -1 5");
  for (const int n : meterline::withProgress(Endless{&more}, bar)) {  // ends at the sentinel: never
    if (n < 0) break;
  }
  EXPECT_EQ(doneOf(bar), 4 + 3);
}

TEST_F(WithProgress, KeepsAnRvalueRangeAliveAndWorksWithAlgorithms) {
  const Bar bar = create(10);
  auto view = meterline::withProgress(std::vector<std::string>{"a", "b", "c"}, bar);
  std::string joined;
  for (const std::string& s : view) joined += s;  // the vector lives in the view
  EXPECT_EQ(joined, "abc");
  EXPECT_EQ(view.size(), 3u);

  std::vector<std::string> copied;
  std::ranges::copy(view, std::back_inserter(copied));
  EXPECT_EQ(copied, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(doneOf(bar), 3 + 3);  // every walk counts
  const std::vector<std::string> legacy(view.begin(), view.end());  // through iterator_traits
  EXPECT_EQ(legacy, copied);
}

TEST_F(WithProgress, CountsBeforeMovingOnSoThatAFailingUpdateLeavesTheIterator) {
  style.stylePrefix = [](const Progress<>& progress, const meterline::Timing&) {
    if (progress.progressDone == 2) throw std::runtime_error("label");
    return meterline::Text();
  };
  const Vector items{10, 20, 30};
  const Bar bar = create(10, -1);
  const auto view = meterline::withProgress(items, bar);
  auto it = view.begin();
  const auto before = it++;
  EXPECT_EQ(*before, 10);
  EXPECT_EQ(*it, 20);
  EXPECT_THROW(++it, std::runtime_error);
  EXPECT_EQ(*it, 20);
  EXPECT_EQ(doneOf(bar), 1);
}

// Sends std::cerr to a string while in scope.
class CapturedStandardError {
 public:
  CapturedStandardError() : saved_(std::cerr.rdbuf(captured_.rdbuf())) {}
  ~CapturedStandardError() { std::cerr.rdbuf(saved_); }
  std::string str() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* saved_;
};

// Standard error sent to a string is no terminal: the bar writes plain lines there, its first
// and its last (the plain interval is seconds long), one when the range is empty.
TEST_F(WithProgress, CreatesABarOnStandardErrorWithTheRangesSizeAsItsTotal) {
  for (const std::int64_t size : {0, 1, 3}) {
    SCOPED_TRACE(size);
    const CapturedStandardError captured;
    const Vector sevens(static_cast<std::size_t>(size), 7);
    for (const int item : meterline::withProgress(sevens, style, -1)) EXPECT_EQ(item, 7);
    const auto plainLine = [&](std::int64_t done) {
      return meterline::renderProgressBar(style, Progress<>{done, size, {}}, Timing{}).str() + "\n";
    };
    EXPECT_EQ(captured.str(), size == 0 ? plainLine(0) : plainLine(0) + plainLine(size));
  }

  const CapturedStandardError captured;
  const auto view = meterline::withProgress(std::list<int>{1, 2});  // the default style and rate
  Progress<> initial{};
  meterline::updateProgress(view.bar(), [&](const Progress<>& p) { return initial = p; });
  EXPECT_EQ(initial, (Progress<>{0, 2, {}}));
}

TEST_F(WithProgress, RejectsARangeLongerThanABarCanCount) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::int64_t>::max();
  const CapturedStandardError captured;
  EXPECT_THROW(meterline::withProgress(Claimed<kMost + 1>{}, style), std::length_error);
  EXPECT_EQ(captured.str(), "");  // no bar was drawn
  const auto longest = meterline::withProgress(Claimed<kMost>{}, style);
  Progress<> initial{};
  meterline::updateProgress(longest.bar(), [&](const Progress<>& p) { return initial = p; });
  EXPECT_EQ(initial.progressTodo, std::int64_t{kMost});
}

}  // namespace
