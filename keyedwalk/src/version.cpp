#include "keyedwalk/version.hpp"

namespace keyedwalk {

std::string_view version() noexcept { return FP_VERSION; }

}  // namespace keyedwalk
