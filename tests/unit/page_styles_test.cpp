#include <gtest/gtest.h>

#include "file_host/html_page.h"
#include "tests/support/site_on_disk.h"

namespace velmo::file_host {
namespace {

using velmo::testing::SiteOnDisk;

// The page text outside [from, to) of `before` must be unchanged in `after`.
void expectOnlyInside(const std::string& before, const std::string& after, std::size_t from,
                      std::size_t to) {
  const std::size_t tail = before.size() - to;
  ASSERT_GE(after.size(), from + tail);
  EXPECT_EQ(after.substr(0, from), before.substr(0, from));
  EXPECT_EQ(after.substr(after.size() - tail), before.substr(to));
}

class PageStyles : public ::testing::Test {
 protected:
  std::unique_ptr<HtmlPage> open(const std::string& html) {
    return HtmlPage::load(site_.write("site/sub/page.html", html), site_.site());
  }
  SiteOnDisk site_;
};

// One sheet object reads its rules once per state of the sheet: a change of the same length,
// which leaves the text where it was, must still be seen, in the page and in a linked file.
TEST_F(PageStyles, RulesReadAfterAChangeOfTheSameLength) {
  site_.write("site/sub/a.css", "a { color: red }\nb { color: red }\n");
  auto page = open(
      "<head><style>a { color: red }\nb { color: red }</style>"
      "<link rel=stylesheet href=a.css></head>");
  for (long sheet : {0L, 1L}) {
    SCOPED_TRACE(sheet);
    auto rules = page->document()->styleSheets()->item(sheet)->rules();
    auto first = rules->item(0)->style();
    EXPECT_EQ(first->getAttribute(u"color", 0), u"red");
    first->setAttribute(u"color", u"tan", 0);
    EXPECT_EQ(first->getAttribute(u"color", 0), u"tan");
    EXPECT_EQ(rules->item(1)->style()->getAttribute(u"color", 0), u"red");
    rules->item(1)->style()->setAttribute(u"color", u"blue", 0);
    EXPECT_EQ(rules->length(), 2);
    EXPECT_EQ(rules->item(1)->style()->getAttribute(u"color", 0), u"blue");
  }
  // A STYLE element given other rules of the same length: the text stays where it was.
  auto rules = page->document()->styleSheets()->item(0)->rules();
  EXPECT_EQ(rules->length(), 2);
  auto style = page->document()->all()->tags(u"head")->item(0)->all()->tags(u"style")->item(0);
  const std::u16string inner = style->innerHTML();
  style->setInnerHTML(u"c { color: tan }" + std::u16string(inner.size() - 16, u' '));
  EXPECT_EQ(rules->length(), 1);
  EXPECT_EQ(rules->item(0)->selectorText(), u"c");
}

TEST_F(PageStyles, SheetsInDocumentOrder) {
  site_.write("site/sub/a.css", "a { color: red }\n");
  site_.write("site/root.css", "r { }\nq { }\n");
  auto page = open(
      "<head><style>h{}</style>\n<link rel=\"Alternate StyleSheet\" href=\"a.css\">"
      "<link rel=icon href=x.ico><!--<style>c{}</style>--></head>"
      "<body><link rel=stylesheet href=\"/root.css?v=1\"><style>b{}</style></body>");
  auto sheets = page->document()->styleSheets();
  ASSERT_EQ(sheets->length(), 4);
  const char16_t* first[] = {u"h", u"a", u"r", u"b"};
  for (long i = 0; i < 4; ++i) {
    EXPECT_EQ(sheets->item(i)->rules()->item(0)->selectorText(), first[i]) << i;
  }
  EXPECT_EQ(sheets->item(2)->rules()->length(), 2);
  EXPECT_EQ(sheets->item(4), nullptr);
}

TEST_F(PageStyles, StyleElementEditsStayInsideItsContent) {
  const std::string html =
      "<html>\r\n<head>\r\n<style>\r\nbody {scrollbar-base-color: #ffcc00; color: red}\r\n"
      "</style>\r\n</head>\r\n<body></body></html>";
  auto page = open(html);
  const std::size_t from = html.find("<style>") + 7, to = html.find("</style>");
  auto doc = page->document();
  auto style = doc->styleSheets()->item(0)->rules()->item(0)->style();
  EXPECT_EQ(style->getAttribute(u"SCROLLBAR-BASE-COLOR", 0), u"#ffcc00");
  EXPECT_EQ(style->getAttribute(u"scrollbar-face-color", 0), std::nullopt);

  style->setAttribute(u"scrollbar-base-color", u"#FF0000", 1);
  style->setAttribute(u"scrollbar-face-color", u"#00FF00", 1);
  EXPECT_TRUE(style->removeAttribute(u"color", 1));
  EXPECT_FALSE(style->removeAttribute(u"scrollbar-track-color", 1));
  EXPECT_EQ(style->getAttribute(u"scrollbar-base-color", 0), u"#FF0000");
  EXPECT_EQ(style->getAttribute(u"scrollbar-face-color", 0), u"#00FF00");
  EXPECT_EQ(style->getAttribute(u"color", 0), std::nullopt);
  const std::string after = page->source();
  expectOnlyInside(html, after, from, to);

  const long index = doc->styleSheets()->item(0)->addRule(u"p", u"margin: 0", -1);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(doc->styleSheets()->item(0)->rules()->item(1)->selectorText(), u"p");
  expectOnlyInside(html, page->source(), from, page->source().size() - (html.size() - to));
}

TEST_F(PageStyles, ValueThatWouldCloseTheStyleElementIsRefused) {
  const std::string html = "<head><style>body{}</style></head>";
  auto page = open(html);
  auto sheet = page->document()->styleSheets()->item(0);
  try {
    sheet->rules()->item(0)->style()->setAttribute(u"color", u"red</style><script>x", 1);
    FAIL();
  } catch (const HostError& e) {
    EXPECT_EQ(e.hresult(), hr::kInvalidArg);
  }
  EXPECT_THROW(sheet->addRule(u"</STYLE >", u"", -1), HostError);
  EXPECT_EQ(page->source(), html);
}

TEST_F(PageStyles, LinkedSheetInsideTheSiteIsEditedInItsFile) {
  const std::string css =
      "\xEF\xBB\xBF"
      "body { color: red; }\r\n";
  site_.write("site/css/site.css", css);
  const std::string html = "<head><link rel=stylesheet href=\"../css/site.css\"></head>";
  auto page = open(html);
  auto sheet = page->document()->styleSheets()->item(0);
  EXPECT_EQ(sheet->rules()->item(0)->selectorText(), u"body");
  sheet->rules()->item(0)->style()->setAttribute(u"color", u"blue", 1);
  EXPECT_EQ(sheet->rules()->item(0)->style()->getAttribute(u"color", 0), u"blue");
  EXPECT_EQ(page->source(), html);
  EXPECT_TRUE(page->changed());
  EXPECT_EQ(site_.read("css/site.css"), css);

  page->save();
  const std::string saved = site_.read("css/site.css");
  EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(saved.find("blue"), std::string::npos);
  EXPECT_EQ(site_.read("sub/page.html"), html);
  EXPECT_FALSE(page->changed());
}

TEST_F(PageStyles, RevertDropsLinkedSheetEdits) {
  site_.write("site/sub/a.css", "a { }\n");
  auto page = open("<link rel=stylesheet href=a.css>");
  page->document()->styleSheets()->item(0)->addRule(u"b", u"", -1);
  page->revert();
  EXPECT_FALSE(page->changed());
  EXPECT_EQ(page->document()->styleSheets()->item(0)->rules()->length(), 1);
  page->save();
  EXPECT_EQ(site_.read("sub/a.css"), "a { }\n");
}

TEST_F(PageStyles, SheetsThatCannotBeChanged) {
  SiteOnDisk outside;
  outside.write("site/out.css", "body { color: red }\n");
  const std::string outsideHref = (outside.site() / "out.css").generic_string();
  auto page = open("<link rel=stylesheet href=\"file://" + outsideHref + "\">" +
                   "<link rel=stylesheet href=missing.css>" +
                   "<link rel=stylesheet href=\"https://example.invalid/x.css\">");
  auto sheets = page->document()->styleSheets();
  ASSERT_EQ(sheets->length(), 3);
  auto outsideStyle = sheets->item(0)->rules()->item(0)->style();
  EXPECT_EQ(outsideStyle->getAttribute(u"color", 0), u"red");
  for (long i = 0; i < 3; ++i) {
    try {
      sheets->item(i)->addRule(u"body", u"color: blue", -1);
      FAIL() << i;
    } catch (const HostError& e) {
      EXPECT_EQ(e.hresult(), hr::kAccessDenied);
    }
  }
  EXPECT_THROW(outsideStyle->setAttribute(u"color", u"blue", 1), HostError);
  // Removing what is not there changes nothing, so it is no error.
  EXPECT_FALSE(outsideStyle->removeAttribute(u"margin", 1));
  EXPECT_EQ(sheets->item(1)->rules()->length(), 0);
  EXPECT_EQ(sheets->item(2)->rules()->length(), 0);
  EXPECT_FALSE(page->changed());
  EXPECT_EQ(outside.read("out.css"), "body { color: red }\n");
}

// A sheet in the page's encoding (UTF-8) with a byte invalid in it: read as U+FFFD, and edited
// without touching the byte.
TEST_F(PageStyles, LinkedSheetThatIsNotUtf8IsEditedAroundTheBadByte) {
  site_.write("site/sub/bad.css", "a { content: '\xE9' }");
  auto page = open("<link rel=stylesheet href=bad.css>");
  auto style = page->document()->styleSheets()->item(0)->rules()->item(0)->style();
  EXPECT_EQ(style->getAttribute(u"content", 0), u"'\uFFFD'");
  style->setAttribute(u"color", u"red", 0);
  page->save();
  EXPECT_EQ(site_.read("sub/bad.css"), "a { content: '\xE9'; color: red; }");
}

TEST_F(PageStyles, SheetObjectFollowsEditsBeforeIt) {
  auto page = open("<head><style>a{}</style></head><body><style>b{}</style></body>");
  auto doc = page->document();
  auto second = doc->styleSheets()->item(1);
  doc->all()->tags(u"head")->item(0)->setInnerHTML(u"<style>x{}</style><style>a{}</style>");
  EXPECT_EQ(second->rules()->item(0)->selectorText(), u"b");
  EXPECT_EQ(doc->styleSheets()->length(), 3);
}

}  // namespace
}  // namespace velmo::file_host
