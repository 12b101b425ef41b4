// The pieces of velmo check on their own: each rule over a page written for it (what it finds
// and where), the site's files as references find them, and lines and columns as a reader
// counts them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/check/page_findings.h"
#include "cli/check/site_files.h"
#include "file_host/file_host.h"
#include "file_host/html/page_lines.h"
#include "tests/support/temp_dir.h"

namespace velmo::testing {
namespace {

// The rules a page body is found to break, in source order, as "rule@" and the text at the
// finding.
std::vector<std::string> found(const std::string& content, const std::string& name = "p.html") {
  TempDir dir;
  dir.write("site/images/logo.gif", "GIF89a");
  const std::string page = "<html><head></head><body>" + content + "</body></html>";
  const auto file = dir.write("site/" + name, page);
  file_host::FileHost host;
  host.openPage(file, dir / "site", false);
  check::SiteFiles files(dir / "site");
  std::vector<std::string> out;
  for (const check::Finding& f : check::checkPage(host, files)) {
    out.push_back(std::string(f.rule->name) + "@" + page.substr(f.offset, 6));
  }
  return out;
}

using Found = std::vector<std::string>;

TEST(CheckRules, EachRuleOnThePlacesItSpeaksOf) {
  const struct {
    const char* name;
    std::string content;
    Found expected;
  } cases[] = {
      {"colours that are colours",
       "<style>body{scrollbar-face-color:#abc;scrollbar-base-color:red;"
       "scrollbar-arrow-color:rgb(1,2,3);SCROLLBAR-TRACK-COLOR:#A0B0C0 !important}</style>",
       {}},
      {"colours that are not",
       "<style>body{scrollbar-face-color:#abcd;scrollbar-base-color:"
       "336699;scrollbar-arrow-color:}</style>",
       {"scrollbar-colour@#abcd;", "scrollbar-colour@336699", "scrollbar-colour@}</sty"}},
      {"another property is no scrollbar's", "<style>body{color:#zz}</style>", {}},
      {"a picture that exists, and one in another case",
       "<!--webbot bot=\"X\" startspan --><img src=\"images/logo.gif\"><img "
       "src=\"Images/logo.gif?v=1\">"
       "<a href=\"http://example.com/x\">x</a><a href=\"#top\">t</a>"
       "<!--webbot bot=\"X\" endspan -->",
       {"reference-case@Images"}},
      {"a reference above the site is no file of it",
       "<!--webbot bot=\"X\" startspan --><img src=\"../../x.gif\"><!--webbot bot=\"X\" endspan "
       "-->",
       {}},
      {"a reference outside blocks is not looked at", "<img src=\"gone.gif\">", {}},
      {"a nested pair closes the inner start first",
       "<!--webbot bot=\"A\" startspan --><!--webbot bot=\"A\" startspan -->"
       "<!--webbot bot=\"A\" endspan -->",
       {"webbot-unclosed@<!--we"}},
      {"a Smarty comment hides a block, a Smarty string does not",
       "{* <!--webbot bot=\"V_Date\" startspan --> *}{'<!--webbot bot=\"V_Date\" startspan -->'}",
       {"hidden-block@<!--we"}},
      {"a JSP comment hides a block, a JSP string does not",
       "<%-- <script language = \"javascript\"> --%><%= \"<script language = \\\"javascript\\\">\" "
       "%>",
       {"hidden-block@<scrip"}},
  };
  for (const auto& c : cases) {
    const bool smarty = c.content.starts_with("{*");
    EXPECT_EQ(found(c.content, smarty ? "p.tpl" : "p.html"), c.expected) << c.name;
  }
}

TEST(CheckRules, SiteFilesSpellAReferenceAsTheOneFileItMatches) {
  TempDir dir;
  for (const char* file :
       {"site/Shop/Cart.html", "site/a/b.gif", "site/two/x.gif", "site/two/X.gif"}) {
    dir.write(file, "x");
  }
  check::SiteFiles files(dir / "site");
  const auto page = dir / "site" / "a";
  using Kind = check::Lookup::Kind;
  const struct {
    std::u16string path;
    Kind kind;
    std::u16string corrected;
  } cases[] = {
      {u"b.gif", Kind::Found, u""},
      {u"B.GIF", Kind::OtherCase, u"b.gif"},
      {u"../shop/cart.html", Kind::OtherCase, u"../Shop/Cart.html"},
      {u"/SHOP/./Cart.html", Kind::OtherCase, u"/Shop/./Cart.html"},
      {u"x/../../shop/Cart.html", Kind::OtherCase, u"x/../../Shop/Cart.html"},
      {u"../two/x.GIF", Kind::OtherCase, u""},  // x.gif and X.gif both match
      {u"../gone.gif", Kind::Missing, u""},
      {u"../../outside.gif", Kind::Outside, u""},
  };
  for (const auto& c : cases) {
    const check::Lookup lookup = files.find(page, c.path);
    EXPECT_EQ(lookup.kind, c.kind) << std::string(c.path.begin(), c.path.end());
    EXPECT_EQ(lookup.corrected, c.corrected) << std::string(c.path.begin(), c.path.end());
  }
}

TEST(CheckRules, LinesAndColumnsAsAReaderCountsThem) {
  // CR LF, a lone LF and a lone CR each end a line; columns count characters.
  const std::string text = "a\r\nb\nc\rd\xC3\xA9x";
  file_host::LineCounter utf8(text, true);
  const std::pair<std::size_t, file_host::PagePosition> expected[] = {
      {0, {1, 1}}, {3, {2, 1}}, {5, {3, 1}}, {7, {4, 1}}, {10, {4, 3}}, {1, {1, 2}}};
  for (const auto& [offset, position] : expected) {
    const auto at = utf8.at(offset);
    EXPECT_EQ(at.line, position.line) << offset;
    EXPECT_EQ(at.column, position.column) << offset;
  }
  // In a legacy encoding each byte is a character.
  EXPECT_EQ(file_host::LineCounter(text, false).at(10).column, 4u);
}

}  // namespace
}  // namespace velmo::testing
