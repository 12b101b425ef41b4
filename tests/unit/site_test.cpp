#include "file_host/site.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "file_host/files/atomic_file.h"
#include "tests/support/site_on_disk.h"

namespace velmo::file_host {
namespace {
namespace fs = std::filesystem;

using Snapshot = std::map<std::string, std::string>;  // relative path -> content ("/" for folders)

class SiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(site_ / "images");
    fs::create_directories(outside_);
    write(site_ / "index.htm", "<html></html>");
    write(site_ / "images" / "a.gif", "old a");
    write(site_ / "images" / "keep.gif", "keep");
    write(outside_ / "a.gif", "GIF89a new a");
    write(outside_ / "b.gif", "GIF89a new b");
  }

  static void write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  Snapshot snapshot() const {
    Snapshot out;
    for (const auto& e : fs::recursive_directory_iterator(site_)) {
      const std::string relative = e.path().lexically_relative(site_).generic_string();
      out[relative] = e.is_directory() ? "/" : readFile(e.path());
    }
    return out;
  }

  static std::vector<std::u16string> fileNames(Folder& folder) {
    auto files = folder.files();
    std::vector<std::u16string> names;
    for (long i = 0; i < files->count(); ++i) names.push_back(files->item(i)->name());
    return names;
  }

  static std::vector<std::u16string> folderNames(Folder& folder) {
    auto folders = folder.folders();
    std::vector<std::u16string> names;
    for (long i = 0; i < folders->count(); ++i) names.push_back(folders->item(i)->name());
    return names;
  }

  static std::unique_ptr<Folder> images(Site& site) {
    return site.web()->rootFolder()->folders()->item(u"images");
  }

  std::u16string outside(const char* name) const { return pathToText(outside_ / name); }

  testing::SiteOnDisk dir_;
  fs::path site_ = dir_.site();
  fs::path outside_ = dir_ / "pictures";
};

template <typename F>
HostError errorOf(F&& f) {
  try {
    f();
  } catch (const HostError& e) {
    return e;
  }
  ADD_FAILURE() << "no HostError";
  return HostError(0, u"");
}

bool mentions(const HostError& e, std::u16string_view text) {
  return e.description().find(text) != std::u16string::npos;
}

TEST_F(SiteTest, MissingFolderIsAnError) {
  const HostError e = errorOf([&] { Site site(dir_ / "nothing"); });
  EXPECT_EQ(e.hresult(), hr::kPathNotFound);
  EXPECT_TRUE(mentions(e, u"nothing"));
}

TEST_F(SiteTest, ListsByExactNameOrderWithoutStagingFiles) {
  for (const char* name : {"b", "a", "B", "_x"}) fs::create_directory(site_ / name);
  for (const char* name : {"z.gif", "A.gif", ".keep", ".velmo-stage-0123456789abcdef-z.gif"}) {
    write(site_ / name, "x");
  }
  Site site(site_);
  auto root = site.web()->rootFolder();
  EXPECT_EQ(root->name(), u"site");
  EXPECT_EQ(folderNames(*root), (std::vector<std::u16string>{u"B", u"_x", u"a", u"b", u"images"}));
  EXPECT_EQ(fileNames(*root),
            (std::vector<std::u16string>{u".keep", u"A.gif", u"index.htm", u"z.gif"}));
}

TEST_F(SiteTest, LookupsByIndexAndExactName) {
  Site site(site_);
  auto root = site.web()->rootFolder();
  EXPECT_EQ(root->folders()->item(0L)->name(), u"images");
  EXPECT_EQ(images(site)->files()->item(u"keep.gif")->name(), u"keep.gif");

  struct Case {
    std::function<void()> call;
    std::int32_t hresult;
    std::u16string named;
  } cases[] = {
      {[&] { root->folders()->item(1L); }, hr::kBadIndex, u"index 1"},
      {[&] { root->folders()->item(-1L); }, hr::kBadIndex, u"index -1"},
      {[&] { images(site)->files()->item(2L); }, hr::kBadIndex, u"folder 'images'"},
      {[&] { root->folders()->item(u"Images"); }, hr::kPathNotFound, u"'Images'"},
      {[&] { images(site)->files()->item(u"A.gif"); }, hr::kFileNotFound, u"'A.gif'"},
      {[&] { root->files()->item(u"images"); }, hr::kFileNotFound, u"'images'"},
      {[&] { root->folders()->item(u"index.htm"); }, hr::kPathNotFound, u"'index.htm'"},
  };
  for (const Case& c : cases) {
    const HostError e = errorOf(c.call);
    EXPECT_EQ(e.hresult(), c.hresult) << e.what();
    EXPECT_TRUE(mentions(e, c.named)) << e.what();
  }
}

TEST_F(SiteTest, AddsFoldersAndRefusesBadOrTakenNames) {
  Site site(site_);
  auto root = site.web()->rootFolder();
  auto slides = root->folders()->add(u"slide_img");
  EXPECT_EQ(slides->name(), u"slide_img");
  EXPECT_TRUE(fs::is_directory(site_ / "slide_img"));
  EXPECT_EQ(slides->folders()->add(u"inner")->name(), u"inner");
  EXPECT_EQ(folderNames(*root), (std::vector<std::u16string>{u"images", u"slide_img"}));
  EXPECT_TRUE(site.changed());

  const Snapshot before = snapshot();
  struct Case {
    std::u16string name;
    std::int32_t hresult;
  } cases[] = {
      {u"", hr::kInvalidArg},          {u".", hr::kInvalidArg},
      {u"..", hr::kInvalidArg},        {u"a/b", hr::kInvalidArg},
      {u"a\\b", hr::kInvalidArg},      {u"images", hr::kFileExists},
      {u"index.htm", hr::kFileExists}, {u"slide_img", hr::kFileExists},
  };
  for (const Case& c : cases) {
    const HostError e = errorOf([&] { root->folders()->add(c.name); });
    EXPECT_EQ(e.hresult(), c.hresult) << e.what();
    EXPECT_TRUE(mentions(e, u"'" + c.name + u"'")) << e.what();
  }
  EXPECT_EQ(snapshot(), before);
}

TEST_F(SiteTest, StagedImportsAreListedButNotInPlaceBeforeCommit) {
  Site site(site_);
  auto added = images(site)->files()->add(outside("b.gif"), false);
  EXPECT_EQ(added->name(), u"b.gif");
  EXPECT_EQ(fileNames(*images(site)),
            (std::vector<std::u16string>{u"a.gif", u"b.gif", u"keep.gif"}));
  EXPECT_EQ(images(site)->files()->item(u"b.gif")->name(), u"b.gif");
  EXPECT_FALSE(fs::exists(site_ / "images" / "b.gif"));
  EXPECT_TRUE(site.changed());

  site.commit();
  EXPECT_FALSE(site.changed());
  EXPECT_EQ(readFile(site_ / "images" / "b.gif"), "GIF89a new b");
}

TEST_F(SiteTest, ImportWithoutOverwriteRefusesATakenName) {
  Site site(site_);
  auto files = images(site)->files();
  const Snapshot before = snapshot();
  HostError e = errorOf([&] { files->add(outside("a.gif"), false); });
  EXPECT_EQ(e.hresult(), hr::kFileExists);
  EXPECT_TRUE(mentions(e, u"'a.gif'"));
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(site.changed());

  // A name taken by an import of the same transaction counts as taken too.
  files->add(outside("b.gif"), false);
  e = errorOf([&] { files->add(outside("b.gif"), false); });
  EXPECT_EQ(e.hresult(), hr::kFileExists);
}

TEST_F(SiteTest, CommitReplacesAtomicallyAndKeepsOtherFiles) {
  Site site(site_);
  images(site)->files()->add(outside("a.gif"), true);
  EXPECT_EQ(readFile(site_ / "images" / "a.gif"), "old a");
  site.commit();

  Snapshot expected = {{"images", "/"},
                       {"images/a.gif", "GIF89a new a"},
                       {"images/keep.gif", "keep"},
                       {"index.htm", "<html></html>"}};
  EXPECT_EQ(snapshot(), expected);
  site.rollback();  // nothing left to undo
  EXPECT_EQ(snapshot(), expected);
}

TEST_F(SiteTest, TheLastImportOfANameWins) {
  fs::create_directory(outside_ / "other");
  write(outside_ / "other" / "a.gif", "GIF89a other a");
  Site site(site_);
  images(site)->files()->add(outside("a.gif"), true);
  images(site)->files()->add(pathToText(outside_ / "other" / "a.gif"), true);
  EXPECT_EQ(fileNames(*images(site)), (std::vector<std::u16string>{u"a.gif", u"keep.gif"}));
  site.commit();
  EXPECT_EQ(readFile(site_ / "images" / "a.gif"), "GIF89a other a");
  EXPECT_EQ(snapshot().size(), 4u);  // no staging file left behind
}

TEST_F(SiteTest, RollbackLeavesTheSiteExactlyAsItWas) {
  const Snapshot before = snapshot();
  {
    Site site(site_);
    auto slides = site.web()->rootFolder()->folders()->add(u"slide_img");
    slides->folders()->add(u"inner");
    slides->files()->add(outside("a.gif"), true);
    images(site)->files()->add(outside("a.gif"), true);
    images(site)->files()->add(outside("b.gif"), false);
    site.rollback();
    EXPECT_FALSE(site.changed());
    EXPECT_EQ(snapshot(), before);

    images(site)->files()->add(outside("b.gif"), false);
    site.web()->rootFolder()->folders()->add(u"slide_img");
  }  // the destructor rolls back as well
  EXPECT_EQ(snapshot(), before);
}

TEST_F(SiteTest, RollbackKeepsACreatedFolderThatGotOtherContent) {
  Site site(site_);
  site.web()->rootFolder()->folders()->add(u"slide_img");
  write(site_ / "slide_img" / "theirs.gif", "x");
  site.rollback();
  EXPECT_EQ(readFile(site_ / "slide_img" / "theirs.gif"), "x");
}

TEST_F(SiteTest, AFailedImportLeavesEarlierImportsOfTheTransaction) {
  const Snapshot before = snapshot();
  Site site(site_);
  auto slides = site.web()->rootFolder()->folders()->add(u"slide_img");
  slides->files()->add(outside("a.gif"), true);
  for (const char* bad : {"missing.gif", ""}) {
    const HostError e = errorOf([&] { slides->files()->add(outside(bad), true); });
    EXPECT_TRUE(mentions(e, outside(bad))) << e.what();
  }
  EXPECT_EQ(fileNames(*slides), std::vector<std::u16string>{u"a.gif"});
  EXPECT_EQ(snapshot().count("slide_img/a.gif"), 0u);

  site.rollback();
  EXPECT_EQ(snapshot(), before);
}

TEST_F(SiteTest, UrlIsFileSchemeOverTheAbsoluteDiskPath) {
  // A relative root with a trailing separator still gives absolute paths.
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_.path());
  Site site(fs::path("site") / "");
  fs::current_path(cwd);

  auto url = [&](std::unique_ptr<File> file) {
    const std::u16string text = file->url();
    EXPECT_EQ(text.substr(0, 8), u"file:///");
    return text.substr(8);
  };
  std::u16string expected = pathToText((site_ / "images" / "a.gif").lexically_normal());
  std::replace(expected.begin(), expected.end(),
               static_cast<char16_t>(fs::path::preferred_separator), u'/');
  EXPECT_EQ(url(images(site)->files()->item(u"a.gif")), expected);
  EXPECT_EQ(url(images(site)->files()->item(0L)), expected);

  const std::u16string staged = url(images(site)->files()->add(outside("b.gif"), false));
  EXPECT_EQ(textToPath(staged), site_ / "images" / "b.gif");

  write(outside_ / "\xc3\xbc.gif", "GIF89a u");  // a name beyond ASCII
  images(site)->files()->add(pathToText(outside_) + u"/\u00fc.gif", false);
  const std::u16string unicode = url(images(site)->files()->item(u"\u00fc.gif"));
  EXPECT_TRUE(unicode.ends_with(u"/images/\u00fc.gif"));
}

TEST_F(SiteTest, ObjectsOutlivingTheSiteFailCleanly) {
  std::unique_ptr<Folder> root;
  {
    Site site(site_);
    root = site.web()->rootFolder();
  }
  EXPECT_EQ(errorOf([&] { root->files(); }).hresult(), hr::kObjectNotSet);
}

}  // namespace
}  // namespace velmo::file_host
