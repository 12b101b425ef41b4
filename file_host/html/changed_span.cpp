#include "file_host/html/changed_span.h"

#include <algorithm>

namespace velmo::file_host {

void ChangedSpan::record(std::string_view current, std::size_t begin, std::size_t end,
                         std::size_t inserted) {
  if (!touched_) {
    touched_ = true;
    begin_ = begin;
    end_ = begin + inserted;
    original_.assign(current.substr(begin, end - begin));
    return;
  }
  // Bytes of the current text outside the touched stretch are still the earlier bytes, so the
  // stretch grows by taking them over on either side.
  const std::size_t lo = std::min(begin_, begin);
  const std::size_t hi = std::max(end_, end);
  std::string widened(current.substr(lo, begin_ - lo));
  widened += original_;
  widened += current.substr(end_, hi - end_);
  original_ = std::move(widened);
  begin_ = lo;
  end_ = hi - (end - begin) + inserted;
}

void ChangedSpan::clear() {
  touched_ = false;
  begin_ = end_ = 0;
  original_.clear();
  original_.shrink_to_fit();
}

bool ChangedSpan::differs(std::string_view current) const {
  return touched_ && current.substr(begin_, end_ - begin_) != original_;
}

}  // namespace velmo::file_host
