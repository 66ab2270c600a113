// The version of the meterline library: the one these headers are, as macros, and the one of the
// shared library a program runs with, from version(). A program can check at start-up that the
// library it found is the one it was built for:
//
//   if (meterline::version() != METERLINE_VERSION_STRING) { /* headers and library differ */ }
#pragma once

#include <string_view>

#define METERLINE_VERSION_MAJOR 0
#define METERLINE_VERSION_MINOR 1
#define METERLINE_VERSION_PATCH 0
#define METERLINE_VERSION_STRING "0.1.0"

namespace meterline {

// The version of the shared library, "MAJOR.MINOR.PATCH".
std::string_view version() noexcept;

}  // namespace meterline
