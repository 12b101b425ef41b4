// The stand-in's page document objects: PageHost's document side as automation objects, under
// the member names of the editor and the HTML document interfaces.

#include <array>

#include "standin/page_object.h"

namespace velmo::standin {
namespace {

using Names = std::span<const std::u16string_view>;

Variant optionalText(const std::optional<std::u16string>& text) {
  if (text) return Variant::text(*text);
  Variant none;
  V_VT(&none) = VT_NULL;
  return none;
}

Variant nothing() {
  return Variant();
}

class RuleStyleObject : public PageObject {
 public:
  RuleStyleObject(EditorRef editor, std::unique_ptr<RuleStyle> style)
      : PageObject(std::move(editor)), style_(std::move(style)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"setAttribute", u"getAttribute",
                                                              u"removeAttribute"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    switch (member) {
      case 0:
        style_->setAttribute(call.text(0), call.text(1), call.int32(2, 1));
        changed();
        return nothing();
      case 1:
        return optionalText(style_->getAttribute(call.text(0), call.int32(1, 0)));
      default: {
        const bool removed = style_->removeAttribute(call.text(0), call.int32(1, 1));
        changed();
        return Variant::boolean(removed);
      }
    }
  }

 private:
  std::unique_ptr<RuleStyle> style_;
};

class StyleRuleObject : public PageObject {
 public:
  StyleRuleObject(EditorRef editor, std::unique_ptr<StyleRule> rule)
      : PageObject(std::move(editor)), rule_(std::move(rule)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"selectorText", u"style"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    if (member == 0) return Variant::text(rule_->selectorText());
    return wrapped<RuleStyleObject>(editor(), rule_->style());
  }

 private:
  std::unique_ptr<StyleRule> rule_;
};

class StyleRulesObject : public PageObject {
 public:
  StyleRulesObject(EditorRef editor, std::unique_ptr<StyleRules> rules)
      : PageObject(std::move(editor)), rules_(std::move(rules)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"length", u"item"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    if (member == 0) return Variant::int32(rules_->length());
    return wrapped<StyleRuleObject>(editor(), rules_->item(call.int32(0, 0)));
  }

 private:
  std::unique_ptr<StyleRules> rules_;
};

class StyleSheetObject : public PageObject {
 public:
  StyleSheetObject(EditorRef editor, std::unique_ptr<StyleSheet> sheet)
      : PageObject(std::move(editor)), sheet_(std::move(sheet)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"rules", u"addRule"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    if (member == 0) return wrapped<StyleRulesObject>(editor(), sheet_->rules());
    const long index = sheet_->addRule(call.text(0), call.text(1), call.int32(2, -1));
    changed();
    return Variant::int32(index);
  }

 private:
  std::unique_ptr<StyleSheet> sheet_;
};

class StyleSheetsObject : public PageObject {
 public:
  StyleSheetsObject(EditorRef editor, std::unique_ptr<StyleSheets> sheets)
      : PageObject(std::move(editor)), sheets_(std::move(sheets)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"length", u"item"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    if (member == 0) return Variant::int32(sheets_->length());
    return wrapped<StyleSheetObject>(editor(), sheets_->item(call.int32(0, 0)));
  }

 private:
  std::unique_ptr<StyleSheets> sheets_;
};

class ElementCollectionObject : public PageObject {
 public:
  ElementCollectionObject(EditorRef editor, std::unique_ptr<ElementCollection> collection)
      : PageObject(std::move(editor)), collection_(std::move(collection)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"length", u"item", u"tags"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override;

 private:
  std::unique_ptr<ElementCollection> collection_;
};

class ElementObject : public PageObject {
 public:
  ElementObject(EditorRef editor, std::unique_ptr<Element> element)
      : PageObject(std::move(editor)), element_(std::move(element)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 4> names{u"innerHTML", u"outerHTML",
                                                              u"getAttribute", u"all"};
    return names;
  }
  bool writable(std::size_t member) const override { return member <= 1; }
  Variant handle(std::size_t member, const Call& call) override {
    switch (member) {
      case 0:
        if (!call.isPut()) return Variant::text(element_->innerHTML());
        element_->setInnerHTML(call.value().toText());
        changed();
        return nothing();
      case 1:
        if (!call.isPut()) return Variant::text(element_->outerHTML());
        element_->setOuterHTML(call.value().toText());
        changed();
        return nothing();
      case 2:
        return optionalText(element_->getAttribute(call.text(0)));
      default:
        return wrapped<ElementCollectionObject>(editor(), element_->all());
    }
  }

 private:
  std::unique_ptr<Element> element_;
};

Variant ElementCollectionObject::handle(std::size_t member, const Call& call) {
  switch (member) {
    case 0:
      return Variant::int32(collection_->length());
    case 1:
      return wrapped<ElementObject>(editor(), collection_->item(call.int32(0, 0)));
    default:
      return wrapped<ElementCollectionObject>(editor(), collection_->tags(call.text(0)));
  }
}

class TextRangeObject : public PageObject {
 public:
  TextRangeObject(EditorRef editor, std::unique_ptr<TextRange> range)
      : PageObject(std::move(editor)), range_(std::move(range)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"pasteHTML"};
    return names;
  }
  Variant handle(std::size_t, const Call& call) override {
    range_->pasteHTML(call.text(0));
    changed();
    return nothing();
  }

 private:
  std::unique_ptr<TextRange> range_;
};

class SelectionObject : public PageObject {
 public:
  SelectionObject(EditorRef editor, std::unique_ptr<Selection> selection)
      : PageObject(std::move(editor)), selection_(std::move(selection)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"createRange"};
    return names;
  }
  Variant handle(std::size_t, const Call&) override {
    return wrapped<TextRangeObject>(editor(), selection_->createRange());
  }

 private:
  std::unique_ptr<Selection> selection_;
};

class DocumentObject : public PageObject {
 public:
  DocumentObject(EditorRef editor, std::unique_ptr<Document> document)
      : PageObject(std::move(editor)), document_(std::move(document)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 4> names{u"all", u"selection", u"styleSheets",
                                                              u"webbots"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    switch (member) {
      case 0:
        return wrapped<ElementCollectionObject>(editor(), document_->all());
      case 1:
        return wrapped<SelectionObject>(editor(), document_->selection());
      case 2:
        return wrapped<StyleSheetsObject>(editor(), document_->styleSheets());
      default:
        return wrapped<ElementCollectionObject>(editor(), document_->webbots());
    }
  }

 private:
  std::unique_ptr<Document> document_;
};

class PageWindowObject : public PageObject {
 public:
  PageWindowObject(EditorRef editor, std::unique_ptr<PageWindow> window)
      : PageObject(std::move(editor)), window_(std::move(window)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"Document"};
    return names;
  }
  Variant handle(std::size_t, const Call&) override {
    return wrapped<DocumentObject>(editor(), window_->document());
  }

 private:
  std::unique_ptr<PageWindow> window_;
};

}  // namespace

Variant documentResult(const EditorRef& editor, std::unique_ptr<Document> document) {
  return wrapped<DocumentObject>(editor, std::move(document));
}

Variant pageWindowResult(const EditorRef& editor, std::unique_ptr<PageWindow> window) {
  return wrapped<PageWindowObject>(editor, std::move(window));
}

}  // namespace velmo::standin
