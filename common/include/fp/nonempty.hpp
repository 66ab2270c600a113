// fp::NonEmpty<T>: a first element followed by a list of the others; never empty.
//
//   fp::NonEmpty<int> xs(1, fp::List<int>{2, 3});        // 1 :| [2, 3]
//   int first = xs.head();                               // no empty case to handle
//   fp::List<int> all = xs.toList();                     // 1 2 3, sharing xs's tail
//   auto maybe = fp::NonEmpty<int>::fromList(fp::List<int>{});   // std::nullopt
#pragma once

#include <concepts>
#include <optional>
#include <utility>

#include "fp/list.hpp"

namespace fp {

template <class T>
class NonEmpty {
 public:
  using value_type = T;

  explicit NonEmpty(T head, List<T> tail = {}) : head_(std::move(head)), tail_(std::move(tail)) {}

  // The list's elements, or nothing for an empty list.
  static std::optional<NonEmpty> fromList(const List<T>& xs) {
    auto split = xs.uncons();
    if (!split) return std::nullopt;
    return NonEmpty(std::move(split->first), std::move(split->second));
  }

  const T& head() const noexcept { return head_; }
  const List<T>& tail() const noexcept { return tail_; }
  List<T> toList() const { return List<T>::cons(head_, tail_); }

  friend bool operator==(const NonEmpty& a, const NonEmpty& b)
    requires std::equality_comparable<T>
  {
    return a.head_ == b.head_ && a.tail_ == b.tail_;
  }

 private:
  T head_;
  List<T> tail_;
};

template <class T>
NonEmpty(T, List<T>) -> NonEmpty<T>;

}  // namespace fp
