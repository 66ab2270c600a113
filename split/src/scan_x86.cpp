// The vector searches of x86-64: SSE2, which every such processor has, and AVX2, compiled for
// it here (the rest of the library is not) and chosen by split/src/scan.cpp only where the
// processor has it.
#include "scan_kernels.hpp"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

// The searches of one instruction set for each element kind, in VectorElement's order.
#define SPLIT_EACH_ELEMENT(find)                                                              \
  {                                                                                           \
    find<std::uint8_t>, find<std::uint16_t>, find<std::uint32_t>, find<std::uint64_t>,      \
        find<float>, find<double>                                                             \
  }

namespace split::detail {

namespace sse2 {
namespace {
#define SPLIT_TARGET
#define SPLIT_SHUFFLES 0
#define SPLIT_WIDE 0
#include "scan_kernels.inc"
#undef SPLIT_TARGET
#undef SPLIT_SHUFFLES
#undef SPLIT_WIDE
}  // namespace

// Without byte shuffles, a set of bytes is compared byte by byte when small, and otherwise
// searched one byte at a time.
const Kernels kernels = {SPLIT_EACH_ELEMENT(findOne), SPLIT_EACH_ELEMENT(findAnyOf),
                         SPLIT_EACH_ELEMENT(findSublist), nullptr, kMostCompared};
}  // namespace sse2

namespace avx2 {
namespace {
#define SPLIT_TARGET __attribute__((target("avx2")))
#define SPLIT_SHUFFLES 1
#define SPLIT_WIDE 1
#include "scan_kernels.inc"
#undef SPLIT_TARGET
#undef SPLIT_SHUFFLES
#undef SPLIT_WIDE
}  // namespace

// Comparing a block with each of three bytes costs about what the two shuffles of the nibble
// tables cost.
const Kernels kernels = {SPLIT_EACH_ELEMENT(findOne), SPLIT_EACH_ELEMENT(findAnyOf),
                         SPLIT_EACH_ELEMENT(findSublist), findByteSet, 3};
}  // namespace avx2

}  // namespace split::detail

#endif
