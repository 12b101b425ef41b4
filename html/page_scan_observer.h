#pragma once
// What the page scanner tells an observer as it reads: for comparing the scan with other parsers
// and for questions about markup the landmarks do not keep. The scanner reads the same tokens
// whether or not one looks on; without one it pays a test of a null pointer per comment and per
// raw-text element.

#include <cstddef>
#include <utility>
#include <vector>

#include "html/html_scan.h"

namespace velmo::standalone {

class ScanObserver {
 public:
  // A comment or bogus comment token, wherever the scan met it.
  virtual void comment(const html::Token& token) = 0;
  // An element whose content is text (see kRawTextElements): its start tag, where the content
  // ends (where the end tag starts) and where the element ends (the page's end when it has no
  // end tag).
  virtual void rawTextElement(const html::Token& startTag, std::size_t innerEnd,
                              std::size_t end) = 0;
  // Where every server block the scan passes is to be added, nested ones included (one read
  // twice is added twice); nullptr when the observer does not want them.
  virtual std::vector<std::pair<std::size_t, std::size_t>>* serverBlocks() { return nullptr; }

 protected:
  ~ScanObserver() = default;
};

}  // namespace velmo::standalone
