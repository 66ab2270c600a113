// fp::ZipList<T>: a list under another name.
//
//   fp::ZipList<int> zs = fp::List<int>{1, 2, 3};   // the same cells, no copy
//   const fp::List<int>& xs = zs;                   // and back, for free
//
// It has the elements and the representation of its list and differs only in the capabilities
// it brings: generic code can give a ZipList its own Functor, Foldable and Traversable.
#pragma once

#include <concepts>
#include <utility>

#include "fp/list.hpp"

namespace fp {

template <class T>
class ZipList {
 public:
  using value_type = T;
  using iterator = typename List<T>::iterator;

  ZipList() = default;
  ZipList(List<T> xs) noexcept : list_(std::move(xs)) {}

  const List<T>& list() const& noexcept { return list_; }
  List<T> list() && noexcept { return std::move(list_); }
  operator const List<T>&() const noexcept { return list_; }

  iterator begin() const { return list_.begin(); }
  iterator end() const { return list_.end(); }

  friend bool operator==(const ZipList& a, const ZipList& b)
    requires std::equality_comparable<T>
  {
    return a.list_ == b.list_;
  }

 private:
  List<T> list_;
};

}  // namespace fp
