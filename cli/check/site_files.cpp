#include "cli/check/site_files.h"

#include <algorithm>

#include "core/common/text.h"
#include "features/slideshow/slide_show.h"
#include "file_host/files/atomic_file.h"

namespace velmo::check {
namespace fs = std::filesystem;

namespace {

std::vector<std::u16string> pathNames(std::u16string_view path) {
  std::vector<std::u16string> names;
  std::size_t from = 0;
  while (from <= path.size()) {
    std::size_t slash = path.find(u'/', from);
    if (slash == std::u16string_view::npos) slash = path.size();
    names.emplace_back(path.substr(from, slash - from));
    from = slash + 1;
  }
  return names;
}

}  // namespace

std::u16string withoutCase(std::u16string_view text) {
  std::u16string lowered(text);
  for (char16_t& c : lowered) c = asciiLower(c);
  return lowered;
}

SiteFiles::SiteFiles(fs::path root) : root_(std::move(root)) {}

std::shared_ptr<const SiteFiles::Listing> SiteFiles::listing(const fs::path& folder) {
  {
    std::lock_guard lock(mutex_);
    if (auto it = listings_.find(folder); it != listings_.end()) return it->second;
  }
  auto made = std::make_shared<Listing>();
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::u16string name = file_host::pathToText(it->path().filename());
    made->byLowered.emplace(withoutCase(name), name);
    made->names.insert(std::move(name));
  }
  std::lock_guard lock(mutex_);
  return listings_.try_emplace(folder, std::move(made)).first->second;
}

Lookup SiteFiles::find(const fs::path& pageFolder, std::u16string_view path) {
  // The names from the site's folder down to the file; a name of the page's own folders is
  // spelt as on disk already.
  struct Step {
    std::u16string name;
    bool written;  // a name of the reference, not of the page's folder
  };
  std::vector<Step> steps;
  std::u16string_view rest = path;
  if (rest.starts_with(u'/')) {
    rest.remove_prefix(1);
  } else {
    const fs::path relative = pageFolder.lexically_relative(root_);
    if (relative.empty() || *relative.begin() == "..") return {};
    for (const fs::path& name : relative) {
      if (name != ".") steps.push_back({file_host::pathToText(name), false});
    }
  }
  std::vector<std::u16string> written = pathNames(rest);
  for (const std::u16string& name : written) {
    if (name.empty() || name == u".") continue;
    if (name == u"..") {
      if (steps.empty()) return {};
      steps.pop_back();
      continue;
    }
    steps.push_back({name, true});
  }
  // Each written name as the site spells it, in the order of the reference's names.
  std::vector<std::u16string> spelt;
  bool otherCase = false, several = false;
  fs::path folder = root_;
  for (const Step& step : steps) {
    const auto names = listing(folder);
    std::u16string actual = step.name;
    if (!names->names.contains(step.name)) {
      const auto [first, last] = names->byLowered.equal_range(withoutCase(step.name));
      if (first == last) return {Lookup::Kind::Missing, {}};
      several = several || std::next(first) != last;
      actual = first->second;
      otherCase = true;
    }
    if (step.written) spelt.push_back(actual);
    folder /= file_host::textToPath(actual);
  }
  if (!otherCase) return {Lookup::Kind::Found, {}};
  if (several) return {Lookup::Kind::OtherCase, {}};
  // The corrected path keeps the reference's own "." and ".." names and its leading '/'.
  std::u16string corrected = path.starts_with(u'/') ? u"/" : u"";
  std::size_t next = 0;
  // The names that stayed in `steps` are the last ones written; the ones ".." took back out
  // keep their spelling.
  std::size_t kept = 0;
  for (const Step& step : steps) kept += step.written ? 1 : 0;
  std::size_t plain = 0;
  for (const std::u16string& name : written) {
    plain += !name.empty() && name != u"." && name != u"..";
  }
  std::size_t skip = plain - kept;  // written names a later ".." removed
  bool firstName = true;
  for (const std::u16string& name : written) {
    if (!firstName) corrected += u'/';
    firstName = false;
    if (name.empty() || name == u"." || name == u"..") {
      corrected += name;
    } else if (skip > 0) {
      --skip;
      corrected += name;
    } else {
      corrected += spelt[next++];
    }
  }
  return {Lookup::Kind::OtherCase, std::move(corrected)};
}

void SiteFiles::noteSlideUse(std::u16string_view name) {
  std::lock_guard lock(mutex_);
  slideUses_.insert(withoutCase(name));
}

std::vector<std::u16string> SiteFiles::unusedSlidePictures() {
  std::vector<std::u16string> unused;
  std::error_code ec;
  const fs::path folder = root_ / file_host::textToPath(kSlideFolder);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::u16string name = file_host::pathToText(it->path().filename());
    // velmo's own temporary files are no pictures of the site.
    if (name.starts_with(u".")) continue;
    std::lock_guard lock(mutex_);
    if (!slideUses_.contains(withoutCase(name))) unused.push_back(std::move(name));
  }
  std::sort(unused.begin(), unused.end());
  return unused;
}

}  // namespace velmo::check
