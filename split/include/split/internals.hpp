// Everything of the split library: the splitter model, the engines (over fp::List, each stage
// of it too, and over contiguous input), the combinators and ready-made splitters, the limits
// (maxSplits, splitOnce), and the count-based cutting. split/split.hpp is the header to include; this one is its content.
#pragma once

#include "split/chunk.hpp"
#include "split/chunking.hpp"
#include "split/classes.hpp"
#include "split/combinators.hpp"
#include "split/contiguous.hpp"
#include "split/engine.hpp"
#include "split/limit.hpp"
#include "split/pieces.hpp"
#include "split/policies.hpp"
#include "split/scan_path.hpp"
#include "split/splitter.hpp"
