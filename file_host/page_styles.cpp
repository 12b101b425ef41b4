// The page's style sheets: STYLE elements, read and edited inside the page, and style sheet LINK
// elements, read and edited in their files. Every object finds its sheet and rule again on each
// call, and every change rewrites only the span the CSS edit names.

#include <climits>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/css/css_text.h"
#include "file_host/html/html_scan.h"
#include "file_host/html_page.h"
#include "file_host/page_objects.h"

namespace velmo::file_host {
namespace {

// The CSS text of one sheet and the way to change it.
class SheetRef {
 public:
  SheetRef(HtmlPage& page, MarkKind kind, std::size_t begin)
      : page_(page), kind_(kind), anchor_(page.anchor(begin)) {}

  // The sheet's rules, parsed once for each state of its text: walking a sheet's rules one by
  // one costs one parse, not one for every rule.
  const std::vector<css::Rule>& rules() {
    const std::string_view css = text();
    const Key key{page_.version(), kind_ == MarkKind::Link ? file(mark()).version : 0, css.data(),
                  css.size()};
    if (!rulesKey_ || *rulesKey_ != key) {
      rules_ = css::parseRules(css);
      rulesKey_ = key;
    }
    return rules_;
  }

  // How the sheet's bytes read as text and how text is written into them.
  const PageCodec& codec() {
    if (kind_ == MarkKind::Style) return page_.codec();
    return file(mark()).codec;
  }

  // Valid until the next change of the page or the sheet.
  std::string_view text() {
    const Landmark& m = mark();
    if (kind_ == MarkKind::Style) {
      return std::string_view(page_.source()).substr(m.innerBegin, m.innerEnd - m.innerBegin);
    }
    return file(m).css();
  }

  void apply(const css::Edit& e) {
    const Landmark& m = mark();
    if (kind_ == MarkKind::Link) {
      page_.linkedSheets().edit(file(m), e);
      return;
    }
    // The edited text must stay the element's content: a value holding "</style>" would end
    // the element early and turn the rest of the sheet into page text.
    const std::string_view old =
        std::string_view(page_.source()).substr(m.innerBegin, m.innerEnd - m.innerBegin);
    std::string edited(old);
    edited.replace(e.begin, e.end - e.begin, e.text);
    const std::size_t newSize = edited.size();
    edited += "</style>";
    // So must a "<%" left unclosed in it: a "%>" after the element would close it.
    html::ScanMemo memo;
    const bool ends =
        html::rawTextEnd(edited, 0, html::TextMode::RawText, "style", &memo) != newSize;
    const bool opens =
        memo.firstDangling < newSize && page_.source().find("%>", m.innerEnd) != std::string::npos;
    if (ends || opens) {
      throw HostError(hr::kInvalidArg, u"The style text would end its STYLE element");
    }
    page_.replace(m.innerBegin + e.begin, m.innerBegin + e.end, e.text);
  }

 private:
  const Landmark& mark() {
    const auto at = page_.resolve(anchor_);
    const auto i = at ? page_.index().find(kind_, *at) : std::nullopt;
    if (!i) throwGone(u"The style sheet");
    return page_.index().mark(*i);
  }

  SheetFile& file(const Landmark& m) {
    const std::string_view tag = std::string_view(page_.source()).substr(m.begin, m.end - m.begin);
    if (page_.codec().isUtf8()) {
      // A UTF-8 page may hold bytes that are not UTF-8; such an href goes the decoding way.
      const auto href = html::findAttribute(html::tagAttributes(tag), "href");
      if (!href || isValidUtf8(*href)) return page_.linkedSheets().open(href.value_or(""));
    }
    const auto href = tagAttribute(page_.codec(), tag, u"href");
    return page_.linkedSheets().open(href ? utf16ToUtf8(*href) : std::string());
  }

  struct Key {
    std::size_t pageVersion;
    std::size_t sheetVersion;
    const char* data;
    std::size_t size;
    bool operator==(const Key&) const = default;
  };

  HtmlPage& page_;
  MarkKind kind_;
  HtmlPage::Anchor anchor_;
  std::optional<Key> rulesKey_;
  std::vector<css::Rule> rules_;
};

// Rules are known by their place in the sheet; adding a rule appends, so places stay.
css::Rule ruleAt(SheetRef& sheet, std::size_t index) {
  const auto& rules = sheet.rules();
  if (index >= rules.size()) {
    throw HostError(hr::kFail, u"The style rule is no longer in the style sheet");
  }
  return rules[index];
}

class PageRuleStyle : public RuleStyle {
 public:
  PageRuleStyle(std::shared_ptr<SheetRef> sheet, std::size_t index)
      : sheet_(std::move(sheet)), index_(index) {}

  // The flags' case-sensitive bit changes nothing: CSS property names ignore ASCII case.
  void setAttribute(const std::u16string& name, const std::u16string& value, long) override {
    const std::string_view text = sheet_->text();
    const PageCodec& codec = sheet_->codec();
    sheet_->apply(css::setProperty(text, ruleAt(*sheet_, index_), codec.writeCss(name),
                                   codec.writeCss(value)));
  }

  std::optional<std::u16string> getAttribute(const std::u16string& name, long) override {
    const std::string_view text = sheet_->text();
    const PageCodec& codec = sheet_->codec();
    const auto value = css::getProperty(text, ruleAt(*sheet_, index_), codec.writeCss(name));
    if (!value) return std::nullopt;
    return codec.read(*value);
  }

  bool removeAttribute(const std::u16string& name, long) override {
    const std::string_view text = sheet_->text();
    const auto edit =
        css::removeProperty(text, ruleAt(*sheet_, index_), sheet_->codec().writeCss(name));
    if (!edit) return false;
    sheet_->apply(*edit);
    return true;
  }

 private:
  std::shared_ptr<SheetRef> sheet_;
  std::size_t index_;
};

class PageStyleRule : public StyleRule {
 public:
  PageStyleRule(std::shared_ptr<SheetRef> sheet, std::size_t index)
      : sheet_(std::move(sheet)), index_(index) {}

  std::u16string selectorText() override {
    const std::string_view text = sheet_->text();
    return sheet_->codec().read(css::selectorText(text, ruleAt(*sheet_, index_)));
  }
  std::unique_ptr<RuleStyle> style() override {
    return std::make_unique<PageRuleStyle>(sheet_, index_);
  }

 private:
  std::shared_ptr<SheetRef> sheet_;
  std::size_t index_;
};

class PageStyleRules : public StyleRules {
 public:
  explicit PageStyleRules(std::shared_ptr<SheetRef> sheet) : sheet_(std::move(sheet)) {}

  long length() override { return static_cast<long>(sheet_->rules().size()); }
  std::unique_ptr<StyleRule> item(long index) override {
    if (index < 0 || index >= length()) return nullptr;
    return std::make_unique<PageStyleRule>(sheet_, static_cast<std::size_t>(index));
  }

 private:
  std::shared_ptr<SheetRef> sheet_;
};

class PageStyleSheet : public StyleSheet {
 public:
  explicit PageStyleSheet(std::shared_ptr<SheetRef> sheet) : sheet_(std::move(sheet)) {}

  std::unique_ptr<StyleRules> rules() override { return std::make_unique<PageStyleRules>(sheet_); }

  // Rules are only appended; an index other than -1 or the rule count is refused.
  long addRule(const std::u16string& selector, const std::u16string& style, long index) override {
    const std::string_view text = sheet_->text();
    const long count = static_cast<long>(sheet_->rules().size());
    if (index != -1 && index != count) {
      throw HostError(hr::kNotImpl, u"Style rules can only be added after the last rule");
    }
    const PageCodec& codec = sheet_->codec();
    sheet_->apply(css::appendRule(text, codec.writeCss(selector), codec.writeCss(style)));
    return count;
  }

 private:
  std::shared_ptr<SheetRef> sheet_;
};

class PageStyleSheets : public StyleSheets {
 public:
  explicit PageStyleSheets(HtmlPage& page) : page_(page) {}

  long length() override {
    const std::size_t n = page_.index().sheetCount();
    if (n > static_cast<std::size_t>(LONG_MAX)) {
      throw HostError(hr::kOverflow, u"The page has too many style sheets");
    }
    return static_cast<long>(n);
  }

  std::unique_ptr<StyleSheet> item(long index) override {
    if (index < 0) return nullptr;
    const auto m = page_.index().sheet(static_cast<std::size_t>(index));
    if (!m) return nullptr;
    const Landmark& mark = page_.index().mark(*m);
    return std::make_unique<PageStyleSheet>(
        std::make_shared<SheetRef>(page_, mark.kind, mark.begin));
  }

 private:
  HtmlPage& page_;
};

}  // namespace

std::unique_ptr<StyleSheets> makeStyleSheets(HtmlPage& page) {
  return std::make_unique<PageStyleSheets>(page);
}

}  // namespace velmo::file_host
