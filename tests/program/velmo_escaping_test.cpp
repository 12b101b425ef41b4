// Typed text and picture names that would break the pasted blocks, and carets placed inside
// markup, through velmo as a user runs it.

#include <gtest/gtest.h>

#include "tests/support/program_test.h"

namespace velmo {
namespace {

const std::string kMarkupPage =
    "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>t</title>\r\n"
    "<script>var a = 1;</script>\r\n</head>\r\n<body>\r\n"
    "<!--webbot bot=\"V_Date\" startspan Tag =\"p\" clientside -->x"
    "<!--webbot bot=\"V_Date\" endspan -->\r\n"
    "<h1 class=\"top\">Harbour Bakery</h1>\r\n<!-- menu -->\r\n<p><% =price %></p>\r\n"
    "</body>\r\n</html>\r\n";

std::size_t occurrences(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

class VelmoEscaping : public ::testing::Test {
 protected:
  testing::ProgramResult velmo(const std::string& args) {
    return testing::runVelmo(args + " </dev/null");
  }
  std::string pageArg() const { return shellQuote(page_.string()); }
  std::string page() const { return readBytes(page_); }

  SiteOnDisk dir_;
  std::filesystem::path page_ = dir_.write("site/index.html", kMarkupPage);
};

TEST_F(VelmoEscaping, FavouritesTextsStayInsideTheirStrings) {
  auto run = velmo("favourites " + pageArg() +
                   " --text \"Joe's Bakery\" --url 'example.com/?q=\"x\"' "
                   "--title 'Say \"hi\" </script>' --message 'Line one\nline two'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string p = page();
  for (const char* line : {
           "Preview=\"Joe's Bakery\" clientside -->\r\n",
           "\r\nvar url_VL=\"http://example.com/?q=\\\"x\\\"\";\r\n",
           "\r\nvar title_VL=\"Say \\\"hi\\\" <\\/script>\";\r\n",
           "\r\ndocument.write('\">Joe\\'s Bakery</a>');\r\n",
           "\r\nvar msg_VL = \"Line one\\nline two\";\r\n",
       }) {
    EXPECT_NE(p.find(line), std::string::npos) << line << "\n" << p;
  }
  // The page's own script and the block's: no typed text ends a script element.
  EXPECT_EQ(occurrences(p, "</script>"), 2u) << p;
}

TEST_F(VelmoEscaping, FavouritesImageSourceAndPreview) {
  auto run = velmo("favourites " + pageArg() + " --image-src 'images/it'\\''s \"new\"--> .gif'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string p = page();
  EXPECT_NE(p.find("Preview=\"<img border ='0' src='images/it&#39;s &quot;new&quot;-&#45;> .gif' "
                   ">\" clientside -->\r\n"),
            std::string::npos)
      << p;
  EXPECT_NE(p.find("\r\ndocument.write('\"><img border=\"0\" src=\"images/it\\'s "
                   "&quot;new&quot;--> .gif\" ></a>');\r\n"),
            std::string::npos)
      << p;
}

TEST_F(VelmoEscaping, SlidePictureNamesStayInsideTheirStrings) {
  const std::string jpeg = VELMO_SOURCE_DIR "/examples/pictures/sunrise.jpg";
  const auto apostrophe = dir_.path() / "pictures/O'Brien.jpg";
  const auto quote = dir_.path() / "pictures/a\"b.jpg";
  std::filesystem::create_directories(apostrophe.parent_path());
  std::filesystem::copy_file(jpeg, apostrophe);
  std::filesystem::copy_file(jpeg, quote);
  auto run = velmo("slide " + pageArg() + " " + shellQuote(apostrophe.string()) + " " +
                   shellQuote(quote.string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(page().find("\r\nvar which_VL=0\r\n\r\n"
                        "photos_VL[0] = \"slide_img/O'Brien.jpg\"\r\n"
                        "photos_VL[1] = \"slide_img/a%22b.jpg\"\r\n"
                        "var linkornot_VL=0\r\n"),
            std::string::npos)
      << page();
  EXPECT_EQ(readBytes(dir_ / "site/slide_img/a\"b.jpg"), readBytes(jpeg));
}

TEST_F(VelmoEscaping, SelectionInsideMarkupIsRefused) {
  const struct {
    std::string option;
    std::string message;
  } cases[] = {
      {"--caret-after '<h1'", "the caret after '<h1' lies inside a tag"},
      {"--caret-before 'menu'", "the caret before 'menu' lies inside a comment"},
      {"--caret-after 'startspan'", "the caret after 'startspan' lies inside a webbot comment"},
      {"--caret-before 'var a'",
       "the caret before 'var a' lies inside the text of a <script> element"},
      {"--caret-after '<script>'",
       "the caret after '<script>' lies inside the text of a <script> element"},
      {"--caret-after '=price'", "the caret after '=price' lies inside a server block"},
      {"--caret-after 'DOCTYPE'", "the caret after 'DOCTYPE' lies inside a doctype"},
      {"--select 'Bakery</h1'", "the selection 'Bakery</h1' ends inside a tag"},
      {"--select 'class=\"top\">Harbour'",
       "the selection 'class=\"top\">Harbour' starts inside a tag"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    auto run = velmo("date " + pageArg() + " " + c.option);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "velmo: " + page_.string() + ": " + c.message + "\n");
    EXPECT_EQ(page(), kMarkupPage);
  }
}

TEST_F(VelmoEscaping, SelectionOutsideMarkupIsTaken) {
  const std::string block = testing::golden("date-block.txt");
  const struct {
    std::string option;
    std::string before;  // the page text just before the block
  } cases[] = {
      {"--caret-after '<h1 class=\"top\">'", "<h1 class=\"top\">"},
      {"--caret-after 'Harbour'", "<h1 class=\"top\">Harbour"},
      {"--caret-before '<!-- menu'", "</h1>\r\n"},
      {"--caret-after 'endspan -->'", "endspan -->"},
      {"--select '<!-- menu -->\r\n<p><% =price %></p>'", "</h1>\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    dir_.write("site/index.html", kMarkupPage);
    auto run = velmo("date " + pageArg() + " " + c.option);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(page().find(c.before + block), std::string::npos) << page();
  }
}

TEST_F(VelmoEscaping, EmptySelectionTextsAreRefused) {
  const struct {
    const char* option;
    const char* message;
  } cases[] = {
      {"--select ''", "--select: TEXT is empty; it must be a piece of the page\n"},
      {"--caret-before ''", "--caret-before: TEXT is empty; it must be a piece of the page\n"},
      {"--caret-after=", "--caret-after: 1 required TEXT missing\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    auto run = velmo("date " + pageArg() + " " + c.option);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.message + std::string("Run with --help for more information.\n"));
    EXPECT_EQ(page(), kMarkupPage);
  }
}

}  // namespace
}  // namespace velmo
