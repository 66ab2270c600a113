#include "meterline/canvas.hpp"

#include <algorithm>
#include <string>
#include <utility>

namespace meterline::detail {

namespace {

constexpr std::string_view kEraseLine = "\r\x1b[K";
constexpr std::string_view kEraseWholeLine = "\x1b[2K";
constexpr std::string_view kEraseBelow = "\x1b[J";

// What follows a drawing of an exact bar: a carriage return, for the next drawing to overwrite
// it, until the progress is complete.
std::string_view endingOf(bool complete, OnComplete onComplete) noexcept {
  return !complete ? "\r" : onComplete == OnComplete::WriteNewline ? "\n" : kEraseLine;
}

template <class... Pieces>
std::string concat(const Pieces&... pieces) {
  std::string bytes;
  bytes.reserve((std::string_view(pieces).size() + ...));
  (bytes.append(pieces), ...);
  return bytes;
}

}  // namespace

Canvas::Canvas(std::ostream& out, const Platform& platform, Layout layout, Measure measure,
               bool followWidth)
    : out_(out), platform_(platform), layout_(layout), measure_(measure), followWidth_(followWidth) {
  if (layout_ != Layout::Exact) columns_ = drawnColumns_ = platform_.terminalWidthOf(out_);
}

LineFormat Canvas::format() {
  if (layout_ == Layout::Exact) return {};
  if (followWidth_) columns_ = platform_.terminalWidthOf(out_);
  return {columns_, measure_, layout_ != Layout::Plain};
}

Canvas::Phase Canvas::endPhase(OnComplete onComplete) noexcept {
  return onComplete == OnComplete::WriteNewline ? Phase::Kept : Phase::Cleared;
}

bool Canvas::anyOpen(const Slots& slots) noexcept {
  return std::any_of(slots.begin(), slots.end(), [](const Slot& slot) { return slot.phase == Phase::Open; });
}

Canvas::Slots::iterator Canvas::find(const BarLine& bar) noexcept {
  return std::find_if(slots_.begin(), slots_.end(), [&](const Slot& slot) { return slot.bar == &bar; });
}

bool Canvas::isOpen(const BarLine& bar) const noexcept {
  const auto slot = const_cast<Canvas*>(this)->find(bar);
  return contains(slot) && slot->phase == Phase::Open;
}

bool Canvas::needsFinalLine(const BarLine& bar) const noexcept {
  const auto slot = const_cast<Canvas*>(this)->find(bar);
  if (!contains(slot) || layout_ == Layout::Silent) return false;
  return layout_ == Layout::Exact ? slot->lineOpen : slot->phase == Phase::Open;
}

Canvas::Slots Canvas::rendered(const BarLine* except, TimePoint now, const LineFormat& format) const {
  Slots next = slots_;
  for (Slot& slot : next) {
    if (slot.phase == Phase::Open && slot.bar != except) slot.text = slot.bar->render(now, format).str();
  }
  return next;
}

void Canvas::show(std::optional<std::string_view> above, Slots next, std::optional<TimePoint> now) {
  const auto shown = static_cast<std::size_t>(
      std::count_if(next.begin(), next.end(), [](const Slot& slot) { return slot.phase != Phase::Cleared; }));
  const bool running = anyOpen(next);
  std::string bytes;
  if (columns_ != drawnColumns_ || shown + (above ? 1 : 0) < drawnLines_) {
    bytes += kEraseBelow;
  } else if (above && drawnLines_ > 1) {
    // The text may run over several lines: the block's old lines are erased first, going
    // down and back up, which never scrolls.
    for (std::size_t line = 1; line < drawnLines_; ++line) bytes.append(kEraseWholeLine).append("\x1b[B");
    bytes += "\x1b[" + std::to_string(drawnLines_ - 1) + "A";
  }
  if (above) bytes.append(kEraseWholeLine).append(*above).append("\n");
  std::size_t line = 0;
  for (const Slot& slot : next) {
    if (slot.phase == Phase::Cleared) continue;
    if (line++ != 0) bytes += '\n';
    bytes.append(kEraseWholeLine).append(slot.text);
  }
  if (running) {
    bytes += '\r';
    if (shown > 1) bytes += "\x1b[" + std::to_string(shown - 1) + "A";
  } else if (shown != 0) {
    bytes += '\n';
  }
  write(bytes);

  drawnColumns_ = columns_;
  if (!running) {
    slots_.clear();
    drawnLines_ = 0;
    return;
  }
  slots_ = std::move(next);
  drawnLines_ = shown;
  if (!now) return;
  for (Slot& slot : slots_) {
    if (slot.phase == Phase::Open) slot.bar->drawnAt(*now);
  }
}

void Canvas::write(const std::string& bytes) {
  // One write, so that a terminal never shows half of it.
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out_.flush();
}

void Canvas::attach(BarLine& bar, const Text& line, bool complete, OnComplete onComplete) {
  const Phase phase = complete ? endPhase(onComplete) : Phase::Open;
  switch (layout_) {
    case Layout::Exact:
      write(concat(line.str(), endingOf(complete, onComplete)));
      slots_.push_back({&bar, {}, Phase::Open, !complete});
      return;
    case Layout::Live: {
      Slots next = slots_;
      next.push_back({&bar, line.str(), phase, false});
      show(std::nullopt, std::move(next), std::nullopt);
      return;
    }
    case Layout::Plain:
      write(concat(line.str(), "\n"));
      break;
    case Layout::Silent:
      break;
  }
  if (!complete) slots_.push_back({&bar, {}, Phase::Open, false});
}

void Canvas::update(BarLine& bar, const Text& line, const LineFormat& format, bool complete,
                    OnComplete onComplete, bool due, TimePoint now) {
  const auto self = find(bar);
  switch (layout_) {
    case Layout::Exact:
      write(concat(line.str(), endingOf(complete, onComplete)));
      self->lineOpen = !complete;
      return;
    case Layout::Live: {
      Slots next = rendered(&bar, now, format);
      Slot& updated = next[static_cast<std::size_t>(self - slots_.begin())];
      updated.text = line.str();
      updated.phase = complete ? endPhase(onComplete) : Phase::Open;
      show(std::nullopt, std::move(next), now);
      return;
    }
    case Layout::Plain: {
      // When due, every running bar writes a line; otherwise only this one completed.
      std::string bytes;
      if (due) {
        const Slots next = rendered(&bar, now, format);
        for (const Slot& slot : next) bytes += (slot.bar == &bar ? line.str() : slot.text) + '\n';
      } else {
        bytes = concat(line.str(), "\n");
      }
      write(bytes);
      if (due) {
        for (Slot& slot : slots_) slot.bar->drawnAt(now);
      }
      break;
    }
    case Layout::Silent:
      break;
  }
  if (complete) slots_.erase(find(bar));
}

void Canvas::finish(BarLine& bar, const Text& line, OnComplete onComplete) {
  const auto self = find(bar);
  if (!contains(self)) return;
  switch (layout_) {
    case Layout::Exact:
      if (self->lineOpen) write(concat(line.str(), endingOf(true, onComplete)));
      break;
    case Layout::Live: {
      if (self->phase != Phase::Open) return;
      Slots next = slots_;  // the other bars as they stand: no label runs here but the bar's own
      Slot& finished = next[static_cast<std::size_t>(self - slots_.begin())];
      finished.text = line.str();
      finished.phase = endPhase(onComplete);
      show(std::nullopt, std::move(next), std::nullopt);
      return;
    }
    case Layout::Plain:
      write(concat(line.str(), "\n"));
      break;
    case Layout::Silent:
      break;
  }
  slots_.erase(find(bar));
}

void Canvas::abandon(BarLine& bar) {
  const auto self = find(bar);
  if (!contains(self)) return;
  switch (layout_) {
    case Layout::Exact:
      if (self->lineOpen) write("\n");
      break;
    case Layout::Live: {
      if (self->phase != Phase::Open) return;
      Slots next = slots_;
      next[static_cast<std::size_t>(self - slots_.begin())].phase = Phase::Kept;
      if (anyOpen(next))
        slots_ = std::move(next);  // the line stays as drawn, among the running bars
      else
        show(std::nullopt, std::move(next), std::nullopt);
      return;
    }
    case Layout::Plain:
    case Layout::Silent:
      break;
  }
  slots_.erase(find(bar));
}

void Canvas::println(std::string_view text, TimePoint now) {
  switch (layout_) {
    case Layout::Exact: {
      // The bar is drawn again below the text while its progress is incomplete.
      const auto self = slots_.begin();
      if (contains(self) && !self->bar->complete()) {
        const Text line = self->bar->render(now, format());
        write(concat(kEraseLine, text, "\n", line.str(), "\r"));
        self->lineOpen = true;
        self->bar->drawnAt(now);
        return;
      }
      break;
    }
    case Layout::Live:
      if (!slots_.empty()) {
        Slots next = rendered(nullptr, now, format());
        show(text, std::move(next), now);
        return;
      }
      break;
    case Layout::Plain:
    case Layout::Silent:
      break;
  }
  write(concat(text, "\n"));
}

void Canvas::detach(BarLine& bar) noexcept {
  const std::lock_guard lock(mutex_);
  const auto self = find(bar);
  if (!contains(self)) return;
  if (layout_ != Layout::Live) {
    slots_.erase(self);
    return;
  }
  // The line stays in the block as last drawn.
  self->bar = nullptr;
  if (self->phase != Phase::Open) return;
  self->phase = Phase::Kept;
  if (anyOpen(slots_)) return;
  try {
    show(std::nullopt, slots_, std::nullopt);
  } catch (...) {
    // A bar that goes away cannot report a failing stream; the stream's state tells.
    slots_.clear();
    drawnLines_ = 0;
  }
}

}  // namespace meterline::detail
