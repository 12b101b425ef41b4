// The stand-in's page document objects: PageHost's document side as automation objects, under
// the member names of the editor and the HTML document interfaces.

#include <array>

#include "windows/standin/page_object.h"

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

class RuleStyleObject : public HostObject<RuleStyle> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"setAttribute", u"getAttribute",
                                                              u"removeAttribute"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    switch (member) {
      case 0:
        object_->setAttribute(call.text(0), call.text(1), call.int32(2, 1));
        changed();
        return nothing();
      case 1:
        return optionalText(object_->getAttribute(call.text(0), call.int32(1, 0)));
      default: {
        const bool removed = object_->removeAttribute(call.text(0), call.int32(1, 1));
        changed();
        return Variant::boolean(removed);
      }
    }
  }
};

class StyleRuleObject : public HostObject<StyleRule> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"selectorText", u"style"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    if (member == 0) return Variant::text(object_->selectorText());
    return wrapped<RuleStyleObject>(editor(), object_->style());
  }
};

// "length" and "item" (by 0-based index) of a style sheet list.
template <typename T, typename Wrapper>
class ListObject : public HostObject<T> {
 public:
  using HostObject<T>::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"length", u"item"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    if (member == 0) return Variant::int32(this->object_->length());
    return wrapped<Wrapper>(this->editor(), this->object_->item(call.int32(0, 0)));
  }
};

using StyleRulesObject = ListObject<StyleRules, StyleRuleObject>;

class StyleSheetObject : public HostObject<StyleSheet> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"rules", u"addRule"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    if (member == 0) return wrapped<StyleRulesObject>(editor(), object_->rules());
    const long index = object_->addRule(call.text(0), call.text(1), call.int32(2, -1));
    changed();
    return Variant::int32(index);
  }
};

using StyleSheetsObject = ListObject<StyleSheets, StyleSheetObject>;

class ElementCollectionObject : public HostObject<ElementCollection> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"length", u"item", u"tags"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override;
};

class ElementObject : public HostObject<Element> {
 public:
  using HostObject::HostObject;

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
        if (!call.isPut()) return Variant::text(object_->innerHTML());
        object_->setInnerHTML(call.value().toText());
        changed();
        return nothing();
      case 1:
        if (!call.isPut()) return Variant::text(object_->outerHTML());
        object_->setOuterHTML(call.value().toText());
        changed();
        return nothing();
      case 2:
        return optionalText(object_->getAttribute(call.text(0)));
      default:
        return wrapped<ElementCollectionObject>(editor(), object_->all());
    }
  }
};

Variant ElementCollectionObject::handle(std::size_t member, const Call& call) {
  switch (member) {
    case 0:
      return Variant::int32(object_->length());
    case 1:
      return wrapped<ElementObject>(editor(), object_->item(call.int32(0, 0)));
    default:
      return wrapped<ElementCollectionObject>(editor(), object_->tags(call.text(0)));
  }
}

class TextRangeObject : public HostObject<TextRange> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"pasteHTML"};
    return names;
  }
  Variant handle(std::size_t, const Call& call) override {
    object_->pasteHTML(call.text(0));
    changed();
    return nothing();
  }
};

class SelectionObject : public HostObject<Selection> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"createRange"};
    return names;
  }
  Variant handle(std::size_t, const Call&) override {
    return wrapped<TextRangeObject>(editor(), object_->createRange());
  }
};

class DocumentObject : public HostObject<Document> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 4> names{u"all", u"selection", u"styleSheets",
                                                              u"webbots"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    switch (member) {
      case 0:
        return wrapped<ElementCollectionObject>(editor(), object_->all());
      case 1:
        return wrapped<SelectionObject>(editor(), object_->selection());
      case 2:
        return wrapped<StyleSheetsObject>(editor(), object_->styleSheets());
      default:
        return wrapped<ElementCollectionObject>(editor(), object_->webbots());
    }
  }
};

class PageWindowObject : public HostObject<PageWindow> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"Document"};
    return names;
  }
  Variant handle(std::size_t, const Call&) override {
    return wrapped<DocumentObject>(editor(), object_->document());
  }
};

}  // namespace

Variant documentResult(const EditorRef& editor, std::unique_ptr<Document> document) {
  return wrapped<DocumentObject>(editor, std::move(document));
}

Variant pageWindowResult(const EditorRef& editor, std::unique_ptr<PageWindow> window) {
  return wrapped<PageWindowObject>(editor, std::move(window));
}

}  // namespace velmo::standin
