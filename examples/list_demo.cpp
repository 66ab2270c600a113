// A tour of fp::List: on-demand, unbounded, shared and memoised.
#include <cstdint>
#include <iostream>

#include "fp/classes.hpp"
#include "fp/consume.hpp"
#include "fp/generate.hpp"
#include "fp/list.hpp"

int main() {
  // An unbounded list: nothing is computed until it is read.
  const fp::List<std::int64_t> naturals = fp::iota<std::int64_t>(1);
  const auto squares = fp::fmap([](std::int64_t n) { return n * n; }, naturals);
  std::cout << "first squares:   " << squares.take(6) << '\n';

  // Folds stop at the deciding element, even on unbounded input.
  const std::int64_t firstBig = fp::foldr(
      [](std::int64_t x, fp::Deferred<std::int64_t> rest) { return x > 1000 ? x : rest(); },
      std::int64_t{0}, squares);
  std::cout << "first square over 1000: " << firstBig << '\n';

  // Lists share their tails: prepending copies nothing.
  const fp::List<int> tail{2, 3};
  const auto a = fp::List<int>::cons(1, tail), b = fp::List<int>::cons(9, tail);
  std::cout << "shared tails:    " << a << ' ' << b << '\n';

  // Traversing with an effect that may fail.
  const auto parsed = fp::traverse(
      fp::OptionalEffect{},
      [](char c) { return c >= '0' && c <= '9' ? std::optional(c - '0') : std::nullopt; },
      fp::String::from(std::string("2026")));
  std::cout << "digits of 2026:  " << *parsed << '\n';

  // A hundred million generated cells, walked in constant memory: nothing else holds the
  // head of this list, so each cell is freed once passed.
  std::int64_t sum = 0;
  for (std::int64_t x : fp::consume(fp::iota<std::int64_t>(1).take(100'000'000))) sum += x;
  std::cout << "sum of 1..10^8:  " << sum << '\n';
}
