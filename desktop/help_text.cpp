#include "desktop/help_text.h"

#include <optional>
#include <string>
#include <utility>

#include "core/common/text.h"
#include "desktop/help_paragraphs.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/page_scanner.h"

// Help pages are read by the page scanner, as pages are, on every system.
namespace velmo::desktop {
namespace {

using file_host::ScanObserver;
using file_host::ScanState;
namespace html = file_host::html;
using html::Token;
using html::TokenKind;

std::string decoded(std::string_view text) {
  return html::decodeCharacterReferences(text, html::NamedReferences::All);
}

std::optional<Block> blockOf(const std::string& tag) {
  if (tag == "h1") return Block::Heading1;
  if (tag == "h2" || tag == "h3" || tag == "h4") return Block::Heading2;
  if (tag == "li") return Block::Item;
  if (tag == "tr") return Block::Row;
  if (tag == "p" || tag == "div" || tag == "ul" || tag == "ol" || tag == "table" || tag == "body") {
    return Block::Paragraph;
  }
  return std::nullopt;
}

// Tells the collector what the body holds; the head, scripts and style sheets are no text. A
// block ends where its end tag stands or where the next block begins. A tag or an element's text
// counts once the tree rules have applied it where it stands: in the body.
class TextCollector : public ScanObserver {
 public:
  explicit TextCollector(const std::string& src) : src_(src) {}

  ParagraphCollector collector;

  bool wantsEveryToken() const override { return true; }

  void token(const Token& t, const ScanState& state) override {
    if (t.kind == TokenKind::Text) {
      // Text before the body is read again where it begins the body.
      if (state.phase == ScanState::Phase::InBody) collector.text(decoded(t.text));
      return;
    }
    if (t.kind != TokenKind::StartTag && t.kind != TokenKind::EndTag) return;
    const std::string name = asciiLowered(t.text);
    const bool begins = t.kind == TokenKind::StartTag;
    if (name == "br" || (begins && (name == "td" || name == "th")) || blockOf(name)) {
      tag_ = {name, begins};
    }
  }

  void rawTextElement(const Token& startTag, std::size_t innerEnd, std::size_t) override {
    if (html::equalsLower(startTag.text, "script") || html::equalsLower(startTag.text, "style")) {
      return;
    }
    const std::string_view content(src_.data() + startTag.end, innerEnd - startTag.end);
    const bool rcdata = html::textModeOf(startTag.text) == html::TextMode::Rcdata;
    text_ = rcdata ? decoded(content) : std::string(content);
  }

  void applied(const ScanState& after) override {
    if (after.phase == ScanState::Phase::InBody) {
      if (tag_) tag(tag_->first, tag_->second);
      if (text_) collector.text(*text_);
    }
    tag_.reset();
    text_.reset();
  }

 private:
  void tag(const std::string& name, bool begins) {
    if (name == "br") {
      collector.flush();
      return;
    }
    if (begins && (name == "td" || name == "th")) collector.cell();
    if (const std::optional<Block> block = blockOf(name)) collector.block(*block, begins);
  }

  const std::string& src_;
  std::optional<std::pair<std::string, bool>> tag_;  // name, whether it begins
  std::optional<std::string> text_;                  // a raw-text element's text
};

// The entries of a contents or index file: each OBJECT of type text/sitemap with its PARAMs,
// as deep as the lists (UL) around it.
class SitemapCollector : public ScanObserver {
 public:
  explicit SitemapCollector(const std::string& src) : src_(src) {}

  std::vector<SitemapEntry> entries;

  bool wantsEveryToken() const override { return true; }

  void token(const Token& t, const ScanState&) override {
    if (t.kind != TokenKind::StartTag && t.kind != TokenKind::EndTag) return;
    const bool end = t.kind == TokenKind::EndTag;
    const std::string name = asciiLowered(t.text);
    if (name == "ul") lists_ += end ? -1 : 1;
    if (name == "object" && !end) {
      if (attribute(t, "type") == "text/sitemap") {
        open_ = SitemapEntry{{}, {}, lists_ - 1};
      } else {
        open_.reset();
      }
    } else if (name == "object" && open_) {
      if (!open_->name.empty()) entries.push_back(std::move(*open_));
      open_.reset();
    } else if (name == "param" && !end && open_) {
      const std::optional<std::string> key = attribute(t, "name");
      const std::optional<std::string> value = attribute(t, "value");
      if (!key || !value) return;
      if (*key == "Name" || *key == "name") open_->name = *value;
      if (*key == "Local" || *key == "local") open_->local = *value;
    }
  }

 private:
  std::optional<std::string> attribute(const Token& t, std::string_view lowerName) const {
    for (const html::Attribute& a :
         html::tagAttributes(std::string_view(src_).substr(t.begin, t.end - t.begin))) {
      if (html::equalsLower(a.name, lowerName)) return decoded(a.value);
    }
    return std::nullopt;
  }

  const std::string& src_;
  int lists_ = 0;
  std::optional<SitemapEntry> open_;
};

}  // namespace

std::string pageText(std::string_view html, std::size_t width) {
  const std::string src(html);
  TextCollector walker(src);
  file_host::observePage(src, walker);
  walker.collector.flush();
  return layOut(walker.collector.paragraphs(), width);
}

std::vector<SitemapEntry> sitemapEntries(std::string_view html) {
  const std::string src(html);
  SitemapCollector collector(src);
  file_host::observePage(src, collector);
  return std::move(collector.entries);
}

}  // namespace velmo::desktop
