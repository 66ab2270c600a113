// A libFuzzer target for split: each input decodes into one case of the differential test, which
// runs through the list engine, the contiguous engine and the reference, on every scan path the
// processor has, and any difference aborts with the case and the three results.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DFP_BUILD_FUZZ=ON
//   cmake --build build-fuzz --target split_fuzz
//   build-fuzz/fuzz/split_fuzz -max_total_time=60
//
// The bytes choose, in turn: the element type (characters or integers, which search
// differently), the operation (a splitter, with a limit or without; splitOnce; an operation
// taking a predicate; a count-based operation), the delimiter's kind and its zero to three
// elements, the four policies, how the list engine's input is laid out (one buffer, one cell per
// element, or buffers cut at chosen places), and last the input. Elements come from a
// three-letter alphabet, so that delimiters collide and touch.
#include <fuzzer/FuzzedDataProvider.h>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "differential.hpp"

namespace {

using split::CondensePolicy;
using split::DelimPolicy;
using split::EndPolicy;
using split::testing::Case;
using split::testing::CountCase;
using split::testing::CountKind;
using split::testing::DelimKind;
using split::testing::Layout;
using split::testing::PredicateOperation;

// Inputs longer than this are cut short: the reference copies its chunks and is quadratic. Three
// windows of the vector searches, whose blocks are 16 and 32 bytes.
constexpr std::size_t kMostElements = 192;

template <class T>
T element(std::uint8_t byte) {
  const int x = byte % 3;
  return std::same_as<T, char> ? T('a' + x) : T(x);
}

template <class T>
std::vector<T> elements(FuzzedDataProvider& in, int most) {
  std::vector<T> out(in.ConsumeIntegralInRange<std::size_t>(0, std::size_t(most)));
  for (T& x : out) x = element<T>(in.ConsumeIntegral<std::uint8_t>());
  return out;
}

template <class T>
Layout<T> layout(FuzzedDataProvider& in) {
  Layout<T> out;
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
      break;
    case 1:
      out.cells = true;
      break;
    default:
      // A cut before position 3i where bit i of the mask is set.
      const auto mask = in.ConsumeIntegral<std::uint64_t>();
      for (std::size_t i = 1; i < 64; ++i)
        if (mask >> i & 1) out.cuts.push_back(3 * i);
  }
  return out;
}

template <class T>
std::vector<T> input(FuzzedDataProvider& in) {
  std::vector<T> out;
  for (std::uint8_t byte : in.ConsumeRemainingBytes<std::uint8_t>()) {
    if (out.size() == kMostElements) break;
    out.push_back(element<T>(byte));
  }
  return out;
}

enum class Operation { Split, SplitOnce, PredicateOperation, CountBased };

template <class T>
std::optional<std::string> check(FuzzedDataProvider& in) {
  const auto operation = Operation(in.ConsumeIntegralInRange(0, 3));
  if (operation == Operation::CountBased) {
    CountCase<T> c{};
    c.kind = CountKind(in.ConsumeIntegralInRange(0, 4));
    c.n = in.ConsumeIntegralInRange<std::int64_t>(c.kind == CountKind::Chop ? 0 : -1, 4);
    c.m = in.ConsumeIntegralInRange<std::int64_t>(1, 3);
    for (int k = in.ConsumeIntegralInRange(0, 4); k > 0; --k)
      c.counts.push_back(in.ConsumeIntegralInRange<std::int64_t>(-1, 4));
    c.layout = layout<T>(in);
    c.input = input<T>(in);
    return split::testing::countDisagreement(c);
  }
  Case<T> c{};
  c.kind = DelimKind(in.ConsumeIntegralInRange(0, 3));
  c.elements = elements<T>(in, 3);
  if (c.elements.empty() && c.kind == DelimKind::Predicates)  // a delimiter of no predicates
    c.elements.push_back(element<T>(in.ConsumeIntegral<std::uint8_t>()));
  c.policies = {DelimPolicy(in.ConsumeIntegralInRange(0, 3)),
                CondensePolicy(in.ConsumeIntegralInRange(0, 2)),
                EndPolicy(in.ConsumeIntegralInRange(0, 1)),
                EndPolicy(in.ConsumeIntegralInRange(0, 1))};
  c.limit = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int64_t>(0, 4)
                             : split::reference::Splitting<T>::kNoLimit;
  const auto predicateOperation = PredicateOperation(in.ConsumeIntegralInRange(0, 2));
  c.layout = layout<T>(in);
  c.input = input<T>(in);
  switch (operation) {
    case Operation::SplitOnce:
      return split::testing::splitOnceDisagreement(c);
    case Operation::PredicateOperation:
      return split::testing::predicateOperationDisagreement(predicateOperation, c);
    default:
      return split::testing::disagreement(c);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The same case on every scan path.
  split::testing::forEachScanPath([&](split::ScanPath path) {
    FuzzedDataProvider in(data, size);
    const std::optional<std::string> difference =
        in.ConsumeBool() ? check<char>(in) : check<int>(in);
    if (difference) {
      std::fprintf(stderr, "the engines and the reference differ, scanning with %s:\n%s\n",
                   std::string(split::scanPathName(path)).c_str(), difference->c_str());
      std::abort();
    }
  });
  return 0;
}
