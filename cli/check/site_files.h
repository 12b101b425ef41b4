#pragma once
// The files of one site as the pages' references find them: each folder listed once and kept,
// shared by the pages checked side by side, so that a site's references cost one listing per
// folder. Names are matched exactly, as a Linux server does, and failing that without ASCII
// case, as a Windows server does.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velmo::check {

// Where a local reference leads.
struct Lookup {
  enum class Kind {
    Found,      // a file or folder of exactly that name
    OtherCase,  // only names that differ in ASCII case
    Missing,
    Outside,  // no file of the site: another site, or above the site's folder
  } kind = Kind::Outside;
  // OtherCase: the reference's path with each name spelt as the one file of the site that
  // matches it; empty when several match.
  std::u16string corrected;
};

class SiteFiles {
 public:
  explicit SiteFiles(std::filesystem::path root);
  const std::filesystem::path& root() const { return root_; }

  // The path of a reference (decoded: no query, fragment or %-escapes; '/'-separated) from a
  // page in `pageFolder`: relative to it, or to the site's folder when it starts with '/'.
  Lookup find(const std::filesystem::path& pageFolder, std::u16string_view path);

  // A page names the slide show picture NAME (in any case), so it is used.
  void noteSlideUse(std::u16string_view name);
  // The pictures of the site's slide_img/ folder that no page named.
  std::vector<std::u16string> unusedSlidePictures();

 private:
  struct Listing {
    std::set<std::u16string> names;
    std::multimap<std::u16string, std::u16string> byLowered;
  };
  std::shared_ptr<const Listing> listing(const std::filesystem::path& folder);

  std::filesystem::path root_;
  std::mutex mutex_;
  std::map<std::filesystem::path, std::shared_ptr<const Listing>> listings_;
  std::set<std::u16string> slideUses_;  // lowered
};

// Text without ASCII case.
std::u16string withoutCase(std::u16string_view text);

}  // namespace velmo::check
