// The page document's objects: elements, collections, the selection and the style sheets.

#include "windows/editor_binding/editor_objects.h"

namespace velmo::win {
namespace {

std::optional<std::u16string> optionalText(const Variant& value) {
  if (value.isNothing()) return std::nullopt;
  return value.toText();
}

class LateRuleStyle : public Late<RuleStyle> {
 public:
  using Late::Late;
  void setAttribute(const std::u16string& name, const std::u16string& value, long flags) override {
    object_.call(u"setAttribute",
                 {Variant::text(name), Variant::text(value), Variant::int32(flags)});
  }
  std::optional<std::u16string> getAttribute(const std::u16string& name, long flags) override {
    return optionalText(
        object_.call(u"getAttribute", {Variant::text(name), Variant::int32(flags)}));
  }
  bool removeAttribute(const std::u16string& name, long flags) override {
    return object_.call(u"removeAttribute", {Variant::text(name), Variant::int32(flags)}).toBool();
  }
};

class LateStyleRule : public Late<StyleRule> {
 public:
  using Late::Late;
  std::u16string selectorText() override { return object_.get(u"selectorText").toText(); }
  std::unique_ptr<RuleStyle> style() override { return wrap<LateRuleStyle>(object_.get(u"style")); }
};

// "length" and "item" (by 0-based index) of a style sheet list.
template <typename Interface, typename Item, typename Wrapper>
class LateList : public Late<Interface> {
 public:
  using Late<Interface>::Late;
  long length() override { return this->object_.get(u"length").toInt32(); }
  std::unique_ptr<Item> item(long index) override {
    return wrap<Wrapper>(this->object_.call(u"item", {Variant::int32(index)}));
  }
};

using LateStyleRules = LateList<StyleRules, StyleRule, LateStyleRule>;

class LateStyleSheet : public Late<StyleSheet> {
 public:
  using Late::Late;
  std::unique_ptr<StyleRules> rules() override {
    return wrap<LateStyleRules>(object_.get(u"rules"));
  }
  long addRule(const std::u16string& selector, const std::u16string& style, long index) override {
    const Variant added = object_.call(
        u"addRule", {Variant::text(selector), Variant::text(style), Variant::int32(index)});
    return added.isNothing() ? -1 : added.toInt32();
  }
};

using LateStyleSheets = LateList<StyleSheets, StyleSheet, LateStyleSheet>;

class LateElement;

class LateElementCollection : public Late<ElementCollection> {
 public:
  // The lists that `tags` returns are read as "Item"; the document's collections as "item".
  explicit LateElementCollection(LateBound object, std::u16string_view itemName = u"item")
      : Late(std::move(object)), itemName_(itemName) {}
  long length() override { return object_.get(u"length").toInt32(); }
  std::unique_ptr<Element> item(long index) override;
  std::unique_ptr<ElementCollection> tags(const std::u16string& tagName) override {
    ComPtr<IDispatch> list = object_.call(u"tags", {Variant::text(tagName)}).toObject();
    if (!list) return nullptr;
    return std::make_unique<LateElementCollection>(LateBound(std::move(list)), u"Item");
  }

 private:
  std::u16string_view itemName_;
};

class LateElement : public Late<Element> {
 public:
  using Late::Late;
  std::u16string innerHTML() override { return object_.get(u"innerHTML").toText(); }
  void setInnerHTML(const std::u16string& html) override {
    object_.put(u"innerHTML", Variant::text(html));
  }
  std::u16string outerHTML() override { return object_.get(u"outerHTML").toText(); }
  void setOuterHTML(const std::u16string& html) override {
    object_.put(u"outerHTML", Variant::text(html));
  }
  std::optional<std::u16string> getAttribute(const std::u16string& name) override {
    return optionalText(object_.call(u"getAttribute", {Variant::text(name)}));
  }
  std::unique_ptr<ElementCollection> all() override {
    return wrap<LateElementCollection>(object_.get(u"all"));
  }
};

std::unique_ptr<Element> LateElementCollection::item(long index) {
  return wrap<LateElement>(object_.call(itemName_, {Variant::int32(index)}));
}

class LateTextRange : public Late<TextRange> {
 public:
  using Late::Late;
  void pasteHTML(const std::u16string& html) override {
    object_.call(u"pasteHTML", {Variant::text(html)});
  }
};

class LateSelection : public Late<Selection> {
 public:
  using Late::Late;
  std::unique_ptr<TextRange> createRange() override {
    return wrap<LateTextRange>(object_.call(u"createRange"));
  }
};

class LateDocument : public Late<Document> {
 public:
  using Late::Late;
  std::unique_ptr<ElementCollection> all() override {
    return wrap<LateElementCollection>(object_.get(u"all"));
  }
  std::unique_ptr<Selection> selection() override {
    return wrap<LateSelection>(object_.get(u"selection"));
  }
  std::unique_ptr<StyleSheets> styleSheets() override {
    return wrap<LateStyleSheets>(object_.get(u"styleSheets"));
  }
  std::unique_ptr<ElementCollection> webbots() override {
    return wrap<LateElementCollection>(object_.get(u"webbots"));
  }
};

class LatePageWindow : public Late<PageWindow> {
 public:
  using Late::Late;
  std::unique_ptr<Document> document() override { return documentObject(object_.get(u"Document")); }
};

}  // namespace

std::unique_ptr<Document> documentObject(const Variant& value) {
  return wrap<LateDocument>(value);
}

std::unique_ptr<PageWindow> pageWindowObject(const Variant& value) {
  return wrap<LatePageWindow>(value);
}

}  // namespace velmo::win
