// split: cut lists into pieces, by strategies or by counts, on demand.
//
//   #include "split/split.hpp"
//
//   fp::String csv = fp::String::from("name,,age");
//   split::splitOn(",", csv)                                  // ["name","","age"]
//   split::wordsBy([](char c) { return c == ' '; }, fp::String::from(" to  be "))
//                                                             // ["to","be"]
//   split::split(split::keepDelimsL(split::oneOf({0})), fp::List<int>{1, 0, 2})
//                                                             // [[1],[0,2]]
//   split::splitWhen([](int x) { return x % 10 == 0; }, fp::iota(1)).take(2)
//                                                             // [[1..9],[11..19]]: unbounded input
//   split::chunksOf(2, fp::List<int>{1, 2, 3})                // [[1,2],[3]]
//
// A strategy (`Splitter`) is a value: what a delimiter is, and what becomes of delimiters,
// adjacent delimiters and blank end pieces. `split::split(strategy, list)` applies one; the
// combinators build them (`oneOf`, `onSublist`, `whenElt`, `dropDelims`, `condense`, ...), and
// the ready-made operations (`splitOn`, `splitOneOf`, `splitWhen`, `endBy`, `linesBy`,
// `wordsBy`, ...) combine the two. Count-based cutting (`chunksOf`, `splitPlaces`, `divvy`,
// `chop`) stands beside them. Inputs and results are fp::List: every result is produced as it is
// read and works on unbounded input.
//
// This header brings in the whole library (split/internals.hpp, which also exposes the engine's
// stages one by one) and the run-time version.
#pragma once

#include "split/internals.hpp"
#include "split/version.hpp"
