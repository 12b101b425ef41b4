// The parts of the page index on their own: the scan observer, the landmark list, webbot pairing,
// the raw-text element table, and the initial caret of a page that no longer swaps text back in.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/common/text.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/landmark_list.h"
#include "file_host/html/page_index.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/page_trace.h"
#include "file_host/html/raw_text_elements.h"
#include "file_host/html_page.h"

namespace velmo::file_host {
namespace {

// Everything a scan records, as text: the landmarks and where the scan stood after each.
std::string landmarksOf(PageIndex& index) {
  std::ostringstream out;
  index.sheetCount();  // reads the whole page
  const auto body = index.bodyEndTag();
  for (std::size_t i = 0; const auto& b : index.webbotBlocks()) {
    out << "block " << i++ << ' ' << b.start << ' ' << (b.end ? int(*b.end) : -1) << '\n';
  }
  for (std::size_t i = 0; i < index.sheetCount(); ++i) out << "sheet " << *index.sheet(i) << '\n';
  out << "body " << (body ? int(*body) : -1) << '\n';
  const HeadSpan h = index.head();
  out << "head " << h.begin << ' ' << h.innerBegin << ' ' << h.innerEnd << ' ' << h.end << '\n';
  return out.str();
}

using Span = std::tuple<std::string, std::size_t, std::size_t>;

// Writes down everything it is told.
class Recorder : public ScanObserver {
 public:
  void comment(const html::Token& t) override { seen.push_back({"comment", t.begin, t.end}); }
  void rawTextElement(const html::Token& t, std::size_t innerEnd, std::size_t end) override {
    seen.push_back({asciiLowered(t.text), t.begin, end});
    inner.push_back({asciiLowered(t.text), t.end, innerEnd});
  }
  std::vector<std::pair<std::size_t, std::size_t>>* serverBlocks() override { return &blocks; }

  std::vector<Span> seen;
  std::vector<Span> inner;
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
};

// Asks for every token as well.
class TokenRecorder : public Recorder {
 public:
  bool wantsEveryToken() const override { return true; }
  void token(const html::Token& t, const ScanState&) override { tokens.push_back(t); }
  std::vector<html::Token> tokens;
};

Span at(const std::string& page, const std::string& what, const std::string& piece,
        std::size_t from = 0) {
  const std::size_t begin = page.find(piece, from);
  return {what, begin, begin + piece.size()};
}

const char* const kPages[] = {
    "<html><head><title>t</title><!--h--><style>a{}</style></head><body><!--b--><p>x</p>"
    "<!--webbot bot=\"A\" startspan --><i>y</i><!--webbot bot=\"A\" endspan --></body></html>",
    "<head><template><style>s</style><!--t--></template></head><body><select><!--s--><script>"
    "1</script></select><svg><!--v--><style>v</style></svg><textarea><!--no--></textarea>",
    "<body><? echo 1 ?><div title=\"<%= x %>\"><!x><![CDATA[c]]><style><%= s %></style>",
    "<p>text first<link rel=stylesheet href=a.css><!--webbot bot=B --></body><!--after-->",
};

// The observer is told what the scan of the body's fast path reads as well as what the tree
// rules read: comments and bogus comments wherever they stand, every raw-text element, and each
// server block (nested ones included).
TEST(ScanObserver, SeesEveryCommentRawTextElementAndServerBlock) {
  const std::string page =
      "<head><!--h--><title>t</title></head><body><!--b--><p title='<?= 1 ?>'><![CDATA[x]]>"
      "<select><!--s--></select><svg><!--v--></svg><script>s</script><%= y %><textarea>"
      "<!--no--></textarea><!--end";
  PageIndex index(page);
  Recorder r;
  index.scanObserved(r);
  const std::vector<Span> expected = {
      at(page, "comment", "<!--h-->"),
      at(page, "title", "<title>t</title>"),
      at(page, "comment", "<!--b-->"),
      at(page, "comment", "<![CDATA[x]]>"),
      at(page, "comment", "<!--s-->"),
      at(page, "comment", "<!--v-->"),
      at(page, "script", "<script>s</script>"),
      at(page, "textarea", "<textarea><!--no--></textarea>"),
      at(page, "comment", "<!--end"),
  };
  EXPECT_EQ(r.seen, expected);
  const std::size_t script = page.find("<script>") + 8;
  EXPECT_EQ(r.inner[1], Span("script", script, script + 1));
  const std::vector<std::pair<std::size_t, std::size_t>> blocks = {
      {page.find("<?="), page.find("?>") + 2}, {page.find("<%="), page.find("%>") + 2}};
  EXPECT_EQ(r.blocks, blocks);
}

// Looking on changes nothing the index answers, and a scan after it without an observer reads
// the same again.
TEST(ScanObserver, LeavesTheLandmarksAsAScanWithoutIt) {
  for (const std::string page : kPages) {
    PageIndex plain(page);
    const std::string expected = landmarksOf(plain);
    PageIndex watched(page);
    Recorder first;
    watched.scanObserved(first);
    EXPECT_EQ(landmarksOf(watched), expected) << page;
    Recorder second;
    watched.scanObserved(second);
    EXPECT_EQ(first.seen, second.seen) << page;
    watched.invalidateFrom(0);
    EXPECT_EQ(landmarksOf(watched), expected) << page;
    EXPECT_EQ(first.seen.size(), second.seen.size());

    // Read token by token, the page gives the same landmarks and the same elements, and the
    // tokens come in document order (text read again where it begins the body starts later).
    PageIndex everyToken(page);
    TokenRecorder all;
    everyToken.scanObserved(all);
    EXPECT_EQ(landmarksOf(everyToken), expected) << page;
    EXPECT_EQ(all.seen, first.seen) << page;
    ASSERT_FALSE(all.tokens.empty());
    for (std::size_t i = 1; i < all.tokens.size(); ++i) {
      EXPECT_LE(all.tokens[i - 1].begin, all.tokens[i].begin) << page;
    }
  }
}

// The trace lists script and style elements, comments and deduplicated server blocks in
// document order; a block in a tag is read twice (the tag is walked again) but listed once.
TEST(ScanObserver, TraceListsItemsInDocumentOrder) {
  const std::string page = "<a href=\"<%= u %>\">x</a><!--c--><style>s</style><script>j</script>";
  PageIndex index(page);
  std::vector<std::pair<TraceItem::Kind, std::size_t>> got;
  for (const TraceItem& t : tracePage(index)) got.push_back({t.kind, t.begin});
  const std::vector<std::pair<TraceItem::Kind, std::size_t>> expected = {
      {TraceItem::Kind::ServerBlock, page.find("<%=")},
      {TraceItem::Kind::Comment, page.find("<!--")},
      {TraceItem::Kind::Style, page.find("<style")},
      {TraceItem::Kind::Script, page.find("<script")},
  };
  EXPECT_EQ(got, expected);
}

// A PHP block left open at the end: pasting at the end goes before it; a closed one does not
// count.
TEST(ScanObserver, EndOfMarkupStopsBeforeAnOpenServerBlock) {
  const std::string open = "<p>x<?php echo 1; <? echo 2;";
  EXPECT_EQ(PageIndex(open).endOfMarkup(), open.find("<?php"));
  const std::string closed = "<p>x<?php echo 1; ?> ";
  EXPECT_EQ(PageIndex(closed).endOfMarkup(), closed.size());
}

Landmark markAt(std::size_t begin, std::size_t reach, bool closed, MarkKind kind) {
  Landmark m;
  m.begin = begin;
  m.end = begin + 1;
  m.reach = reach;
  m.closed = closed;
  m.kind = kind;
  return m;
}

// An edit at X keeps what bytes before X decided: a landmark reaching X itself stays only when
// its last token was closed there; cutting the list drops the kinds kept at hand with it.
TEST(LandmarkList, KeepsWhatBytesBeforeAnEditDecided) {
  LandmarkList list(std::pmr::get_default_resource());
  list.record(markAt(0, 5, true, MarkKind::HeadStart));
  list.record(markAt(5, 10, false, MarkKind::Style));
  list.record(markAt(10, 12, true, MarkKind::HeadEnd));
  list.record(markAt(20, 25, true, MarkKind::Webbot));
  list.record(markAt(30, 35, true, MarkKind::BodyEnd));
  EXPECT_EQ(list.decidedBefore(5), 1u);
  EXPECT_EQ(list.decidedBefore(10), 1u);  // the Style landmark's token was open at its reach
  EXPECT_EQ(list.decidedBefore(12), 3u);
  EXPECT_EQ(list.decidedBefore(100), 5u);
  EXPECT_EQ(list.firstFrom(11), 3u);
  EXPECT_EQ(list.firstFrom(31), 5u);
  list.truncate(3);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list.headEnd(), 2u);
  EXPECT_FALSE(list.bodyEnd());
  EXPECT_TRUE(list.webbots().empty());
  EXPECT_EQ(list.sheets(), std::vector<std::size_t>{1});
  list.truncate(1);
  EXPECT_FALSE(list.headEnd());
  EXPECT_TRUE(list.sheets().empty());
}

// Webbot pairing: the nearest open start of the same name, names compared as written, comments
// without a bot attribute among themselves, an end with no open start ignored.
TEST(WebbotPairing, EndsCloseTheNearestOpenStartOfTheirName) {
  const std::string page =
      "<body><!--webbot bot=A startspan --><!--webbot bot=B startspan --><!--webbot startspan -->"
      "<!--webbot bot=A startspan --><!--webbot bot=A endspan --><!--webbot endspan -->"
      "<!--webbot bot=a endspan --><!--webbot bot=A endspan --><!--webbot bot=C -->"
      "<!--webbot bot=B endspan -->";
  PageIndex index(page);
  std::vector<std::pair<std::string, std::string>> got;
  for (const WebbotBlock& b : index.webbotBlocks()) {
    const std::size_t begin = index.mark(b.start).begin;
    std::string name(index.botName(b.start).value_or("-"));
    got.push_back({name + "@" + std::to_string(begin),
                   b.end ? std::to_string(index.mark(*b.end).begin) : "open"});
  }
  auto nth = [&](const std::string& piece, int n) {
    std::size_t at = page.find(piece);
    while (n-- > 0) at = page.find(piece, at + 1);
    return std::to_string(at);
  };
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"A@" + nth("<!--webbot bot=A startspan", 0), nth("<!--webbot bot=A endspan", 1)},
      {"B@" + nth("<!--webbot bot=B startspan", 0), nth("<!--webbot bot=B endspan", 0)},
      {"-@" + nth("<!--webbot startspan", 0), nth("<!--webbot endspan", 0)},
      {"A@" + nth("<!--webbot bot=A startspan", 1), nth("<!--webbot bot=A endspan", 0)},
      {"C@" + nth("<!--webbot bot=C", 0), "open"},
  };
  EXPECT_EQ(got, expected);
}

// The one table of raw-text elements: every name in it is read as text in any case, and the
// quick filter built from it lets each of them through.
TEST(RawTextElements, TableDecidesTextModesAndTheQuickFilter) {
  constexpr html::NameShape shape = html::rawTextNameShape();
  for (const html::RawTextElement& e : html::kRawTextElements) {
    std::string upper(e.name);
    for (char& c : upper) c = static_cast<char>(c - 32);
    EXPECT_EQ(html::textModeOf(e.name), e.mode) << e.name;
    EXPECT_EQ(html::textModeOf(upper), e.mode) << upper;
    EXPECT_TRUE(shape.mayHold(upper)) << upper;
    EXPECT_FALSE(html::textModeOf(std::string(e.name) + "x")) << e.name;
  }
  EXPECT_FALSE(shape.mayHold("b"));
  EXPECT_FALSE(shape.mayHold("div"));
  EXPECT_FALSE(shape.mayHold("blockquote"));
  EXPECT_FALSE(html::textModeOf(""));
  EXPECT_FALSE(html::textModeOf("-script"));
}

// For a command that pastes, the initial caret is found before the first edit and follows the
// edits as any selection: a </body> written in earlier does not take it. Other pages look for it
// only when asked, in the page as it stands.
TEST(InitialCaret, FoundBeforeTheFirstEditWhenACommandPastes) {
  const std::string text = "<head></head><body><p>x</p></body>";
  auto page = HtmlPage::fromSource(text, "site/page.html", "site");
  page->expectPaste();
  page->replace(text.find("<p>"), text.find("<p>"), "</body>");
  EXPECT_EQ(page->selection().begin, text.find("</body>") + 7);

  auto unpasted = HtmlPage::fromSource(text, "site/page.html", "site");
  unpasted->replace(text.find("<p>"), text.find("<p>"), "</body>");
  EXPECT_EQ(unpasted->selection().begin, text.find("<p>"));

  // A revert finds it again in the page as read, before the next edit.
  page->revert();
  page->replace(0, 0, "</body>");
  EXPECT_EQ(page->selection().begin, text.find("</body>") + 7);
}

}  // namespace
}  // namespace velmo::file_host
