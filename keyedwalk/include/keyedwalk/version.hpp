// The version of the keyedwalk library: the one these headers are, as macros, and the one of the
// shared library a program runs with, from version(). A program can check at start-up that the
// library it found is the one it was built for:
//
//   if (keyedwalk::version() != KEYEDWALK_VERSION_STRING) { /* headers and library differ */ }
#pragma once

#include <string_view>

#define KEYEDWALK_VERSION_MAJOR 0
#define KEYEDWALK_VERSION_MINOR 1
#define KEYEDWALK_VERSION_PATCH 0
#define KEYEDWALK_VERSION_STRING "0.1.0"

namespace keyedwalk {

// The version of the shared library, "MAJOR.MINOR.PATCH".
std::string_view version() noexcept;

}  // namespace keyedwalk
