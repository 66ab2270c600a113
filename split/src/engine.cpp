// The splitting engine compiled for char and std::int64_t elements, which the headers declare
// extern so that programs splitting those do not compile it again.
#define SPLIT_COMPILING_THE_ENGINE
#include "split/engine.hpp"
