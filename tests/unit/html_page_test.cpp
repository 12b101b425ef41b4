#include "file_host/html_page.h"

#include <gtest/gtest.h>

#include "core/common/text.h"
#include "tests/support/site_on_disk.h"

namespace velmo::file_host {
namespace {

using velmo::testing::SiteOnDisk;

std::unique_ptr<HtmlPage> pageOf(const std::string& bytes) {
  return HtmlPage::fromSource(bytes, "site/page.html", "site");
}

std::unique_ptr<Element> headOf(Document& doc) {
  return doc.all()->tags(u"HEAD")->item(0);
}

TEST(HtmlPageLoad, KeepsByteOrderMarkAndFindsHeadAfterIt) {
  SiteOnDisk site;
  const std::string bytes = "\xEF\xBB\xBF<html><head><title>t</title></head><body></body></html>";
  auto page = HtmlPage::load(site.write("site/p.html", bytes), site.site());
  EXPECT_EQ(page->source(), bytes);
  auto doc = page->document();
  EXPECT_EQ(headOf(*doc)->innerHTML(), u"<title>t</title>");
  EXPECT_EQ(page->selection().begin, bytes.find("</body>"));
  EXPECT_FALSE(page->changed());
}

// Bytes that are not UTF-8 are an undeclared windows-1252 page, as browsers read it: edited
// like any other, every byte outside the edit kept.
TEST(HtmlPageLoad, InvalidUtf8IsAWindows1252PageEditedInPlace) {
  SiteOnDisk site;
  const std::string bytes = "<html><head></head><body>caf\xE9</body></html>";
  const auto file = site.write("site/latin1.html", bytes);
  auto page = HtmlPage::load(file, site.site());
  EXPECT_EQ(page->codec().encoding(), Encoding::Windows1252);
  EXPECT_EQ(page->source(), bytes);
  auto doc = page->document();
  headOf(*doc)->setInnerHTML(u"<title>Caf\u00E9 \u2605</title>");
  page->save();
  EXPECT_EQ(site.read("latin1.html"),
            "<html><head><title>Caf\xE9 &#9733;</title></head><body>caf\xE9</body></html>");
}

TEST(HtmlPageLoad, MissingFileNamesIt) {
  SiteOnDisk site;
  try {
    HtmlPage::load(site.inSite("absent.html"), site.site());
    FAIL();
  } catch (const HostError& e) {
    EXPECT_NE(e.description().find(u"absent.html"), std::u16string::npos);
  }
}

struct HeadCase {
  const char* page;
  const char16_t* inner;  // what innerHTML reads
  const char* written;    // the page after appending <meta name="v"> to the inner HTML
};

TEST(HtmlPageHead, ReadsAndWritesTheSpanAParserWouldGiveTheHead) {
  const HeadCase cases[] = {
      // Explicit tags.
      {"<html><head><title>t</title></head><body></body></html>", u"<title>t</title>",
       "<html><head><title>t</title><meta name=\"v\"></head><body></body></html>"},
      {"<HTML>\r\n<HEAD lang=x>\r\n</HEAD>\r\n", u"\r\n",
       "<HTML>\r\n<HEAD lang=x>\r\n<meta name=\"v\"></HEAD>\r\n"},
      // No end tag: the head ends at <body>, at body content, or at the first text.
      {"<html><head><title>t</title>\r\n<body>x", u"<title>t</title>\r\n",
       "<html><head><title>t</title>\r\n<meta name=\"v\"><body>x"},
      {"<head><meta charset=utf-8>\n Hello", u"<meta charset=utf-8>\n ",
       "<head><meta charset=utf-8>\n <meta name=\"v\">Hello"},
      {"<head><style>a{}</style><div>", u"<style>a{}</style>",
       "<head><style>a{}</style><meta name=\"v\"><div>"},
      // A lone end tag (or a late start tag) is the page's own: only the content changes.
      {"<!--c--><html><!--d-->\n<title>x</title></HEAD><p>", u"<title>x</title>",
       "<!--c--><html><!--d-->\n<title>x</title><meta name=\"v\"></HEAD><p>"},
      {"<html><meta name=a><HEAD><title>x</title></HEAD>", u"<meta name=a><HEAD><title>x</title>",
       "<html><meta name=a><HEAD><title>x</title><meta name=\"v\"></HEAD>"},
      // No head tags: the parser's head holds what comes before the body content.
      {"<html>\n<title>t</title>\n<p>a", u"<title>t</title>\n",
       "<html>\n<head><title>t</title>\n<meta name=\"v\"></head><p>a"},
      {"<!DOCTYPE html><html lang=en><body>x</body></html>", u"",
       "<!DOCTYPE html><html lang=en><head><meta name=\"v\"></head><body>x</body></html>"},
      {"<p>hi", u"", "<head><meta name=\"v\"></head><p>hi"},
      {"  hi", u"", "  <head><meta name=\"v\"></head>hi"},
      {"", u"", "<head><meta name=\"v\"></head>"},
      {"</br>x", u"", "<head><meta name=\"v\"></head></br>x"},
      {"</><p>", u"", "</><head><meta name=\"v\"></head><p>"},
      {"\xEF\xBB\xBF<p>x", u"", "\xEF\xBB\xBF<head><meta name=\"v\"></head><p>x"},
  };
  for (const HeadCase& c : cases) {
    SCOPED_TRACE(c.page);
    auto page = pageOf(c.page);
    auto doc = page->document();
    auto head = headOf(*doc);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->innerHTML(), c.inner);
    head->setInnerHTML(head->innerHTML() + u"<meta name=\"v\">");
    EXPECT_EQ(page->source(), c.written);
    EXPECT_EQ(headOf(*doc)->innerHTML(), std::u16string(c.inner) + u"<meta name=\"v\">");
  }
}

TEST(HtmlPageHead, AppendingTwiceKeepsBothBlocks) {
  auto page = pageOf("<head></head>");
  auto doc = page->document();
  auto head = headOf(*doc);
  for (int i = 0; i < 2; ++i) head->setInnerHTML(head->innerHTML() + u"<script>x</script>\r\n");
  EXPECT_EQ(page->source(), "<head><script>x</script>\r\n<script>x</script>\r\n</head>");
}

TEST(HtmlPageHead, OnlyHeadAndStyleCanBeListed) {
  auto page = pageOf("<p>");
  auto doc = page->document();
  EXPECT_EQ(doc->all()->tags(u"head")->length(), 1);
  EXPECT_EQ(doc->all()->tags(u"head")->item(1), nullptr);
  EXPECT_EQ(headOf(*doc)->all()->tags(u"head")->length(), 0);
  try {
    doc->all()->tags(u"p");
    FAIL();
  } catch (const HostError& e) {
    EXPECT_EQ(e.hresult(), hr::kNotImpl);
  }
}

TEST(HtmlPageHead, StyleElementsAreFoundOnlyWhereTheParserPutsThemInTheHead) {
  const std::pair<const char*, long> cases[] = {
      {"<head><!--<style>x</style>--></head>", 0},
      {"<head><script>document.write('<style>x</style>')</script></head>", 0},
      {"<head><title><style></title></head>", 0},
      {"<head><noscript><style>n</style></noscript></head>", 0},
      {"<head><template><style>t</style></template></head>", 0},
      {"<head></head><body><style>b</style>", 0},
      {"<head><STYLE type=text/css>a{}</STYLE></head>", 1},
      {"<head></head>\n<style>late</style><body>", 1},
      {"<title>t</title><style>s</style><p><style>b</style>", 1},
      {"<head><style>a</style><style>b</style></head>", 2},
  };
  for (const auto& [text, count] : cases) {
    auto page = pageOf(text);
    auto doc = page->document();
    EXPECT_EQ(headOf(*doc)->all()->tags(u"STYLE")->length(), count) << text;
  }
}

TEST(HtmlPageHead, StyleElementReadsItsContentAndAttributes) {
  auto page = pageOf("<head><style media=\"print\">\r\nbody{}\r\n</style></head>");
  auto doc = page->document();
  auto style = headOf(*doc)->all()->tags(u"style")->item(0);
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->innerHTML(), u"\r\nbody{}\r\n");
  EXPECT_EQ(style->getAttribute(u"MEDIA"), u"print");
  EXPECT_EQ(style->getAttribute(u"type"), std::nullopt);
}

// Pages with webbot blocks of every shape; `names` lists the blocks' bot names in order.
TEST(HtmlPageWebbots, PairsBlocksAndListsThemByStartComment) {
  const std::string text =
      "<body>\r\n"
      "<!--webbot bot=\"A\" startspan -->a<!--webbot bot=\"A\" endspan -->\r\n"
      "<!--webbot bot='B' startspan U-x=\"1\" -->b<!--webbot bot='B' endspan i-checksum=\"1\" "
      "-->\r\n"
      "<!--webbot bot=C -->\r\n"
      "<!--webbot bot=\"D\" endspan -->\r\n"
      "<script>'<!--webbot bot=\"S\" -->'</script><style>/*<!--webbot bot=\"T\"-->*/</style>\r\n"
      "<!--webbot bot=\"E\" startspan -->open\r\n"
      "</body>";
  auto page = pageOf(text);
  auto bots = page->document()->webbots();
  ASSERT_EQ(bots->length(), 4);
  const std::u16string names[] = {u"A", u"B", u"C", u"E"};
  for (long i = 0; i < 4; ++i) EXPECT_EQ(bots->item(i)->getAttribute(u"bot"), names[i]);
  EXPECT_EQ(bots->item(4), nullptr);
  EXPECT_EQ(bots->item(1)->getAttribute(u"U-X"), u"1");
  EXPECT_EQ(bots->item(0)->innerHTML(), u"a");
  EXPECT_EQ(bots->item(1)->outerHTML(),
            u"<!--webbot bot='B' startspan U-x=\"1\" -->b<!--webbot bot='B' endspan "
            u"i-checksum=\"1\" -->");
  EXPECT_EQ(bots->item(2)->outerHTML(), u"<!--webbot bot=C -->");
  EXPECT_EQ(bots->item(3)->outerHTML(), u"<!--webbot bot=\"E\" startspan -->");
}

TEST(HtmlPageWebbots, ErasingRemovesExactlyTheBlock) {
  const std::string text =
      "<p>1</p>\r\n<!--webbot bot=\"V_Date\" startspan -->\r\n<script>x</script>\r\n"
      "<!--webbot bot=\"V_Date\" endspan -->\r\n<p>2</p>";
  auto page = pageOf(text);
  page->document()->webbots()->item(0)->setOuterHTML(u"");
  EXPECT_EQ(page->source(), "<p>1</p>\r\n\r\n<p>2</p>");
  EXPECT_EQ(page->document()->webbots()->length(), 0);
}

TEST(HtmlPageWebbots, UnterminatedStartLosesOnlyItsComment) {
  auto page = pageOf("a<!--webbot bot=\"X\" startspan -->b<p>c</p>");
  page->document()->webbots()->item(0)->setOuterHTML(u"");
  EXPECT_EQ(page->source(), "ab<p>c</p>");
}

TEST(HtmlPageWebbots, SameNamedBlocksGoOneAtATime) {
  const std::string one = "<!--webbot bot=\"N\" startspan -->1<!--webbot bot=\"N\" endspan -->";
  const std::string two = "<!--webbot bot=\"N\" startspan -->2<!--webbot bot=\"N\" endspan -->";
  auto page = pageOf(one + "|" + two);
  auto bots = page->document()->webbots();
  bots->item(0)->setOuterHTML(u"");
  EXPECT_EQ(page->source(), "|" + two);
  ASSERT_EQ(bots->length(), 1);
  EXPECT_EQ(bots->item(0)->innerHTML(), u"2");
}

TEST(HtmlPageWebbots, NestedBlocksPairWithTheNearestOpenStart) {
  const std::string text =
      "<!--webbot bot=a startspan -->1<!--webbot bot=a startspan -->2"
      "<!--webbot bot=b startspan -->3<!--webbot bot=a endspan -->4"
      "<!--webbot bot=b endspan -->5<!--webbot bot=a endspan -->";
  auto page = pageOf(text);
  auto bots = page->document()->webbots();
  ASSERT_EQ(bots->length(), 3);
  auto outer = bots->item(0);
  EXPECT_EQ(outer->outerHTML(), utf8ToUtf16(text));
  EXPECT_EQ(bots->item(1)->innerHTML(), u"2<!--webbot bot=b startspan -->3");
  EXPECT_EQ(bots->item(2)->innerHTML(), u"3<!--webbot bot=a endspan -->4");
  bots->item(1)->setOuterHTML(u"");
  // The object fetched earlier still denotes the outer block.
  EXPECT_EQ(outer->innerHTML(), u"14<!--webbot bot=b endspan -->5");
}

TEST(HtmlPageWebbots, NamesPairOnlyWithTheSameCase) {
  auto page = pageOf(
      "<!--webbot bot=\"date\" startspan -->x<!--webbot bot=\"Date\" endspan -->"
      "<!--webbot bot=\"Date\" startspan -->y<!--webbot bot=\"Date\" endspan -->");
  auto bots = page->document()->webbots();
  ASSERT_EQ(bots->length(), 2);
  EXPECT_EQ(bots->item(0)->getAttribute(u"bot"), u"date");
  EXPECT_EQ(bots->item(0)->outerHTML(), u"<!--webbot bot=\"date\" startspan -->");
  EXPECT_EQ(bots->item(1)->innerHTML(), u"y");
}

TEST(HtmlPageWebbots, ObjectsFollowEditsAndNoticeRemoval) {
  auto page = pageOf("<body><!--webbot bot=\"A\" -->x</body>");
  auto doc = page->document();
  auto bot = doc->webbots()->item(0);
  page->setSelection(0, 0);
  doc->selection()->createRange()->pasteHTML(u"<p>before</p>");
  EXPECT_EQ(bot->getAttribute(u"bot"), u"A");
  auto again = doc->webbots()->item(0);
  bot->setOuterHTML(u"");
  EXPECT_EQ(page->source(), "<p>before</p><body>x</body>");
  EXPECT_THROW(again->outerHTML(), HostError);
}

TEST(HtmlPagePaste, AtTheCaretBeforeBodyEnd) {
  const std::string text = "<body><!--</body>--><script>'</body>'</script>x\r\n</body></html>";
  auto page = pageOf(text);
  const std::size_t caret = text.find("\r\n</body>") + 2;
  EXPECT_EQ(page->defaultCaret(), caret);
  auto range = page->document()->selection()->createRange();
  range->pasteHTML(u"<b>1</b>");
  range->pasteHTML(u"<b>2</b>");
  EXPECT_EQ(page->source(),
            "<body><!--</body>--><script>'</body>'</script>x\r\n<b>1</b><b>2</b></body></html>");
}

// For a command that pastes, the caret stands where it stood when the page was read, moved along
// by the edits since: here an erase takes away the first </body>.
TEST(HtmlPagePaste, InitialCaretFollowsEditsMadeBeforeItIsNeeded) {
  auto page = pageOf(
      "<head></head><body><!--webbot bot=\"a\" startspan --></body><!--webbot bot=\"a\" "
      "endspan -->x</body>");
  page->expectPaste();
  auto doc = page->document();
  headOf(*doc)->setInnerHTML(u"<title>t</title>");
  doc->webbots()->item(0)->setOuterHTML(u"");
  doc->selection()->createRange()->pasteHTML(u"!");
  EXPECT_EQ(page->source(), "<head><title>t</title></head><body>!x</body>");

  // After a revert the caret is that of the page as read again.
  page->revert();
  doc->selection()->createRange()->pasteHTML(u"?");
  EXPECT_EQ(page->source(),
            "<head></head><body><!--webbot bot=\"a\" startspan -->?</body><!--webbot bot=\"a\" "
            "endspan -->x</body>");
}

TEST(HtmlPagePaste, ReplacesTheSelectionAndLeavesTheCaretAfter) {
  auto page = pageOf("<p>one two three</p>");
  page->setSelection(7, 10);
  page->document()->selection()->createRange()->pasteHTML(u"<i>2</i>");
  EXPECT_EQ(page->source(), "<p>one <i>2</i> three</p>");
  EXPECT_EQ(page->selection().begin, 15u);
  EXPECT_EQ(page->selection().end, 15u);
  EXPECT_THROW(page->setSelection(3, 100), HostError);
}

TEST(HtmlPagePaste, SelectionMovesWithEditsBeforeIt) {
  auto page = pageOf("<head></head><body>x</body>");
  auto doc = page->document();
  headOf(*doc)->setInnerHTML(u"<title>t</title>");
  doc->selection()->createRange()->pasteHTML(u"!");
  EXPECT_EQ(page->source(), "<head><title>t</title></head><body>x!</body>");
}

TEST(HtmlPagePaste, PageWithoutBodyEndTakesItAtTheEnd) {
  auto page = pageOf("<p>x");
  page->document()->selection()->createRange()->pasteHTML(u"<p>y");
  EXPECT_EQ(page->source(), "<p>x<p>y");
}

TEST(HtmlPageSave, WritesOnlyWhenChanged) {
  SiteOnDisk site;
  const std::string text = "<html>\r\n<body>\r\n</body>\r\n</html>";
  const auto file = site.write("site/p.html", text);
  auto page = HtmlPage::load(file, site.site());
  // A save without edits leaves the file alone, even when it changed behind the page's back;
  // a save with edits refuses to overwrite that other version.
  site.write("site/p.html", "other");
  page->save();
  EXPECT_EQ(site.read("p.html"), "other");
  page->document()->selection()->createRange()->pasteHTML(u"<p>x</p>");
  EXPECT_THROW(page->save(), HostError);
  EXPECT_EQ(site.read("p.html"), "other");

  site.write("site/p.html", text);
  page.reset();  // its lock goes with it
  page = HtmlPage::load(file, site.site());
  page->document()->selection()->createRange()->pasteHTML(u"<p>x</p>");
  EXPECT_TRUE(page->changed());
  page->save();
  EXPECT_EQ(site.read("p.html"), "<html>\r\n<body>\r\n<p>x</p></body>\r\n</html>");
  EXPECT_FALSE(page->changed());
}

TEST(HtmlPageSave, AnotherTargetIsAlwaysWrittenAndLeavesThePageChanged) {
  SiteOnDisk site;
  auto page = HtmlPage::load(site.write("site/p.html", "<p>a"), site.site());
  page->save(site.inSite("copy.html"));
  EXPECT_EQ(site.read("copy.html"), "<p>a");
  page->document()->selection()->createRange()->pasteHTML(u"b");
  page->save(site.inSite("copy.html"));
  EXPECT_EQ(site.read("copy.html"), "<p>ab");
  EXPECT_EQ(site.read("p.html"), "<p>a");
  EXPECT_TRUE(page->changed());
}

TEST(HtmlPageSave, RevertDropsEveryEdit) {
  auto page = pageOf("<head></head><body></body>");
  auto doc = page->document();
  headOf(*doc)->setInnerHTML(u"<style></style>");
  doc->selection()->createRange()->pasteHTML(u"x");
  page->revert();
  EXPECT_EQ(page->source(), "<head></head><body></body>");
  EXPECT_FALSE(page->changed());
  EXPECT_EQ(page->selection().begin, 19u);
  EXPECT_EQ(headOf(*doc)->all()->tags(u"style")->length(), 0);
}

}  // namespace
}  // namespace velmo::file_host
