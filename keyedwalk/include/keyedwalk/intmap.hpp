// keyedwalk::IntMap<V>: a persistent map from std::int64_t keys, and its indexed capabilities.
//
//   keyedwalk::IntMap<std::string> names{{7, "seven"}, {-3, "minus three"}};
//   auto more = names.insert(0, "zero");               // names itself is unchanged
//   const std::string* found = more.find(-3);          // "minus three"; nullptr when absent
//   for (const auto& [key, name] : more) { ... }       // -3, 0, 7: ascending signed order
//   auto lengths = keyedwalk::imap(
//       [](std::int64_t key, const std::string& s) { return key + std::int64_t(s.size()); }, more);
//
// The map is a bitwise trie: an inner node holds the bits that all its keys share (the prefix)
// and the highest bit in which they differ (the mask); the keys with that bit clear are in its
// left subtree, the others in its right one; a leaf holds one entry. Keys are compared as
// unsigned bit patterns, so the one node whose mask is the sign bit has the non-negative keys on
// its left and the negative ones on its right, and every walk visits that node's right subtree
// first: all operations see the keys in ascending signed order. A trie holds at most 64 inner
// nodes on any path, so the walks below recurse at most that deep whatever the size of the map.
//
// Copies share their nodes and cost O(1); `insert` gives a new map that shares every node off the
// path to the key. Building a map in a loop, `m = std::move(m).insert(k, v)` updates in place the
// nodes that only m holds. `insert` replaces the value of a key that is present, and in an
// initializer list a later entry wins over an earlier one with the same key.
//
// The indexed capabilities walk the trie itself: `ifoldMap` combines the two subtrees of a node
// with the right one deferred, `ifoldr` hands on the fold of the keys to the right deferred and
// `ifoldl` the fold of the keys to the left; the strict folds recurse along the trie with one
// computed accumulator. `imap` and `itraverse` give a map of the same shape.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "fp/deferred.hpp"
#include "fp/detail/boxed.hpp"
#include "fp/stack.hpp"
#include "fp/traversable.hpp"
#include "keyedwalk/capabilities.hpp"
#include "keyedwalk/sequence.hpp"

namespace keyedwalk {

template <class V>
class IntMap;

namespace detail {

template <class V>
struct IntTrie;
template <class V>
void destroyTrie(const IntTrie<V>* t) noexcept;

// An owning pointer to a trie node. Nodes count their owners themselves, in 32 bits as
// std::shared_ptr does, which keeps a leaf of a small value within 24 bytes.
template <class V>
class IntTrieRef {
 public:
  IntTrieRef() = default;
  // Adopts a node fresh from `new`, whose count is already 1.
  explicit IntTrieRef(IntTrie<V>* adopted) noexcept : p_(adopted) {}
  IntTrieRef(const IntTrieRef& other) noexcept : p_(other.p_) {
    if (p_) p_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  IntTrieRef(IntTrieRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  IntTrieRef& operator=(IntTrieRef other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~IntTrieRef() {
    // A sole owner needs no atomic decrement: nobody else can take a reference meanwhile.
    if (p_ && (p_->unique() || p_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)) destroyTrie(p_);
  }

  IntTrie<V>* get() const noexcept { return p_; }
  IntTrie<V>* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

 private:
  IntTrie<V>* p_ = nullptr;
};

// A node of the trie: a leaf holds one entry, a branch two non-empty subtrees.
template <class V>
struct IntTrie {
  explicit IntTrie(bool leaf) noexcept : isLeaf(leaf) {}
  IntTrie(const IntTrie&) = delete;
  IntTrie& operator=(const IntTrie&) = delete;

  // Whether the caller's reference is the only one, so that it may update the node in place.
  bool unique() const noexcept { return refs.load(std::memory_order_acquire) == 1; }

  mutable std::atomic<std::uint32_t> refs{1};
  const bool isLeaf;
};

template <class V>
struct IntLeaf final : IntTrie<V> {
  template <class... Args>
  explicit IntLeaf(std::int64_t key, Args&&... args)
      : IntTrie<V>(true), entry(std::piecewise_construct, std::forward_as_tuple(key),
                                std::forward_as_tuple(std::forward<Args>(args)...)) {}
  std::pair<const std::int64_t, V> entry;
};

template <class V>
struct IntBranch final : IntTrie<V> {
  IntBranch(std::uint64_t p, std::uint64_t m, IntTrieRef<V> left, IntTrieRef<V> right) noexcept
      : IntTrie<V>(false), mask(m), prefix(p), child{std::move(left), std::move(right)} {}
  std::uint64_t mask;    // a single bit
  std::uint64_t prefix;  // the key bits above `mask`
  IntTrieRef<V> child[2];  // the keys with the mask bit clear, then those with it set

  static std::size_t side(std::uint64_t key, std::uint64_t mask) noexcept { return (key & mask) != 0; }
  // The sign bit separates the non-negative keys (left) from the negative ones (right), which
  // come first.
  bool negativeFirst() const noexcept { return mask == std::uint64_t{1} << 63; }
  const IntTrieRef<V>& first() const noexcept { return child[negativeFirst()]; }
  const IntTrieRef<V>& second() const noexcept { return child[!negativeFirst()]; }
};

// A trie is at most 65 nodes deep, so releasing one recurses no deeper.
template <class V>
void destroyTrie(const IntTrie<V>* t) noexcept {
  if (t->isLeaf)
    delete static_cast<const IntLeaf<V>*>(t);
  else
    delete static_cast<const IntBranch<V>*>(t);
}

template <class V>
const IntLeaf<V>& leafOf(const IntTrie<V>* t) noexcept {
  return static_cast<const IntLeaf<V>&>(*t);
}
template <class V>
const IntBranch<V>& branchOf(const IntTrie<V>* t) noexcept {
  return static_cast<const IntBranch<V>&>(*t);
}

// The key bits above the single bit m.
constexpr std::uint64_t prefixAbove(std::uint64_t key, std::uint64_t m) noexcept { return key & ~((m << 1) - 1); }

template <class V>
struct IntMapWalks;

}  // namespace detail

template <class V>
class IntMap {
  using Node = detail::IntTrie<V>;
  using NodeRef = detail::IntTrieRef<V>;

 public:
  using key_type = std::int64_t;
  using mapped_type = V;
  using value_type = std::pair<const std::int64_t, V>;
  using size_type = std::size_t;
  class iterator;
  using const_iterator = iterator;

  IntMap() = default;
  IntMap(std::initializer_list<value_type> entries) {
    for (const auto& entry : entries) *this = std::move(*this).insert(entry.first, entry.second);
  }

  // The map with `value` at `key`, replacing any value there. The rvalue form updates in place
  // the nodes that this map alone holds and leaves this map empty; references and iterators into
  // it are invalidated. Should an allocation or V's constructor throw, the map is left as it was.
  IntMap insert(std::int64_t key, V value) const& { return inserted(key, std::move(value), false); }
  IntMap insert(std::int64_t key, V value) && {
    IntMap result = inserted(key, std::move(value), true);
    *this = IntMap();
    return result;
  }

  // The value at `key`, or nullptr.
  const V* find(std::int64_t key) const noexcept {
    const auto k = static_cast<std::uint64_t>(key);
    const Node* t = root_.get();
    if (!t) return nullptr;
    while (!t->isLeaf) {
      const auto& b = detail::branchOf(t);
      t = b.child[b.side(k, b.mask)].get();
    }
    const auto& entry = detail::leafOf(t).entry;
    return entry.first == key ? &entry.second : nullptr;
  }
  bool contains(std::int64_t key) const noexcept { return find(key) != nullptr; }
  // The value at `key`; throws std::out_of_range when the key is absent.
  const V& at(std::int64_t key) const {
    if (const V* value = find(key)) return *value;
    throw std::out_of_range("keyedwalk::IntMap::at: no such key");
  }

  size_type size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }

  iterator begin() const { return iterator(root_.get()); }
  iterator end() const { return iterator(); }

  friend bool operator==(const IntMap& a, const IntMap& b)
    requires std::equality_comparable<V>
  {
    return a.size_ == b.size_ && std::equal(a.begin(), a.end(), b.begin());
  }

 private:
  template <class>
  friend struct detail::IntMapWalks;

  IntMap(NodeRef root, size_type size) noexcept : root_(std::move(root)), size_(size) {}

  IntMap inserted(std::int64_t key, V&& value, bool inPlace) const {
    NodeRef fresh(new detail::IntLeaf<V>(key, std::move(value)));
    bool added = false;
    NodeRef root = put(root_, static_cast<std::uint64_t>(key), std::move(fresh), added, inPlace);
    return IntMap(root ? std::move(root) : root_, size_ + added);
  }

  // t with the leaf `fresh` for key k in it, or nothing when t itself was updated; `added` tells
  // whether k is new. With `inPlace`, the nodes that t alone holds are updated, the others are
  // copied. A node is changed only once everything below it has been built, and by an
  // assignment that cannot throw, and no node above a copied one is changed: an exception leaves
  // t as it was.
  static NodeRef put(const NodeRef& t, std::uint64_t k, NodeRef fresh, bool& added, bool inPlace) {
    if (!t) {
      added = true;
      return fresh;
    }
    if (t->isLeaf) {
      const auto key = static_cast<std::uint64_t>(detail::leafOf(t.get()).entry.first);
      if (key == k) return fresh;
      added = true;
      return join(k, std::move(fresh), key, t);
    }
    auto& b = const_cast<detail::IntBranch<V>&>(detail::branchOf(t.get()));
    if (detail::prefixAbove(k, b.mask) != b.prefix) {
      added = true;
      return join(k, std::move(fresh), b.prefix, t);
    }
    const std::size_t side = b.side(k, b.mask);
    const bool here = inPlace && t->unique();
    NodeRef child = put(b.child[side], k, std::move(fresh), added, here);
    if (here) {
      if (child) b.child[side] = std::move(child);
      return NodeRef();
    }
    return side == 0 ? branch(b.prefix, b.mask, std::move(child), b.child[1])
                     : branch(b.prefix, b.mask, b.child[0], std::move(child));
  }

  // The branch over two subtrees whose keys start with p1 and p2, which differ.
  static NodeRef join(std::uint64_t p1, NodeRef t1, std::uint64_t p2, NodeRef t2) {
    const std::uint64_t m = std::bit_floor(p1 ^ p2);
    if ((p1 & m) == 0) return branch(detail::prefixAbove(p1, m), m, std::move(t1), std::move(t2));
    return branch(detail::prefixAbove(p1, m), m, std::move(t2), std::move(t1));
  }
  static NodeRef branch(std::uint64_t prefix, std::uint64_t mask, NodeRef l, NodeRef r) {
    return NodeRef(new detail::IntBranch<V>(prefix, mask, std::move(l), std::move(r)));
  }

  NodeRef root_;
  size_type size_ = 0;
};

// The entries in ascending signed key order. The iterator keeps the subtrees still to visit, at
// most one per level of the trie; it is valid while the map it came from, or a copy, lives.
template <class V>
class IntMap<V>::iterator {
 public:
  using value_type = typename IntMap::value_type;
  using difference_type = std::ptrdiff_t;
  using reference = const value_type&;
  using pointer = const value_type*;
  using iterator_category = std::forward_iterator_tag;

  iterator() = default;
  reference operator*() const { return detail::leafOf(leaf_).entry; }
  pointer operator->() const { return &**this; }
  iterator& operator++() {
    descend(depth_ == 0 ? nullptr : pending_[--depth_]);
    return *this;
  }
  iterator operator++(int) {
    iterator old = *this;
    ++*this;
    return old;
  }
  friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.leaf_ == b.leaf_; }

 private:
  friend class IntMap;
  explicit iterator(const Node* root) { descend(root); }

  // Goes down the first subtrees to the leftmost leaf of t, keeping the second ones for later.
  void descend(const Node* t) {
    while (t && !t->isLeaf) {
      const auto& b = detail::branchOf(t);
      pending_[depth_++] = b.second().get();
      t = b.first().get();
    }
    leaf_ = t;
  }

  const Node* leaf_ = nullptr;
  std::array<const Node*, 64> pending_{};
  std::size_t depth_ = 0;
};

namespace detail {

// The walks of the indexed capabilities, each following the trie's visiting order.
template <class V>
struct IntMapWalks {
  using Node = IntTrie<V>;

  static const IntTrieRef<V>& root(const IntMap<V>& m) noexcept { return m.root_; }
  static std::size_t size(const IntMap<V>& m) noexcept { return m.size_; }
  template <class B>
  static IntMap<B> make(IntTrieRef<B> root, std::size_t size) {
    return IntMap<B>(std::move(root), size);
  }

  template <class B, class F>
  static IntTrieRef<B> map(F& f, const Node* t) {
    if (t->isLeaf) {
      const auto& entry = leafOf(t).entry;
      return IntTrieRef<B>(new IntLeaf<B>(entry.first, std::invoke(f, entry.first, entry.second)));
    }
    const auto& b = branchOf(t);
    auto first = map<B>(f, b.first().get());
    auto second = map<B>(f, b.second().get());
    if (b.negativeFirst()) std::swap(first, second);
    return IntTrieRef<B>(new IntBranch<B>(b.prefix, b.mask, std::move(first), std::move(second)));
  }

  template <class M, class F>
  static typename M::Value foldMap(const M& m, const F& f, const Node* t) {
    using Value = typename M::Value;
    if (t->isLeaf) return Value(std::invoke(f, leafOf(t).entry.first, leafOf(t).entry.second));
    const auto& b = branchOf(t);
    return m.append(foldMap(m, f, b.first().get()), [m, f, second = b.second()] { return foldMap(m, f, second.get()); });
  }

  // f(k, v, rest) for the leftmost entry of t, rest being the fold of the entries after it in t
  // and then `after`.
  template <class Z, class F>
  static Z foldr(const F& f, fp::Deferred<Z> after, const Node* t) {
    while (!t->isLeaf) {
      const auto& b = branchOf(t);
      after = fp::Deferred<Z>([f, after = std::move(after), second = b.second()] { return foldr(f, after, second.get()); });
      t = b.first().get();
    }
    const auto& entry = leafOf(t).entry;
    return Z(std::invoke(f, entry.first, entry.second, std::move(after)));
  }

  // f(k, acc, v) for the rightmost entry of t, acc being the fold of `before` and then the
  // entries in front of it in t.
  template <class Z, class F>
  static Z foldl(const F& f, fp::Deferred<Z> before, const Node* t) {
    while (!t->isLeaf) {
      const auto& b = branchOf(t);
      before = fp::Deferred<Z>([f, before = std::move(before), first = b.first()] { return foldl(f, before, first.get()); });
      t = b.second().get();
    }
    const auto& entry = leafOf(t).entry;
    return Z(std::invoke(f, entry.first, std::move(before), entry.second));
  }

  template <class Z, class F>
  static Z foldlStrict(F& f, Z z, const Node* t) {
    if (t->isLeaf) return Z(std::invoke(f, leafOf(t).entry.first, std::move(z), leafOf(t).entry.second));
    const auto& b = branchOf(t);
    return foldlStrict(f, foldlStrict(f, std::move(z), b.first().get()), b.second().get());
  }

  template <class Z, class F>
  static Z foldrStrict(F& f, Z z, const Node* t) {
    if (t->isLeaf) return Z(std::invoke(f, leafOf(t).entry.first, leafOf(t).entry.second, std::move(z)));
    const auto& b = branchOf(t);
    return foldrStrict(f, foldrStrict(f, std::move(z), b.second().get()), b.first().get());
  }

  // One action yielding the subtree of the new values; the first subtree's effects come first.
  template <class B, class E, class F>
  static auto traverse(const E& effect, const F& f, const Node* t) -> typename E::template Action<IntTrieRef<B>> {
    if (t->isLeaf) {
      const auto& entry = leafOf(t).entry;
      return effect.fmap([key = entry.first](const B& b) { return IntTrieRef<B>(new IntLeaf<B>(key, b)); },
                         std::invoke(f, entry.first, entry.second));
    }
    const auto& b = branchOf(t);
    return effect.liftA2(
        [prefix = b.prefix, mask = b.mask, negativeFirst = b.negativeFirst()](const IntTrieRef<B>& first,
                                                                               const auto& second) {
          const IntTrieRef<B>& other = second;
          return negativeFirst ? IntTrieRef<B>(new IntBranch<B>(prefix, mask, other, first))
                               : IntTrieRef<B>(new IntBranch<B>(prefix, mask, first, other));
        },
        traverse<B>(effect, f, b.first().get()),
        [effect, f, second = b.second()] { return traverse<B>(effect, f, second.get()); });
  }
};

template <class V>
struct IntMapFunctor {
  using Functor = fp::Functor<IntMap<V>>;
  using Index = std::int64_t;

  template <class F>
  static auto imap(F&& f, const IntMap<V>& m) {
    using B = std::decay_t<std::invoke_result_t<F&, std::int64_t, const V&>>;
    using Walks = IntMapWalks<V>;
    const auto& root = Walks::root(m);
    if (!root) return IntMap<B>();
    return Walks::template make<B>(Walks::template map<B>(f, root.get()), Walks::size(m));
  }
};

template <class V>
struct IntMapFoldable : FoldableWithIndexDefaults<IntMap<V>> {
  using Index = std::int64_t;
  using Walks = IntMapWalks<V>;

  template <fp::Monoid M, class F>
  static typename M::Value ifoldMap(const M& m, F f, const IntMap<V>& map) {
    const auto& root = Walks::root(map);
    if (!root) return m.mempty();
    return Walks::foldMap(m, fp::detail::share(std::move(f)), root.get());
  }
  template <class F, class Z>
  static Z ifoldr(F f, Z z, const IntMap<V>& map) {
    const auto& root = Walks::root(map);
    if (!root) return z;
    return Walks::template foldr<Z>(fp::detail::share(std::move(f)), fp::Deferred<Z>(std::move(z)), root.get());
  }
  template <class F, class Z>
  static Z ifoldl(F f, Z z, const IntMap<V>& map) {
    const auto& root = Walks::root(map);
    if (!root) return z;
    return Walks::template foldl<Z>(fp::detail::share(std::move(f)), fp::Deferred<Z>(std::move(z)), root.get());
  }
  template <class F, class Z>
  static Z ifoldrPrime(F&& f, Z z, const IntMap<V>& map) {
    const auto& root = Walks::root(map);
    return root ? Walks::foldrStrict(f, std::move(z), root.get()) : z;
  }
  template <class F, class Z>
  static Z ifoldlPrime(F&& f, Z z, const IntMap<V>& map) {
    const auto& root = Walks::root(map);
    return root ? Walks::foldlStrict(f, std::move(z), root.get()) : z;
  }
};

template <class V>
struct IntMapTraversable {
  using FunctorWithIndex = keyedwalk::FunctorWithIndex<IntMap<V>>;
  using FoldableWithIndex = keyedwalk::FoldableWithIndex<IntMap<V>>;
  using Traversable = fp::Traversable<IntMap<V>>;
  using Index = std::int64_t;

  template <fp::Applicative E, class F>
  static auto itraverse(const E& effect, F f, const IntMap<V>& m) {
    using B = fp::ActionValue<E, std::invoke_result_t<F&, std::int64_t, const V&>>;
    using Walks = IntMapWalks<V>;
    using Result = typename E::template Action<IntMap<B>>;
    const auto& root = Walks::root(m);
    if (!root) return Result(effect.pure(IntMap<B>()));
    return Result(
        effect.fmap([size = Walks::size(m)](const IntTrieRef<B>& r) { return Walks::template make<B>(r, size); },
                    Walks::template traverse<B>(effect, fp::detail::share(std::move(f)), root.get())));
  }
};

}  // namespace detail

template <class V>
struct Element<IntMap<V>> {
  using type = V;
};

template <class V>
struct FunctorWithIndex<IntMap<V>> : detail::IntMapFunctor<V> {};
template <class V>
struct FoldableWithIndex<IntMap<V>> : detail::IntMapFoldable<V> {};
template <class V>
struct TraversableWithIndex<IntMap<V>> : detail::IntMapTraversable<V> {};

}  // namespace keyedwalk

namespace fp {

template <class V>
struct Functor<keyedwalk::IntMap<V>> : keyedwalk::detail::UnindexedFunctor<keyedwalk::IntMap<V>> {};
template <class V>
struct Foldable<keyedwalk::IntMap<V>> : keyedwalk::detail::UnindexedFoldable<keyedwalk::IntMap<V>> {};
template <class V>
struct Traversable<keyedwalk::IntMap<V>> : keyedwalk::detail::UnindexedTraversable<keyedwalk::IntMap<V>> {};

}  // namespace fp
