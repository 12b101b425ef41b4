// The elements the page model knows: the head, STYLE elements and webbot blocks, and the
// collections that list them.

#include <climits>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/html/html_scan.h"
#include "file_host/html_page.h"
#include "file_host/page_objects.h"

namespace velmo::file_host {
namespace {

std::u16string slice(HtmlPage& page, std::size_t begin, std::size_t end) {
  return page.codec().read(std::string_view(page.source()).substr(begin, end - begin));
}

// [begin, end) of the page, which reads as some HTML, becomes `html`: only what differs is
// written, and every byte of what both share stays as it was.
void spliceHtml(HtmlPage& page, std::size_t begin, std::size_t end, std::u16string_view html) {
  const auto splice =
      page.codec().spliceHtml(std::string_view(page.source()).substr(begin, end - begin), html);
  if (splice.begin == splice.end && splice.bytes.empty()) return;
  page.replace(begin + splice.begin, begin + splice.end, splice.bytes);
}

long toLong(std::size_t n) {
  if (n > static_cast<std::size_t>(LONG_MAX)) {
    throw HostError(hr::kOverflow, u"The collection is too long");
  }
  return static_cast<long>(n);
}

// An element that is a span of the page: [begin, innerBegin) its start markup, [innerEnd, end)
// its end markup. Subclasses find the span again on every call.
class SpanElement : public Element {
 public:
  explicit SpanElement(HtmlPage& page) : page_(page) {}

  std::u16string innerHTML() override {
    const Span s = span();
    return slice(page_, s.innerBegin, s.innerEnd);
  }
  void setInnerHTML(const std::u16string& html) override {
    const Span s = span();
    spliceHtml(page_, s.innerBegin, s.innerEnd, html);
  }
  std::u16string outerHTML() override {
    const Span s = span();
    return slice(page_, s.begin, s.end);
  }
  void setOuterHTML(const std::u16string& html) override {
    const Span s = span();
    spliceHtml(page_, s.begin, s.end, html);
  }
  std::optional<std::u16string> getAttribute(const std::u16string& name) override {
    const Span s = span();
    return tagAttribute(page_.codec(),
                        std::string_view(page_.source()).substr(s.begin, s.innerBegin - s.begin),
                        name);
  }
  std::unique_ptr<ElementCollection> all() override;

 protected:
  struct Span {
    std::size_t begin, innerBegin, innerEnd, end;
  };
  virtual Span span() = 0;

  HtmlPage& page_;
};

class HeadElement : public SpanElement {
 public:
  using SpanElement::SpanElement;

  // A head without either tag gets both, where the parser would have put the element. A head
  // written with one of them is the page's own: only its content changes, so the page's tags
  // keep their bytes (a late <HEAD>, a lone </HEAD>).
  void setInnerHTML(const std::u16string& html) override {
    const HeadSpan h = page_.index().head();
    if (h.explicitStart || h.explicitEnd) {
      spliceHtml(page_, h.innerBegin, h.innerEnd, html);
    } else {
      const std::string_view inner =
          std::string_view(page_.source()).substr(h.innerBegin, h.innerEnd - h.innerBegin);
      const auto splice = page_.codec().spliceHtml(inner, html);
      std::string bytes(inner);
      bytes.replace(splice.begin, splice.end - splice.begin, splice.bytes);
      page_.replace(h.begin, h.end, "<head>" + bytes + "</head>");
    }
  }
  std::unique_ptr<ElementCollection> all() override;

 protected:
  Span span() override {
    const HeadSpan h = page_.index().head();
    return {h.begin, h.innerBegin, h.innerEnd, h.end};
  }
};

// A STYLE element, found again by where its start tag stands.
class StyleElement : public SpanElement {
 public:
  StyleElement(HtmlPage& page, std::size_t begin)
      : SpanElement(page), anchor_(page.anchor(begin)) {}

 protected:
  Span span() override {
    const auto at = page_.resolve(anchor_);
    const auto i = at ? page_.index().find(MarkKind::Style, *at) : std::nullopt;
    if (!i) throwGone(u"The STYLE element");
    const Landmark& m = page_.index().mark(*i);
    return {m.begin, m.innerBegin, m.innerEnd, m.end};
  }

 private:
  HtmlPage::Anchor anchor_;
};

// A webbot block, found again by where its start comment stands. Its inner HTML lies between
// the start and the end comment (empty after a comment without an end); setting its outer HTML
// to "" deletes it from the first character of its start comment to the last of its end comment
// (only the start comment when it has no end).
class WebbotElement : public SpanElement {
 public:
  // `listed` is where the block stood in the collection: the first place to look for it again.
  WebbotElement(HtmlPage& page, std::size_t begin, std::size_t listed)
      : SpanElement(page), anchor_(page.anchor(begin)), listed_(listed) {}

  // The start comment's attributes, values as written.
  std::optional<std::u16string> getAttribute(const std::u16string& name) override {
    // The index keeps the bot name already: walking many blocks reads nothing twice.
    if (equalsIgnoreAsciiCase(name, u"bot")) {
      const auto botName = page_.index().botName(block().start);
      if (!botName) return std::nullopt;
      return page_.codec().read(*botName);
    }
    const Span s = span();
    const html::Token comment = html::nextToken(page_.source(), s.begin);
    const std::string wanted = lowerAsciiName(name);
    for (const html::Attribute& a : html::attributeList(comment.text.substr(6))) {
      if (html::equalsLower(a.name, wanted)) return page_.codec().read(a.value);
    }
    return std::nullopt;
  }

 protected:
  const WebbotBlock& block() {
    PageIndex& index = page_.index();
    const auto at = page_.resolve(anchor_);
    if (!at) throwGone(u"The webbot block");
    const auto& blocks = index.webbotBlocks();
    if (listed_ < blocks.size() && index.mark(blocks[listed_].start).begin == *at) {
      return blocks[listed_];
    }
    const auto b = index.webbotBlockAt(*at);
    if (!b) throwGone(u"The webbot block");
    listed_ = *b;
    return blocks[*b];
  }

  Span span() override {
    PageIndex& index = page_.index();
    const WebbotBlock block = this->block();
    const Landmark& start = index.mark(block.start);
    if (!block.end) return {start.begin, start.end, start.end, start.end};
    const Landmark& end = index.mark(*block.end);
    return {start.begin, start.end, end.begin, end.end};
  }

 private:
  HtmlPage::Anchor anchor_;
  std::size_t listed_;
};

// The elements of the document, of the head, or of an element without children, filtered by
// tag name. The model knows the head and STYLE elements; listing anything else is refused
// rather than answered wrongly.
class PageElements : public ElementCollection {
 public:
  enum class Scope { Document, Head, Empty };
  enum class Filter { All, Head, Style };

  PageElements(HtmlPage& page, Scope scope, Filter filter = Filter::All)
      : page_(page), scope_(scope), filter_(filter) {}

  long length() override {
    switch (filter()) {
      case Filter::Head:
        return scope_ == Scope::Document ? 1 : 0;
      case Filter::Style:
        return toLong(styles(SIZE_MAX).size());
      case Filter::All:
        break;
    }
    return 0;
  }

  std::unique_ptr<Element> item(long index) override {
    if (index < 0) return nullptr;
    const auto i = static_cast<std::size_t>(index);
    switch (filter()) {
      case Filter::Head:
        if (scope_ != Scope::Document || i != 0) return nullptr;
        return std::make_unique<HeadElement>(page_);
      case Filter::Style: {
        const auto list = styles(i + 1);
        if (i >= list.size()) return nullptr;
        return std::make_unique<StyleElement>(page_, page_.index().mark(list[i]).begin);
      }
      case Filter::All:
        break;
    }
    return nullptr;
  }

  std::unique_ptr<ElementCollection> tags(const std::u16string& tagName) override {
    const std::string name = lowerAsciiName(tagName);
    Filter wanted;
    if (name == "head") {
      wanted = Filter::Head;
    } else if (name == "style") {
      wanted = Filter::Style;
    } else {
      throw HostError(hr::kNotImpl, u"The stand-alone page lists only HEAD and STYLE elements");
    }
    const Scope scope = filter_ == Filter::All || filter_ == wanted ? scope_ : Scope::Empty;
    return std::make_unique<PageElements>(page_, scope, wanted);
  }

 private:
  Filter filter() const {
    if (filter_ == Filter::All && scope_ != Scope::Empty) {
      throw HostError(hr::kNotImpl,
                      u"The stand-alone page lists elements only by tag name (HEAD, STYLE)");
    }
    return filter_;
  }

  // Landmark indexes of the first `limit` STYLE elements in scope.
  std::vector<std::size_t> styles(std::size_t limit) {
    std::vector<std::size_t> out;
    PageIndex& index = page_.index();
    if (scope_ == Scope::Head) {
      for (std::size_t m : index.headSheets()) {
        if (out.size() < limit && index.mark(m).kind == MarkKind::Style) out.push_back(m);
      }
    } else if (scope_ == Scope::Document) {
      for (std::size_t k = 0; out.size() < limit; ++k) {
        const auto m = index.sheet(k);
        if (!m) break;
        if (index.mark(*m).kind == MarkKind::Style) out.push_back(*m);
      }
    }
    return out;
  }

  HtmlPage& page_;
  Scope scope_;
  Filter filter_;
};

std::unique_ptr<ElementCollection> SpanElement::all() {
  return std::make_unique<PageElements>(page_, PageElements::Scope::Empty);
}
std::unique_ptr<ElementCollection> HeadElement::all() {
  return std::make_unique<PageElements>(page_, PageElements::Scope::Head);
}

// The webbot blocks in the order of their start comments. Items are found in the index built
// by one scan, so walking every item costs one pass over the page.
class WebbotCollection : public ElementCollection {
 public:
  explicit WebbotCollection(HtmlPage& page) : page_(page) {}

  long length() override { return toLong(page_.index().webbotBlocks().size()); }

  std::unique_ptr<Element> item(long index) override {
    const auto& blocks = page_.index().webbotBlocks();
    if (index < 0 || static_cast<std::size_t>(index) >= blocks.size()) return nullptr;
    const std::size_t begin =
        page_.index().mark(blocks[static_cast<std::size_t>(index)].start).begin;
    return std::make_unique<WebbotElement>(page_, begin, static_cast<std::size_t>(index));
  }

  std::unique_ptr<ElementCollection> tags(const std::u16string&) override {
    throw HostError(hr::kNotImpl, u"The webbot collection cannot be filtered by tag name");
  }

 private:
  HtmlPage& page_;
};

}  // namespace

std::unique_ptr<ElementCollection> makeAllElements(HtmlPage& page) {
  return std::make_unique<PageElements>(page, PageElements::Scope::Document);
}

std::unique_ptr<ElementCollection> makeWebbots(HtmlPage& page) {
  return std::make_unique<WebbotCollection>(page);
}

}  // namespace velmo::file_host
