// Compares the page scanner with the gumbo HTML5 parser on the HTML pages installed under
// /usr/share/doc and on hand-written tricky snippets: both must agree on where the head, every
// STYLE and SCRIPT element and every comment start and end. The page operations must also keep
// every byte outside the span they change.
//
// Gumbo knows no server blocks (ASP, PHP), which the scanner reads as nothing wherever they stand:
// on a page that holds some, gumbo reads the page with each block blanked out with spaces, which
// is the markup the page's author sees around them. Template code (a template page's blocks) and
// server tags that the scanner reads as such in the head are blanked the same way.

#include <gtest/gtest.h>
#include <gumbo.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>
#include <tuple>

#include "file_host/html/markup_place.h"
#include "file_host/html/page_index.h"
#include "file_host/html/page_trace.h"
#include "file_host/html_page.h"
#include "tests/fuzz/page_check.h"
#include "tests/support/installed_pages.h"

namespace velmo::file_host {
namespace {
namespace fs = std::filesystem;

using Span = std::tuple<int, std::size_t, std::size_t>;  // kind, begin, end

struct GumboView {
  std::set<Span> items;
  std::optional<HeadSpan> head;
  std::vector<std::pair<std::size_t, std::size_t>> noscript;
  bool headHasNoscript = false;
  std::vector<std::size_t> rawContent;  // where the content of each STYLE and SCRIPT begins
};

class GumboReader {
 public:
  GumboReader(const char* base, std::size_t shift) : base_(base), shift_(shift) {}

  void walk(const GumboNode* node, GumboView& out, bool inHead = false) {
    if (node->type == GUMBO_NODE_COMMENT) {
      const auto& t = node->v.text;
      const std::size_t begin = t.start_pos.offset + shift_;
      out.items.insert({int(TraceItem::Kind::Comment), begin, begin + t.original_text.length});
      return;
    }
    const GumboVector* children;
    if (node->type == GUMBO_NODE_DOCUMENT) {
      children = &node->v.document.children;
    } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
      const GumboElement& e = node->v.element;
      children = &e.children;
      const bool html = e.tag_namespace == GUMBO_NAMESPACE_HTML;
      const std::size_t begin =
          e.original_tag.length ? offset(e.original_tag.data) : e.start_pos.offset + shift_;
      const std::size_t innerBegin = begin + e.original_tag.length;
      const std::size_t innerEnd =
          e.original_end_tag.length ? offset(e.original_end_tag.data) : e.end_pos.offset + shift_;
      const std::size_t end = innerEnd + e.original_end_tag.length;
      if (html && e.tag == GUMBO_TAG_NOSCRIPT) {
        out.noscript.push_back({begin, end});
        out.headHasNoscript |= inHead;
        return;
      }
      if (html && e.tag == GUMBO_TAG_HEAD) {
        out.head = HeadSpan{begin,
                            innerBegin,
                            innerEnd,
                            end,
                            e.original_tag.length > 0,
                            e.original_end_tag.length > 0};
        inHead = true;
      }
      if (html && (e.tag == GUMBO_TAG_STYLE || e.tag == GUMBO_TAG_SCRIPT)) {
        const auto kind =
            e.tag == GUMBO_TAG_STYLE ? TraceItem::Kind::Style : TraceItem::Kind::Script;
        // A raw-text element that runs to the end of the input ends there.
        const std::size_t last = e.original_end_tag.length ? end : size_;
        out.items.insert({int(kind), begin, last});
        out.rawContent.push_back(innerBegin);
      }
    } else {
      return;
    }
    for (unsigned i = 0; i < children->length; ++i) {
      walk(static_cast<const GumboNode*>(children->data[i]), out, inHead);
    }
  }

  void setSize(std::size_t size) { size_ = size; }

 private:
  std::size_t offset(const char* p) const { return static_cast<std::size_t>(p - base_) + shift_; }

  const char* base_;
  std::size_t shift_;
  std::size_t size_ = 0;
};

std::string describe(const Span& s) {
  static const char* kNames[] = {"comment", "script", "style"};
  return std::string(kNames[std::get<0>(s)]) + " " + std::to_string(std::get<1>(s)) + ".." +
         std::to_string(std::get<2>(s));
}

// The page with each server block the scan reads blanked out with spaces.
std::string blanked(const std::string& page, const std::vector<TraceItem>& trace,
                    std::size_t& blocks) {
  std::string html = page;
  blocks = 0;
  for (const TraceItem& t : trace) {
    if (t.kind != TraceItem::Kind::ServerBlock) continue;
    std::fill(html.begin() + t.begin, html.begin() + t.end, ' ');
    ++blocks;
  }
  return html;
}

// What gumbo reads in the page, with the server blocks of the scan's trace blanked out.
GumboView readWithGumbo(const std::string& page, const std::vector<TraceItem>& trace) {
  std::size_t blocks = 0;
  const std::string html = blanked(page, trace, blocks);
  // Gumbo reads a byte order mark as text; the page model skips it as a browser does.
  const std::size_t bom = html.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const std::string body = html.substr(bom);
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, body.data(), body.size());
  GumboView g;
  GumboReader reader(body.data(), bom);
  reader.setSize(page.size());
  reader.walk(output->document, g);
  gumbo_destroy_output(&kGumboDefaultOptions, output);
  return g;
}

void compareWithGumbo(const std::string& page,
                      html::TemplateSyntax syntax = html::TemplateSyntax::None) {
  PageIndex index(page, syntax);
  const std::vector<TraceItem> trace = tracePage(index);
  std::size_t blocks = 0;
  blanked(page, trace, blocks);
  SCOPED_TRACE(blocks ? std::to_string(blocks) + " server blocks blanked for gumbo"
                      : std::string("plain HTML"));
  const GumboView g = readWithGumbo(page, trace);

  auto insideNoscript = [&](std::size_t pos) {
    return std::any_of(g.noscript.begin(), g.noscript.end(),
                       [&](const auto& r) { return pos >= r.first && pos < r.second; });
  };
  std::set<Span> ours;
  for (const TraceItem& t : trace) {
    if (t.kind != TraceItem::Kind::ServerBlock && !insideNoscript(t.begin)) {
      ours.insert({int(t.kind), t.begin, t.end});
    }
  }
  std::set<Span> theirs;
  for (const Span& s : g.items) {
    if (!insideNoscript(std::get<1>(s))) theirs.insert(s);
  }
  for (const Span& s : theirs) {
    EXPECT_TRUE(ours.count(s)) << "gumbo has " << describe(s) << " that the scanner misses";
  }
  for (const Span& s : ours) {
    EXPECT_TRUE(theirs.count(s)) << "the scanner has " << describe(s) << " that gumbo has not";
  }

  // Gumbo parses <noscript> as a browser without scripting does, which can end the head early.
  ASSERT_TRUE(g.head.has_value());
  if (g.headHasNoscript) return;
  const HeadSpan ourHead = index.head();
  EXPECT_EQ(ourHead.begin, g.head->begin);
  EXPECT_EQ(ourHead.innerBegin, g.head->innerBegin);
  EXPECT_EQ(ourHead.innerEnd, g.head->innerEnd);
  EXPECT_EQ(ourHead.end, g.head->end);
}

void checkOperations(const std::string& page, const std::string& fileName = "fuzz/page.html") {
  for (const std::string& failure : testing::checkPageOperations(page, fileName)) {
    ADD_FAILURE() << failure;
  }
}

// Pages whose parse is worth pinning down; gumbo is the judge. Left out: "</>", after which gumbo
// reports the next token as starting at the "</", and a head that "</br>" ends, which gumbo
// closes after the tag rather than before it (the unit tests pin both).
const char* const kSnippets[] = {
    "<!DOCTYPE html><html><head><title>t</title><style>a{}</style></head><body>x</body></html>",
    "<html>\n<title>x</title>\n<p>a",
    "<head><title>x</title>\n hi",
    "<head></head>\n<style>a</style>\n<link rel=stylesheet href=a.css><body>",
    "\xEF\xBB\xBF<html><head><style>b{}</style></head><body></body></html>",
    "<html><body><!--webbot bot=\"a\" startspan --><b>x</b><!--webbot bot=\"a\" endspan --></body>",
    "<script><!-- <script> </script> --></script><!--after-->",
    "<script>a</script x='>'><style><!--</style>--><!---->",
    "<!--><!---><!-- --!><!-- a -- b --><!x><?php ?></ x><p>",
    "<title><!--not a comment--></title><textarea><!--no--></textarea><!--yes-->",
    "<xmp><!--no--></xmp><iframe><!--no--></iframe><noembed><!--no--></noembed>",
    "<select><style><!--a--></style></select><style>x</style>",
    "<svg><style><!--in svg--></style></svg><style>s</style>",
    "<svg><foreignObject><style>f</style></foreignObject></svg>",
    "<math><mi><style>m</style></mi><p><style>n</style>",
    "<svg><![CDATA[<!--x-->]]></svg><!--y-->",
    "<head><template><p>t</p><style>s</style></template><meta></head><body>",
    "<html><head><base href=x><noframes><!--n--></noframes></head>",
    "<p>text</p><head><style>late</style>",
    "  \n<!--c--><html lang=en>\n<!--d-->\n<body>",
    "<head>\n<style>\n</head><body>",
    "<head><script src=a.js></script></head></body><!--b--></body>",
    "<style>unterminated",
    "<!-- unterminated",
    "<plaintext><!--all text-->",
    "</p><head></p><title>t</title></head>",
    "<frameset><noframes><!--f--></noframes></frameset>",
    "<table><style>t</style><tr><td><script>s</script></table>",
    "<div title=\"<!--x-->\"><!--real--></div>",
    "<a b='<style>'>x</a><style>y</style>",
    // Server blocks: gumbo reads these with the blocks blanked out.
    "<%@ Language=VBScript %>\r\n<html><head><title>a</title></head><body></body></html>",
    "<?php echo \"</head>\"; ?><html><head><style>a{}</style></head><body>x</body></html>",
    "<script>var s = \"<%= \"</script>\" %>\";</script><!--after-->",
    "<a href=\"<%= url(\"x>y\") %>\" title=<%=t%>>x</a><style>s</style>",
    "<body <% if x then %>class=\"a\"<% end if %>><!--c--></body>",
    "<!-- <% x = \"-->\" %> --><style>y</style>",
    "<title><%= \"</title>\" %></title><textarea><% '</textarea>' %></textarea><!--t-->",
    "<?xml version=\"1.0\"?><html><head><style>a</style></head>",
    "<%-- <style>x</style> %> --%><style>y</style>",
    "<p>50 <% of cats</p><!--no server block without a closer-->",
    "<?php // comment ?><!--x--><?php $s = '?>'; /* ?> */ ?><style>z</style>",
    "<head><? if ($x) { ?><style>a</style><? } ?></head><body>",
    "<html><head><style>a</style></head><body><?php echo \"</body>\";",
    "<div<%=x%>><!--d--></div><!DOCTYPE <%= \">\" %>><!--e-->",
};

class Snippet : public ::testing::TestWithParam<const char*> {};

TEST_P(Snippet, AgreesWithGumbo) {
  compareWithGumbo(GetParam());
}
// Where a caret may stand follows the same tree: inside every comment and in the content of every
// STYLE and SCRIPT element gumbo finds, and nowhere else in raw text.
TEST_P(Snippet, CaretPlacesAgreeWithGumbo) {
  const std::string page = GetParam();
  PageIndex index(page);
  const GumboView g = readWithGumbo(page, tracePage(index));
  const auto insideNoscript = [&](std::size_t pos) {
    return std::any_of(g.noscript.begin(), g.noscript.end(),
                       [&](const auto& r) { return pos >= r.first && pos < r.second; });
  };
  std::set<std::size_t> raw;
  for (const std::size_t at : g.rawContent) {
    if (insideNoscript(at)) continue;
    raw.insert(at);
    EXPECT_EQ(markupPlaces(page, at, at).begin.kind, MarkupPlace::Kind::RawText) << "at " << at;
  }
  for (const Span& s : g.items) {
    const auto [kind, begin, end] = s;
    if (kind != int(TraceItem::Kind::Comment) || insideNoscript(begin)) continue;
    const MarkupPlace::Kind place = markupPlaces(page, begin + 1, begin + 1).begin.kind;
    EXPECT_TRUE(place == MarkupPlace::Kind::Comment || place == MarkupPlace::Kind::WebbotComment)
        << "comment at " << begin;
  }
  // A STYLE or SCRIPT start tag, itself outside markup, whose content gumbo does not read as
  // text: neither do we.
  for (const std::string_view tag : {"<style>", "<script>"}) {
    for (std::size_t at = page.find(tag); at != std::string::npos; at = page.find(tag, at + 1)) {
      const std::size_t content = at + tag.size();
      if (raw.count(content) || insideNoscript(at)) continue;
      const MarkupPlaces places = markupPlaces(page, at, content);
      if (places.begin.kind != MarkupPlace::Kind::Outside) continue;
      EXPECT_NE(places.end.kind, MarkupPlace::Kind::RawText) << tag << " at " << at;
    }
  }
}

TEST_P(Snippet, OperationsKeepOtherBytes) {
  checkOperations(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Corpus, Snippet, ::testing::ValuesIn(kSnippets));

std::vector<std::string> pagesToRead() {
  std::vector<std::string> out;
  for (const auto& page : testing::installedPages()) out.push_back(page.string());
  if (out.empty()) out.push_back("");  // a test that skips says there was nothing to read
  return out;
}

class InstalledPage : public ::testing::TestWithParam<std::string> {
 protected:
  std::string read() {
    if (GetParam().empty()) return {};
    std::ifstream in(GetParam(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) return {};
    return bytes.str();
  }
};

TEST_P(InstalledPage, AgreesWithGumbo) {
  const std::string page = read();
  if (page.empty()) GTEST_SKIP() << "cannot read " << GetParam();
  compareWithGumbo(page);
}

TEST_P(InstalledPage, OperationsKeepOtherBytes) {
  const std::string page = read();
  if (page.empty()) GTEST_SKIP() << "cannot read " << GetParam();
  checkOperations(page);
}

INSTANTIATE_TEST_SUITE_P(Corpus, InstalledPage, ::testing::ValuesIn(pagesToRead()));

// The files below `folder` whose names end in one of `extensions` (any file but a style sheet
// when none is given), in order.
std::vector<std::string> filesBelow(const char* folder,
                                    std::initializer_list<std::string_view> extensions = {}) {
  std::vector<std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file()) continue;
    if (extensions.size() == 0
            ? ext != ".css"
            : std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) {
      out.push_back(entry.path().string());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Pages kept with the tests.
using KeptPage = InstalledPage;

TEST_P(KeptPage, AgreesWithGumbo) {
  const std::string page = read();
  ASSERT_FALSE(page.empty()) << GetParam();
  if (page.starts_with("\xFF\xFE") || page.starts_with("\xFE\xFF")) GTEST_SKIP() << "UTF-16";
  compareWithGumbo(page, html::templateSyntaxOfFile(GetParam()));
}

TEST_P(KeptPage, OperationsKeepOtherBytes) {
  const std::string page = read();
  ASSERT_FALSE(page.empty()) << GetParam();
  checkOperations(page, GetParam());
}

// The pages of the old site: legacy encodings, server pages, a frameset. UTF-16 pages are
// compared with gumbo only through the velmo tests, which read them decoded.
INSTANTIATE_TEST_SUITE_P(OldSite, KeptPage,
                         ::testing::ValuesIn(filesBelow(VELMO_SOURCE_DIR "/tests/corpus/old_site",
                                                        {".htm", ".html", ".asp", ".php"})));
// Templates and server pages: word-processor exports, XHTML, SSI, JSP, ASP.NET, ColdFusion,
// Smarty, Twig, Jinja, Handlebars and Mustache, tag soup; each read in the template language its
// name says.
INSTANTIATE_TEST_SUITE_P(TemplateSite, KeptPage,
                         ::testing::ValuesIn(filesBelow(VELMO_SOURCE_DIR
                                                        "/tests/corpus/template_site")));
// Whether gumbo finds a node that `is` accepts, inside an element of `tag`.
template <typename Is>
bool foundInside(const GumboNode* node, GumboTag tag, bool inside, const Is& is) {
  if (is(node)) return inside;
  if (node->type != GUMBO_NODE_DOCUMENT && node->type != GUMBO_NODE_ELEMENT) return false;
  const GumboVector& children =
      node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
  inside |= node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
  for (unsigned i = 0; i < children.length; ++i) {
    if (foundInside(static_cast<const GumboNode*>(children.data[i]), tag, inside, is)) return true;
  }
  return false;
}

// The pages of the sites kept with the tests, whose every head and body the commands write into.
using SitePage = KeptPage;

// What the head edit and a paste with no selection write lands, for an HTML5 parser reading the
// page as its author sees it (template and server code blanked), in the head and in the body.
TEST_P(SitePage, WrittenBlocksLandInTheHeadAndTheBody) {
  const std::string bytes = read();
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) GTEST_SKIP() << "UTF-16";
  auto page = HtmlPage::fromSource(bytes, GetParam(), "site");
  auto doc = page->document();
  auto head = doc->all()->tags(u"HEAD")->item(0);
  head->setInnerHTML(head->innerHTML() + u"<meta name=\"velmo-mark\">");
  const std::size_t caret = page->defaultCaret();
  page->setSelection(caret, caret);
  doc->selection()->createRange()->pasteHTML(u"<!--velmo-mark-->");

  PageIndex index(page->source(), page->templateSyntax());
  std::size_t blocks = 0;
  std::string html = blanked(page->source(), tracePage(index), blocks);
  if (html.starts_with("\xEF\xBB\xBF")) html.erase(0, 3);  // which gumbo would read as text
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
  const bool meta = foundInside(output->document, GUMBO_TAG_HEAD, false, [](const GumboNode* n) {
    if (n->type != GUMBO_NODE_ELEMENT || n->v.element.tag != GUMBO_TAG_META) return false;
    const GumboAttribute* name = gumbo_get_attribute(&n->v.element.attributes, "name");
    return name && std::string_view(name->value) == "velmo-mark";
  });
  const bool comment = foundInside(output->document, GUMBO_TAG_BODY, false, [](const GumboNode* n) {
    return n->type == GUMBO_NODE_COMMENT && std::string_view(n->v.text.text) == "velmo-mark";
  });
  gumbo_destroy_output(&kGumboDefaultOptions, output);
  EXPECT_TRUE(meta) << "the head's new content is not in the head:\n" << page->source();
  // A frameset has no body: its pastes go to the end of the page.
  if (page->source().find("<frameset") == std::string::npos) {
    EXPECT_TRUE(comment) << "the pasted comment is not in the body:\n" << page->source();
  }
}

INSTANTIATE_TEST_SUITE_P(OldSite, SitePage,
                         ::testing::ValuesIn(filesBelow(VELMO_SOURCE_DIR "/tests/corpus/old_site",
                                                        {".htm", ".html", ".asp", ".php"})));
INSTANTIATE_TEST_SUITE_P(TemplateSite, SitePage,
                         ::testing::ValuesIn(filesBelow(VELMO_SOURCE_DIR
                                                        "/tests/corpus/template_site")));
// The fuzzer's kept cases: pages that once broke the scanner or the index.
INSTANTIATE_TEST_SUITE_P(FuzzCases, KeptPage,
                         ::testing::ValuesIn(filesBelow(VELMO_SOURCE_DIR
                                                        "/tests/fuzz/corpus/page")));

}  // namespace
}  // namespace velmo::file_host
