// split::Pieces: the pieces of a contiguous input, as a lazy forward range of views into it.
//
//   std::string line = "name,,age";
//   for (std::string_view field : split::splitOn(",", line)) use(field);   // "name" "" "age"
//   std::vector<std::string> owned = split::splitOn(",", line);          // converts implicitly
//   std::vector<std::string_view> views = split::splitOn(",", line);     // points into `line`
//   std::set<std::string_view> unique = split::splitOneOf(",;", "b;a,b");  // {"a", "b"}
//   std::map<std::string, std::string> kv = split::splitOneOf("=&", "a=1&b=2");   // a: 1, b: 2
//   auto n = std::ranges::distance(split::wordsBy(isBlank, line));
//
// The operations of this library over a std::string_view, a std::string, a C string or a span
// of elements (any contiguous range) return a Pieces. It holds the input (a view of it, or the
// container itself when given one as an rvalue, so that no piece dangles while the range lives)
// and cuts the pieces as its iterators advance: one piece at a time, no allocation per piece.
// Text gives std::basic_string_view pieces, other elements std::span<const T> pieces. The range
// converts into any standard container whose elements are made from a piece (a piece converts,
// or its begin and end do), into a map from alternate pieces, as keys and values, and into a
// std::pair of the first two pieces. A range that owns its input does not convert, as an
// rvalue, into views of it: they would dangle.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <ranges>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

namespace split {

namespace detail {

template <class C>
concept Character = std::same_as<C, char> || std::same_as<C, wchar_t> ||
    std::same_as<C, char8_t> || std::same_as<C, char16_t> || std::same_as<C, char32_t>;

// A C string: a string literal or a pointer to characters, read up to its terminating zero.
template <class X>
concept CString = std::is_pointer_v<std::decay_t<X>> &&
    Character<std::remove_const_t<std::remove_pointer_t<std::decay_t<X>>>>;

template <class X>
struct InputElementImpl {
  using type = std::remove_cv_t<std::ranges::range_value_t<X>>;
};
template <CString X>
struct InputElementImpl<X> {
  using type = std::remove_const_t<std::remove_pointer_t<std::decay_t<X>>>;
};

}  // namespace detail

// Input that this library splits in place: a C string, or any contiguous sized range (a
// std::string_view, std::string, std::span, std::vector, std::array, ...).
template <class X>
concept ContiguousInput =
    detail::CString<X> || (std::ranges::contiguous_range<X> && std::ranges::sized_range<X>);

// The element type of a contiguous input.
template <ContiguousInput X>
using InputElement = typename detail::InputElementImpl<std::remove_cvref_t<X>>::type;

// What a piece of contiguous input is: a string view over characters, a span over other
// elements.
template <class T>
using PieceView =
    std::conditional_t<detail::Character<T>, std::basic_string_view<T>, std::span<const T>>;

namespace detail {

// How a range of pieces holds its input: a container given as an rvalue is moved in and kept,
// anything else is viewed.
template <ContiguousInput X>
auto hold(X&& input) {
  using View = PieceView<InputElement<X>>;
  using Input = std::remove_cvref_t<X>;
  if constexpr (CString<X>)
    return View(input);
  else if constexpr (!std::is_lvalue_reference_v<X> && !std::ranges::borrowed_range<X>)
    return Input(std::move(input));
  else
    return View(std::ranges::data(input), std::ranges::size(input));
}

template <class C>
concept HasMappedType = requires { typename C::mapped_type; };

template <class V, class Piece>
concept MadeFrom = std::constructible_from<V, Piece> ||
    std::constructible_from<V, typename Piece::iterator, typename Piece::iterator>;

template <class V, class Piece>
V make(const Piece& piece) {
  if constexpr (std::constructible_from<V, Piece>)
    return V(piece);
  else
    return V(piece.begin(), piece.end());
}

template <class C>
struct IsInitializerList : std::false_type {};
template <class E>
struct IsInitializerList<std::initializer_list<E>> : std::true_type {};

// A standard container that pieces can fill: its elements, or its keys and values, made from
// pieces, inserted at its end.
template <class C, class Piece>
concept FillableWith =
    requires(C c, typename C::value_type v) {
      typename C::const_iterator;
      c.insert(c.end(), std::move(v));
    } && !IsInitializerList<C>::value &&
    ((!HasMappedType<C> && MadeFrom<typename C::value_type, Piece>) ||
     (HasMappedType<C> && MadeFrom<typename C::key_type, Piece> &&
      MadeFrom<typename C::mapped_type, Piece>));

// Whether a container (or pair) would hold the pieces themselves, pointing into the input.
template <class C, class Piece>
inline constexpr bool kHoldsPieces = [] {
  if constexpr (HasMappedType<C>)
    return std::same_as<typename C::key_type, Piece> || std::same_as<typename C::mapped_type, Piece>;
  else
    return std::same_as<typename C::value_type, Piece>;
}();
template <class First, class Second, class Piece>
inline constexpr bool kHoldsPieces<std::pair<First, Second>, Piece> =
    std::same_as<First, Piece> || std::same_as<Second, Piece>;

template <class T>
struct IsView : std::false_type {};
template <class C, class Traits>
struct IsView<std::basic_string_view<C, Traits>> : std::true_type {};
template <class T, std::size_t N>
struct IsView<std::span<T, N>> : std::true_type {};

}  // namespace detail

// `Input` is the view the pieces point into or the container that holds it; `Cutting` says how
// pieces are cut: its `view_type` and `piece_type`, a `State` that `start(view)` gives, and
// `next(view, state, piece)`, which cuts the next piece or says there is none.
template <class Input, class Cutting>
class Pieces {
 public:
  using view_type = typename Cutting::view_type;
  using value_type = typename Cutting::piece_type;
  class iterator;

 private:
  // Whether filling a Container from an rvalue range would leave it with views into an input
  // that dies with the range.
  template <class Container>
  static constexpr bool dangles =
      !detail::IsView<Input>::value && detail::kHoldsPieces<Container, value_type>;

 public:

  Pieces(Input input, Cutting cutting) : input_(std::move(input)), cutting_(std::move(cutting)) {}

  iterator begin() const { return iterator(*this); }
  iterator end() const { return iterator(); }

  // The pieces in a standard container. From a range that owns its input, only as an lvalue
  // when the container would hold views into it.
  template <class Container>
    requires detail::FillableWith<Container, value_type>
  operator Container() const& {
    return fill<Container>();
  }
  template <class Container>
    requires detail::FillableWith<Container, value_type>
  operator Container() && {
    return fill<Container>();
  }
  template <class Container>
    requires detail::FillableWith<Container, value_type> && dangles<Container>
  operator Container() && = delete;

  // The first two pieces (empty ones where there are fewer).
  template <class First, class Second>
    requires detail::MadeFrom<First, value_type> && detail::MadeFrom<Second, value_type>
  operator std::pair<First, Second>() const& {
    return firstTwo<First, Second>();
  }
  template <class First, class Second>
    requires detail::MadeFrom<First, value_type> && detail::MadeFrom<Second, value_type>
  operator std::pair<First, Second>() && {
    return firstTwo<First, Second>();
  }
  template <class First, class Second>
    requires detail::MadeFrom<First, value_type> && detail::MadeFrom<Second, value_type> &&
             dangles<std::pair<First, Second>>
  operator std::pair<First, Second>() && = delete;

 private:
  view_type view() const { return view_type(std::data(input_), std::size(input_)); }

  template <class Container>
  Container fill() const {
    Container out;
    if constexpr (detail::HasMappedType<Container>) {
      // Alternate pieces are keys and values; a key without a value maps to an empty one.
      auto at = out.end();
      bool key = true;
      for (const value_type& piece : *this) {
        if (key)
          at = out.insert(out.end(), {detail::make<typename Container::key_type>(piece),
                                      typename Container::mapped_type()});
        else
          at->second = detail::make<typename Container::mapped_type>(piece);
        key = !key;
      }
    } else {
      for (const value_type& piece : *this)
        out.insert(out.end(), detail::make<typename Container::value_type>(piece));
    }
    return out;
  }

  template <class First, class Second>
  std::pair<First, Second> firstTwo() const {
    value_type first{}, second{};
    iterator it = begin();
    if (it != end()) {
      first = *it;
      if (++it != end()) second = *it;
    }
    return {detail::make<First>(first), detail::make<Second>(second)};
  }

  Input input_;
  Cutting cutting_;
};

// The pieces that `cutting` cuts from `input`, holding it as `hold` says.
template <ContiguousInput X, class Cutting>
auto makePieces(X&& input, Cutting cutting) {
  auto held = detail::hold(std::forward<X>(input));
  return Pieces<decltype(held), Cutting>(std::move(held), std::move(cutting));
}

template <class Input, class Cutting>
class Pieces<Input, Cutting>::iterator {
 public:
  using value_type = typename Cutting::piece_type;
  using difference_type = std::ptrdiff_t;
  using reference = value_type;
  using iterator_concept = std::forward_iterator_tag;
  using iterator_category = std::input_iterator_tag;  // pieces are handed out by value

  iterator() = default;

  value_type operator*() const {
    if constexpr (detail::IsView<value_type>::value)
      return value_type(data_, size_);
    else
      return piece_;
  }
  iterator& operator++() {
    advance();
    return *this;
  }
  iterator operator++(int) {
    iterator old = *this;
    advance();
    return old;
  }
  // Iterators of one range are equal when they have passed as many pieces: the same pieces
  // (two empty pieces at one place among them) can follow one another.
  friend bool operator==(const iterator& a, const iterator& b) {
    return a.done_ == b.done_ && (a.done_ || a.index_ == b.index_);
  }

 private:
  friend class Pieces;
  explicit iterator(const Pieces& pieces)
      : cutting_(&pieces.cutting_),
        view_(pieces.view()),
        state_(pieces.cutting_.start(view_)),
        done_(false) {
    advance();
  }

  [[gnu::always_inline]] void advance() {
    value_type piece{};
    if (!cutting_->next(view_, state_, piece)) {
      done_ = true;
      return;
    }
    ++index_;
    // A view is kept as its two words and put together again when read: a read of the whole
    // of what was written as two halves would stall the processor for each piece.
    if constexpr (detail::IsView<value_type>::value) {
      data_ = piece.data();
      size_ = piece.size();
    } else {
      piece_ = std::move(piece);
    }
  }

  struct None {};
  using Data = decltype(std::declval<const typename Cutting::view_type&>().data());

  const Cutting* cutting_ = nullptr;
  typename Cutting::view_type view_{};
  typename Cutting::State state_{};
  [[no_unique_address]] std::conditional_t<detail::IsView<value_type>::value, None, value_type>
      piece_{};
  Data data_ = nullptr;
  std::size_t size_ = 0;
  std::uint64_t index_ = 0;
  bool done_ = true;
};

}  // namespace split
