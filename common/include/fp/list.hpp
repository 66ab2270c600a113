// fp::List<T>: an immutable, persistent sequence produced on demand.
//
//   fp::List<int> xs{1, 2, 3};                          // one contiguous buffer
//   fp::List<int> ys = fp::List<int>::cons(0, xs);      // 0 1 2 3, sharing xs as its tail
//   fp::List<int> evens = fp::List<int>::lazy([] {      // computed when first looked at
//     return fp::List<int>{2, 4, 6};
//   });
//   for (int x : ys.take(2)) std::cout << x;            // prints 01
//
// A list is either empty or an element followed by the rest. Any part of it may be suspended:
// `lazy(f)` and `cons(x, f)` make lists whose cells `f` computes the first time somebody looks,
// so a list may be unbounded (`fp::iterate`, `fp::repeat`, `fp::iota`) and a result list can be
// handed out before its input has been read. A suspended part is computed once and remembered;
// concurrent readers see one computation (see `fp::Deferred`). Lists share their tails: `cons`,
// `tail`, `take` and `drop` copy no elements.
//
// A list can also be backed by one contiguous buffer: `from(std::vector<T>)`, `from` a string
// and an initializer list cost O(1) allocations, walking such a list allocates nothing, and a
// piece that `take` cuts from it shares the buffer.
//
// Iterating a list keeps it whole in memory, since the list itself holds its first cell. To
// walk a long or unbounded list in bounded memory, hand it over to `fp::consume` and keep no
// other copy of its head.
//
// Loops that want a pointer range walk a list a run at a time: a run is the stretch of a
// contiguous buffer that the list goes through, or a single cell.
//
//   std::int64_t sum = 0;
//   for (std::span<const int> run : xs.runs())          // as tight as a loop over an array
//     for (int x : run) sum += x;
//   std::span<const int> first = xs.run();               // the leading run, forced
//   fp::List<int> rest = xs.dropInRun(first.size());     // O(1): shares the buffer
#pragma once

#include <algorithm>
#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <ranges>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "fp/detail/once.hpp"
#include "fp/detail/shared.hpp"

namespace fp {

template <class T>
class List;
template <class T>
class Consumed;

namespace detail {

template <class T>
concept Character = std::same_as<T, char> || std::same_as<T, wchar_t> || std::same_as<T, char8_t> ||
                    std::same_as<T, char16_t> || std::same_as<T, char32_t>;

// What a node is. A suspension turns into a cell in place when it is forced and computes one,
// so the kind is read with acquire ordering: seeing Cell means seeing the cell's fields.
enum class ListKind : std::uint8_t { Cell, Chunk, Suspended };

template <class T>
struct ListNode : Shared {
  explicit ListNode(ListKind k) noexcept : kind(k) {}
  ListKind kindNow() const noexcept { return kind.load(std::memory_order_acquire); }
  std::atomic<ListKind> kind;
  bool appending = false;  // a suspended append (an Appending), which may take more operands
  Once once;  // a suspension's guard; it and the flag fit in the padding after `kind`
};

// An element followed by the rest of the list.
template <class T>
struct CellFields {
  T head;
  List<T> tail;
};

// A node that is a cell, or may turn into one: `cell` is alive while the kind is Cell.
template <class T>
struct CellNode : ListNode<T> {
  explicit CellNode(ListKind k) noexcept : ListNode<T>(k) {}
  ~CellNode() override {}
  union {
    CellFields<T> cell;
    List<T> forward;  // a forced suspension that is no cell: the list it turned out to be
  };
};

template <class T>
struct Cell final : CellNode<T> {
  Cell(T h, List<T> t) : CellNode<T>(ListKind::Cell) {
    ::new (static_cast<void*>(&this->cell)) CellFields<T>{std::move(h), std::move(t)};
  }
  ~Cell() override { std::destroy_at(&this->cell); }
};

// A run of `size > 0` elements in contiguous memory, followed by the rest of the list. The
// storage is either a derived `OwnedChunk`'s own or, for a chunk cut from another one, kept
// alive by `keep`.
template <class T>
struct Chunk : ListNode<T> {
  Chunk(const T* d, std::size_t n, List<T> r, Ref<const Shared> k)
      : ListNode<T>(ListKind::Chunk), data(d), size(n), rest(std::move(r)), keep(std::move(k)) {}
  const T* data;
  std::size_t size;
  List<T> rest;
  Ref<const Shared> keep;
};

// Contiguous storage for the one element type whose std::vector is not contiguous.
struct BoolArray {
  explicit BoolArray(const std::vector<bool>& bits)
      : items(new bool[bits.size()]), count(bits.size()) {
    std::copy(bits.begin(), bits.end(), items.get());
  }
  const bool* data() const noexcept { return items.get(); }
  std::size_t size() const noexcept { return count; }
  bool empty() const noexcept { return count == 0; }
  std::unique_ptr<bool[]> items;
  std::size_t count;
};

template <class T, class Storage>
struct OwnedChunk final : Chunk<T> {
  OwnedChunk(Storage s, List<T> rest)
      : Chunk<T>(nullptr, 0, std::move(rest), {}), storage(std::move(s)) {
    this->data = std::data(storage);
    this->size = std::size(storage);
  }
  Storage storage;
};

// What a suspended computation gives: a list, or the head and tail of a cell, which the
// suspension then holds in place of the computation (no node of its own for the cell).
template <class T>
struct Produced {
  Produced(List<T> xs) : rest(std::move(xs)) {}  // NOLINT: a list is what most give
  Produced(T h, List<T> t) : head(std::in_place, std::move(h)), rest(std::move(t)) {}
  std::optional<T> head;
  List<T> rest;
};

// A part of a list not computed yet. Forcing it runs the computation (under the Once protocol)
// and turns the node into the cell it computed, or into a forward to the list it computed,
// never itself suspended.
template <class T>
struct Suspension : CellNode<T> {
  Suspension() noexcept : CellNode<T>(ListKind::Suspended) {}
  ~Suspension() override {
    if (this->kindNow() == ListKind::Cell)
      std::destroy_at(&this->cell);
    else if (this->once.done())
      std::destroy_at(&this->forward);
  }

  [[gnu::noinline]] void force() {
    this->once.call([this] { compute(); });
  }
  // For a caller that holds the only reference to the node.
  [[gnu::noinline]] void forceExclusive() {
    this->once.callExclusive([this] { compute(); });
  }
  // Holds what the computation gave. Publishes a cell by its kind, which readers look at first.
  void settleAs(Produced<T>&& p) noexcept {
    if (p.head) {
      ::new (static_cast<void*>(&this->cell)) CellFields<T>{std::move(*p.head), std::move(p.rest)};
      this->kind.store(ListKind::Cell, std::memory_order_release);
    } else {
      ::new (static_cast<void*>(&this->forward)) List<T>(std::move(p.rest));
    }
  }
  // Constructs the cell or the forward and releases the computation; leaves both untouched if
  // it throws.
  virtual void compute() = 0;
};

// The suspensions of lists, for the generators of this layer (fp/generate.hpp).
struct ListInternals;

// Tells a suspension's constructor to make its computation by calling what it is given.
struct MadeBy {};

template <class T, class F>
struct SuspensionOf final : Suspension<T> {
  explicit SuspensionOf(F f) : fn(std::move(f)) {}
  template <class Make>
  SuspensionOf(MadeBy, Make& make) : fn(make()) {}
  ~SuspensionOf() override {
    if (this->kindNow() != ListKind::Cell && !this->once.done()) std::destroy_at(&fn);
  }
  void compute() override;
  union {
    F fn;
  };
};

template <class T>
struct AppendQueue;

// A suspended append: the elements of the left list, then those of the right operand, then
// those of the lists in `later` from `next` on. A chain of appends nested to the left, which a
// left fold builds ((a ++ b) ++ c) ++ d, would make every element climb through one node per
// level; instead an append whose left list is such a node that nothing else holds yet adds its
// right operand to that node's `later`, so that the chain is read as a ++ (b ++ (c ++ d)).
template <class T>
struct Appending : Suspension<T> {
  Appending(Ref<AppendQueue<T>> l, std::size_t n) noexcept : later(std::move(l)), next(n) {
    this->appending = true;
  }
  Ref<AppendQueue<T>> later;  // null while nothing was added
  std::size_t next;
};

template <class T, class Rhs>
struct AppendingOf final : Appending<T> {
  AppendingOf(List<T> left, Rhs right, Ref<AppendQueue<T>> later = {}, std::size_t next = 0);
  void compute() override;
  struct Operands;
  std::optional<Operands> operands;  // let go of once computed
};

}  // namespace detail

// GCC 12 takes a List moved out of a std::variant (an fp::Deferred<List<T>> holds one) for
// possibly uninitialised when it inlines deeply; the list is initialised on every path.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
template <class T>
class List {
  using Node = detail::ListNode<T>;

 public:
  using value_type = T;
  class iterator;
  class Runs;

  // The empty list.
  List() = default;
  // The given elements, in one contiguous buffer.
  List(std::initializer_list<T> items) : List(copy(items)) {}

  // The elements of a finite range, in one contiguous buffer. An rvalue std::vector<T> or
  // std::basic_string<T> becomes the buffer itself; other ranges are copied into one. An array
  // of characters is a string literal: its characters up to the terminating zero.
  template <std::ranges::input_range R>
    requires std::convertible_to<std::ranges::range_reference_t<R>, T>
  static List from(R&& items) {
    using Items = std::remove_cvref_t<R>;
    if constexpr (std::same_as<Items, List>) {
      return items;
    } else if constexpr (std::is_array_v<Items> && detail::Character<T> &&
                         std::same_as<std::remove_cv_t<std::remove_extent_t<Items>>, T>) {
      return copy(std::basic_string_view<T>(items, std::char_traits<T>::length(items)));
    } else if constexpr (!std::is_lvalue_reference_v<R> && std::ranges::contiguous_range<R> &&
                         (std::same_as<Items, std::vector<T>> ||
                          std::same_as<Items, std::basic_string<T>>)) {
      return buffer(std::move(items));
    } else {
      return copy(std::forward<R>(items));
    }
  }

  // `head` followed by `tail`.
  static List cons(T head, List tail) {
    return List(detail::makeRef<detail::Cell<T>>(std::move(head), std::move(tail)));
  }
  // `head` followed by the list that `tail()` computes when the rest is first looked at.
  // `tail` may be any callable returning a List, an fp::Deferred<List<T>> among them.
  template <class F>
    requires std::is_invocable_r_v<List, std::decay_t<F>&>
  static List cons(T head, F&& tail) {
    return cons(std::move(head), lazy(std::forward<F>(tail)));
  }
  // The list that `produce()` computes when the list is first looked at.
  template <class F>
    requires std::is_invocable_r_v<List, std::decay_t<F>&>
  static List lazy(F&& produce) {
    return suspend(std::forward<F>(produce));
  }

  bool empty() const { return settled().node == nullptr; }
  // The first element; throws std::out_of_range on the empty list.
  const T& head() const { return headAt(nonEmpty("head")); }
  // All but the first element, not yet looked at; throws std::out_of_range on the empty list.
  List tail() const { return tailOf(nonEmpty("tail")); }
  // The first element and the rest, or nothing for the empty list.
  std::optional<std::pair<T, List>> uncons() const {
    const Pos p = settled();
    if (!p.node) return std::nullopt;
    return std::pair<T, List>(headAt(p), tailOf(p));
  }

  // The first `n` elements (all of them if there are fewer), computed as they are read. A
  // piece of a contiguous buffer shares the buffer.
  List take(std::int64_t n) const {
    if (n <= 0 || !node_) return {};
    if (node_->kindNow() == detail::ListKind::Suspended) return suspend(TakeStep{*this, n});
    return fromProduced(takeFrom(*this, n, false));
  }

  // All but the first `n` elements (none if there are fewer), skipped when first looked at.
  List drop(std::int64_t n) const {
    if (n <= 0) return *this;
    return lazy([xs = *this, n] {
      auto left = static_cast<std::uint64_t>(n);
      return at(skip(xs.settled(), left));
    });
  }

  // The number of elements; walks the whole list.
  std::int64_t length() const {
    constexpr auto all = static_cast<std::uint64_t>(INT64_MAX);
    auto left = all;
    skip(settled(), left);
    return static_cast<std::int64_t>(all - left);
  }

  std::vector<T> toVector() const { return std::vector<T>(begin(), end()); }

  iterator begin() const { return iterator(settled()); }
  iterator end() const { return iterator(); }

  // The list's leading run: the rest of the contiguous buffer it starts in, or its first cell;
  // empty for the empty list. Computes the first part of the list and nothing more.
  std::span<const T> run() const { return runAt(settled()); }
  // The list after the first `n` elements of `run()` (0 <= n <= run().size()), at once: a piece
  // of a buffer shares it.
  List dropInRun(std::size_t n) const {
    const Pos p = settled();
    if (n == 0 || !p.node) return at(p);
    if (p.node->kindNow() == detail::ListKind::Cell) return asCell(p.node).tail;
    const auto& chunk = asChunk(p.node);
    return p.pos + n < chunk.size ? List(detail::Ref<Node>::share(p.node), p.pos + n) : chunk.rest;
  }
  // The runs of the list, front to back, each a std::span<const T> valid while some copy of
  // the list lives; the parts of the list are computed as the walk reaches them.
  Runs runs() const;

  // Cuts slices of one list's leading run, `slicer(begin, end)` the elements [begin, end) of
  // run() as a list of their own that shares the buffer. A slice is one node, and the slices
  // cost one atomic operation on the buffer's count per slicer instead of two each: they share
  // a keeper of the buffer whose references the slicer reserves in advance. The slicer is valid
  // while some copy of the list lives; the slices are lists like any other.
  class Slicer;

  friend bool operator==(const List& a, const List& b)
    requires std::equality_comparable<T>
  {
    auto i = a.begin(), j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j)
      if (!(*i == *j)) return false;
    return i == a.end() && j == b.end();
  }

 private:
  template <class U, class Rhs>
  friend List<U> append(List<U> xs, Rhs ys);
  friend class Consumed<T>;

  // A place in a list, never at a suspended node; a null node is the end.
  struct Pos {
    Node* node = nullptr;
    std::size_t pos = 0;
  };

  template <class U, class F>
  friend struct detail::SuspensionOf;
  template <class U, class Rhs>
  friend struct detail::AppendingOf;
  friend struct detail::ListInternals;
  using Produced = detail::Produced<T>;

  explicit List(detail::Ref<Node> node, std::size_t pos = 0) noexcept
      : node_(std::move(node)), pos_(pos) {}

  // A list that `produce()` computes when first looked at; `produce` gives a List or a
  // Produced (the head and tail of a cell).
  template <class F>
  static List suspend(F&& produce) {
    return List(detail::makeRef<detail::SuspensionOf<T, std::decay_t<F>>>(std::forward<F>(produce)));
  }
  // The same with the computation that `make()` returns, made in the node once its memory is
  // there: what `make` moves into the computation is never lost to a failed allocation.
  template <class Make>
  static List suspendMade(Make&& make) {
    using Node = detail::SuspensionOf<T, std::invoke_result_t<Make&>>;
    return List(detail::makeRef<Node>(detail::MadeBy{}, make));
  }
  static List fromProduced(Produced&& p) {
    return p.head ? cons(std::move(*p.head), std::move(p.rest)) : std::move(p.rest);
  }
  // What a suspension holds for a list it computed: a cell that nothing else holds is taken
  // apart, so that the suspension becomes that cell and the cell's node goes.
  static Produced produced(List xs) {
    xs = settleOwned(std::move(xs));
    Node* n = xs.node_.get();
    if constexpr (std::is_nothrow_move_constructible_v<T>) {
      if (n && n->kindNow() == detail::ListKind::Cell && n->unique()) {
        auto& cell = const_cast<detail::CellFields<T>&>(asCell(n));
        return Produced(std::move(cell.head), std::move(cell.tail));
      }
    }
    return xs;
  }

  // The computation behind `take`: the first n elements of `rest`, which it holds alone.
  struct TakeStep {
    List rest;
    std::int64_t n;
    Produced operator()() { return takeFrom(rest, n, true); }
  };

  // The first `n` elements of `xs` (n > 0), as a suspension holds them: one suspension per cell,
  // one slice per buffer. If `mine`, `xs` is held where no other thread can reach it, and a
  // cell that nothing else holds hands its tail over instead of sharing it.
  static Produced takeFrom(const List& xs, std::int64_t n, bool mine) {
    const Pos p = mine ? settleExclusive(const_cast<List&>(xs)) : xs.settled();
    if (!p.node) return List();
    if (p.node->kindNow() == detail::ListKind::Cell) {
      auto& cell = const_cast<detail::CellFields<T>&>(asCell(p.node));
      T head = cell.head;
      if (n == 1) return Produced(std::move(head), List());
      const bool handOver = mine && xs.node_.get() == p.node && p.node->unique();
      List rest = suspendMade([&] {
        return TakeStep{handOver ? std::move(cell.tail) : cell.tail, n - 1};
      });
      return Produced(std::move(head), std::move(rest));
    }
    const auto& chunk = asChunk(p.node);
    const auto available = static_cast<std::uint64_t>(chunk.size - p.pos);
    if (static_cast<std::uint64_t>(n) <= available)
      return slice(chunk, p.pos, p.pos + static_cast<std::size_t>(n), List());
    if (!chunk.rest.node_) return at(p);
    return slice(chunk, p.pos, chunk.size,
                 suspend([rest = chunk.rest, more = n - static_cast<std::int64_t>(available)] {
                   return rest.take(more);
                 }));
  }

  template <class R>
  static List copy(R&& items) {
    std::vector<T> copy;
    if constexpr (std::ranges::sized_range<R>) copy.reserve(std::ranges::size(items));
    for (auto&& x : items) copy.emplace_back(std::forward<decltype(x)>(x));
    if constexpr (std::same_as<T, bool>)
      return buffer(detail::BoolArray(copy));
    else
      return buffer(std::move(copy));
  }

  template <class Storage>
  static List buffer(Storage&& items) {
    if (std::empty(items)) return {};
    using Owned = detail::OwnedChunk<T, std::remove_cvref_t<Storage>>;
    return List(detail::makeRef<Owned>(std::forward<Storage>(items), List()));
  }

  static List slice(const detail::Chunk<T>& chunk, std::size_t begin, std::size_t end, List rest) {
    auto keep = chunk.keep ? chunk.keep : detail::Ref<const detail::Shared>::share(&chunk);
    return List(detail::makeRef<detail::Chunk<T>>(chunk.data + begin, end - begin,
                                                  std::move(rest), std::move(keep)));
  }

  static const detail::CellFields<T>& asCell(const Node* n) {
    return static_cast<const detail::CellNode<T>*>(n)->cell;
  }
  static const detail::Chunk<T>& asChunk(const Node* n) {
    return static_cast<const detail::Chunk<T>&>(*n);
  }

  // Forces a suspended list; what it turns out to be is remembered by its node.
  static Pos settle(const List& xs) {
    Node* n = xs.node_.get();
    if (n && n->kindNow() == detail::ListKind::Suspended) [[unlikely]]
      return forced(n);
    return {n, xs.pos_};
  }
  [[gnu::noinline]] static Pos forced(Node* n) {
    auto* suspension = static_cast<detail::Suspension<T>*>(n);
    if (!n->once.done()) suspension->force();
    if (n->kindNow() == detail::ListKind::Cell) return {n, 0};
    return {suspension->forward.node_.get(), suspension->forward.pos_};
  }
  Pos settled() const { return settle(*this); }
  // Like settledList(), for a list handed over: a node that nothing else holds is taken apart
  // instead of shared, which spares the reference counts on the way.
  static List settleOwned(List xs) {
    settleExclusive(xs);
    Node* n = xs.node_.get();
    if (!n || n->kindNow() != detail::ListKind::Suspended) return xs;  // a cell now, perhaps
    auto& forward = static_cast<detail::Suspension<T>*>(n)->forward;
    return n->unique() ? std::move(forward) : forward;
  }
  // Settles a list that the caller holds where no other thread can reach it (a list handed
  // over, or one captured by a computation that is running): if its node is its own, no other
  // thread can be forcing it, and it is forced without the atomic claim.
  static Pos settleExclusive(List& xs) {
    Node* n = xs.node_.get();
    if (n && n->kindNow() == detail::ListKind::Suspended) [[unlikely]] {
      if (!n->unique()) return forced(n);
      auto* suspension = static_cast<detail::Suspension<T>*>(n);
      suspension->forceExclusive();
      if (n->kindNow() == detail::ListKind::Cell) return {n, 0};
      return {suspension->forward.node_.get(), suspension->forward.pos_};
    }
    return {n, xs.pos_};
  }
  // The rest of a list handed over, settled. The first cell is let go of before the rest is
  // computed, so that a walk holds one cell at a time even while it makes the next.
  static List restOwned(List xs) {
    Node* n = xs.node_.get();
    List rest = n->kindNow() == detail::ListKind::Cell && n->unique()
                    ? std::move(const_cast<List&>(asCell(n).tail))
                    : tailOf({n, xs.pos_});
    xs = List();
    return settleOwned(std::move(rest));
  }
  List settledList() const { return at(settled()); }
  Pos nonEmpty(const char* what) const {
    const Pos p = settled();
    if (!p.node) throw std::out_of_range(std::string("fp::List::") + what + ": empty list");
    return p;
  }

  static List at(Pos p) { return List(detail::Ref<Node>::share(p.node), p.pos); }
  static std::span<const T> runAt(Pos p) {
    if (!p.node) return {};
    if (p.node->kindNow() == detail::ListKind::Cell) return {&asCell(p.node).head, 1};
    const auto& chunk = asChunk(p.node);
    return {chunk.data + p.pos, chunk.size - p.pos};
  }
  static const T& headAt(Pos p) {
    return p.node->kindNow() == detail::ListKind::Cell ? asCell(p.node).head
                                                  : asChunk(p.node).data[p.pos];
  }
  static List tailOf(Pos p) {
    if (p.node->kindNow() == detail::ListKind::Cell) return asCell(p.node).tail;
    const auto& chunk = asChunk(p.node);
    return p.pos + 1 < chunk.size ? List(detail::Ref<Node>::share(p.node), p.pos + 1) : chunk.rest;
  }
  // Where the list goes on after the cell or the whole chunk `n`.
  static Pos afterRun(const Node* n) {
    return settle(n->kindNow() == detail::ListKind::Cell ? asCell(n).tail : asChunk(n).rest);
  }
  // Skips up to `count` elements, a contiguous run at a time (a cell is a run of one); lowers
  // `count` by the number skipped.
  static Pos skip(Pos p, std::uint64_t& count) {
    while (p.node && count > 0) {
      const std::uint64_t run =
          p.node->kindNow() == detail::ListKind::Chunk ? asChunk(p.node).size - p.pos : 1;
      if (count < run) {
        p.pos += static_cast<std::size_t>(count);
        count = 0;
        break;
      }
      count -= run;
      p = afterRun(p.node);
    }
    return p;
  }

  detail::Ref<Node> node_;
  std::size_t pos_ = 0;  // the first element's offset, when node_ is a chunk
};
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// A multi-pass iterator that borrows the list: valid while some copy of the list lives. It
// holds the current run as a pointer and its end, so that walking a buffer costs what walking
// an array does: an increment that stays inside the run is one comparison, which a loop's test
// against end() repeats and the compiler folds into it; a cell is a run of one. Past the last
// element both pointers are null, the state of end().
template <class T>
class List<T>::iterator {
 public:
  using value_type = T;
  using difference_type = std::ptrdiff_t;
  using reference = const T&;
  using pointer = const T*;
  using iterator_category = std::forward_iterator_tag;

  iterator() = default;
  reference operator*() const { return *at_; }
  pointer operator->() const { return at_; }
  iterator& operator++() {
    if (++at_ == stop_) [[unlikely]]
      nextRun();
    return *this;
  }
  iterator operator++(int) {
    iterator old = *this;
    ++*this;
    return old;
  }
  // Every element has its own address, so the address alone tells places apart; the end is
  // told by the run being used up, the test that an increment has just made.
  friend bool operator==(const iterator& a, const iterator& b) {
    const bool aEnd = a.at_ == a.stop_, bEnd = b.at_ == b.stop_;
    return aEnd || bEnd ? aEnd == bEnd : a.at_ == b.at_;
  }

 private:
  friend class List;
  explicit iterator(Pos p) { enter(p); }

  // Out of line, and returning the iterator rather than changing it in place, so that a loop
  // keeps its iterator in registers.
  void nextRun() { *this = following(node_); }
  [[gnu::noinline]] static iterator following(const Node* node) { return iterator(afterRun(node)); }
  void enter(Pos p) {
    node_ = p.node;
    if (!node_) {
      at_ = stop_ = nullptr;
    } else if (node_->kindNow() == detail::ListKind::Cell) {
      at_ = &asCell(node_).head;
      stop_ = at_ + 1;
    } else {
      const auto& chunk = asChunk(node_);
      at_ = chunk.data + p.pos;
      stop_ = chunk.data + chunk.size;
    }
  }

  const T* at_ = nullptr;
  const T* stop_ = nullptr;
  Node* node_ = nullptr;
};

// The runs of a list as a forward range of spans; see `List::runs`.
template <class T>
class List<T>::Runs : public std::ranges::view_base {
 public:
  class iterator {
   public:
    using value_type = std::span<const T>;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;

    iterator() = default;
    std::span<const T> operator*() const { return runAt(at_); }
    iterator& operator++() {
      at_ = afterRun(at_.node);
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    friend bool operator==(const iterator& a, const iterator& b) {
      return a.at_.node == b.at_.node && a.at_.pos == b.at_.pos;
    }

   private:
    friend class Runs;
    explicit iterator(Pos p) : at_(p) {}
    Pos at_;
  };

  Runs() = default;
  explicit Runs(const List& xs) : list_(xs) {}
  iterator begin() const { return iterator(list_.settled()); }
  iterator end() const { return iterator(); }
  bool empty() const { return list_.empty(); }

 private:
  List list_;
};

template <class T>
class List<T>::Slicer {
 public:
  explicit Slicer(const List& xs) : at_(xs.settled()) {}
  Slicer(const Slicer&) = delete;
  Slicer& operator=(const Slicer&) = delete;
  ~Slicer() {
    if (keeper_) keeper_->release(kReserved - handedOut_);
  }

  // The elements [begin, end) of the list's run() as a list of their own.
  List operator()(std::size_t begin, std::size_t end) {
    if (begin == end) return {};
    if (at_.node->kindNow() == detail::ListKind::Cell) return cons(asCell(at_.node).head, List());
    if (!keeper_ || handedOut_ == kReserved) renew();
    ++handedOut_;
    const auto& chunk = asChunk(at_.node);
    return List(detail::makeRef<detail::Chunk<T>>(chunk.data + at_.pos + begin, end - begin, List(),
                                                  detail::Ref<const detail::Shared>(keeper_)));
  }

 private:
  // Holds the buffer for the slices; its count is reserved when it is made.
  struct Keeper final : detail::Shared {
    explicit Keeper(detail::Ref<const detail::Shared> b) : buffer(std::move(b)) {}
    detail::Ref<const detail::Shared> buffer;
  };
  static constexpr std::uintptr_t kReserved = std::uintptr_t{1} << 20;

  void renew() {
    const auto& chunk = asChunk(at_.node);
    auto buffer = chunk.keep ? chunk.keep : detail::Ref<const detail::Shared>::share(&chunk);
    auto* fresh = new Keeper(std::move(buffer));
    fresh->reserve(kReserved);
    if (keeper_) keeper_->release(kReserved - handedOut_);
    keeper_ = fresh;
    handedOut_ = 0;
  }

  Pos at_;
  const Keeper* keeper_ = nullptr;
  std::uintptr_t handedOut_ = 0;
};

template <class T>
typename List<T>::Runs List<T>::runs() const {
  return Runs(*this);
}

template <class T, class F>
void detail::SuspensionOf<T, F>::compute() {
  Produced<T> produced = [&]() -> Produced<T> {
    if constexpr (std::same_as<std::invoke_result_t<F&>, Produced<T>>)
      return std::invoke(fn);
    else
      return List<T>(std::invoke(fn));
  }();
  if (!produced.head)
    produced = List<T>::produced(std::move(produced.rest));  // settled, a cell taken apart
  else if constexpr (!std::is_nothrow_move_constructible_v<T>)
    produced = List<T>::fromProduced(std::move(produced));  // no move may throw below
  std::destroy_at(&fn);
  this->settleAs(std::move(produced));
}

struct detail::ListInternals {
  template <class T, class Make>
  static List<T> suspendMade(Make&& make) {
    return List<T>::suspendMade(std::forward<Make>(make));
  }
};

template <class T>
struct detail::AppendQueue final : Shared {
  std::vector<List<T>> lists;
};

template <class T, class Rhs>
struct detail::AppendingOf<T, Rhs>::Operands {
  List<T> left;
  Rhs right;
};

template <class T, class Rhs>
detail::AppendingOf<T, Rhs>::AppendingOf(List<T> left, Rhs right, Ref<AppendQueue<T>> later, std::size_t next)
    : Appending<T>(std::move(later), next), operands(Operands{std::move(left), std::move(right)}) {}

template <class T, class Rhs>
void detail::AppendingOf<T, Rhs>::compute() {
  using L = List<T>;
  Operands& ops = *operands;
  // The rest of the chain after the list `xs`: xs itself once nothing follows it.
  const auto thenLater = [](L xs, Ref<AppendQueue<T>> later, std::size_t next) -> L {
    if (!later || next == later->lists.size()) return xs;
    const L& right = later->lists[next];
    return L(makeRef<AppendingOf<T, L>>(std::move(xs), right, std::move(later), next + 1));
  };
  const auto following = [&](L rest) {
    return L(makeRef<AppendingOf>(std::move(rest), ops.right, this->later, this->next));
  };
  Produced<T> produced = [&]() -> Produced<T> {
    const typename L::Pos p = L::settle(ops.left);
    if (!p.node) {
      if constexpr (std::same_as<Rhs, L>)
        return thenLater(ops.right, this->later, this->next);  // a copy: the next reader may need it
      else
        return thenLater(L(std::invoke(ops.right)), this->later, this->next);
    }
    if (p.node->kindNow() == ListKind::Cell) {
      const auto& cell = L::asCell(p.node);
      return {cell.head, following(cell.tail)};
    }
    const auto& chunk = L::asChunk(p.node);
    return L::slice(chunk, p.pos, chunk.size, following(chunk.rest));
  }();
  if (!produced.head)
    produced = L::produced(std::move(produced.rest));  // settled, a cell taken apart
  else if constexpr (!std::is_nothrow_move_constructible_v<T>)
    produced = L::fromProduced(std::move(produced));  // no move may throw below
  operands.reset();
  this->later = {};
  this->settleAs(std::move(produced));
}

// The elements of `xs` followed by those of `ys`, computed as they are read; `ys` (a List, or
// a callable such as fp::Deferred that returns one) is not looked at before `xs` is exhausted.
// Contiguous pieces of `xs` stay contiguous and shared. Appending to a suspended append that
// nothing else holds joins its chain, so that appends nested to the left, however many, cost
// each element one step when it is read.
template <class T, class Rhs>
List<T> append(List<T> xs, Rhs ys) {
  static_assert(std::same_as<Rhs, List<T>> || std::is_invocable_r_v<List<T>, Rhs&>,
                "fp::append: the right operand must be a List or compute one");
  if constexpr (std::same_as<Rhs, List<T>>) {
    if (!ys.node_) return xs;
  }
  auto* const n = xs.node_.get();
  if (n && n->appending && n->unique() && !n->once.done()) {
    auto& chain = static_cast<detail::Appending<T>&>(*n);
    if (!chain.later) chain.later = detail::makeRef<detail::AppendQueue<T>>();
    if (chain.later->unique()) {
      if constexpr (std::same_as<Rhs, List<T>>)
        chain.later->lists.push_back(std::move(ys));
      else
        chain.later->lists.push_back(List<T>::lazy(std::move(ys)));
      return xs;
    }
  }
  return List<T>(detail::makeRef<detail::AppendingOf<T, Rhs>>(std::move(xs), std::move(ys)));
}

// A list of characters.
using String = List<char>;

}  // namespace fp
