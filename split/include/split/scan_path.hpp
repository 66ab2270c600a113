// Which instructions split searches contiguous elements with, chosen when the program runs.
//
//   split::scanPath()                          // ScanPath::Avx2 on a processor that has it
//   split::setScanPath(split::ScanPath::Scalar);   // from now on, one element at a time
//   split::scanPathName(split::scanPath())     // "scalar"
//
//   $ FP_SPLIT_SCAN=sse2 ./program             // the same, for a whole process
//
// The delimiters of `oneOf` and `onSublist` over arithmetic elements, and the named classes
// `isSpace` and `isNewline`, are searched for a vector at a time where the processor allows: on
// x86-64, 16 elements' bytes at a time with SSE2, which every such processor has, or 32 with
// AVX2 where the processor has it (the library is built for every x86-64 and picks AVX2 when it
// runs). Elsewhere, and for every other delimiter, the search tests one element at a time. Every
// path finds the same matches; forcing one is for comparing them, and for testing.
//
// The path in force is the fastest the processor has, unless the environment variable
// FP_SPLIT_SCAN names another when the library first searches: "scalar", "sse2" or "avx2". A
// path the processor lacks gives way to the fastest it has below that one; any other value is
// ignored. `setScanPath` changes the path for every search that starts after it, in any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace split {

enum class ScanPath : std::uint8_t {
  Scalar,  // one element at a time
  Sse2,    // 16 bytes at a time (x86-64)
  Avx2,    // 32 bytes at a time (x86-64 processors with AVX2)
};

// The path that searches use now.
ScanPath scanPath() noexcept;

// Whether this processor can search by `path`.
bool scanPathAvailable(ScanPath path) noexcept;

// Makes every search that starts from now on use `path`. Throws std::invalid_argument if the
// processor cannot run it.
void setScanPath(ScanPath path);

// "scalar", "sse2" or "avx2".
std::string_view scanPathName(ScanPath path) noexcept;

}  // namespace split
