// The glob matcher that stands in for fnmatch(3) where there is none (velmo.exe), held to what
// fnmatch itself answers here for the --include and --exclude globs users write.

#include <fnmatch.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/glob_match.h"

namespace velmo::cli {
namespace {

bool fnmatchSays(const std::string& glob, const std::string& text, bool wholePath) {
  return fnmatch(glob.c_str(), text.c_str(), wholePath ? FNM_PATHNAME | FNM_PERIOD : FNM_PERIOD) ==
         0;
}

TEST(GlobMatch, AnswersAsFnmatchForEveryGlobAndName) {
  const std::vector<std::string> globs = {"*",
                                          "*.htm",
                                          "*.htm*",
                                          "old*",
                                          "?ld*",
                                          "[ab]*",
                                          "[!ab]*",
                                          "[^ab]*",
                                          "[a-c]x",
                                          "[]]x",
                                          "[!]]x",
                                          "\\*x",
                                          "a\\?",
                                          "*.[hH][tT][mM]",
                                          "part*/f0*",
                                          "part00/*",
                                          "*/*.html",
                                          "**",
                                          ".*",
                                          "*/.*",
                                          "[.]x",
                                          "a[",
                                          "a[b",
                                          "[z-a]",
                                          "*a*b*c",
                                          "f000",
                                          "x/*/y",
                                          "",
                                          "*[0-9]",
                                          "[a-]x",
                                          "[-a]x",
                                          "?",
                                          "part00/f000/page?????.html"};
  const std::vector<std::string> names = {"",
                                          "a",
                                          "x",
                                          "]x",
                                          "*x",
                                          "a?",
                                          "ab",
                                          "old",
                                          "older.htm",
                                          "index.html",
                                          "INDEX.HTM",
                                          "page.htm",
                                          ".hidden",
                                          "dir/.hidden",
                                          "dir/a.html",
                                          "part00/f000",
                                          "part00/f000/page00001.html",
                                          "part01/x",
                                          "bx",
                                          "-x",
                                          ".x",
                                          "a[",
                                          "a[b",
                                          "aXbYc",
                                          "acb",
                                          "x/q/y",
                                          "x/q/r/y",
                                          "f000",
                                          "f0001",
                                          "page9",
                                          "z"};
  for (const bool wholePath : {false, true}) {
    for (const std::string& glob : globs) {
      for (const std::string& name : names) {
        EXPECT_EQ(globMatch(glob, name, wholePath), fnmatchSays(glob, name, wholePath))
            << "glob '" << glob << "' name '" << name << "' whole path " << wholePath;
      }
    }
  }
}

}  // namespace
}  // namespace velmo::cli
