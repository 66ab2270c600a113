// Whether the program is built with sanitizers (the build's FP_SANITIZE): their runtimes take
// the program's operator new and make it several times slower, so tests scale their sizes and
// skip their allocation counts there.
#pragma once

namespace fp::testing {

#ifdef FP_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace fp::testing
