#include "meterline/progress_bar.hpp"

#include <iostream>
#include <limits>

namespace meterline {

namespace detail {

std::ostream& standardError() noexcept { return std::cerr; }

OptionsCanvas optionsCanvas(std::ostream& handle, double maxRefreshRate, const BarOptions& options,
                            const Platform& platform) {
  const Output output = platform.isTerminal(handle) ? options.onTerminal : options.offTerminal;
  switch (output) {
    case Output::Live:
      return {std::make_shared<Canvas>(handle, platform, Layout::Live, options.measure, options.followWidth),
              1.0 / maxRefreshRate};
    case Output::Plain:
      return {std::make_shared<Canvas>(handle, platform, Layout::Plain, options.measure, options.followWidth),
              options.plainInterval};
    case Output::Silent:
      break;
  }
  return {std::make_shared<Canvas>(handle, platform, Layout::Silent, options.measure, false),
          std::numeric_limits<double>::infinity()};
}

}  // namespace detail

template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>, double,
                                                         Progress<fp::Unit>, const Platform&);
template ProgressBar<fp::Unit> hNewProgressBar<fp::Unit>(std::ostream&, Style<fp::Unit>, double,
                                                         Progress<fp::Unit>, const BarOptions&,
                                                         const Platform&);
template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double, Progress<fp::Unit>);
template ProgressBar<fp::Unit> newProgressBar<fp::Unit>(Style<fp::Unit>, double, Progress<fp::Unit>,
                                                        const BarOptions&);
template void println<fp::Unit>(const ProgressBar<fp::Unit>&, std::string_view);
template void finish<fp::Unit>(const ProgressBar<fp::Unit>&);
template void abandon<fp::Unit>(const ProgressBar<fp::Unit>&);

}  // namespace meterline
