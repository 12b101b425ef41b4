#include "features/style/scrollbar_style.h"

#include "core/common/text.h"
#include "core/page_host/page_access.h"

namespace velmo {

const std::array<ScrollbarEntry, kScrollbarEntryCount> kScrollbarEntries = {{
    {u"Base Color", u"scrollbar-base-color", u"bc"},
    {u"Arrow Color", u"scrollbar-arrow-color", u"ac"},
    {u"Highlight Color", u"scrollbar-highlight-color", u"hc"},
    {u"3dlight Color", u"scrollbar-3dlight-color", u"3c"},
    {u"Face Color", u"scrollbar-face-color", u"fc"},
    {u"Track Color", u"scrollbar-track-color", u"tc"},
    {u"Shadow Color", u"scrollbar-shadow-color", u"sc"},
    {u"Darkshadow Color", u"scrollbar-darkshadow-color", u"dc"},
}};

namespace {

std::unique_ptr<Document> pageDocument(PageHost& host) {
  return activePageWindowDocument(host);
}

std::unique_ptr<StyleSheet> firstStyleSheet(Document& document) {
  auto sheets = requireObject(document.styleSheets(), u"The page's style sheets");
  return requireObject(sheets->item(0), u"The page's first style sheet");
}

// The first rule of the first sheet whose selector text is exactly `selector`.
std::unique_ptr<StyleRule> firstRuleFor(PageHost& host, const std::u16string& selector) {
  auto document = pageDocument(host);
  auto rules = requireObject(firstStyleSheet(*document)->rules(), u"The style sheet's rules");
  const long count = rules->length();
  for (long i = 0; i < count; ++i) {
    auto rule = requireObject(rules->item(i), u"A style rule");
    if (rule->selectorText() == selector) return rule;
  }
  return nullptr;
}

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::u16string scrollbarDeclarations(const ScrollbarTexts& texts) {
  std::u16string declarations;
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    if (texts[i].empty()) continue;
    declarations += kScrollbarEntries[i].property;
    declarations += u": #" + texts[i] + u";";
  }
  return declarations;
}

std::u16string scrollbarRuleLine(const ScrollbarTexts& texts) {
  return u"body {" + scrollbarDeclarations(texts) + u" }";
}

std::u16string scrollbarStyleBlock(const ScrollbarTexts& texts) {
  return joinCrLf({u"<style>", scrollbarRuleLine(texts), u"</style>"});
}

bool headHasStyle(PageHost& host) {
  auto document = pageDocument(host);
  auto head = headElement(*document);
  auto all = requireObject(head->all(), u"The HEAD's element collection");
  auto styles = requireObject(all->tags(u"STYLE"), u"The HEAD's STYLE collection");
  return styles->item(0) != nullptr;
}

bool sheetHasRule(PageHost& host, const std::u16string& selector) {
  return firstRuleFor(host, selector) != nullptr;
}

std::unique_ptr<RuleStyle> ruleStyleOf(PageHost& host, const std::u16string& selector) {
  auto rule = requireObject(firstRuleFor(host, selector), u"The style rule");
  return requireObject(rule->style(), u"The style rule's style");
}

std::u16string readRuleColor(const std::u16string& property, RuleStyle& ruleStyle) {
  const auto value = ruleStyle.getAttribute(property, 0);
  if (!value) return {};
  return value->size() > 6 ? value->substr(value->size() - 6) : *value;
}

std::optional<ScrollbarTexts> readPageColors(PageHost& host) {
  if (!headHasStyle(host) || !sheetHasRule(host, u"body")) return std::nullopt;
  auto style = ruleStyleOf(host, u"body");
  ScrollbarTexts texts;
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    texts[i] = readRuleColor(std::u16string(kScrollbarEntries[i].property), *style);
  }
  return texts;
}

void applyScrollbarColors(PageHost& host, const ScrollbarTexts& texts) {
  auto document = pageDocument(host);
  auto head = headElement(*document);
  if (!headHasStyle(host)) {
    head->setInnerHTML(head->innerHTML() + scrollbarStyleBlock(texts));
    return;
  }
  if (sheetHasRule(host, u"body")) {
    auto style = ruleStyleOf(host, u"body");
    for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
      const std::u16string property(kScrollbarEntries[i].property);
      if (texts[i].empty()) {
        style->removeAttribute(property, 1);
      } else {
        style->setAttribute(property, u"#" + texts[i], 1);
      }
    }
    return;
  }
  firstStyleSheet(*pageDocument(host))->addRule(u"body", scrollbarDeclarations(texts), -1);
}

std::u16string colorToHex(std::uint32_t color) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string hex;
  do {
    hex.insert(hex.begin(), kDigits[color & 0xF]);
    color >>= 4;
  } while (color != 0);
  while (hex.size() < 6) hex.insert(hex.begin(), u'0');
  // BBGGRR becomes RRGGBB.
  return hex.substr(hex.size() - 2) + hex.substr(2, 2) + hex.substr(0, 2);
}

std::optional<std::uint32_t> hexToColor(std::u16string_view text) {
  if (text.size() != 6) return std::nullopt;
  std::uint32_t rgb = 0;
  for (char16_t c : text) {
    const int digit = hexDigit(c);
    if (digit < 0) return std::nullopt;
    rgb = (rgb << 4) | static_cast<std::uint32_t>(digit);
  }
  // RRGGBB becomes 0x00BBGGRR.
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

}  // namespace velmo
