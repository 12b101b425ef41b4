#pragma once
// Where an offset of page source stands as a reader of the page counts it: lines as a browser's
// view-source counts them (CR LF, a lone LF and a lone CR each end a line, so an old Mac page has
// its lines), and columns in characters (code points of a page held as UTF-8, bytes of a page in
// another encoding), both from 1.

#include <cstddef>
#include <string_view>

namespace velmo::file_host {

struct PagePosition {
  std::size_t line = 1;
  std::size_t column = 1;
};

// Counts forward through one text, so that the positions of many offsets in increasing order
// cost one pass; an offset before the last one asked for starts again from the top.
class LineCounter {
 public:
  LineCounter(std::string_view source, bool utf8) : source_(source), utf8_(utf8) {}
  PagePosition at(std::size_t offset);

 private:
  std::string_view source_;
  bool utf8_;
  std::size_t counted_ = 0;  // source before this offset is counted
  std::size_t line_ = 1;     // where `counted_` stands
  std::size_t column_ = 1;
};

}  // namespace velmo::file_host
