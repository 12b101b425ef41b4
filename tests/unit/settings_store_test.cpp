#include "file_host/settings/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/common/host_error.h"
#include "file_host/files/atomic_file.h"
#include "tests/support/temp_dir.h"

namespace velmo::file_host {
namespace {
namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
 protected:
  fs::path file() const { return dir_ / "velmo" / "velmoed.ini"; }
  std::string fileText() const { return readFile(file()); }
  void writeText(const std::string& text) const {
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << text;
  }

  testing::TempDir scratch_;
  fs::path dir_ = scratch_.path();
};

TEST_F(SettingsStoreTest, SavesIntoAnIniFilePerApplication) {
  IniSettingsStore(dir_).save(u"velmoed", u"color", u"bc", u"FF0000");
  IniSettingsStore(dir_).save(u"velmoed", u"color", u"ac", u"");
  EXPECT_EQ(fileText(), "[color]\nbc=FF0000\nac=\n");
  const IniSettingsStore store(dir_);
  EXPECT_EQ(store.get(u"velmoed", u"color", u"bc", u"x"), u"FF0000");
  EXPECT_EQ(store.get(u"velmoed", u"color", u"ac", u"x"), u"");
}

TEST_F(SettingsStoreTest, MissingFileSectionOrKeyGivesTheDefault) {
  IniSettingsStore store(dir_);
  EXPECT_EQ(store.get(u"velmoed", u"color", u"bc", u"none"), u"none");
  EXPECT_FALSE(fs::exists(file()));
  store.save(u"velmoed", u"color", u"bc", u"1");
  EXPECT_EQ(store.get(u"velmoed", u"color", u"dc", u"none"), u"none");
  EXPECT_EQ(store.get(u"velmoed", u"other", u"bc", u"none"), u"none");
  EXPECT_EQ(store.get(u"another", u"color", u"bc", u"none"), u"none");
}

TEST_F(SettingsStoreTest, SectionsAndKeysIgnoreAsciiCase) {
  IniSettingsStore store(dir_);
  store.save(u"velmoed", u"Color", u"BC", u"1");
  store.save(u"velmoed", u"COLOR", u"bc", u"2");
  EXPECT_EQ(fileText(), "[Color]\nBC=2\n");
  EXPECT_EQ(store.get(u"velmoed", u"color", u"Bc", u""), u"2");
}

TEST_F(SettingsStoreTest, KeepsEveryOtherLine) {
  writeText(
      "; written by hand\r\n[other]\r\nbc=keep\r\n\r\n[color]\r\nbc=1\r\n# "
      "note\r\n\r\n[last]\r\nx=y");
  IniSettingsStore store(dir_);
  store.save(u"velmoed", u"color", u"bc", u"9");
  store.save(u"velmoed", u"color", u"hc", u"3");
  store.save(u"velmoed", u"last", u"z", u"4");
  store.save(u"velmoed", u"new", u"k", u"5");
  EXPECT_EQ(fileText(),
            "; written by hand\r\n[other]\r\nbc=keep\r\n\r\n[color]\r\nbc=9\r\n# note\r\nhc=3\r\n"
            "\r\n[last]\r\nx=y\r\nz=4\r\n\r\n[new]\r\nk=5\r\n");
  EXPECT_EQ(store.get(u"velmoed", u"other", u"bc", u""), u"keep");
}

TEST_F(SettingsStoreTest, UnusualTextsComeBackExactly) {
  const std::u16string texts[] = {
      u"",
      u"  spaces around  ",
      u"a=b;c",
      u"line1\r\nline2\n",
      u"back\\slash\\",
      u"\\n\\u0041",
      u"[not a section]",
      u";x",
      u"#x",
      u"=",
      u"\u00e9\U0001F600",
      std::u16string(1, char16_t(0xD800)),
      std::u16string(1, char16_t(0xDC01)) + u"z",
  };
  IniSettingsStore store(dir_);
  for (const std::u16string& text : texts) {
    store.save(u"velmoed", u"values", u"k" + text, text);
    store.save(u"velmoed", text, u"key", text);
  }
  for (const std::u16string& text : texts) {
    EXPECT_EQ(store.get(u"velmoed", u"values", u"k" + text, u"?"), text);
    EXPECT_EQ(store.get(u"velmoed", text, u"key", u"?"), text);
  }
  for (const std::u16string key : {u"=", u"[", u";", u"#", u" k "}) {
    store.save(u"velmoed", u"keys", key, key + u"!");
  }
  for (const std::u16string key : {u"=", u"[", u";", u"#", u" k "}) {
    EXPECT_EQ(store.get(u"velmoed", u"keys", key, u"?"), key + u"!");
  }
}

TEST_F(SettingsStoreTest, RefusesBadApplicationNamesAndBrokenFiles) {
  IniSettingsStore store(dir_);
  for (const std::u16string name : {u"", u"..", u"a/b", u"a\\b"}) {
    try {
      store.save(name, u"s", u"k", u"v");
      ADD_FAILURE() << "accepted an application name";
    } catch (const HostError& e) {
      EXPECT_EQ(e.hresult(), hr::kInvalidArg);
    }
  }
  writeText("[color]\nbc=\xff\n");
  try {
    store.get(u"velmoed", u"color", u"bc", u"");
    ADD_FAILURE() << "read a file that is not UTF-8";
  } catch (const HostError& e) {
    EXPECT_EQ(e.hresult(), hr::kInvalidData);
  }
}

#ifndef _WIN32
TEST(SettingsStoreDefault, FollowsXdgConfigHomeThenHome) {
  const auto saved = [](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto restore = [](const char* name, const std::optional<std::string>& v) {
    if (v) {
      ::setenv(name, v->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  };
  const auto xdg = saved("XDG_CONFIG_HOME");
  const auto home = saved("HOME");
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(IniSettingsStore::defaultConfigDir(), fs::path("/cfg"));
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as the base directory rules say
  EXPECT_EQ(IniSettingsStore::defaultConfigDir(), fs::path("/home/u/.config"));
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(IniSettingsStore::defaultConfigDir(), fs::path("/home/u/.config"));
  restore("XDG_CONFIG_HOME", xdg);
  restore("HOME", home);
}
#endif

}  // namespace
}  // namespace velmo::file_host
