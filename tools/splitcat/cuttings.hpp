// How splitcat cuts each input, by what the command line asks for: the pieces of a stream, at
// delimiters, in chunks or in windows, or the fields of its records.
//
//   splitcat::Output out(STDOUT_FILENO, splitcat::layoutFor(options));
//   const std::unique_ptr<splitcat::Cutting> cutting = splitcat::cuttingFor(options, out);
//   splitcat::Reader(events).read("data.csv", *cutting);
//
// Stream mode cuts each input as one text. A line end (a zero byte with -z) that ends the input
// ends its last piece at delimiters, as it ends the last line, and an empty input has no piece;
// chunks and windows cut the bytes as they are. Record mode cuts each record (line) into fields
// and writes those chosen; a record in which the delimiter does not occur is written whole, as
// cut does, or left out with -s.
//
// Pieces stream through whatever their length. A record whose fields are all written does too;
// one of which fields are chosen is held whole, up to --max-record bytes, and a longer one ends
// the input with an InputError.
#pragma once

#include <memory>

#include "input.hpp"
#include "options.hpp"
#include "output.hpp"

namespace splitcat {

Layout layoutFor(const Options& options);

// The cutting of `options`, writing to `out`, which must outlive it.
std::unique_ptr<Cutting> cuttingFor(const Options& options, Output& out);

}  // namespace splitcat
