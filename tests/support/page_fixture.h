#pragma once
// A page of a site on disk, opened in a page host over files.

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "file_host/file_host.h"
#include "tests/support/site_on_disk.h"

namespace velmo::testing {

class PageFixture : public ::testing::Test {
 protected:
  // Writes `html` as site/page.html and opens it with site/ as the web.
  void open(const std::string& html) {
    page_ = dir_.write("site/page.html", html);
    host_.openPage(page_, dir_.site());
  }
  // The page text as it stands in the host, changes included.
  std::string text() const { return utf16ToUtf8(host_.pageText()); }
  // Commits and returns the page file's bytes.
  std::string committed() {
    host_.commit();
    return readBytes(page_);
  }

  SiteOnDisk dir_;
  file_host::FileHost host_;
  std::filesystem::path page_;
};

}  // namespace velmo::testing
