// Uses each installed library once and checks what it gets, and that each library it runs with
// is the version its headers name.
#include <cstdint>
#include <iostream>
#include <vector>

#include "keyedwalk/foldable.hpp"
#include "keyedwalk/version.hpp"
#include "meterline/meterline.hpp"
#include "meterline/version.hpp"
#include "split/split.hpp"
#include "split/version.hpp"

int main() {
  const std::vector<std::int64_t> xs{5, 6, 7};
  const std::int64_t weighted = keyedwalk::ifoldlPrime(
      [](std::int64_t i, std::int64_t acc, std::int64_t x) { return acc + i * x; },
      std::int64_t{0}, xs);

  const auto fields = split::splitOn(",", fp::String::from("a,b,,c"));

  meterline::Style<> style = meterline::defStyle();
  style.styleWidth = meterline::ConstantWidth{20};
  const meterline::TimePoint start{};
  const std::string line =
      meterline::renderProgressBar(style, meterline::Progress<>{1, 2, {}}, {start, start}).str();
  const std::int64_t columns = meterline::columns(meterline::Text("日本語"));  // utf8proc's tables

  std::cout << "keyedwalk " << keyedwalk::version() << ": " << weighted << '\n'
            << "split " << split::version() << ": " << fields.length() << " fields\n"
            << "meterline " << meterline::version() << ": " << line << ", " << columns << " columns\n";
  const bool versions = keyedwalk::version() == KEYEDWALK_VERSION_STRING &&
                        meterline::version() == METERLINE_VERSION_STRING &&
                        split::version() == SPLIT_VERSION_STRING;
  const bool ok = versions && weighted == 20 && fields.length() == 4 && line.find("50%") != std::string::npos &&
                  columns == 6;
  return ok ? 0 : 1;
}
