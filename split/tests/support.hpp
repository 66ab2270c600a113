// Helpers of the split tests: the same elements laid out in different runs, and results as
// plain vectors.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "fp/list.hpp"

namespace split::testing {

using Ints = std::vector<int>;
using Pieces = std::vector<Ints>;

// The elements of `xs`, one cell each.
template <class T>
fp::List<T> cells(const std::vector<T>& xs) {
  fp::List<T> out;
  for (auto x = xs.rbegin(); x != xs.rend(); ++x) out = fp::List<T>::cons(*x, out);
  return out;
}

// The elements of `xs` in the layouts the engine must not tell apart: one buffer, one cell per
// element, and two buffers cut at each inner position.
template <class T>
std::vector<fp::List<T>> layouts(const std::vector<T>& xs) {
  std::vector<fp::List<T>> out{fp::List<T>::from(xs), cells(xs)};
  for (std::size_t cut = 1; cut < xs.size(); ++cut)
    out.push_back(fp::append(fp::List<T>::from(std::vector<T>(xs.begin(), xs.begin() + cut)),
                             fp::List<T>::from(std::vector<T>(xs.begin() + cut, xs.end()))));
  return out;
}

template <class T>
std::vector<std::vector<T>> toVectors(const fp::List<fp::List<T>>& pieces) {
  std::vector<std::vector<T>> out;
  for (const auto& piece : pieces) out.push_back(piece.toVector());
  return out;
}

inline std::vector<std::string> toStrings(const fp::List<fp::List<char>>& pieces) {
  std::vector<std::string> out;
  for (const auto& piece : pieces) out.emplace_back(piece.begin(), piece.end());
  return out;
}

inline fp::List<char> text(const std::string& s) { return fp::List<char>::from(s); }

}  // namespace split::testing
