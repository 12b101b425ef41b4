#pragma once
// Every comment, every script and style element and every server block (nested ones included) of
// a page, as the landmark scan reads them: for comparing the scan with other parsers.

#include <cstddef>
#include <vector>

#include "file_host/html/page_index.h"

namespace velmo::file_host {

struct TraceItem {
  enum class Kind { Comment, Script, Style, ServerBlock } kind;
  std::size_t begin = 0, end = 0, innerBegin = 0, innerEnd = 0;
};

// Scans the page of `index` afresh (its landmarks are found again on the way) and lists what it
// read, in document order.
std::vector<TraceItem> tracePage(PageIndex& index);

}  // namespace velmo::file_host
