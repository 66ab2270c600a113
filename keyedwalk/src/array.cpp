#include "keyedwalk/array.hpp"

#include <string>

namespace keyedwalk {

ArrayIndexError::ArrayIndexError(std::int64_t position, std::int64_t count)
    : std::out_of_range("keyedwalk::Array: position " + std::to_string(position) + " outside the " +
                        std::to_string(count) + " slots"),
      position_(position),
      count_(count) {}

NegativeRangeError::NegativeRangeError()
    : std::length_error("keyedwalk::Array: the bounds hold a negative number of indices") {}

namespace detail {

void throwArrayIndexError(std::int64_t position, std::int64_t count) { throw ArrayIndexError(position, count); }

void throwElementCount(std::size_t given, bool orMore, std::int64_t expected) {
  throw std::invalid_argument("keyedwalk::Array: " + std::to_string(given) + (orMore ? " or more" : "") +
                              " elements for bounds that hold " + std::to_string(expected) + " indices");
}

}  // namespace detail
}  // namespace keyedwalk
