// The page document's objects: elements, collections, the selection and the style sheets.

#include "win32/editor_objects.h"

namespace velmo::win {
namespace {

std::optional<std::u16string> optionalText(const Variant& value) {
  if (value.isNothing()) return std::nullopt;
  return value.toText();
}

class LateRuleStyle : public RuleStyle {
 public:
  explicit LateRuleStyle(LateBound object) : object_(std::move(object)) {}
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

 private:
  LateBound object_;
};

class LateStyleRule : public StyleRule {
 public:
  explicit LateStyleRule(LateBound object) : object_(std::move(object)) {}
  std::u16string selectorText() override { return object_.get(u"selectorText").toText(); }
  std::unique_ptr<RuleStyle> style() override { return wrap<LateRuleStyle>(object_.get(u"style")); }

 private:
  LateBound object_;
};

class LateStyleRules : public StyleRules {
 public:
  explicit LateStyleRules(LateBound object) : object_(std::move(object)) {}
  long length() override { return object_.get(u"length").toInt32(); }
  std::unique_ptr<StyleRule> item(long index) override {
    return wrap<LateStyleRule>(object_.call(u"item", {Variant::int32(index)}));
  }

 private:
  LateBound object_;
};

class LateStyleSheet : public StyleSheet {
 public:
  explicit LateStyleSheet(LateBound object) : object_(std::move(object)) {}
  std::unique_ptr<StyleRules> rules() override {
    return wrap<LateStyleRules>(object_.get(u"rules"));
  }
  long addRule(const std::u16string& selector, const std::u16string& style, long index) override {
    const Variant added = object_.call(
        u"addRule", {Variant::text(selector), Variant::text(style), Variant::int32(index)});
    return added.isNothing() ? -1 : added.toInt32();
  }

 private:
  LateBound object_;
};

class LateStyleSheets : public StyleSheets {
 public:
  explicit LateStyleSheets(LateBound object) : object_(std::move(object)) {}
  long length() override { return object_.get(u"length").toInt32(); }
  std::unique_ptr<StyleSheet> item(long index) override {
    return wrap<LateStyleSheet>(object_.call(u"item", {Variant::int32(index)}));
  }

 private:
  LateBound object_;
};

class LateElement;

class LateElementCollection : public ElementCollection {
 public:
  // The lists that `tags` returns are read as "Item"; the document's collections as "item".
  LateElementCollection(LateBound object, std::u16string_view itemName = u"item")
      : object_(std::move(object)), itemName_(itemName) {}
  long length() override { return object_.get(u"length").toInt32(); }
  std::unique_ptr<Element> item(long index) override;
  std::unique_ptr<ElementCollection> tags(const std::u16string& tagName) override {
    ComPtr<IDispatch> list = object_.call(u"tags", {Variant::text(tagName)}).toObject();
    if (!list) return nullptr;
    return std::make_unique<LateElementCollection>(LateBound(std::move(list)), u"Item");
  }

 private:
  LateBound object_;
  std::u16string_view itemName_;
};

class LateElement : public Element {
 public:
  explicit LateElement(LateBound object) : object_(std::move(object)) {}
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

 private:
  LateBound object_;
};

std::unique_ptr<Element> LateElementCollection::item(long index) {
  return wrap<LateElement>(object_.call(itemName_, {Variant::int32(index)}));
}

class LateTextRange : public TextRange {
 public:
  explicit LateTextRange(LateBound object) : object_(std::move(object)) {}
  void pasteHTML(const std::u16string& html) override {
    object_.call(u"pasteHTML", {Variant::text(html)});
  }

 private:
  LateBound object_;
};

class LateSelection : public Selection {
 public:
  explicit LateSelection(LateBound object) : object_(std::move(object)) {}
  std::unique_ptr<TextRange> createRange() override {
    return wrap<LateTextRange>(object_.call(u"createRange"));
  }

 private:
  LateBound object_;
};

class LateDocument : public Document {
 public:
  explicit LateDocument(LateBound object) : object_(std::move(object)) {}
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

 private:
  LateBound object_;
};

class LatePageWindow : public PageWindow {
 public:
  explicit LatePageWindow(LateBound object) : object_(std::move(object)) {}
  std::unique_ptr<Document> document() override { return documentObject(object_.get(u"Document")); }

 private:
  LateBound object_;
};

}  // namespace

std::unique_ptr<Document> documentObject(const Variant& value) {
  return wrap<LateDocument>(value);
}

std::unique_ptr<PageWindow> pageWindowObject(const Variant& value) {
  return wrap<LatePageWindow>(value);
}

}  // namespace velmo::win
