#include "tests/fuzz/page_check.h"

#include <sstream>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/html/encoding_sniff.h"
#include "file_host/html/markup_place.h"
#include "file_host/html/page_index.h"
#include "file_host/html_page.h"

namespace velmo::testing {
namespace {

using file_host::HtmlPage;
using file_host::PageIndex;

// Where a paste with no selection goes in `text`: before the first </body> (or </html>), else at
// the end of the markup; nothing when that end lies inside markup the page leaves open.
std::optional<std::size_t> pastePlace(const std::string& text, file_host::html::TemplateSyntax t) {
  PageIndex index(text, t);
  if (const auto bodyEnd = index.bodyEndTag()) return *bodyEnd;
  const std::size_t end = index.endOfMarkup();
  if (file_host::markupPlaces(text, end, end, t).begin.kind !=
      file_host::MarkupPlace::Kind::Outside) {
    return std::nullopt;
  }
  return end;
}

// Everything the page operations read from the index, in one comparable text.
std::string describe(PageIndex& index, std::size_t size) {
  std::ostringstream out;
  const auto h = index.head();
  out << "head " << h.begin << ' ' << h.innerBegin << ' ' << h.innerEnd << ' ' << h.end << ' '
      << h.explicitStart << h.explicitEnd << '\n';
  if (!(h.begin <= h.innerBegin && h.innerBegin <= h.innerEnd && h.innerEnd <= h.end &&
        h.end <= size)) {
    out << "BAD HEAD SPAN\n";
  }
  for (std::size_t m : index.headSheets()) out << "head sheet " << index.mark(m).begin << '\n';
  const std::size_t sheets = index.sheetCount();
  for (std::size_t i = 0; i < sheets; ++i) {
    const auto& m = index.mark(*index.sheet(i));
    out << "sheet " << int(m.kind) << ' ' << m.begin << ' ' << m.innerBegin << ' ' << m.innerEnd
        << ' ' << m.end << ' ' << m.inHead << '\n';
  }
  for (const auto& b : index.webbotBlocks()) {
    const auto& s = index.mark(b.start);
    out << "bot " << s.begin << ' ' << s.end << ' ' << int(s.role) << ' '
        << index.botName(b.start).value_or("<none>");
    if (b.end) out << " to " << index.mark(*b.end).begin << ' ' << index.mark(*b.end).end;
    out << '\n';
  }
  const auto body = index.bodyEndTag();
  out << "body end " << (body ? std::to_string(*body) : "none") << '\n';
  return out.str();
}

class Checker {
 public:
  explicit Checker(HtmlPage& page) : page_(page) {}

  std::vector<std::string> failures;

  void fail(const std::string& what) { failures.push_back(what); }

  // The page must equal `before` with [begin, end) replaced by `text`.
  void expectEdit(const std::string& op, const std::string& before, std::size_t begin,
                  std::size_t end, std::string_view text) {
    std::string expected = before;
    expected.replace(begin, end - begin, text);
    if (page_.source() != expected) fail(op + ": bytes outside the changed span differ");
    expectFreshIndex(op);
  }

  void expectFreshIndex(const std::string& op) {
    const std::string copy = page_.source();
    PageIndex fresh(copy, page_.templateSyntax());
    const std::string kept = describe(page_.index(), copy.size());
    const std::string rebuilt = describe(fresh, copy.size());
    if (kept != rebuilt)
      fail(op + ": index kept through edits differs:\n" + kept + "--\n" + rebuilt);
  }

 private:
  HtmlPage& page_;
};

// A byte offset at or after `pos` that starts a UTF-8 character.
std::size_t snap(const std::string& s, std::size_t pos) {
  pos = std::min(pos, s.size());
  while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
  return pos;
}

void run(HtmlPage& page, Checker& c, std::size_t seed) {
  auto doc = page.document();

  // Append to the head; the selection not yet placed stays the caret before the first </body>
  // of the page as it was, moved along by the edit.
  {
    const std::string before = page.source();
    const auto caret = pastePlace(before, page.templateSyntax());
    const auto h = page.index().head();
    auto head = doc->all()->tags(u"HEAD")->item(0);
    const std::u16string inner = head->innerHTML();
    head->all()->tags(u"STYLE")->length();
    head->setInnerHTML(inner + u"<meta name=\"x\">");
    // What the head's text becomes, written as the page writes it: the bytes of the text kept
    // as they were, only what differs encoded.
    const std::string_view innerBytes =
        std::string_view(before).substr(h.innerBegin, h.innerEnd - h.innerBegin);
    const auto splice = page.codec().spliceHtml(innerBytes, inner + u"<meta name=\"x\">");
    std::string added(innerBytes);
    added.replace(splice.begin, splice.end - splice.begin, splice.bytes);
    // Only a head without either tag gets tags written; the page's own keep their bytes.
    const bool own = h.explicitStart || h.explicitEnd;
    const std::size_t b = own ? h.innerBegin : h.begin;
    const std::size_t e = own ? h.innerEnd : h.end;
    const std::string text = own ? added : "<head>" + added + "</head>";
    c.expectEdit("head", before, b, e, text);
    try {
      const auto sel = page.selection();
      // The edit writes only the bytes that differ (the rest of the head is kept): the caret
      // stays before them, shifts after them, and lands within them when it stood inside.
      const std::string& after = page.source();
      std::size_t p = 0;
      while (p < before.size() && p < after.size() && before[p] == after[p]) ++p;
      std::size_t s = 0;
      while (s < before.size() - p && s < after.size() - p &&
             before[before.size() - 1 - s] == after[after.size() - 1 - s]) {
        ++s;
      }
      const std::size_t q = before.size() - s;
      const std::size_t newEnd = after.size() - s;
      // The same text on one side of it as before, or within the new bytes when it stood
      // inside the ones replaced (bytes may match by chance on either side of an insertion).
      bool followed = sel.begin == sel.end && caret;
      if (followed) {
        const std::string_view was(before);
        const std::string_view now(after);
        const bool keepsBefore = now.substr(0, sel.begin) == was.substr(0, *caret);
        const bool keepsAfter = now.substr(sel.begin) == was.substr(*caret);
        const bool inside = *caret > p && *caret < q && sel.begin >= p && sel.begin <= newEnd;
        // Or moved as by one edit of the head's whole span.
        const std::size_t asOneEdit = *caret < b   ? *caret
                                      : *caret < e ? b + text.size()
                                                   : *caret - (e - b) + text.size();
        followed = keepsBefore || keepsAfter || inside || sel.begin == asOneEdit;
      }
      if (!followed) c.fail("head: initial caret did not follow the edit");
    } catch (const HostError&) {
      if (caret) c.fail("head: initial caret refused at a place outside markup");
    }
  }

  // Paste over a selection, then at the caret before </body>.
  {
    const std::string before = page.source();
    std::size_t b = snap(before, seed % (before.size() + 1));
    std::size_t e = snap(before, b + seed % 7);
    page.setSelection(b, e);
    // A character most encodings have and one few have: written as it is, or escaped.
    const std::u16string pasted = u"<b>\u00e9\u2605</b><script>'\u2605'</script>";
    const std::string written = page.codec().writeHtml(pasted);
    doc->selection()->createRange()->pasteHTML(pasted);
    c.expectEdit("paste", before, b, e, written);
    const auto sel = page.selection();
    const std::size_t after = b + written.size();
    if (sel.begin != after || sel.end != after) c.fail("paste: caret not after the pasted text");
  }
  {
    const std::string before = page.source();
    const auto expected = pastePlace(before, page.templateSyntax());
    try {
      const std::size_t caret = page.defaultCaret();
      if (caret != expected) c.fail("paste at caret: not before the body end or at the end");
      page.setSelection(caret, caret);
      doc->selection()->createRange()->pasteHTML(u"<i>x</i>");
      c.expectEdit("paste at caret", before, caret, caret, "<i>x</i>");
    } catch (const HostError&) {
      if (expected) c.fail("paste at caret: refused at a place outside markup");
      if (page.source() != before) c.fail("paste at caret: refused but changed the page");
    }
  }

  // Erase one webbot block after reading every name.
  {
    auto bots = doc->webbots();
    const long n = bots->length();
    for (long i = 0; i < n; ++i) bots->item(i)->getAttribute(u"bot");
    if (n > 0) {
      const std::string before = page.source();
      const auto& blocks = page.index().webbotBlocks();
      const auto& block = blocks[seed % static_cast<std::size_t>(n)];
      const std::size_t begin = page.index().mark(block.start).begin;
      const std::size_t end = page.index().mark(block.end.value_or(block.start)).end;
      if (before.compare(begin, 4, "<!--") != 0) c.fail("webbot: block does not start a comment");
      bots->item(static_cast<long>(seed % static_cast<std::size_t>(n)))->setOuterHTML(u"");
      c.expectEdit("erase webbot", before, begin, end, "");
    }
  }

  // Add a rule to the first style sheet: only that sheet's content may change.
  {
    auto sheets = doc->styleSheets();
    if (sheets->length() > 0) {
      const std::string before = page.source();
      const auto& m = page.index().mark(*page.index().sheet(0));
      const bool style = m.kind == file_host::MarkKind::Style;
      const std::size_t from = m.innerBegin, to = m.innerEnd;
      try {
        sheets->item(0)->addRule(u"body", u"color: red", -1);
        const std::string& after = page.source();
        const std::size_t tail = before.size() - to;
        const bool kept = after.compare(0, from, before, 0, from) == 0 &&
                          after.size() >= from + tail &&
                          after.compare(after.size() - tail, tail, before, to, tail) == 0;
        if (!kept || (!style && after != before))
          c.fail("add rule: bytes outside the sheet differ");
        c.expectFreshIndex("add rule");
      } catch (const HostError&) {
        if (page.source() != before) c.fail("add rule: refused but changed the page");
      }
    }
  }
}

}  // namespace

std::vector<std::string> checkPageOperations(std::string_view bytes, std::string_view fileName) {
  std::unique_ptr<HtmlPage> page;
  try {
    page = HtmlPage::fromSource(std::string(bytes), std::string(fileName), "fuzz");
  } catch (const HostError&) {
    // The encoding it is read in, a <meta> in the HEAD after the first 1024 bytes included.
    const std::string source(bytes);
    const auto read = file_host::encodingAfterHead(file_host::detectPageEncoding(bytes), source,
                                                   PageIndex(source).head().end);
    const auto kind = encodingInfo(read.encoding).kind;
    if (kind == file_host::EncodingKind::AsciiCompatible) {
      return {"load: refused a page whose bytes are kept as they are"};
    }
    return {};
  }
  // A transcoded page is held as UTF-8: reverting gives that text back.
  const std::string original = page->source();
  if (page->codec().encoding() == page->codec().fileEncoding() && original != bytes) {
    return {"load: the page differs from its bytes"};
  }
  // The operations paste, as a pasting command does after editing the head.
  page->expectPaste();
  Checker c(*page);
  std::size_t seed = 0;
  for (unsigned char b : bytes.substr(0, 16)) seed = seed * 31 + b;
  try {
    run(*page, c, seed);
  } catch (const HostError& e) {
    c.fail(std::string("unexpected error: ") + e.what());
  }
  page->revert();
  if (page->source() != original) c.fail("revert: page differs from the original");
  if (page->changed()) c.fail("revert: page still counts as changed");
  return c.failures;
}

}  // namespace velmo::testing
