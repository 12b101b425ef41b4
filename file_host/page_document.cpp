#include "file_host/page_document.h"

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/page_codec.h"
#include "file_host/html_page.h"
#include "file_host/page_objects.h"

namespace velmo::file_host {
namespace {

// The selection as it stands when pasteHTML is called: edits made meanwhile move it along.
class PageTextRange : public TextRange {
 public:
  explicit PageTextRange(HtmlPage& page) : page_(page) {}

  void pasteHTML(const std::u16string& html) override {
    const HtmlPage::Range sel = page_.selection();
    const std::string bytes = page_.codec().writeHtml(html);
    page_.replace(sel.begin, sel.end, bytes);
    const std::size_t caret = sel.begin + bytes.size();
    page_.setSelection(caret, caret);
  }

 private:
  HtmlPage& page_;
};

class PageSelection : public Selection {
 public:
  explicit PageSelection(HtmlPage& page) : page_(page) {}
  std::unique_ptr<TextRange> createRange() override {
    return std::make_unique<PageTextRange>(page_);
  }

 private:
  HtmlPage& page_;
};

class PageDocument : public Document {
 public:
  explicit PageDocument(HtmlPage& page) : page_(page) {}
  std::unique_ptr<ElementCollection> all() override { return makeAllElements(page_); }
  std::unique_ptr<Selection> selection() override { return std::make_unique<PageSelection>(page_); }
  std::unique_ptr<StyleSheets> styleSheets() override { return makeStyleSheets(page_); }
  std::unique_ptr<ElementCollection> webbots() override { return makeWebbots(page_); }

 private:
  HtmlPage& page_;
};

}  // namespace

std::unique_ptr<Document> makePageDocument(HtmlPage& page) {
  return std::make_unique<PageDocument>(page);
}

std::string lowerAsciiName(std::u16string_view name) {
  return asciiLowered(utf16ToUtf8(name));
}

std::optional<std::u16string> tagAttribute(const PageCodec& codec, std::string_view tag,
                                           std::u16string_view name) {
  const std::string wanted = lowerAsciiName(name);
  for (const html::Attribute& a : html::tagAttributes(tag)) {
    if (html::equalsLower(a.name, wanted)) return codec.readAttribute(a.value);
  }
  return std::nullopt;
}

void throwGone(std::u16string_view what) {
  throw HostError(hr::kFail, std::u16string(what) + u" is no longer in the page");
}

}  // namespace velmo::file_host
