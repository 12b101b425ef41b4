// Which pages a command over many pages works on: a folder walked, --page, --pages, globs.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

class PageSelection : public ::testing::Test {
 protected:
  testing::SampleSite site_;
};

TEST_F(PageSelection, AFolderMeansItsPagesByExtensionInPathOrder) {
  const auto run = site_.velmo("bots . ");
  EXPECT_EQ(run.status, 0) << run.err;
  // Hidden files and files of other kinds are no pages; the folder's pages come sorted.
  EXPECT_EQ(run.out,
            "./index.html\t6\tV_Date\t73\n"
            "./shop/cart.asp\t6\tV_Date\t73\n");
  EXPECT_EQ(run.err, "velmo: 4 pages: 2 webbot blocks\n");
}

TEST_F(PageSelection, PathOrderHoldsAcrossFoldersWhoseNamesBeginAlike) {
  // '-' < '.' < '/' < '0': a folder's pages sort where its name followed by '/' does.
  for (const char* name : {"ab.html", "a0/c.html", "a/b.html", "a.html", "a-b.html", "a/a/z.htm"}) {
    site_.write(std::string("site/w/") + name, pageWith(kDateBlock));
  }
  EXPECT_EQ(site_.velmo("botfound w V_Date").out,
            "w/a-b.html\nw/a.html\nw/a/a/z.htm\nw/a/b.html\nw/a0/c.html\nw/ab.html\n");
}

TEST_F(PageSelection, PagesNamedFromAnotherFolderAreOpenedThere) {
  // Named relative to the folder velmo starts in, up, down and absolute, for a walk and a page.
  const std::string velmo = shellQuote(testing::kVelmo);
  EXPECT_EQ(site_.shell("cd shop && " + velmo + " botfound .. V_Date").out,
            "../index.html\n../shop/cart.asp\n");
  EXPECT_EQ(site_
                .shell("cd shop && " + velmo + " erase-bot --page ../index.html --page " +
                       shellQuote((site_.site() / "shop/cart.asp").string()) + " V_Date")
                .status,
            0);
  EXPECT_EQ(site_.read("index.html"), pageWith(""));
  EXPECT_EQ(site_.read("shop/cart.asp"), pageWith("<% x = 1 %>"));
}

TEST_F(PageSelection, BotfoundOverManyPagesNamesThePagesThatHoldTheBlock) {
  const auto run = site_.velmo("botfound . V_Date");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "./index.html\n./shop/cart.asp\n");
  const auto none = site_.velmo("botfound . Timestamp");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
}

TEST_F(PageSelection, IncludeAndExcludeGlobs) {
  // A glob without a slash matches names anywhere; --include replaces the extension rule.
  EXPECT_EQ(site_.velmo("botfound . V_Date --include '*.txt'").out, "./notes.txt\n");
  EXPECT_EQ(site_.velmo("botfound . V_Date --exclude shop").out, "./index.html\n");
  EXPECT_EQ(site_.velmo("botfound . V_Date --exclude '*.html'").out, "./shop/cart.asp\n");
  // With a slash, a path inside the folder.
  EXPECT_EQ(site_.velmo("botfound . V_Date --include 'shop/*'").out, "./shop/cart.asp\n");
  // Bracket expressions with classes, the same on every system.
  EXPECT_EQ(site_.velmo("botfound . V_Date --exclude '[[:lower:]][[:alpha:]]o[!x]'").out,
            "./index.html\n");
}

TEST_F(PageSelection, GlobsThatCanMatchNothingAreRefused) {
  const struct {
    const char* option;
    const char* message;
  } cases[] = {
      {"--exclude '[[:digt:]]*'",
       "--exclude: GLOB names no character class '[:digt:]' (there are alnum, alpha, blank, "
       "cntrl, digit, graph, lower, print, punct, space, upper and xdigit)\n"},
      {"--include 'a\\'", "--include: GLOB ends in a lone '\\' (write '\\\\' for a backslash)\n"},
      {"--include '[[.ab.]]'",
       "--include: a '[.' in GLOB starts no collating symbol of one character, such as "
       "'[.-.]'\n"},
      {"--exclude 'x[a-'", "--exclude: GLOB ends inside a range of a bracket expression\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    const auto run = site_.velmo(std::string("erase-bot . V_Date ") + c.option);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.message + std::string("Run with --help for more information.\n"));
  }
}

TEST_F(PageSelection, PagesGivenOneByOneKeepTheArgumentsAfterPage) {
  // NAME stays NAME although PAGE is not given.
  const auto run = site_.velmo("botfound --page about.htm --page shop/cart.asp V_Date");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "shop/cart.asp\n");
  // A page given by option and a folder mix; the same page twice is worked on once.
  const auto twice =
      site_.velmo("erase-bot --page index.html --page ./index.html --page shop V_Date");
  EXPECT_EQ(twice.status, 0) << twice.err;
  EXPECT_EQ(twice.err, "velmo: 3 pages: 2 changed, 1 unchanged, 0 refused, 0 failed\n");
  // A page given and met again in a folder walked, and a second name of it there, are one page:
  // the walk knows files by its listing, the page given by a look at it, and both agree.
  site_.write("site/shop/cart.asp", pageWith(kDateBlock));
  std::filesystem::create_hard_link(site_.inSite("shop/cart.asp"), site_.inSite("shop/copy.asp"));
  const auto once = site_.velmo("erase-bot --page shop/cart.asp --page shop --page . V_Date");
  EXPECT_EQ(once.status, 0) << once.err;
  EXPECT_EQ(once.err, "velmo: 4 pages: 1 changed, 3 unchanged, 0 refused, 0 failed\n");
}

TEST_F(PageSelection, PagesListedOnStandardInputByLineOrByNul) {
  auto lines = site_.velmo("botfound --pages - V_Date", "index.html\nabout.htm\n\nnotes.txt\n");
  EXPECT_EQ(lines.status, 0) << lines.err;
  // A listed file is taken whatever its extension.
  EXPECT_EQ(lines.out, "index.html\nnotes.txt\n");
  auto nul =
      site_.velmo("botfound --pages - V_Date", std::string("about.htm\0shop/cart.asp\0", 24));
  EXPECT_EQ(nul.out, "shop/cart.asp\n");
  // The list from a file, through find as a user would write it.
  auto found =
      site_.shell("find . -name '*.asp' > ../list && " + testing::shellQuote(testing::kVelmo) +
                  " botfound --pages ../list V_Date");
  EXPECT_EQ(found.out, "./shop/cart.asp\n");
  auto piped = site_.shell("find . -name '*.asp' -print0 | " +
                           testing::shellQuote(testing::kVelmo) + " botfound --pages - V_Date");
  EXPECT_EQ(piped.out, "./shop/cart.asp\n");
}

TEST_F(PageSelection, StandardInputCannotHoldBothTheListAndTheCode) {
  const auto run = site_.velmo("script-head --pages - -", "index.html\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("standard input holds the list of pages"), std::string::npos) << run.err;
  EXPECT_EQ(site_.read("index.html"), pageWith(kDateBlock));
}

TEST_F(PageSelection, AMissingListOrPageIsAFailureOfItsOwn) {
  const auto run = site_.velmo("botfound --pages ../nothing V_Date");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("../nothing"), std::string::npos) << run.err;
  const auto missing = site_.velmo("botfound --page gone.html --page index.html V_Date");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "index.html\n");
  EXPECT_NE(missing.err.find("velmo: gone.html: "), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace velmo
