// Which fields of a record splitcat writes: the lists of cut's -f, as ranges of field numbers.
//
//   const splitcat::FieldList list({{1, 1}, {3, splitcat::FieldList::kNoEnd}});   // -f 1,3-
//   splitcat::FieldList::Cursor fields = list.cursor();
//   fields.take(), fields.take(), fields.take()    // true, false, true: fields 1, 2 and 3
//   list.last()                                    // nullopt: every field from 3 on
//
// Fields are numbered from 1. Each is written at most once and in the order of the record,
// however the list names them ("2,1" and "1-2,2" both mean fields 1 and 2), as cut does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace splitcat {

class FieldList {
 public:
  static constexpr std::int64_t kNoEnd = std::numeric_limits<std::int64_t>::max();

  // First and last field of each range, inclusive; kNoEnd for a range open to the end.
  using Range = std::pair<std::int64_t, std::int64_t>;

  // Every field.
  FieldList() : ranges_{{1, kNoEnd}} {}
  // The fields of `ranges`, each with 1 <= first <= last.
  explicit FieldList(std::vector<Range> ranges);

  bool everything() const noexcept { return ranges_.size() == 1 && ranges_[0] == Range{1, kNoEnd}; }
  // The last field named, unless the list runs to the end of the record.
  std::optional<std::int64_t> last() const noexcept {
    const std::int64_t end = ranges_.back().second;
    return end == kNoEnd ? std::nullopt : std::optional(end);
  }

  // Walks the fields of one record in order.
  class Cursor {
   public:
    // Whether the next field is chosen.
    bool take() noexcept {
      ++field_;
      while (at_ != end_ && at_->second < field_) ++at_;
      return at_ != end_ && at_->first <= field_;
    }
    // Whether no field after the ones taken is chosen.
    bool done() const noexcept { return at_ == end_ || (at_ + 1 == end_ && at_->second <= field_); }

   private:
    friend class FieldList;
    Cursor(const Range* at, const Range* end) : at_(at), end_(end) {}
    const Range* at_;
    const Range* end_;
    std::int64_t field_ = 0;
  };
  Cursor cursor() const noexcept { return {ranges_.data(), ranges_.data() + ranges_.size()}; }

 private:
  std::vector<Range> ranges_;  // sorted, disjoint, not adjacent
};

inline FieldList::FieldList(std::vector<Range> ranges) : ranges_(std::move(ranges)) {
  std::sort(ranges_.begin(), ranges_.end());
  std::vector<Range> merged;
  for (const Range& r : ranges_) {
    if (!merged.empty() && (merged.back().second == kNoEnd || r.first <= merged.back().second + 1))
      merged.back().second = std::max(merged.back().second, r.second);
    else
      merged.push_back(r);
  }
  ranges_ = std::move(merged);
}

}  // namespace splitcat
