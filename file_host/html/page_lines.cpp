#include "file_host/html/page_lines.h"

#include <algorithm>

namespace velmo::file_host {

PagePosition LineCounter::at(std::size_t offset) {
  offset = std::min(offset, source_.size());
  if (offset < counted_) *this = LineCounter(source_, utf8_);
  for (std::size_t i = counted_; i < offset; ++i) {
    const char c = source_[i];
    if (c == '\n' || (c == '\r' && (i + 1 == source_.size() || source_[i + 1] != '\n'))) {
      ++line_;
      column_ = 1;
    } else if (!utf8_ || (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column_;
    }
  }
  counted_ = offset;
  return {line_, column_};
}

}  // namespace velmo::file_host
