#include "meterline/label.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "fp/list.hpp"
#include "fp/nonempty.hpp"
#include "meterline/duration.hpp"
#include "meterline/style.hpp"

namespace {

using meterline::Label;
using meterline::Picoseconds;
using meterline::Progress;
using meterline::Text;
using meterline::Timing;
using namespace std::chrono_literals;

using Limits = std::numeric_limits<std::int64_t>;

const meterline::TimePoint kStart{std::chrono::seconds(1'700'000'000)};

Timing after(std::chrono::nanoseconds elapsed) { return {kStart, kStart + elapsed}; }

struct Job {
  std::string name;
};

std::string run(const Label<>& label, std::int64_t done, std::int64_t todo,
                Timing timing = after(0s)) {
  return label.runLabel(Progress<>{done, todo, {}}, timing).str();
}

struct CountCase {
  std::int64_t done;
  std::int64_t todo;
  std::string text;
};

TEST(Percentage, RoundsToNearestWithHalvesToEven) {
  const CountCase cases[] = {
      {3, 10, " 30%"},   {0, 10, "  0%"},     {1, 8, " 12%"},     {3, 8, " 38%"},
      {1, 200, "  0%"},  {3, 200, "  2%"},    {2, 3, " 67%"},     {999, 1000, "100%"},
      {10, 10, "100%"},  {15, 10, "150%"},    {5, 0, "100%"},     {1, -2, "-50%"},
      {-1, 0, "100%"},   {10, 1, "1000%"},    {-3, -10, " 30%"},  {-1, 200, "  0%"},
      {-3, 200, " -2%"}, {1, Limits::min(), "  0%"},
      // Exact for every 64-bit input: done * 100 needs more than 64 bits.
      {Limits::max(), 1, "922337203685477580700%"},
      {Limits::min(), -1, "922337203685477580800%"},
      {Limits::max(), Limits::max(), "100%"},
      {Limits::max() / 2, Limits::max(), " 50%"},
  };
  for (const auto& [done, todo, text] : cases) {
    SCOPED_TRACE(std::to_string(done) + " / " + std::to_string(todo));
    EXPECT_EQ(run(meterline::percentage(), done, todo), text);
  }
}

TEST(Exact, PadsDoneToTheWidthOfTheTotal) {
  const CountCase cases[] = {
      {3, 10, " 3/10"},        {10, 10, "10/10"},  {0, 1000, "   0/1000"}, {123, 10, "123/10"},
      {-1, 10, "-1/10"},       {7, 0, "7/0"},      {5, -100, "   5/-100"},
      {Limits::min(), Limits::max(), "-9223372036854775808/9223372036854775807"},
  };
  for (const auto& [done, todo, text] : cases) {
    SCOPED_TRACE(std::to_string(done) + " / " + std::to_string(todo));
    EXPECT_EQ(run(meterline::exact(), done, todo), text);
  }
}

// Rows marked "mended" differ from the rule that leaves out a zero minutes field under an
// hours field and puts a sign on every field: that rule writes 3605 s as "01:05", the text of
// 65 s, and -65 s as "-1:-5".
TEST(RenderDuration, WritesHoursMinutesAndSeconds) {
  const struct {
    std::int64_t seconds;
    const char* text;
  } cases[] = {
      {0, "00"},           {5, "05"},          {59, "59"},
      {60, "01:00"},       {65, "01:05"},      {3599, "59:59"},
      {3725, "01:02:05"},
      {3600, "01:00:00"},     // mended
      {3605, "01:00:05"},     // mended
      {36000, "10:00:00"},    // mended
      {360000, "100:00:00"},  // mended
      {-5, "-05"},            // mended
      {-65, "-01:05"},        // mended
      {-3605, "-01:00:05"},   // mended
      {Limits::min(), "-2562047788015215:30:08"},
  };
  for (const auto& [seconds, text] : cases) {
    SCOPED_TRACE(seconds);
    EXPECT_EQ(meterline::renderDuration(std::chrono::seconds(seconds)), text);
  }
}

TEST(RenderDuration, RoundsToTheNearestSecondWithHalvesToEven) {
  EXPECT_EQ(meterline::renderDuration(Picoseconds(500'000'000'000)), "00");
  EXPECT_EQ(meterline::renderDuration(Picoseconds(500'000'000'001)), "01");
  EXPECT_EQ(meterline::renderDuration(1500ms), "02");
  EXPECT_EQ(meterline::renderDuration(2500ms), "02");
  EXPECT_EQ(meterline::renderDuration(2501ms), "03");
  EXPECT_EQ(meterline::renderDuration(-500ms), "00");
  EXPECT_EQ(meterline::renderDuration(-1500ms), "-02");
  EXPECT_EQ(meterline::renderDuration(-65'500ms), "-01:06");
  EXPECT_EQ(meterline::renderDuration(59'500ms), "01:00");
  EXPECT_EQ(meterline::renderDuration(61min), "01:01:00");
  EXPECT_EQ(meterline::renderDuration(std::chrono::duration<double>(2.5)), "02");
  EXPECT_EQ(meterline::renderDuration(std::chrono::duration<double>(3.5)), "04");
  EXPECT_EQ(meterline::renderDuration(std::chrono::duration<double, std::milli>(-65'400.0)), "-01:05");
  EXPECT_EQ(meterline::renderDuration(std::chrono::duration<std::int64_t, std::ratio<1, 3>>(5)), "02");
}

TEST(RenderDuration, RejectsWhatCannotBeCountedInSeconds) {
  EXPECT_THROW(meterline::renderDuration(std::chrono::duration<double>(std::nan(""))),
               std::invalid_argument);
  EXPECT_THROW(meterline::renderDuration(std::chrono::duration<double>(HUGE_VAL)),
               std::invalid_argument);
  EXPECT_THROW(meterline::renderDuration(std::chrono::duration<double>(1e300)), std::out_of_range);
  const auto most = std::numeric_limits<meterline::Int128>::max();
  EXPECT_THROW(meterline::renderDuration(std::chrono::duration<meterline::Int128, std::ratio<3600>>(most)),
               std::out_of_range);
  // The largest picosecond count is still written, to the second.
  EXPECT_EQ(meterline::renderDuration(Picoseconds(most)),
            "47261439850130342147690:55:04");
}

TEST(TimeLabels, ElapsedTimeHandsTheExactDurationToItsFormat) {
  std::vector<std::int64_t> seen;  // picoseconds, small enough here for 64 bits
  const auto label = meterline::elapsedTime([&](Picoseconds d) {
    seen.push_back(static_cast<std::int64_t>(d.count()));
    return Text("t");
  });
  EXPECT_EQ(run(label, 0, 0, after(1500ms + 1ns)), "t");
  EXPECT_EQ(run(label, 0, 0, {kStart, kStart - 2s}), "t");
  EXPECT_EQ(seen, (std::vector<std::int64_t>{1'500'000'001'000, -2'000'000'000'000}));
  EXPECT_EQ(run(meterline::elapsedTime(meterline::renderDuration), 0, 10, after(65s)), "01:05");
  // Start and last update at the ends of the clock's range: no overflow.
  const meterline::TimePoint first{std::chrono::nanoseconds(Limits::min())};
  const meterline::TimePoint last{std::chrono::nanoseconds(Limits::max())};
  EXPECT_EQ(run(meterline::elapsedTime(meterline::renderDuration), 0, 10, {first, last}),
            "5124095:34:34");
}

TEST(TimeLabels, EstimateRemainingAndTotalTimeOrShowTheAlternative) {
  const meterline::TimePoint first{std::chrono::nanoseconds(Limits::min())};
  const meterline::TimePoint last{std::chrono::nanoseconds(Limits::max())};
  const struct {
    std::int64_t done;
    std::int64_t todo;
    Timing timing;
    const char* remaining;
    const char* total;
  } cases[] = {
      {5, 10, after(10s), "10", "20"},
      {1, 3, after(10s), "20", "30"},
      {1, 2, after(1s + 1ns), "01", "02"},         // just past the first second
      {1, 2, after(1s), "?", "?"},                 // an exact second still shows the alternative
      {1, 2, after(999ms), "?", "?"},
      {0, 10, after(10s), "?", "?"},               // nothing done
      {-1, 10, after(10s), "?", "?"},
      {3, 0, after(10s), "00", "10"},              // no total: the elapsed time is the total
      {3, -5, after(10s), "00", "10"},
      {20, 10, after(10s), "-05", "05"},           // past the total: negative remaining time
      {1, 1'000'000'000'000, after(10s), "2777777777:46:30", "2777777777:46:40"},  // the fraction 10^-12
      {1, 1'000'000'000'001, after(10s), "?", "?"},                    // below it
      {1, 1'000'000, {first, last}, "?", "?"},     // E times the reciprocal leaves 128 bits
      {1, 2, {first, last}, "5124095:34:34", "10248191:09:07"},
      {Limits::max(), Limits::max(), after(90s), "00", "01:30"},
  };
  for (const auto& [done, todo, timing, remaining, total] : cases) {
    SCOPED_TRACE(std::to_string(done) + " / " + std::to_string(todo));
    EXPECT_EQ(run(meterline::remainingTime(meterline::renderDuration, "?"), done, todo, timing), remaining);
    EXPECT_EQ(run(meterline::totalTime(meterline::renderDuration, "?"), done, todo, timing), total);
  }
}

TEST(TimeLabels, ComputeTheEstimateInExactPicoseconds) {
  std::vector<std::int64_t> seen;
  const auto label = meterline::totalTime(
      [&](Picoseconds d) {
        seen.push_back(static_cast<std::int64_t>(d.count()));
        return Text();
      },
      "");
  // A third done after 10 s: the fraction ⌊10¹²/3⌋ ps, its reciprocal ⌊10²⁴/333333333333⌋.
  run(label, 1, 3, after(10s));
  EXPECT_EQ(seen, std::vector<std::int64_t>{30'000'000'000'030});
}

TEST(RateLabel, ShowsUnitsPerSecondWithTheSmallestPrefixThatStaysBelowAThousand) {
  const meterline::TimePoint first{std::chrono::nanoseconds(Limits::min())};
  const meterline::TimePoint last{std::chrono::nanoseconds(Limits::max())};
  const struct {
    std::int64_t done;
    Timing timing;
    const char* text;
  } cases[] = {
      {100, after(1s), "?"},  // an exact second is still too short to say
      {100, after(0s), "?"},
      {100, after(-5s), "?"},
      {3, after(1s + 1ns), "  3.0 B/s"},
      {0, after(2s), "  0.0 B/s"},
      {1, after(4s), "  0.2 B/s"},  // 0.25: halves go to even
      {7, after(20s), "  0.4 B/s"},  // 0.35
      {99'994, after(100s), "999.9 B/s"},
      {99'995, after(100s), "  1.0 kB/s"},  // 999.95 rounds to 1000.0: the next prefix
      {1'500, after(1s + 1ns), "  1.5 kB/s"},
      {24'600'000, after(2s), " 12.3 MB/s"},
      {123'456'789'000, after(1000s), "123.5 MB/s"},
      {99'995'000'000'000, after(100s), "  1.0 TB/s"},
      {-5, after(2s), " -2.5 B/s"},
      {-1, after(100s), "  0.0 B/s"},  // -0.01 shows no sign
      {-99'995, after(100s), " -1.0 kB/s"},
      // Exact at the ends of the 64-bit range and of the clock.
      {Limits::max(), after(1s + 1ns), "  9.2 EB/s"},
      {Limits::min(), after(1s + 1ns), " -9.2 EB/s"},
      {Limits::max(), {first, last}, "500.0 MB/s"},
      {1, {first, last}, "  0.0 B/s"},
  };
  for (const auto& [done, timing, text] : cases) {
    SCOPED_TRACE(done);
    EXPECT_EQ(run(meterline::rate("B", "?"), done, 0, timing), text);
  }
  EXPECT_EQ(run(meterline::rate("files", "?"), 1'500, 10, after(10s)), "150.0 files/s");
  EXPECT_EQ(run(meterline::rate("", "?"), 2'000, 10, after(2s)), "  1.0 k/s");
  const Progress<Job> job{4'000, 0, {"copy"}};
  EXPECT_EQ(meterline::rate<Job>("B", "?").runLabel(job, after(2s)), "  2.0 kB/s");
}

TEST(Labels, CombineInOrderWithTheEmptyLabelNeutral) {
  std::string order;
  const auto logged = [&](const char* name) {
    return Label<>([&order, name](const Progress<>&, const Timing&) {
      order += name;
      return Text(name);
    });
  };
  EXPECT_EQ(run(logged("a") + logged("b") + "c", 0, 1), "abc");
  EXPECT_EQ(order, "ab");

  const Label<> percent = meterline::percentage();
  EXPECT_EQ(run(percent + Label<>(), 1, 4), " 25%");
  EXPECT_EQ(run(Label<>() + percent, 1, 4), " 25%");
  EXPECT_EQ(run(meterline::msg("x") + percent, 1, 4), "x 25%");

  const meterline::LabelMonoid<> monoid;
  EXPECT_EQ(run(monoid.mempty(), 1, 4), "");
  EXPECT_EQ(run(monoid.append(meterline::msg("["), [] { return meterline::exact(); }), 1, 4), "[1/4");
  EXPECT_EQ(run(monoid.mconcat(fp::List<Label<>>{"a", percent, "b"}), 1, 4), "a 25%b");
  EXPECT_EQ(run(monoid.mconcat(fp::List<Label<>>{}), 1, 4), "");
  EXPECT_EQ(run(monoid.sconcat(fp::NonEmpty<Label<>>("a", fp::List<Label<>>{"b"})), 1, 4), "ab");
  EXPECT_EQ(run(monoid.stimes(3, "ab"), 1, 4), "ababab");
  EXPECT_THROW(monoid.stimes(0, "ab"), std::invalid_argument);
}

TEST(Labels, FromAStringShowTheTextWithSurrogatesReplaced) {
  const Label<> fixed = "Copying";
  EXPECT_EQ(run(fixed, 1, 2), "Copying");
  EXPECT_EQ(run(fixed, 2, 2, after(5s)), "Copying");
  const Label<> broken = "a\xED\xA0\x80z";
  EXPECT_EQ(run(broken, 0, 1), "a\uFFFDz");
  EXPECT_EQ(run(meterline::msg(Text(U"\U0001F600")), 0, 1), "\U0001F600");
}

TEST(DefStyle, HasTheDefaultFieldsForAnyCustomType) {
  const auto style = meterline::defStyle();
  EXPECT_EQ(style.styleOpen, "[");
  EXPECT_EQ(style.styleClose, "]");
  EXPECT_EQ(style.styleDone, U'=');
  EXPECT_EQ(style.styleCurrent, U'>');
  EXPECT_EQ(style.styleTodo, U'.');
  EXPECT_EQ(run(style.stylePrefix, 3, 10), "");
  EXPECT_EQ(run(style.stylePostfix, 3, 10), " 30%");
  EXPECT_EQ(style.styleWidth, meterline::ProgressBarWidth(meterline::TerminalWidth{50}));
  const Progress<> progress{3, 10, {}};
  for (const auto* escape : {&style.styleEscapeOpen, &style.styleEscapeClose, &style.styleEscapeDone,
                             &style.styleEscapeCurrent, &style.styleEscapeTodo,
                             &style.styleEscapePrefix, &style.styleEscapePostfix})
    EXPECT_EQ((*escape)(progress), "");
  EXPECT_EQ(style.styleOnComplete, meterline::OnComplete::WriteNewline);

  const auto custom = meterline::defStyle<Job>();
  const Progress<Job> job{1, 4, {"copy"}};
  EXPECT_EQ(custom.stylePostfix.runLabel(job, after(0s)), " 25%");
  EXPECT_EQ(custom.styleEscapeDone(job), "");
}

// Labels written for any progress serve in a style whose progress carries a custom value, alone
// and joined with labels that read it.
TEST(Label, LabelsForAnyProgressServeACustomStyle) {
  meterline::Style<Job> style = meterline::defStyle<Job>();
  style.stylePrefix = meterline::msg("job ") + meterline::exact();
  style.stylePostfix = meterline::percentage();
  const Label<Job> name([](const Progress<Job>& p, const Timing&) { return Text(p.progressCustom.name); });
  const Label<Job> both = name + meterline::percentage();
  const Progress<Job> job{1, 4, {"copy"}};
  EXPECT_EQ(style.stylePrefix.runLabel(job, after(0s)), "job 1/4");
  EXPECT_EQ(style.stylePostfix.runLabel(job, after(0s)), " 25%");
  EXPECT_EQ(both.runLabel(job, after(0s)), "copy 25%");
}

}  // namespace
