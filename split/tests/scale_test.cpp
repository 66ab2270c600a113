// Inputs of any size: bounded memory over a hundred million elements and over millions of
// consecutive separators, and a ten-million-element piece walked on the default stack.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

#include "fp/consume.hpp"
#include "fp/generate.hpp"
#include "split/split.hpp"
#include "fp/testing/sanitized.hpp"

namespace {

using fp::List;

using fp::testing::kSanitized;

// The resident memory of this process, from the kernel's accounting.
std::int64_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * 4096;
}

// Starts a new measure of the peak resident memory.
void resetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The peak resident memory since the last reset.
std::int64_t peakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string field; status >> field;)
    if (field == "VmHWM:") {
      std::int64_t kib = 0;
      status >> kib;
      return kib << 10;
    }
  return 0;
}

// `blocks` buffers of 64 KiB of text, made as they are reached: fields of 39 letters, each
// followed by ", ", running on across the buffers' ends.
List<char> generatedText(std::int64_t blocks, std::int64_t offset = 0) {
  return List<char>::lazy([blocks, offset]() -> List<char> {
    if (blocks == 0) return {};
    constexpr std::int64_t kBlock = 64 << 10;
    std::string block(kBlock, ' ');
    for (std::int64_t i = 0; i < kBlock; ++i) {
      const std::int64_t at = (offset + i) % 41;
      block[i] = at == 39 ? ',' : at == 40 ? ' ' : char('a' + at % 26);
    }
    return fp::append(List<char>::from(std::move(block)),
                      [=] { return generatedText(blocks - 1, offset + kBlock); });
  });
}

TEST(Scale, SplittingAHundredMillionElementsKeepsMemoryBounded) {
  const std::int64_t n = kSanitized ? 10'000'000 : 100'000'000;
  resetPeakResident();
  const std::int64_t before = residentBytes();
  std::int64_t pieces = 0, elements = 0;
  for (const List<char>& piece :
       fp::consume(split::splitOn(", ", generatedText(n / (64 << 10) + 1).take(n)))) {
    for (auto run : piece.runs()) elements += std::int64_t(run.size());
    ++pieces;
  }
  const std::int64_t matches = n / 41;
  EXPECT_EQ(pieces, matches + 1);
  EXPECT_EQ(elements, n - 2 * matches);
  if (!kSanitized) {
    EXPECT_LT(peakResidentBytes() - before, 64 << 20) << "peak growth of resident memory";
  }
}

TEST(Scale, ARunOfMillionsOfSeparatorsIsPassedInBoundedMemory) {
  const std::int64_t n = kSanitized ? 1'000'000 : 4'000'000;
  const auto input = List<char>::from(std::string(std::size_t(n), ' ') + "word");
  const auto isSpace = [](char c) { return c == ' '; };
  const struct {
    std::function<List<List<char>>()> pieces;
    std::int64_t count;
  } splits[] = {
      // One condensed delimiter, and the blank piece before it dropped: "word".
      {[&] { return split::wordsBy(isSpace, input); }, 1},
      // Millions of delimiters side by side with no blank between them: "" and "word".
      {[&] {
         return split::split(split::dropInnerBlanks(split::dropDelims(split::oneOf(" "))), input);
       },
       2},
  };
  for (const auto& s : splits) {
    resetPeakResident();
    const std::int64_t before = residentBytes();
    std::int64_t count = 0, last = -1;
    for (const List<char>& piece : fp::consume(s.pieces())) ++count, last = piece.length();
    EXPECT_EQ(last, 4);
    EXPECT_EQ(count, s.count);
    if (!kSanitized) {
      EXPECT_LT(peakResidentBytes() - before, 64 << 20) << "peak growth of resident memory";
    }
  }
}

TEST(Scale, ATenMillionElementPieceIsWalkedOnTheDefaultStack) {
  const int n = kSanitized ? 1'000'000 : 10'000'000;
  // An input made cell by cell, without a delimiter: one piece, itself made element by element.
  List<int> piece = split::splitOn({0}, fp::iota(1, n + 1)).head();
  std::int64_t count = 0, sum = 0;
  for (int x : fp::consume(std::move(piece))) ++count, sum += x;
  EXPECT_EQ(count, n);
  EXPECT_EQ(sum, std::int64_t{n} * (n + 1) / 2);

  // Read whole and kept, then dropped at once.
  auto pieces = split::wordsBy([](int x) { return x == 0; }, fp::iota(1, n / 10 + 1));
  EXPECT_EQ(pieces.head().length(), n / 10);
  EXPECT_TRUE(pieces.tail().empty());
}

}  // namespace
