// velmo check on a generated site seeded with one instance of each rot the rules know, beside
// clean look-alikes that must not be reported: the findings as a whole, the SARIF log, and --fix.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>

#include <nlohmann/json.hpp>

#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "features/date/date_block.h"
#include "features/favourites/favourites_block.h"
#include "features/slideshow/slide_show.h"
#include "file_host/html/html_scan.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/velmo_program.h"

namespace velmo::testing {
namespace {

std::string utf8(std::u16string_view text) {
  return utf16ToUtf8(text);
}

std::string page(const std::string& head, const std::string& body) {
  return "<html>\r\n<head>\r\n<title>t</title>\r\n" + head + "</head>\r\n<body>\r\n" + body +
         "\r\n</body>\r\n</html>\r\n";
}

std::string favourites(const std::u16string& image) {
  FavouritesChoices choices;
  choices.image = true;
  choices.source = image;
  return utf8(favouritesBlock(choices));
}

std::string slideShow(const std::vector<std::u16string>& names) {
  std::vector<SlidePicture> pictures;
  for (const auto& name : names) pictures.push_back({name, u""});
  return utf8(slideScript(pictures));
}

// One instance of each rot, each line of a page holding at most one, and the look-alikes that
// are sound: a block inside a server-side string, a reference in another case that exists in
// that case, a slide show whose pictures are all there.
class CheckSite {
 public:
  CheckSite() {
    const std::string script = utf8(scriptHead2Block(u"hello();"));
    const std::string date = utf8(dateBlock());
    const std::string gif = "GIF89a";
    for (const char* picture : {"slide_img/a.jpg", "slide_img/b.jpg", "slide_img/unused.jpg",
                                "slide_img/Kept.JPG", "images/logo.gif", "about.html"}) {
      dir_.write(std::string("site/") + picture, gif);
    }
    dir_.write("site/index.html",
               page(script + script +
                        "<style>body {scrollbar-face-color: #12345G;scrollbar-arrow-color: "
                        "#FF0000;}</style>\r\n",
                    date + "\r\n" + date + "\r\n" + favourites(u"images/Logo.gif") + "\r\n" +
                        favourites(u"images/gone.gif") + "\r\n" +
                        "<!--webbot bot=\"Include\" startspan --><a href=\"about.html\">a</a>"
                        "<img src=\"pics/none.gif\"><!--webbot bot=\"Include\" endspan -->\r\n"
                        "<!--webbot bot=\"Other\" endspan -->\r\n"
                        "<!-- <style>body{scrollbar-base-color:#000000}</style> -->\r\n"
                        "<!--webbot bot=\"Timestamp\" startspan -->"));
    dir_.write("site/slides.html", page(slideShow({u"a.jpg", u"B.jpg", u"missing.jpg"}) +
                                            slideShow({u"a.jpg", u"b.jpg"}),
                                        utf8(slideTable())));
    dir_.write("site/clean.html", page(slideShow({u"a.jpg", u"b.jpg", u"Kept.JPG"}),
                                       utf8(slideTable()) + favourites(u"images/logo.gif")));
    dir_.write("site/server.php",
               page("", "<?php /* " + date + " */ ?>\r\n<?php echo '" + date + "'; ?>"));
    dir_.write("site/page.twig", page("", "{# " + script + " #}\r\n{{ '" + script + "' }}"));
  }

  ProgramResult velmo(const std::string& args) const {
    return runProgram("cd " + shellQuote(dir_.path().string()) + " && " + shellQuote(kVelmo) + " " +
                      args);
  }
  std::string read(const std::string& name) const { return readBytes(dir_ / ("site/" + name)); }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
};

TEST(VelmoCheck, FindsEachRotOnceAndNoLookAlike) {
  const CheckSite site;
  const ProgramResult result = site.velmo("check site");
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(
      result.out,
      R"(site/index.html:7:1: warning: the same script stands in the HEAD a second time: it runs twice [duplicate-head-script]
site/index.html:10:36: error: '#12345G' is not a colour: browsers ignore scrollbar-face-color [scrollbar-colour]
site/index.html:34:1: warning: the date block is pasted a second time, byte for byte [duplicate-block]
site/index.html:67:40: warning: the favourites picture 'images/Logo.gif' names 'images/logo.gif' in another case [reference-case]
site/index.html:84:40: error: the favourites picture 'images/gone.gif' names no file of the site [favourites-picture-missing]
site/index.html:89:75: error: the block's reference 'pics/none.gif' names no file of the site [missing-file]
site/index.html:90:1: warning: the webbot end comment of bot 'Other' has no start comment before it [webbot-stray-end]
site/index.html:91:18: error: the scrollbar STYLE is written inside an HTML comment: it never reaches the browser [hidden-block]
site/index.html:92:1: warning: the webbot start comment of bot 'Timestamp' has no end comment: the rest of the page belongs to its block [webbot-unclosed]
site/page.twig:6:4: error: a HEAD script is written inside a template comment, outside its strings: it never reaches the browser [hidden-block]
site/server.php:6:10: error: the date block is written inside server code, outside its strings: it never reaches the browser [hidden-block]
site/slides.html:11:17: warning: the slide show picture 'slide_img/B.jpg' names 'slide_img/b.jpg' in another case [reference-case]
site/slides.html:12:17: error: the slide show picture 'slide_img/missing.jpg' names no file of the site [slide-picture-missing]
site/slides.html:62:1: warning: a second slide viewer script in the HEAD: the page's slide shows would show its pictures, not the first script's [second-slide-script]
site/slide_img/unused.jpg: warning: no page uses this slide show picture [unused-slide-picture]
)");
  EXPECT_EQ(result.err, "velmo: 6 pages: 15 findings\n");
}

// Each finding of a --json document as page, rule and message (lines move when --fix removes
// text before them), with whether --fix mended it.
std::multiset<std::tuple<std::string, std::string, std::string, bool>> findings(
    const std::string& jsonText) {
  std::multiset<std::tuple<std::string, std::string, std::string, bool>> out;
  const auto document = nlohmann::json::parse(jsonText);
  for (const auto& page : document.at("pages")) {
    if (!page.contains("rows")) continue;
    for (const auto& row : page.at("rows")) {
      out.emplace(page.at("page").get<std::string>(), row.at("rule").get<std::string>(),
                  row.at("message").get<std::string>(), row.contains("fix"));
    }
  }
  return out;
}

TEST(VelmoCheck, FixMendsWhatHasOneMendAndLeavesTheRest) {
  const CheckSite site;
  const std::string before = site.read("index.html");
  const ProgramResult look = site.velmo("check site --fix --dry-run");
  EXPECT_EQ(look.status, 1);
  EXPECT_NE(look.out.find("(would fix)"), std::string::npos);
  EXPECT_NE(look.out.find("+++ site/index.html"), std::string::npos) << look.out;
  EXPECT_EQ(site.read("index.html"), before);

  const ProgramResult fixed = site.velmo("check site --fix --json");
  EXPECT_EQ(fixed.status, 1) << fixed.err;
  auto expected = findings(fixed.out);
  std::size_t mended = 0;
  for (auto it = expected.begin(); it != expected.end();) {
    const bool fix = std::get<3>(*it);
    mended += fix;
    it = fix ? expected.erase(it) : std::next(it);
  }
  EXPECT_EQ(mended, 5u);
  const ProgramResult again = site.velmo("check site --json");
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(findings(again.out), expected);
  // Nothing is deleted from the site folder; a mended reference names the file as it is.
  EXPECT_NE(site.read("index.html").find("images/logo.gif"), std::string::npos);
  EXPECT_EQ(site.read("slide_img/unused.jpg"), "GIF89a");
}

TEST(VelmoCheck, SarifLogHasWhatTheStandardRequires) {
  const CheckSite site;
  const ProgramResult result = site.velmo("check site --sarif");
  EXPECT_EQ(result.status, 1);
  const auto log = nlohmann::json::parse(result.out);
  EXPECT_EQ(log.at("version"), "2.1.0");
  EXPECT_TRUE(log.at("$schema").get<std::string>().ends_with("sarif-2.1.0.json"));
  ASSERT_EQ(log.at("runs").size(), 1u);
  const auto& run = log.at("runs")[0];
  const auto& driver = run.at("tool").at("driver");
  EXPECT_FALSE(driver.at("name").get<std::string>().empty());
  std::set<std::string> ids;
  for (const auto& rule : driver.at("rules")) {
    EXPECT_TRUE(ids.insert(rule.at("id")).second);
    EXPECT_FALSE(rule.at("shortDescription").at("text").get<std::string>().empty());
  }
  ASSERT_EQ(run.at("results").size(), 15u);
  for (const auto& r : run.at("results")) {
    EXPECT_TRUE(ids.contains(r.at("ruleId")));
    EXPECT_EQ(driver.at("rules")[r.at("ruleIndex").get<std::size_t>()].at("id"), r.at("ruleId"));
    EXPECT_TRUE(r.at("level") == "error" || r.at("level") == "warning");
    EXPECT_FALSE(r.at("message").at("text").get<std::string>().empty());
    const auto& where = r.at("locations")[0].at("physicalLocation");
    const std::string uri = where.at("artifactLocation").at("uri");
    EXPECT_EQ(uri.find_first_of(" \\\""), std::string::npos) << uri;
    if (where.contains("region")) {
      EXPECT_GE(where.at("region").at("startLine").get<int>(), 1);
      EXPECT_GE(where.at("region").at("startColumn").get<int>(), 1);
    }
  }
  EXPECT_TRUE(run.at("invocations")[0].at("executionSuccessful").get<bool>());
}

TEST(VelmoCheck, IgnoresRulesAndPathsAndExitsTwoOnABadIgnoreFile) {
  const CheckSite site;
  site.dir().write("site/.velmoignore",
                   "# old pages\r\nslides.html\nmissing-file   # the include block\n"
                   "hidden-block *.twig\n\n");
  const ProgramResult result =
      site.velmo("check site --ignore duplicate-block --ignore unused-slide-picture");
  EXPECT_EQ(result.status, 1);
  for (const char* gone :
       {"slides.html", "[missing-file]", "page.twig", "[duplicate-block]", "unused.jpg"}) {
    EXPECT_EQ(result.out.find(gone), std::string::npos) << gone;
  }
  EXPECT_EQ(result.err, "velmo: 6 pages: 8 findings\n");

  const ProgramResult clean = site.velmo("check site/clean.html");
  EXPECT_EQ(clean.status, 0) << clean.out;
  EXPECT_EQ(clean.out, "");

  site.dir().write("site/.velmoignore", "no-such-rule index.html\n");
  const ProgramResult bad = site.velmo("check site/clean.html");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find(".velmoignore:1: no rule is named 'no-such-rule'"), std::string::npos)
      << bad.err;
}

// Whether a block stands in a string that the server or template writes out.
TEST(VelmoCheck, ServerStringsAreTheOnlyPlaceInsideCodeThatReachesThePage) {
  const struct {
    std::string page;
    bool inString;
  } cases[] = {
      {"<?php echo 'X'; ?>", true},
      {"<?php echo \"a\\\"X\"; ?>", true},
      {"<?php /* 'X' */ ?>", false},
      {"<?php // 'a' X\n ?>", false},
      {"<?php $a = 'a'; X ?>", false},
      {"<% Response.Write(\"X\") %>", true},
      {"<% ' X %>", false},
      {"<%-- \"X\" --%>", false},
      {"{{ 'X' }}", true},
      {"{# 'X' #}", false},
  };
  for (const auto& c : cases) {
    const std::size_t at = c.page.find('X');
    EXPECT_EQ(file_host::html::inServerString(c.page, 0, c.page.size(), at), c.inString) << c.page;
  }
}

}  // namespace
}  // namespace velmo::testing
