#include "standalone/site_objects.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "standalone/atomic_file.h"
#include "standalone/site_state.h"

namespace velmo::standalone {
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

const SiteState::Entry& byIndex(const std::vector<SiteState::Entry>& entries, long index,
                                std::u16string_view kind, const std::u16string& where) {
  if (index < 0 || static_cast<unsigned long>(index) >= entries.size()) {
    throw HostError(hr::kBadIndex, u"There is no " + std::u16string(kind) + u" at index " +
                                       utf8ToUtf16(std::to_string(index)) + u" in " + where);
  }
  return entries[static_cast<std::size_t>(index)];
}

const SiteState::Entry& byName(const std::vector<SiteState::Entry>& entries,
                               std::u16string_view name, std::int32_t notFound,
                               std::u16string_view kind, const std::u16string& where) {
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const SiteState::Entry& e) { return e.name == name; });
  if (it == entries.end()) {
    throw HostError(notFound, u"There is no " + std::u16string(kind) + u" '" +
                                  std::u16string(name) + u"' in " + where);
  }
  return *it;
}

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

class SiteFiles : public Files, SiteObject {
 public:
  using SiteObject::SiteObject;

  long count() override { return static_cast<long>(site()->files(path()).size()); }

  std::unique_ptr<File> item(long index) override {
    const auto state = site();
    return file(byIndex(state->files(path()), index, u"file", state->describe(path())));
  }

  std::unique_ptr<File> item(const std::u16string& name) override {
    const auto state = site();
    return file(
        byName(state->files(path()), name, hr::kFileNotFound, u"file", state->describe(path())));
  }

  std::unique_ptr<File> add(const std::u16string& diskPath, bool overwrite) override {
    return std::make_unique<SiteFile>(weakSite(), site()->importFile(path(), diskPath, overwrite));
  }

 private:
  std::unique_ptr<File> file(const SiteState::Entry& entry) const {
    return std::make_unique<SiteFile>(weakSite(), entry.path);
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

class SiteFolders : public Folders, SiteObject {
 public:
  using SiteObject::SiteObject;

  long count() override { return static_cast<long>(site()->folders(path()).size()); }

  std::unique_ptr<Folder> item(long index) override {
    const auto state = site();
    return folder(byIndex(state->folders(path()), index, u"folder", state->describe(path())));
  }

  std::unique_ptr<Folder> item(const std::u16string& name) override {
    const auto state = site();
    return folder(byName(state->folders(path()), name, hr::kPathNotFound, u"folder",
                         state->describe(path())));
  }

  std::unique_ptr<Folder> add(const std::u16string& name) override {
    return std::make_unique<SiteFolder>(weakSite(), site()->addFolder(path(), name));
  }

 private:
  std::unique_ptr<Folder> folder(const SiteState::Entry& entry) const {
    return std::make_unique<SiteFolder>(weakSite(), entry.path);
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

}  // namespace velmo::standalone
