#include "file_host/site_objects.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "file_host/files/atomic_file.h"
#include "file_host/site_state.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

// What every site object holds: the site, weakly, and the path it stands for.
class SiteObject {
 public:
  SiteObject(std::weak_ptr<SiteState> state, fs::path path)
      : state_(std::move(state)), path_(std::move(path)) {}

 protected:
  std::shared_ptr<SiteState> site() const {
    auto state = state_.lock();
    if (!state) throw HostError(hr::kObjectNotSet, u"The site is no longer open");
    return state;
  }
  // For the objects this one hands out; fails like site() when the site is gone.
  std::weak_ptr<SiteState> weakSite() const {
    site();
    return state_;
  }
  const fs::path& path() const { return path_; }

 private:
  std::weak_ptr<SiteState> state_;
  fs::path path_;
};

// What a collection lists: files or sub-folders of its folder.
struct Listing {
  std::vector<SiteState::Entry> (SiteState::*list)(const fs::path&) const;
  std::u16string_view kind;
  std::int32_t notFound;
};
constexpr Listing kFiles{&SiteState::files, u"file", hr::kFileNotFound};
constexpr Listing kFolders{&SiteState::folders, u"folder", hr::kPathNotFound};

// Count and lookups shared by Files and Folders.
class SiteCollection : protected SiteObject {
 public:
  using SiteObject::SiteObject;

 protected:
  long countOf(const Listing& listing) const {
    return static_cast<long>((*site().*listing.list)(path()).size());
  }

  fs::path pathAt(const Listing& listing, long index) const {
    const auto state = site();
    const auto entries = (*state.*listing.list)(path());
    if (index < 0 || static_cast<unsigned long>(index) >= entries.size()) {
      throw HostError(hr::kBadIndex, u"There is no " + std::u16string(listing.kind) +
                                         u" at index " + utf8ToUtf16(std::to_string(index)) +
                                         u" in " + state->describe(path()));
    }
    return entries[static_cast<std::size_t>(index)].path;
  }

  fs::path pathNamed(const Listing& listing, std::u16string_view name) const {
    const auto state = site();
    for (const SiteState::Entry& entry : (*state.*listing.list)(path())) {
      if (entry.name == name) return entry.path;
    }
    throw HostError(listing.notFound, u"There is no " + std::u16string(listing.kind) + u" '" +
                                          std::u16string(name) + u"' in " +
                                          state->describe(path()));
  }
};

class SiteFile : public File, SiteObject {
 public:
  using SiteObject::SiteObject;

  std::u16string name() override { return pathToText(path().filename()); }

  std::u16string url() override {
    std::u16string text = pathToText(path());
    std::replace(text.begin(), text.end(), static_cast<char16_t>(fs::path::preferred_separator),
                 u'/');
    return u"file:///" + text;
  }
};

class SiteFiles : public Files, SiteCollection {
 public:
  using SiteCollection::SiteCollection;

  long count() override { return countOf(kFiles); }
  std::unique_ptr<File> item(long index) override { return file(pathAt(kFiles, index)); }
  std::unique_ptr<File> item(const std::u16string& name) override {
    return file(pathNamed(kFiles, name));
  }
  std::unique_ptr<File> add(const std::u16string& diskPath, bool overwrite) override {
    return file(site()->importFile(path(), diskPath, overwrite));
  }

 private:
  std::unique_ptr<File> file(fs::path path) const {
    return std::make_unique<SiteFile>(weakSite(), std::move(path));
  }
};

class SiteFolder : public Folder, SiteObject {
 public:
  using SiteObject::SiteObject;

  std::u16string name() override { return pathToText(path().filename()); }
  std::unique_ptr<Folders> folders() override;
  std::unique_ptr<Files> files() override {
    return std::make_unique<SiteFiles>(weakSite(), path());
  }
};

class SiteFolders : public Folders, SiteCollection {
 public:
  using SiteCollection::SiteCollection;

  long count() override { return countOf(kFolders); }
  std::unique_ptr<Folder> item(long index) override { return folder(pathAt(kFolders, index)); }
  std::unique_ptr<Folder> item(const std::u16string& name) override {
    return folder(pathNamed(kFolders, name));
  }
  std::unique_ptr<Folder> add(const std::u16string& name) override {
    return folder(site()->addFolder(path(), name));
  }

 private:
  std::unique_ptr<Folder> folder(fs::path path) const {
    return std::make_unique<SiteFolder>(weakSite(), std::move(path));
  }
};

std::unique_ptr<Folders> SiteFolder::folders() {
  return std::make_unique<SiteFolders>(weakSite(), path());
}

class SiteWeb : public Web, SiteObject {
 public:
  using SiteObject::SiteObject;

  std::unique_ptr<Folder> rootFolder() override {
    return std::make_unique<SiteFolder>(weakSite(), site()->root());
  }
};

}  // namespace

std::unique_ptr<Web> makeSiteWeb(std::weak_ptr<SiteState> state) {
  return std::make_unique<SiteWeb>(std::move(state), fs::path());
}

}  // namespace velmo::file_host
