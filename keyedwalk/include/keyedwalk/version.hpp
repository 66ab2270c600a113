// The version of the keyedwalk library that a program is linked against at run time, for
// checking it against the headers it was built with.
#pragma once

#include <string_view>

namespace keyedwalk {

// The version of the shared library, "MAJOR.MINOR.PATCH".
std::string_view version() noexcept;

}  // namespace keyedwalk
