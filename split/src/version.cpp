#include "split/version.hpp"

namespace split {

std::string_view version() noexcept { return FP_VERSION; }

}  // namespace split
