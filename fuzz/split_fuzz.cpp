// A libFuzzer target for split: each input decodes into one case of the differential test, which
// runs through every engine, each stage of the list engine, and the reference, on every scan path
// the processor has; any difference aborts with the case and the results.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DFP_BUILD_FUZZ=ON
//   cmake --build build-fuzz --target split_fuzz
//   build-fuzz/fuzz/split_fuzz -max_total_time=60 build-fuzz/corpus fuzz/corpus/split
//
// The bytes choose, in turn: the element type (characters, integers or floating point, which
// search differently), whether elements come from three symbols that collide often or from
// eight over the type's corners, the check (the pieces of a splitter, with a limit or without,
// and its stages; splitOnce; an operation taking a predicate; a count-based operation; every
// stage on a chunk list of any shape; how much of an input made on demand the first pieces
// read), the delimiter's kind and its zero to three elements, the four policies, how the list
// engine's input is laid out (one buffer, one cell per element, or buffers cut at chosen
// places), and last the input. fuzz/corpus/split holds inputs that reach each check.
#include <fuzzer/FuzzedDataProvider.h>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "split/testing/differential.hpp"

namespace {

using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;
using split::testing::Case;
using split::testing::ChunkCase;
using split::testing::CountCase;
using split::testing::CountKind;
using split::testing::DelimKind;
using split::testing::Layout;
using split::testing::PredicateOperation;
using split::testing::Symbols;

// Inputs longer than this are cut short: the reference copies its chunks and is quadratic. Three
// windows of the vector searches, whose blocks are 16 and 32 bytes.
constexpr std::size_t kMostElements = 192;
// The forcing check tries every continuation of an input: it takes short ones only.
constexpr std::size_t kMostForced = 10;

template <class T>
class Decoder {
 public:
  Decoder(FuzzedDataProvider& in, std::vector<T> symbols) : in_(in), symbols_(std::move(symbols)) {}

  T element() { return symbols_[in_.ConsumeIntegralInRange<std::size_t>(0, symbols_.size() - 1)]; }

  std::vector<T> elements(std::size_t most) {
    std::vector<T> out(in_.ConsumeIntegralInRange<std::size_t>(0, most));
    for (T& x : out) x = element();
    return out;
  }

  Layout<T> layout() {
    Layout<T> out;
    switch (in_.ConsumeIntegralInRange(0, 2)) {
      case 0:
        break;
      case 1:
        out.cells = true;
        break;
      default:
        // A cut before position 3i where bit i of the mask is set.
        const auto mask = in_.ConsumeIntegral<std::uint64_t>();
        for (std::size_t i = 1; i < 64; ++i)
          if (mask >> i & 1) out.cuts.push_back(3 * i);
    }
    return out;
  }

  split::reference::Policies policies() {
    return {DelimPolicy(in_.ConsumeIntegralInRange(0, 3)),
            CondensePolicy(in_.ConsumeIntegralInRange(0, 2)),
            EndPolicy(in_.ConsumeIntegralInRange(0, 1)), EndPolicy(in_.ConsumeIntegralInRange(0, 1))};
  }

  // The rest of the bytes, one element each.
  std::vector<T> input(std::size_t most) {
    std::vector<T> out;
    for (std::uint8_t byte : in_.ConsumeRemainingBytes<std::uint8_t>()) {
      if (out.size() == most) break;
      out.push_back(symbols_[byte % symbols_.size()]);
    }
    return out;
  }

 private:
  FuzzedDataProvider& in_;
  std::vector<T> symbols_;
};

enum class Check { Split, SplitOnce, PredicateOperation, CountBased, ChunkStages, Forcing };

template <class T>
std::optional<std::string> check(FuzzedDataProvider& in, bool many) {
  std::vector<T> symbols;
  if constexpr (std::floating_point<T>)
    symbols = Symbols<T>::many();  // floating point has the eight only
  else
    symbols = many ? Symbols<T>::many() : Symbols<T>::few();
  Decoder<T> decode(in, symbols);
  const auto check = Check(in.ConsumeIntegralInRange(0, 5));
  if (check == Check::CountBased) {
    CountCase<T> c{};
    c.kind = CountKind(in.ConsumeIntegralInRange(0, 4));
    c.n = in.ConsumeIntegralInRange<std::int64_t>(c.kind == CountKind::Chop ? 0 : -1, 4);
    c.m = in.ConsumeIntegralInRange<std::int64_t>(1, 3);
    for (int k = in.ConsumeIntegralInRange(0, 4); k > 0; --k)
      c.counts.push_back(in.ConsumeIntegralInRange<std::int64_t>(-1, 4));
    c.layout = decode.layout();
    c.input = decode.input(kMostElements);
    return split::testing::countDisagreement(c);
  }
  if (check == Check::ChunkStages) {
    ChunkCase<T> c{};
    c.policies = decode.policies();
    c.chunks.resize(in.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (auto& chunk : c.chunks) chunk = {in.ConsumeBool(), decode.elements(3)};
    return split::testing::chunkStageDisagreement(c);
  }
  Case<T> c{};
  c.kind = DelimKind(in.ConsumeIntegralInRange(0, 3));
  c.elements = decode.elements(3);
  if (c.elements.empty() && c.kind == DelimKind::Predicates)  // a delimiter of no predicates
    c.elements.push_back(decode.element());
  c.policies = decode.policies();
  c.limit = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int64_t>(0, 4)
                             : split::reference::Splitting<T>::kNoLimit;
  const auto predicateOperation = PredicateOperation(in.ConsumeIntegralInRange(0, 2));
  c.layout = decode.layout();
  switch (check) {
    case Check::SplitOnce:
      c.input = decode.input(kMostElements);
      return split::testing::splitOnceDisagreement(c);
    case Check::PredicateOperation:
      c.input = decode.input(kMostElements);
      return split::testing::predicateOperationDisagreement(predicateOperation, c);
    case Check::Forcing:
      if constexpr (std::floating_point<T>) {
        return std::nullopt;  // the reference compares continuations with ==
      } else {
        // Over the three symbols, and one that no delimiter made of them accepts.
        if (many) return std::nullopt;
        std::vector<T> alphabet = symbols;
        alphabet.push_back(Symbols<T>::other());
        c.input = decode.input(kMostForced);
        return split::testing::forcingDisagreement(c, alphabet);
      }
    default:
      c.input = decode.input(kMostElements);
      if (auto difference = split::testing::disagreement(c)) return difference;
      if (auto difference = split::testing::delimiterDisagreement(c)) return difference;
      return split::testing::stageDisagreement(c);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The same case on every scan path.
  split::testing::forEachScanPath([&](split::ScanPath path) {
    FuzzedDataProvider in(data, size);
    const int type = in.ConsumeIntegralInRange(0, 2);
    const bool many = in.ConsumeBool();
    const std::optional<std::string> difference = type == 0   ? check<char>(in, many)
                                                  : type == 1 ? check<int>(in, many)
                                                              : check<double>(in, many);
    if (difference) {
      std::fprintf(stderr, "the engines and the reference differ, scanning with %s:\n%s\n",
                   std::string(split::scanPathName(path)).c_str(), difference->c_str());
      std::abort();
    }
  });
  return 0;
}
