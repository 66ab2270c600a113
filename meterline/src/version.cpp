#include "meterline/version.hpp"

namespace meterline {

std::string_view version() noexcept { return FP_VERSION; }

}  // namespace meterline
