// velmo check on a generated site seeded with one instance of each rot the rules know, beside
// clean look-alikes that must not be reported: the findings as a whole, the SARIF log, and --fix.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>

#include <nlohmann/json.hpp>

#include "command_class/clstestt.h"
#include "common/text.h"
#include "date/date_block.h"
#include "favourites/favourites_block.h"
#include "html/html_scan.h"
#include "slideshow/slide_show.h"
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
    return runProgram("cd " + shellQuote(dir_.path().string()) + " && " + shellQuote(kVelmo) +
                      " " + args);
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
  EXPECT_EQ(result.out, R"(EXPECTED)");
  EXPECT_EQ(result.err, "velmo: 5 pages: 16 findings\n");
}

}  // namespace
}  // namespace velmo::testing
