// fp::Unit, the type with exactly one value, and fp::Void, the type with none.
//
//   fp::Unit done = fp::unit;                       // "no information": the result of an effect
//   void never(fp::Void v) { fp::absurd<int>(v); }  // a Void can never be handed over
//
// `Unit` is what an action yields when only its effect matters. `Void` has no constructor that
// can be called, so a function taking a `Void` (a callback over an index type with no values)
// can never be called; `absurd` states that to the type checker.
#pragma once

namespace fp {

struct Unit {
  friend constexpr bool operator==(Unit, Unit) noexcept { return true; }
};
inline constexpr Unit unit{};

class Void {
 public:
  Void() = delete;
  friend constexpr bool operator==(const Void&, const Void&) noexcept { return true; }
};

// Anything at all follows from a value that cannot exist.
template <class R>
[[noreturn]] R absurd(const Void&) {
  __builtin_unreachable();
}

}  // namespace fp
