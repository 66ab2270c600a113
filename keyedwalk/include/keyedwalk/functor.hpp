// Mapping with indices: keyedwalk::FunctorWithIndex and keyedwalk::imap, with every provider.
//
//   auto squares = keyedwalk::imap([](std::int64_t i, int) { return i * i; }, fp::iota(0));
//   // 0 1 4 9 ..., each computed when read
#pragma once

#include "keyedwalk/core.hpp"
