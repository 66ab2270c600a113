#include <stdexcept>

#include "keyedwalk/combinations.hpp"

namespace keyedwalk::detail {

void throwValueUsed(const char* message) { throw std::logic_error(message); }

}  // namespace keyedwalk::detail
