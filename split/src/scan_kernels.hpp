// The vector searches of each instruction set, as split/src/scan.cpp chooses among them.
#pragma once

#include <cstddef>

#include "split/detail/scan.hpp"

namespace split::detail {

// The most elements of a set that a search compares a block with one by one.
inline constexpr std::size_t kMostCompared = 8;

// One instruction set's searches, indexed by VectorElement.
struct Kernels {
  VectorFind one[6];
  VectorFind anyOf[6];  // comparing each block with each element: sets of up to kMostCompared
  VectorFind sublist[6];
  VectorFind byteSet;   // a set of bytes by its nibble tables, where the instructions allow
  std::size_t mostComparedBytes;  // where they do, the largest set of bytes compared one by one
};

#if defined(__x86_64__)
namespace sse2 {
extern const Kernels kernels;
}
namespace avx2 {
extern const Kernels kernels;
}
#endif

}  // namespace split::detail
