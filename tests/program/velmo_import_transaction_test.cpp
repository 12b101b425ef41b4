// What velmo brings into a site and when: only pictures, with the modes cp would give them, and
// site files, the saved scheme and success lines only once the page is written.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "file_host/files/picture_file.h"
#include "tests/support/program_test.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

const std::string kPictures = VELMO_SOURCE_DIR "/examples/pictures/";
const std::string kStyledPage =
    "<html>\r\n<head>\r\n<style>\r\nbody { color: navy }\r\n</style>\r\n</head>\r\n<body>\r\n"
    "<p>Hello</p>\r\n</body>\r\n</html>\r\n";
const std::string kScheme =
    "[color]\nbc=111111\nac=222222\nhc=333333\n3c=444444\nfc=555555\ntc=666666\nsc=777777\n"
    "dc=888888\n";

using Snapshot = std::map<std::string, std::string>;  // relative path -> content ("/" for folders)

class VelmoImports : public ::testing::Test {
 protected:
  // velmo run in the test's folder, with its settings kept there.
  testing::ProgramResult velmo(const std::string& args, const std::string& umask = "022") {
    return runProgram("cd " + shellQuote(dir_.path().string()) + " && umask " + umask +
                      " && XDG_CONFIG_HOME=" + shellQuote(config().string()) + " " +
                      shellQuote(testing::kVelmo) + " " + args + " </dev/null");
  }
  fs::path config() const { return dir_ / "config"; }
  fs::path ini() const { return config() / "velmo/velmoed.ini"; }
  // A copy of an example picture in the test's folder.
  fs::path picture(const std::string& example, const std::string& as) {
    const fs::path to = dir_ / "pictures" / as;
    fs::create_directories(to.parent_path());
    fs::copy_file(kPictures + example, to, fs::copy_options::overwrite_existing);
    return to;
  }
  // The site folder and the settings folder as they stand.
  Snapshot snapshot() const {
    Snapshot out;
    for (const fs::path& top : {dir_ / "site", config()}) {
      if (!fs::exists(top)) continue;
      for (const auto& e : fs::recursive_directory_iterator(top)) {
        out[e.path().lexically_relative(dir_.path()).generic_string()] =
            e.is_directory() ? "/" : readBytes(e.path());
      }
    }
    return out;
  }
  static unsigned modeOf(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
  }

  SiteOnDisk dir_;
  fs::path page_ = dir_.write("site/index.html", kStyledPage);
};

TEST(PictureFile, IsKnownByItsFirstBytes) {
  const struct {
    std::string_view content;
    bool picture;
  } cases[] = {
      {"GIF87a....", true},
      {"GIF89a", true},
      {"\xFF\xD8\xFF\xE0", true},
      {"GIF88a....", false},
      {"GIF8", false},
      {"\xFF\xD8\x00", false},
      {"", false},
      {"<html>", false},
      {"root:x:0:0:root", false},
      {"\x89PNG\r\n\x1a\n", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(file_host::isGifOrJpeg(c.content), c.picture) << c.content;
  }
}

TEST_F(VelmoImports, AFileThatIsNoPictureIsRefusedNamingItAndNothingChanges) {
  const fs::path text = dir_.write("pictures/notes.jpg", "my passwords");
  const fs::path almost = dir_.write("pictures/odd.gif", "GIF88a not quite");
  const fs::path link = dir_ / "pictures/holiday.jpg";
  fs::create_symlink(text, link);
  const fs::path hills = picture("hills.gif", "hills.gif");
  const Snapshot before = snapshot();
  for (const fs::path& bad : {fs::path("/etc/passwd"), text, almost, link}) {
    for (const std::string& command :
         {"slide site/index.html " + shellQuote(hills.string()) + " " + shellQuote(bad.string()),
          "favourites site/index.html --image " + shellQuote(bad.string())}) {
      if (command.starts_with("favourites")) fs::create_directories(dir_ / "site/images");
      const Snapshot start = snapshot();
      auto run = velmo(command);
      EXPECT_EQ(run.status, 2) << command;
      EXPECT_NE(run.err.find("'" + bad.string() + "': it is not a GIF or JPEG picture"),
                std::string::npos)
          << run.err;
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(snapshot(), start) << command;
    }
    fs::remove_all(dir_ / "site/images");
    EXPECT_EQ(snapshot(), before);
  }
}

TEST_F(VelmoImports, TheCopyHasTheSourcesModeUnderTheUmask) {
  const struct {
    unsigned source;
    const char* umask;
    bool throughLink;
    unsigned copy;
  } cases[] = {
      {0600, "022", false, 0600},  // a private picture stays private
      {0600, "022", true, 0600},   // also behind a link named like a picture
      {0644, "022", false, 0644}, {0666, "027", false, 0640}, {0755, "022", false, 0755},
  };
  for (const auto& c : cases) {
    fs::path source = picture("sunrise.jpg", "real.jpg");
    fs::permissions(source, static_cast<fs::perms>(c.source));
    if (c.throughLink) {
      fs::remove(dir_ / "pictures/shown.jpg");
      fs::create_symlink(source, dir_ / "pictures/shown.jpg");
      source = dir_ / "pictures/shown.jpg";
    }
    auto run = velmo("slide site/index.html " + shellQuote(kPictures + "hills.gif") + " " +
                         shellQuote(source.string()),
                     c.umask);
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path copy = dir_ / "site/slide_img" / source.filename();
    EXPECT_EQ(modeOf(copy), c.copy) << std::oct << c.source << " umask " << c.umask;
    EXPECT_EQ(readBytes(copy), readBytes(kPictures + "sunrise.jpg"));
    fs::remove_all(dir_ / "site/slide_img");
    dir_.write("site/index.html", kStyledPage);
  }
}

TEST_F(VelmoImports, ANameWithABackslashIsRefusedByBothImports) {
  const fs::path odd = picture("sunrise.jpg", "sea\\side.jpg");
  fs::create_directories(dir_ / "site/images");
  const Snapshot before = snapshot();
  for (const std::string& command :
       {"slide site/index.html " + shellQuote(kPictures + "hills.gif") + " " +
            shellQuote(odd.string()),
        "favourites site/index.html --image " + shellQuote(odd.string())}) {
    auto run = velmo(command);
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_NE(run.err.find("a picture name with a backslash cannot be used"), std::string::npos)
        << run.err;
    EXPECT_EQ(snapshot(), before) << command;
  }
}

TEST_F(VelmoImports, ANameNearTheLongestAFolderAllowsIsImported) {
  const std::string name = std::string(250, 'p') + ".jpg";
  const fs::path longName = picture("sunrise.jpg", name);
  auto run = velmo("slide site/index.html " + shellQuote(kPictures + "hills.gif") + " " +
                   shellQuote(longName.string()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir_ / "site/slide_img" / name));
  EXPECT_NE(readBytes(page_).find("slide_img/" + name), std::string::npos);
}

TEST_F(VelmoImports, StagedFilesLeftByAKilledRunAreRemovedByTheNextImport) {
  const fs::path stale = dir_.write("site/slide_img/.velmo-stage-0123456789abcdef", "old");
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::minutes(5));
  // Another run may be about to rename this one.
  const fs::path fresh = dir_.write("site/slide_img/.velmo-stage-fedcba9876543210", "new");
  auto run = velmo("slide site/index.html " + shellQuote(kPictures + "hills.gif") + " " +
                   shellQuote(kPictures + "harbour.jpg"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh));
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_ / "site/slide_img")) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".velmo-stage-fedcba9876543210", "harbour.jpg",
                                             "hills.gif"}));
}

TEST_F(VelmoImports, APageThatCannotBeWrittenLeavesSiteAndSchemeAsTheyWere) {
  dir_.write("site/slide_img/harbour.jpg", "the site's own harbour");
  dir_.write("site/images/logo.gif", "GIF89a the site's logo");
  dir_.write("config/velmo/velmoed.ini", kScheme);
  const std::string output = " --output missing/out.html";
  const std::string commands[] = {
      "slide site/index.html " + shellQuote(kPictures + "hills.gif") + " " +
          shellQuote(kPictures + "harbour.jpg") + output,
      "favourites site/index.html --image " + shellQuote(kPictures + "hills.gif") + output,
      "style site/index.html --face 00FF00" + output,
      "style site/index.html --face 00FF00 --save" + output,
  };
  const Snapshot before = snapshot();
  for (const std::string& command : commands) {
    auto run = velmo(command);
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_EQ(run.out, "") << command;
    EXPECT_NE(run.err.find("missing/out.html"), std::string::npos) << run.err;
    EXPECT_EQ(snapshot(), before) << command;
  }
  // The same with a folder to write into: the line comes, after the page is written.
  auto run = velmo("style site/index.html --face 00FF00 --save --output out.html");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Velmopro: ScrollBar Color has been applied successfully\n");
  EXPECT_NE(readBytes(ini()).find("fc=00FF00"), std::string::npos);
}

TEST_F(VelmoImports, ARefusedSaveLeavesTheSavedSchemeAsItWas) {
  dir_.write("config/velmo/velmoed.ini", kScheme);
  auto run = velmo("style site/index.html --base '</style>' --save");
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(readBytes(ini()), kScheme);
  EXPECT_EQ(readBytes(page_), kStyledPage);
}

TEST_F(VelmoImports, ConcurrentSavesKeepEveryKeyOfOneScheme) {
  // Each run saves a scheme of one colour on a page of its own.
  std::string script;
  for (int i = 10; i < 40; ++i) {
    const std::string page = "site/p" + std::to_string(i) + ".html";
    dir_.write(page, kStyledPage);
    const std::string colour = "0000" + std::to_string(i);
    script += shellQuote(testing::kVelmo) + " style " + page;
    for (const char* field : {"--base", "--arrow", "--highlight", "--3dlight", "--face", "--track",
                              "--shadow", "--darkshadow"}) {
      script += std::string(" ") + field + " " + colour;
    }
    script += " --save >/dev/null 2>&1 &\n";
  }
  auto run = runProgram("cd " + shellQuote(dir_.path().string()) + " && XDG_CONFIG_HOME=" +
                        shellQuote(config().string()) + " sh -c " + shellQuote(script + "wait"));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string saved = readBytes(ini());
  ASSERT_EQ(saved.substr(0, 8), "[color]\n");
  const std::string colour = saved.substr(saved.find('=') + 1, 6);
  std::string expected = "[color]\n";
  for (const char* key : {"bc", "ac", "hc", "3c", "fc", "tc", "sc", "dc"}) {
    expected += std::string(key) + "=" + colour + "\n";
  }
  EXPECT_EQ(saved, expected);
}

}  // namespace
}  // namespace velmo
