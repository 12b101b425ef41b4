// A command over many pages: each page its own transaction, the summary, the exit status, the
// imports made once, JSON, and the progress bar on a terminal.

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kPictures = VELMO_SOURCE_DIR "/examples/pictures/";

class SiteRun : public ::testing::Test {
 protected:
  // about.htm, first in path order, holds a block but cannot be written.
  void aboutWriteProtected() {
    site_.write("site/about.htm", pageWith(kDateBlock));
    ::chmod((site_.site() / "about.htm").c_str(), 0444);
  }

  testing::SampleSite site_;
};

TEST_F(SiteRun, AFailingPageInTheMiddleStopsNoOther) {
  aboutWriteProtected();
  const auto run = site_.velmo("erase-bot . V_Date --jobs 1");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(site_.read("index.html"), pageWith(""));
  EXPECT_EQ(site_.read("shop/cart.asp"), pageWith("<% x = 1 %>"));
  EXPECT_EQ(site_.read("about.htm"), pageWith(kDateBlock));
  // The failure names its page and says why; the summary counts every page.
  EXPECT_NE(run.err.find("velmo: ./about.htm: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("write-protected"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("velmo: 4 pages: 2 changed, 1 unchanged, 0 refused, 1 failed\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(SiteRun, StopOnErrorStartsNoPageAfterAFailure) {
  aboutWriteProtected();
  // Pages well beyond those the run has looked at when it stops are named all the same.
  for (int i = 0; i < 100; ++i) site_.write("site/z/p" + std::to_string(i) + ".html", "<p>");
  const auto run = site_.velmo("erase-bot . V_Date --jobs 1 --stop-on-error");
  EXPECT_EQ(run.status, 2);
  // about.htm comes first in path order.
  EXPECT_EQ(site_.read("index.html"), pageWith(kDateBlock));
  EXPECT_NE(run.err.find("0 changed, 0 unchanged, 0 refused, 1 failed, 103 not started"),
            std::string::npos)
      << run.err;
  // The JSON document, written as the pages go, is whole and names them too.
  const auto json = site_.shell(
      shellQuote(testing::kVelmo) +
      " erase-bot . V_Date --jobs 1 --stop-on-error --json | python3 -c 'import json,sys; "
      "d=json.load(sys.stdin); print(len(d[\"pages\"]), [p[\"status\"] for p in "
      "d[\"pages\"]].count(\"not started\"), d[\"summary\"][\"not_started\"])'");
  EXPECT_EQ(json.out, "104 103 103\n") << json.err;
}

TEST_F(SiteRun, RefusedPagesExitWithOne) {
  const auto run = site_.velmo("favourites . --text x --url ''");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("velmo: ./index.html: Add to favorite: Please fill URL first"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("0 changed, 0 unchanged, 4 refused, 0 failed"), std::string::npos);
  EXPECT_EQ(site_.read("index.html"), pageWith(kDateBlock));
}

TEST_F(SiteRun, AllDoneExitsWithZeroAndConfirmsNothingPerPage) {
  const auto run = site_.velmo("style . --face 00FF00");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velmo: 4 pages: 4 changed, 0 unchanged, 0 refused, 0 failed\n");
  EXPECT_NE(site_.read("shop/list.php").find("scrollbar-face-color"), std::string::npos);
}

TEST_F(SiteRun, ManyThreadsGiveWhatOneGives) {
  for (int i = 0; i < 40; ++i) {
    site_.write("site/many/p" + std::to_string(i) + ".html",
                pageWith(i % 3 ? kDateBlock : "<p>none</p>"));
  }
  testing::SampleSite serial;
  for (int i = 0; i < 40; ++i) {
    serial.write("site/many/p" + std::to_string(i) + ".html",
                 pageWith(i % 3 ? kDateBlock : "<p>none</p>"));
  }
  const auto parallel = site_.velmo("date . --replace --jobs 8");
  const auto one = serial.velmo("date . --replace --jobs 1");
  EXPECT_EQ(parallel.status, 0) << parallel.err;
  EXPECT_EQ(parallel.err, one.err);
  for (int i = 0; i < 40; ++i) {
    const std::string name = "many/p" + std::to_string(i) + ".html";
    EXPECT_EQ(site_.read(name), serial.read(name)) << name;
  }
}

TEST_F(SiteRun, ASiteLargerThanTheRunHoldsAtOnceComesOutWholeAndInOrder) {
  // More pages than a run takes from its folder walk at once, in folders of many sizes.
  std::vector<std::string> found;
  for (int i = 0; i < 1500; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "big/f%02d/p%04d.html", i % 7 == 0 ? 0 : i / 60, i);
    site_.write(std::string("site/") + name, pageWith(i % 3 ? "<p>none</p>" : kDateBlock));
    if (i % 3 == 0) found.push_back(name);
  }
  std::sort(found.begin(), found.end());
  std::string sorted;
  for (const auto& name : found) sorted += name + "\n";
  for (const char* jobs : {"1", "3", "64"}) {
    const auto look = site_.velmo(std::string("botfound big V_Date --jobs ") + jobs);
    EXPECT_EQ(look.out, sorted) << jobs;
    EXPECT_EQ(look.err,
              "velmo: 1500 pages: 0 changed, 1500 unchanged, 0 refused, 0 failed; the block is in "
              "500\n")
        << jobs;
  }
  const auto erase = site_.velmo("erase-bot big V_Date");
  EXPECT_EQ(erase.err, "velmo: 1500 pages: 500 changed, 1000 unchanged, 0 refused, 0 failed\n");
  EXPECT_EQ(site_.velmo("botfound big V_Date").out, "");
}

TEST_F(SiteRun, PagesSharingAStyleSheetTakeTurnsOnIt) {
  // Each page's first style sheet is a linked sheet, so the pages edit that file; threads working
  // side by side must wait for one another as runs do, not rewrite it over one another. The
  // first page (worked on alone) has a sheet of its own, so that the shared one is first edited
  // while pages run side by side.
  const auto styled = [](const std::string& sheet) {
    return "<html><head><link rel=\"stylesheet\" href=\"" + sheet +
           "\"><style>p { }</style></head><body><p>x</p></body></html>";
  };
  site_.write("site/styled/p0.html", styled("first.css"));
  for (int i = 1; i < 24; ++i) {
    site_.write("site/styled/p" + std::to_string(i) + ".html", styled("site.css"));
  }
  site_.write("site/styled/first.css", "body { color: red; }\n");
  site_.write("site/styled/site.css", "body { color: red; }\n");
  const auto run = site_.velmo("style styled --face 00FF00 --jobs 8");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "velmo: 24 pages: 2 changed, 22 unchanged, 0 refused, 0 failed\n");
  EXPECT_NE(site_.read("styled/site.css").find("scrollbar-face-color"), std::string::npos);
}

TEST_F(SiteRun, AFavouritesPictureIsImportedOnceForTheRun) {
  std::filesystem::create_directories(site_.site() / "images");
  // A second import of the same name would ask whether to use the site's picture, and the No
  // that answers it without a terminal would refuse the page.
  const auto run = site_.velmo("favourites . --image " + shellQuote(kPictures + "hills.gif"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "velmo: 4 pages: 4 changed, 0 unchanged, 0 refused, 0 failed\n");
  EXPECT_EQ(site_.read("images/hills.gif"), testing::readBytes(kPictures + "hills.gif"));
  EXPECT_NE(site_.read("shop/list.php").find("images/hills.gif"), std::string::npos);
}

TEST_F(SiteRun, SlidePicturesAreImportedOnceForTheRun) {
  const auto run = site_.velmo("slide . " + shellQuote(kPictures + "hills.gif") + " " +
                               shellQuote(kPictures + "sunrise.jpg") + " --jobs 2");
  EXPECT_EQ(run.status, 0) << run.err;
  struct stat first {};
  ASSERT_EQ(::stat((site_.site() / "slide_img/hills.gif").c_str(), &first), 0);
  // A run that imported again would replace the file by a new one.
  const auto again = site_.velmo("slide --page index.html --page about.htm " +
                                 shellQuote((site_.site() / "slide_img/hills.gif").string()) + " " +
                                 shellQuote(kPictures + "sunrise.jpg"));
  EXPECT_EQ(again.status, 0) << again.err;
  struct stat second {};
  ASSERT_EQ(::stat((site_.site() / "slide_img/hills.gif").c_str(), &second), 0);
  EXPECT_EQ(first.st_ino, second.st_ino);
}

TEST_F(SiteRun, JsonGivesEveryPageAndTheSummary) {
  const auto run = site_.shell(
      shellQuote(testing::kVelmo) +
      " botfound . V_Date --json | python3 -c 'import json,sys; d=json.load(sys.stdin); "
      "print([(p[\"page\"], p[\"status\"], p[\"found\"]) for p in d[\"pages\"]], "
      "d[\"summary\"][\"found\"], d[\"summary\"][\"pages\"])'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "[('./about.htm', 'unchanged', False), ('./index.html', 'unchanged', True), "
            "('./shop/cart.asp', 'unchanged', True), ('./shop/list.php', 'unchanged', False)] 2 "
            "4\n");
  // A single page too, and text that is not UTF-8 stays valid JSON.
  site_.write("site/latin.html", pageWith("caf\xE9 " + kDateBlock));
  const auto one = site_.shell(shellQuote(testing::kVelmo) +
                               " erase-bot latin.html V_Date --dry-run --json | python3 -c "
                               "'import json,sys; d=json.load(sys.stdin); "
                               "print(d[\"pages\"][0][\"status\"], \"\\ufffd\" in "
                               "d[\"pages\"][0][\"diff\"])'");
  EXPECT_EQ(one.out, "would change True\n") << one.err;
}

TEST_F(SiteRun, ProgressOnATerminalOnlyAndNothingButResultsOnAPipe) {
  const auto piped = site_.velmo("botfound . V_Date");
  EXPECT_EQ(piped.err.find('\r'), std::string::npos);
  // script(1) gives velmo a pseudo-terminal for its standard streams.
  const auto onTerminal =
      site_.shell("script -qfec " +
                  shellQuote(shellQuote(testing::kVelmo) + " erase-bot . V_Date") + " /dev/null");
  EXPECT_EQ(onTerminal.status, 0) << onTerminal.err;
  EXPECT_NE(onTerminal.out.find("\r\x1b[K["), std::string::npos) << onTerminal.out;
  EXPECT_NE(onTerminal.out.find("] 4/4"), std::string::npos) << onTerminal.out;
  EXPECT_NE(onTerminal.out.find("2 changed"), std::string::npos);
}

}  // namespace
}  // namespace velmo
