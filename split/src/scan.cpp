// The scan path in force, and the vector search it gives each delimiter.
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "scan_kernels.hpp"
#include "split/detail/scan.hpp"
#include "split/scan_path.hpp"

namespace split {

namespace {

constexpr ScanPath kPaths[] = {ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2};

// The fastest path the processor has, up to `path`.
ScanPath fastestUpTo(ScanPath path) noexcept {
  while (!scanPathAvailable(path)) path = ScanPath(int(path) - 1);
  return path;
}

ScanPath initialPath() noexcept {
  ScanPath wanted = ScanPath::Avx2;
  if (const char* name = std::getenv("FP_SPLIT_SCAN"))
    for (const ScanPath path : kPaths)
      if (scanPathName(path) == name) wanted = path;
  return fastestUpTo(wanted);
}

std::atomic<ScanPath>& current() noexcept {
  static std::atomic<ScanPath> path(initialPath());
  return path;
}

}  // namespace

ScanPath scanPath() noexcept { return current().load(std::memory_order_relaxed); }

bool scanPathAvailable(ScanPath path) noexcept {
  switch (path) {
    case ScanPath::Scalar:
      return true;
#if defined(__x86_64__)
    case ScanPath::Sse2:
      return true;
    case ScanPath::Avx2:
      __builtin_cpu_init();  // may run before the constructors that would have done it
      return __builtin_cpu_supports("avx2");
#endif
    default:
      return false;
  }
}

void setScanPath(ScanPath path) {
  if (!scanPathAvailable(path))
    throw std::invalid_argument("split::setScanPath: this processor has no " +
                                std::string(scanPathName(path)));
  current().store(path, std::memory_order_relaxed);
}

std::string_view scanPathName(ScanPath path) noexcept {
  switch (path) {
    case ScanPath::Scalar:
      return "scalar";
    case ScanPath::Sse2:
      return "sse2";
    case ScanPath::Avx2:
      return "avx2";
  }
  return "unknown";
}

namespace detail {

VectorSearch vectorSearch(ScanPath path, VectorShape shape, VectorElement element,
                          std::size_t count) noexcept {
  const Kernels* kernels = nullptr;
#if defined(__x86_64__)
  switch (path) {
    case ScanPath::Sse2:
      kernels = &sse2::kernels;
      break;
    case ScanPath::Avx2:
      kernels = &avx2::kernels;
      break;
    default:
      break;
  }
#endif
  if (!kernels || element == VectorElement::None) return {};
  const auto e = std::size_t(element);
  switch (shape) {
    case VectorShape::One:
      return {kernels->one[e]};
    case VectorShape::Sublist:
      return {kernels->sublist[e]};
    case VectorShape::AnyOf:
      if (element == VectorElement::U8 && kernels->byteSet && count > kernels->mostComparedBytes)
        return {kernels->byteSet, true};
      if (count <= kMostCompared) return {kernels->anyOf[e]};
      return {};
  }
  return {};
}

}  // namespace detail

}  // namespace split
