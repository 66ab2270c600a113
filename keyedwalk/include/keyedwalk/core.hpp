// The keyedwalk core in one include: the indexed capabilities and their defaults, the position
// counting effect, the combinations Traversed and Sequenced, and the providers of the lists
// (fp::List, fp::ZipList, fp::NonEmpty) and of the standard sequences (std::vector, std::deque,
// std::array, std::span); the keyed providers (std::map, std::multimap, std::unordered_map,
// keyedwalk::IntMap, std::pair, keyedwalk::Array) and the non-empty folds of fp::NonEmpty; the
// combined kinds (Compose, Product, Sum and their generic twins), keyedwalk::Tree, functions and
// ReaderT, the kinds of at most one element (fp::Identity, std::optional) or none (Proxy, fp::Const,
// Constant), and the wrappers (IdentityT, Backwards, Reverse).
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
#include "keyedwalk/compose.hpp"
#include "keyedwalk/empty.hpp"
#include "keyedwalk/function.hpp"
#include "keyedwalk/generic.hpp"
#include "keyedwalk/identity.hpp"
#include "keyedwalk/optional.hpp"
#include "keyedwalk/product.hpp"
#include "keyedwalk/reader.hpp"
#include "keyedwalk/reverse.hpp"
#include "keyedwalk/sum.hpp"
#include "keyedwalk/tree.hpp"
#include "keyedwalk/wrappers.hpp"
#include "keyedwalk/indexed.hpp"
