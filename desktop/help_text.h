#pragma once
// Help pages for a terminal: a page's text wrapped to a width, and the entries of a contents or
// index file (.hhc, .hhk).

#include <string>
#include <string_view>
#include <vector>

namespace velmo::desktop {

// Headings underlined, list items bulleted, table rows on one line, paragraphs separated by an
// empty line, every line at most `width` characters where words allow it. UTF-8 in and out.
std::string pageText(std::string_view html, std::size_t width = 78);

struct SitemapEntry {
  std::string name;
  std::string local;  // the page, as written in the file
  int depth = 0;      // 0 for the top level
};

std::vector<SitemapEntry> sitemapEntries(std::string_view html);

}  // namespace velmo::desktop
