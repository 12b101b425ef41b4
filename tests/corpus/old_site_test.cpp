// Every velmo command on every page of tests/corpus/old_site/: pages as the sites of the early
// 2000s hold them (CR LF, windows-1252 and ISO-8859-1 declarations, UTF-16 with a byte order
// mark, undeclared pages, Shift_JIS, ASP and PHP pages with server blocks in the head and the
// body, framesets, webbots with i-checksum end comments, a linked sheet in a legacy encoding);
// and on every page of tests/corpus/template_site/ (a word-processor export, XHTML with an XML
// prolog, SSI, JSP and ASP.NET pages with server tags in the head, ColdFusion, Smarty, Twig and
// Handlebars templates with markup inside their comments and tags, tag soup).
// Each command must succeed, change nothing but its own stretch of bytes, put its text where the
// page's author sees the head or the body end (not inside a server block), write characters
// that the page's encoding lacks as escapes that decode to them, and a second read of the page
// must see the edit.

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <regex>

#include "core/common/code_points.h"
#include "core/common/text.h"
#include "tests/support/site_on_disk.h"
#include "tests/support/velmo_program.h"

namespace velmo {
namespace {
namespace fs = std::filesystem;

using testing::readBytes;
using testing::runVelmo;
using testing::shellQuote;

struct OldPage {
  const char* file;      // under tests/corpus/old_site/
  const char* encoding;  // how the test decodes it (iconv's name)
  // The text that follows the head's content, and the first </body> the author sees; both as
  // decoded text, unique enough to tell the page's own tags from those in server code.
  const char* headEnd;
  const char* bodyEnd;
  const char* faceColor;  // what the scrollbar dialog reads from the page ("" when nothing)
  // A frameset's noframes content is text to an HTML parser, so the webbot and the </body> in it
  // are not the page's: pastes go to the end of the page and no Timestamp block is found.
  const char* styleFile;          // the file the style command changes (the page when empty)
  const char* site = "old_site";  // the folder under tests/corpus/
};

const OldPage kPages[] = {
    {"menu.htm", "CP1252", "</head>\r\n\r\n<body", "</body>\r\n\r\n</html>", "C0C0C0", ""},
    {"frames.htm", "CP1252", "</head>\r\n\r\n<frameset", "", "", ""},
    {"news.html", "CP1252", "</HEAD>", "</BODY>", "123456", ""},
    {"prices.htm", "CP1252", "</head>", "</body>", "", ""},
    {"hours.html", "UTF-8", "</head>", "</body>", "", ""},
    {"offers_utf16le.htm", "UTF-16", "</head>", "</body>", "", ""},
    {"offers_utf16be.htm", "UTF-16", "</head>", "</body>", "", ""},
    {"fest.html", "UTF-8", "</head>", "</body>", "D4D0C8", "styles/site.css"},
    {"japanese.htm", "WINDOWS-31J", "</head>", "</body>", "", ""},
    {"shop/order.asp", "CP1252", "</head>\r\n<body <%", "</body>\r\n</html>", "336699", ""},
    {"shop/index.php", "UTF-8", "</head>\n<body class", "</body>\n</html>\n<?php", "998877", ""},
};

// Each is read in the template language its name says; the texts before which the blocks go
// also stand, earlier, inside template comments, strings and code.
const OldPage kTemplatePages[] = {
    {"word_export.htm", "CP1252", "</head>\r\n\r\n<body", "</body>\r\n\r\n</html>", "D4D0C8", "",
     "template_site"},
    {"xhtml_prolog.xhtml", "UTF-8", "</head>\n<body>", "</body>\n</html>", "336699", "",
     "template_site"},
    // No </body>: pastes go before </html>.
    {"ssi_page.shtml", "UTF-8", "</head>\n<body>", "</html>", "", "", "template_site"},
    {"catalog.jsp", "UTF-8", "</head>\n<body>", "</body>\n</html>", "123456", "", "template_site"},
    {"default.aspx", "UTF-8", "</head>\n<body>", "</body>\n</html>", "998877", "", "template_site"},
    {"account.cfm", "UTF-8", "</head>\n<body>", "</body>\n</html>", "C0C0C0", "", "template_site"},
    {"cart.tpl", "UTF-8", "</head>\n<body>", "</body>\n</html>", "FFCC00", "", "template_site"},
    {"shop.twig", "UTF-8", "</head>\n<body class", "</body>\n</html>", "445566", "",
     "template_site"},
    {"list.hbs", "UTF-8", "</head>\n<body>", "</body>\n</html>", "AABBCC", "", "template_site"},
    {"tag_soup.htm", "UTF-8", "</HEAD><BODY", "</BODY></HTML>", "", "", "template_site"},
};

void PrintTo(const OldPage& page, std::ostream* out) {
  *out << page.file;
}

std::string decode(const std::string& bytes, const char* encoding) {
  iconv_t cd = iconv_open("UTF-8", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return "(no converter for " + std::string(encoding) + ")";
  std::string in = bytes;
  if (std::string_view(encoding) == "UTF-8" && in.rfind("\xEF\xBB\xBF", 0) == 0) in.erase(0, 3);
  std::string out(in.size() * 4 + 16, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t srcLeft = in.size(), dstLeft = out.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return "(not " + std::string(encoding) + ")";
  out.resize(out.size() - dstLeft);
  return out;
}

std::string utf8Of(unsigned long cp) {
  std::string out;
  appendUtf8(out, static_cast<char32_t>(cp));
  return out;
}

// The text as a reader sees it: JavaScript \uXXXX escapes and numeric character references
// replaced by the characters they stand for.
std::string unescaped(const std::string& text) {
  static const std::regex escape(R"(\\u([0-9A-Fa-f]{4})|&#([0-9]+);|&#[xX]([0-9A-Fa-f]+);)");
  std::string out;
  auto last = text.cbegin();
  for (std::sregex_iterator it(text.begin(), text.end(), escape), end; it != end; ++it) {
    const std::smatch& m = *it;
    out.append(last, m[0].first);
    const unsigned long cp = m[1].matched   ? std::stoul(m[1].str(), nullptr, 16)
                             : m[2].matched ? std::stoul(m[2].str())
                                            : std::stoul(m[3].str(), nullptr, 16);
    out += utf8Of(cp);
    last = m[0].second;
  }
  out.append(last, text.cend());
  return out;
}

// The stretch in which `after` differs from `before`: [begin, beforeEnd) of before became
// [begin, afterEnd) of after.
struct Change {
  std::size_t begin, beforeEnd, afterEnd;
};
Change changeBetween(const std::string& before, const std::string& after) {
  const std::size_t shorter = std::min(before.size(), after.size());
  std::size_t prefix = 0;
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  return {prefix, before.size() - suffix, after.size() - suffix};
}

class OldSite : public ::testing::TestWithParam<OldPage> {
 protected:
  OldSite() {
    fs::copy(fs::path(VELMO_SOURCE_DIR "/tests/corpus") / GetParam().site, dir_ / "site",
             fs::copy_options::recursive);
  }

  fs::path page() const { return dir_ / "site" / GetParam().file; }
  std::string pageArg() const {
    return shellQuote(page().string()) + " --site " + shellQuote((dir_ / "site").string());
  }
  std::string text() const { return decode(readBytes(page()), GetParam().encoding); }

  // Runs the command and returns the decoded text it inserted into the page, after checking that
  // it only inserted, and at the place whose following text is `followedBy`.
  std::string inserted(const std::string& command, const std::string& arguments,
                       const std::string& followedBy) {
    const std::string bytesBefore = readBytes(page());
    const std::string before = text();
    const auto run = runVelmo(command + " " + pageArg() + " " + arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string after = text();
    const Change raw = changeBetween(bytesBefore, readBytes(page()));
    EXPECT_EQ(raw.beforeEnd, raw.begin) << "bytes outside the insertion changed";
    const Change c = changeBetween(before, after);
    EXPECT_EQ(c.beforeEnd, c.begin);
    // An insertion that ends as the text after it begins can be placed at several offsets;
    // take the one the expected text follows.
    const std::size_t length = c.afterEnd - c.begin;
    std::size_t at = c.begin;
    while (at > 0 && after.compare(at + length, followedBy.size(), followedBy) != 0 &&
           after.compare(at - 1 + length, std::string::npos, before, at - 1) == 0) {
      --at;
    }
    const std::size_t insertEnd = at + length;
    EXPECT_EQ(after.compare(insertEnd, followedBy.size(), followedBy), 0)
        << "inserted before:\n"
        << after.substr(insertEnd, 60);
    return after.substr(at, insertEnd - at);
  }

  testing::SiteOnDisk dir_;
};

TEST_P(OldSite, FindsAndErasesTheTimestampBlockOutsideServerCode) {
  if (!*GetParam().bodyEnd) {
    EXPECT_EQ(runVelmo("botfound " + pageArg() + " Timestamp").out, "false\n");
    return;
  }
  EXPECT_EQ(runVelmo("botfound " + pageArg() + " Timestamp").out, "true\n");
  const std::string bytesBefore = readBytes(page());
  const std::string before = text();
  const auto run = runVelmo("erase-bot " + pageArg() + " Timestamp");
  ASSERT_EQ(run.status, 0) << run.err;
  const Change raw = changeBetween(bytesBefore, readBytes(page()));
  EXPECT_EQ(raw.afterEnd, raw.begin) << "bytes outside the block changed";
  const Change c = changeBetween(before, text());
  const std::string removed = before.substr(c.begin, c.beforeEnd - c.begin);
  EXPECT_EQ(removed.rfind("<!--webbot bot=\"Timestamp\" S-Type=", 0), 0) << removed;
  EXPECT_TRUE(removed.ends_with("endspan -->")) << removed;
  EXPECT_EQ(removed.find("<%"), std::string::npos);
  EXPECT_EQ(removed.find("<?"), std::string::npos);
}

TEST_P(OldSite, AppendsTheScriptToTheHeadTheAuthorSees) {
  const std::string script = inserted(
      "script-head", "'window.status = \"Caf\xC3\xA9 \xE2\x98\xBA\";'", GetParam().headEnd);
  EXPECT_EQ(unescaped(script),
            "<script language = \"javascript\">\r\nwindow.status = \"Caf\xC3\xA9 \xE2\x98\xBA\";"
            "\r\n</script>\r\n\r\n");
}

TEST_P(OldSite, PastesDateAndFavouritesBeforeTheBodyEnd) {
  const std::string date = inserted("date", "--yes", GetParam().bodyEnd);
  EXPECT_NE(date.find("<!--webbot bot=\"V_Date\" startspan"), std::string::npos) << date;
  EXPECT_EQ(runVelmo("botfound " + pageArg() + " V_Date").out, "true\n");

  const std::string link =
      inserted("favourites", "--text 'Caf\xC3\xA9 \xE2\x98\x85'", GetParam().bodyEnd);
  EXPECT_NE(unescaped(link).find(">Caf\xC3\xA9 \xE2\x98\x85</a>"), std::string::npos) << link;
  EXPECT_EQ(runVelmo("botfound " + pageArg() + " AddToFavor_VL").out, "true\n");
}

TEST_P(OldSite, SlideShowPutsItsScriptInTheHeadAndItsTableBeforeTheBodyEnd) {
  const std::string before = text();
  const std::string headEnd = GetParam().headEnd, bodyEnd = GetParam().bodyEnd;
  const std::size_t h = before.find(headEnd);
  const std::size_t b = bodyEnd.empty() ? before.size() : before.find(bodyEnd);
  ASSERT_LT(h, b);
  const auto run = runVelmo("slide " + pageArg() + " " +
                            shellQuote(VELMO_SOURCE_DIR "/examples/pictures/sunrise.jpg") + " " +
                            shellQuote(VELMO_SOURCE_DIR "/examples/pictures/harbour.jpg"));
  ASSERT_EQ(run.status, 0) << run.err;
  // The page is the old one with one block at the head's end and one at the body's end.
  const std::string after = text();
  ASSERT_EQ(after.compare(0, h, before, 0, h), 0);
  const std::size_t between = after.find(before.substr(h, b - h), h);
  ASSERT_NE(between, std::string::npos);
  const std::string script = after.substr(h, between - h);
  const std::size_t tableAt = between + (b - h);
  ASSERT_GE(after.size(), tableAt + (before.size() - b));
  const std::string table = after.substr(tableAt, after.size() - tableAt - (before.size() - b));
  EXPECT_EQ(after.compare(tableAt + table.size(), std::string::npos, before, b), 0);
  EXPECT_NE(script.find("photos_VL[1] = \"slide_img/harbour.jpg\""), std::string::npos) << script;
  EXPECT_NE(table.find("Next Slide</a>"), std::string::npos) << table;
  EXPECT_TRUE(fs::exists(dir_ / "site/slide_img/harbour.jpg"));
}

TEST_P(OldSite, ScrollbarColoursReadAndWrittenInPlace) {
  const auto show = [&] { return runVelmo("style " + pageArg() + " --show"); };
  auto shown = show();
  ASSERT_EQ(shown.status, 0) << shown.err;
  const std::string face = GetParam().faceColor;
  EXPECT_NE(shown.out.find(face.empty() ? "Face Color:\n" : "Face Color: " + face + "\n"),
            std::string::npos)
      << shown.out;

  const fs::path changed = *GetParam().styleFile ? dir_ / "site" / GetParam().styleFile : page();
  const std::string pageBefore = readBytes(page());
  const std::string before = readBytes(changed);
  const auto run = runVelmo("style " + pageArg() + " --face 00FF00");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Velmopro: ScrollBar Color has been applied successfully\n");
  if (changed != page()) {
    EXPECT_EQ(readBytes(page()), pageBefore);
  }
  const std::string after = readBytes(changed);
  const Change c = changeBetween(before, after);
  const std::string removed = before.substr(c.begin, c.beforeEnd - c.begin);
  const std::string added = after.substr(c.begin, c.afterEnd - c.begin);
  // In place: either the old value's digits became the new ones, or a new declaration or rule
  // was added; nothing else in the file moved.
  EXPECT_LE(removed.size(), 6u) << removed;
  const std::size_t around = std::min<std::size_t>(c.begin, 6);
  EXPECT_NE(
      decode(after.substr(c.begin - around, c.afterEnd - c.begin + 2 * around), GetParam().encoding)
          .find("00FF00"),
      std::string::npos)
      << added;
  EXPECT_NE(show().out.find("Face Color: 00FF00\n"), std::string::npos);
}

// Where a pasting command puts its block on pages that hold the cases of their kind: the page's
// own end tags keep their bytes, an end of the page left inside a comment or a script is refused,
// template code counts for nothing, and --template reads any page as a template.
TEST(PastePlaces, OnlyTheWrittenTextIsNewAndNothingGoesIntoOpenMarkup) {
  struct Case {
    const char* file;
    const char* page;
    const char* command;  // and its arguments after PAGE
    int status;
    const char* expected;  // status 0: the text after the insertion; else: in the message
  };
  const Case kCases[] = {
      {"note.html", "<html><body><p>x<!-- old note", "date --yes", 2,
       "the end of the page, where the block would go, lies inside a comment that the page "
       "leaves open"},
      {"open.html", "<html><body><p>x<script>var a = 1;\n", "favourites --text Home", 2,
       "lies inside the text of a <script> element that the page leaves open"},
      {"cut.html", "<html><body><p>x</p><img src=a.gif", "date --yes", 2, "lies inside a tag"},
      {"meta.html",
       "<html><META http-equiv=Content-Type content=\"text/html\"><HEAD><TITLE>x</TITLE></HEAD>"
       "<BODY>b</BODY></HTML>",
       "script-head 'go();'", 0, "</HEAD><BODY>"},
      {"page.html", "{# </body> #}<html><body>x</body></html>", "date --yes --template twig", 0,
       "</body></html>"},
      {"page.htm", "{* </body> *}<html><body>{\"</body>\"}</body></html>",
       "favourites --text Home --template smarty", 0, "</body></html>"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.command);
    testing::TempDir dir;
    const fs::path page = dir.write(c.file, c.page);
    const auto run = runVelmo(std::string(c.command).insert(std::string(c.command).find(' ') + 1,
                                                            shellQuote(page.string()) + " "));
    const std::string after = readBytes(page);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.status != 0) {
      EXPECT_EQ(after, c.page);
      EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
      continue;
    }
    // The page with one insertion, at a place the expected text follows.
    const std::string_view before = c.page;
    bool inserted = false;
    for (std::size_t at = 0; at <= before.size() && after.size() > before.size(); ++at) {
      const std::size_t length = after.size() - before.size();
      inserted |= after.compare(0, at, before, 0, at) == 0 &&
                  after.compare(at + length, std::string::npos, before.substr(at)) == 0 &&
                  before.substr(at).starts_with(c.expected);
    }
    EXPECT_TRUE(inserted) << after;
    // Nothing comes before the page's leading template code, server code or doctype.
    EXPECT_EQ(after.compare(0, 2, c.page, 0, 2), 0) << after;
  }
  const auto unknown = runVelmo("date page.html --template jinja2");
  EXPECT_NE(unknown.status, 0);
  EXPECT_NE(unknown.err.find("unknown template language 'jinja2'"), std::string::npos)
      << unknown.err;
}

// A template written into its layout has neither head nor body: the blocks go where they would
// on a page without them, after the template code it begins with.
TEST(PastePlaces, LayoutTemplatesAndFolderWalks) {
  testing::TempDir dir;
  fs::copy(VELMO_SOURCE_DIR "/tests/corpus/template_site", dir / "site",
           fs::copy_options::recursive);
  const fs::path child = dir / "site/layouts/product.j2";
  const std::string before = readBytes(child);
  const auto run = runVelmo("script-head " + shellQuote(child.string()) + " 'go();'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string after = readBytes(child);
  EXPECT_TRUE(after.starts_with("{% extends \"layouts/base.html\" %}\n{#")) << after;
  EXPECT_LT(after.find("{% block head %}"), after.find("<head>")) << after;

  const auto found = runVelmo("botfound " + shellQuote((dir / "site").string()) + " Timestamp");
  for (const char* page : {"account.cfm", "cart.tpl", "shop.twig", "list.hbs", "catalog.jsp"}) {
    EXPECT_NE(found.out.find(page), std::string::npos) << page << " in\n" << found.out;
  }
  EXPECT_EQ(found.out.find("product.j2"), std::string::npos) << found.out;
}

std::string pageName(const ::testing::TestParamInfo<OldPage>& info) {
  std::string name = info.param.file;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Pages, OldSite, ::testing::ValuesIn(kPages), pageName);
INSTANTIATE_TEST_SUITE_P(TemplateSite, OldSite, ::testing::ValuesIn(kTemplatePages), pageName);

}  // namespace
}  // namespace velmo
