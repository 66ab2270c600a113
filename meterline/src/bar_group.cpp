#include "meterline/bar_group.hpp"

#include <mutex>

namespace meterline {

BarGroup::BarGroup(std::ostream& handle, double maxRefreshRate, const BarOptions& options,
                   const Platform& platform) {
  auto [canvas, delay] = detail::optionsCanvas(handle, maxRefreshRate, options, platform);
  canvas_ = std::move(canvas);
  refreshDelay_ = delay;
}

BarGroup::BarGroup(double maxRefreshRate, const BarOptions& options)
    : BarGroup(detail::standardError(), maxRefreshRate, options) {}

void println(const BarGroup& group, std::string_view text) {
  detail::Canvas& canvas = *group.canvas_;
  const TimePoint now = canvas.platform().now();
  const std::lock_guard lock(canvas.mutex());
  canvas.println(text, now);
}

template ProgressBar<fp::Unit> BarGroup::add<fp::Unit>(Style<fp::Unit>, Progress<fp::Unit>) const;

}  // namespace meterline
