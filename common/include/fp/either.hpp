// fp::Either<L, R>: a value of one of two types, told apart even when the types are the same.
//
//   fp::Either<std::string, int> parsed = fp::Right(42);
//   fp::Either<std::string, int> failed = fp::Left(std::string("not a number"));
//   int n = parsed.either([](const std::string&) { return 0; }, [](int x) { return x; });
//
// By convention `Left` holds the unusual case and `Right` the usual one.
#pragma once

#include <concepts>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace fp {

template <class L>
struct Left {
  L value;
};
template <class R>
struct Right {
  R value;
};
template <class L>
Left(L) -> Left<L>;
template <class R>
Right(R) -> Right<R>;

template <class L, class R>
class Either {
 public:
  template <class U>
    requires std::constructible_from<L, U>
  Either(Left<U> left) : rep_(std::in_place_index<0>, std::move(left.value)) {}
  template <class U>
    requires std::constructible_from<R, U>
  Either(Right<U> right) : rep_(std::in_place_index<1>, std::move(right.value)) {}

  bool isLeft() const noexcept { return rep_.index() == 0; }
  bool isRight() const noexcept { return rep_.index() == 1; }
  // The value held; throws std::logic_error when it is the other side.
  const L& left() const { return side<0>("left"); }
  const R& right() const { return side<1>("right"); }

  // onLeft(value) or onRight(value), whichever side is held.
  template <class FL, class FR>
  decltype(auto) either(FL&& onLeft, FR&& onRight) const {
    return isLeft() ? std::invoke(std::forward<FL>(onLeft), std::get<0>(rep_))
                    : std::invoke(std::forward<FR>(onRight), std::get<1>(rep_));
  }

  friend bool operator==(const Either&, const Either&) = default;

 private:
  template <std::size_t I>
  const auto& side(const char* name) const {
    if (rep_.index() != I) throw std::logic_error(std::string("fp::Either::") + name + ": other side held");
    return std::get<I>(rep_);
  }

  std::variant<L, R> rep_;
};

}  // namespace fp
