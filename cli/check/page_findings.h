#pragma once
// What `velmo check` finds in one page: the blocks the commands write (date, favourites, slide
// show, the HEAD script, the scrollbar STYLE), webbot pairing, and the files the blocks refer to.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/check/check_rules.h"

namespace velmo::file_host {
class FileHost;
}

namespace velmo::check {

class SiteFiles;

// The one safe mend of a finding: [begin, end) of the page source becomes `bytes`.
struct Mend {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string bytes;
};

struct Finding {
  const Rule* rule = nullptr;
  std::size_t offset = 0;  // in the page source
  std::string message;     // UTF-8
  std::optional<Mend> mend;
};

// The findings of the page open in `host`, in source order; the slide show pictures the page
// names are noted in `files`.
std::vector<Finding> checkPage(file_host::FileHost& host, SiteFiles& files);

}  // namespace velmo::check
