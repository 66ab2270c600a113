// The keyedwalk core in one include: the indexed capabilities and their defaults, the position
// counting effect, the combinations Traversed and Sequenced, and the providers of the lists
// (fp::List, fp::ZipList, fp::NonEmpty) and of the standard sequences (std::vector, std::deque,
// std::array, std::span); the keyed providers (std::map, std::multimap, std::unordered_map,
// keyedwalk::IntMap, std::pair, keyedwalk::Array) and the non-empty folds of fp::NonEmpty.
//
//   #include "keyedwalk/core.hpp"
//   auto labels = keyedwalk::imap([](std::int64_t i, char c) { return std::pair(i, c); },
//                                 std::vector<char>{'a', 'b'});          // {(0,a), (1,b)}
#pragma once

#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/combinations.hpp"
#include "keyedwalk/indexing.hpp"
#include "keyedwalk/list.hpp"
#include "keyedwalk/sequence.hpp"
#include "keyedwalk/version.hpp"
#include "keyedwalk/array.hpp"
#include "keyedwalk/foldable1.hpp"
#include "keyedwalk/intmap.hpp"
#include "keyedwalk/map.hpp"
#include "keyedwalk/pair.hpp"
