// fp::consume: walk a list once, letting go of each element as soon as it is passed.
//
//   std::int64_t total = 0;
//   for (std::int64_t x : fp::consume(fp::iota<std::int64_t>(0).take(100'000'000))) total += x;
//
// Iterating a List directly keeps every cell it has passed alive for as long as the list lives.
// `consume` takes the list over and its iterator owns only the cell it stands on, so an
// unbounded list is walked in bounded memory, provided no other copy of its head is kept.
#pragma once

#include <cstddef>
#include <iterator>
#include <ranges>
#include <utility>

#include "fp/list.hpp"

namespace fp {

template <class T>
class Consumed : public std::ranges::view_base {
 public:
  class iterator {
   public:
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::input_iterator_tag;

    iterator() = default;
    const T& operator*() const { return List<T>::headAt(pos()); }
    iterator& operator++() {
      const auto p = pos();
      if (p.node->kindNow() == detail::ListKind::Chunk && p.pos + 1 < List<T>::asChunk(p.node).size)
        ++rest_.pos_;
      else
        rest_ = List<T>::restOwned(std::move(rest_));
      return *this;
    }
    void operator++(int) { ++*this; }
    friend bool operator==(const iterator& it, std::default_sentinel_t) { return it.atEnd(); }

   private:
    friend class Consumed;
    explicit iterator(List<T> rest) : rest_(List<T>::settleOwned(std::move(rest))) {}
    bool atEnd() const { return !rest_.node_; }
    typename List<T>::Pos pos() const { return {rest_.node_.get(), rest_.pos_}; }
    List<T> rest_;  // never suspended
  };

  explicit Consumed(List<T> xs) : rest_(std::move(xs)) {}
  Consumed(Consumed&&) = default;
  Consumed& operator=(Consumed&&) = default;

  // Single pass: the walk takes the list over.
  iterator begin() { return iterator(std::move(rest_)); }
  std::default_sentinel_t end() const noexcept { return {}; }

 private:
  List<T> rest_;
};

template <class T>
Consumed<T> consume(List<T> xs) {
  return Consumed<T>(std::move(xs));
}

}  // namespace fp
