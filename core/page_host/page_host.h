#pragma once
// PageHost: everything the library asks of the editor and of the HTML document of the page open
// in it. The interfaces mirror the editor's object model and the page's document interfaces, so
// one binding can stand over a real editor and another over files on disk.
//
// Every call hands out a fresh object; callers fetch again for each use and keep nothing of the
// page. Every failure of the editor, the page or the site is thrown as HostError. A lookup that
// finds nothing (item 0 of an empty collection) returns nullptr, as the document interfaces
// return null; callers that need the object turn that into a HostError (see requireObject).

#include <memory>
#include <optional>
#include <string>

#include "core/common/host_error.h"

namespace velmo {

// A declaration block of a style rule (IHTMLRuleStyle).
class RuleStyle {
 public:
  virtual ~RuleStyle() = default;
  // flags 1: the property name is compared with case.
  virtual void setAttribute(const std::u16string& name, const std::u16string& value,
                            long flags) = 0;
  // Empty when the rule has no value for the property.
  virtual std::optional<std::u16string> getAttribute(const std::u16string& name, long flags) = 0;
  // True when something was removed.
  virtual bool removeAttribute(const std::u16string& name, long flags) = 0;
};

// One style rule of a sheet (IHTMLStyleSheetRule).
class StyleRule {
 public:
  virtual ~StyleRule() = default;
  virtual std::u16string selectorText() = 0;
  virtual std::unique_ptr<RuleStyle> style() = 0;
};

// A sheet's rules collection.
class StyleRules {
 public:
  virtual ~StyleRules() = default;
  virtual long length() = 0;
  virtual std::unique_ptr<StyleRule> item(long index) = 0;
};

// One style sheet (IHTMLStyleSheet).
class StyleSheet {
 public:
  virtual ~StyleSheet() = default;
  virtual std::unique_ptr<StyleRules> rules() = 0;
  // index -1 appends after the last rule; returns the new rule's index.
  virtual long addRule(const std::u16string& selector, const std::u16string& style, long index) = 0;
};

// The document's style sheets in document order (IHTMLStyleSheetsCollection).
class StyleSheets {
 public:
  virtual ~StyleSheets() = default;
  virtual long length() = 0;
  virtual std::unique_ptr<StyleSheet> item(long index) = 0;
};

class Element;

// IHTMLElementCollection; also the editor's webbot collection.
class ElementCollection {
 public:
  virtual ~ElementCollection() = default;
  virtual long length() = 0;
  // nullptr when there is no such item.
  virtual std::unique_ptr<Element> item(long index) = 0;
  // The elements of this collection whose tag name equals tagName, ignoring case.
  virtual std::unique_ptr<ElementCollection> tags(const std::u16string& tagName) = 0;
};

// IHTMLElement; a webbot block is an element too, with its bot name as attribute "bot".
class Element {
 public:
  virtual ~Element() = default;
  virtual std::u16string innerHTML() = 0;
  virtual void setInnerHTML(const std::u16string& html) = 0;
  virtual std::u16string outerHTML() = 0;
  // Setting "" deletes the element (for a webbot: the whole block) from the page.
  virtual void setOuterHTML(const std::u16string& html) = 0;
  // Empty when the element has no such attribute.
  virtual std::optional<std::u16string> getAttribute(const std::u16string& name) = 0;
  virtual std::unique_ptr<ElementCollection> all() = 0;
};

// The selection's text range.
class TextRange {
 public:
  virtual ~TextRange() = default;
  // Replaces the range; at an empty range, inserts at the caret.
  virtual void pasteHTML(const std::u16string& html) = 0;
};

class Selection {
 public:
  virtual ~Selection() = default;
  virtual std::unique_ptr<TextRange> createRange() = 0;
};

// IHTMLDocument2 as the editor exposes it, with the editor's webbot collection.
class Document {
 public:
  virtual ~Document() = default;
  virtual std::unique_ptr<ElementCollection> all() = 0;
  virtual std::unique_ptr<Selection> selection() = 0;
  virtual std::unique_ptr<StyleSheets> styleSheets() = 0;
  virtual std::unique_ptr<ElementCollection> webbots() = 0;
};

// The editor's window of the edited page.
class PageWindow {
 public:
  virtual ~PageWindow() = default;
  virtual std::unique_ptr<Document> document() = 0;
};

class File {
 public:
  virtual ~File() = default;
  virtual std::u16string name() = 0;
  // Characters from the ninth on are the file's disk path with "/" separators.
  virtual std::u16string url() = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  virtual long count() = 0;
  virtual std::unique_ptr<File> item(long index) = 0;
  virtual std::unique_ptr<File> item(const std::u16string& name) = 0;
  // Imports the disk file under its own name; with overwrite false a taken name is a HostError.
  virtual std::unique_ptr<File> add(const std::u16string& diskPath, bool overwrite) = 0;
};

class Folder;

class Folders {
 public:
  virtual ~Folders() = default;
  virtual long count() = 0;
  virtual std::unique_ptr<Folder> item(long index) = 0;
  virtual std::unique_ptr<Folder> item(const std::u16string& name) = 0;
  virtual std::unique_ptr<Folder> add(const std::u16string& name) = 0;
};

class Folder {
 public:
  virtual ~Folder() = default;
  virtual std::u16string name() = 0;
  virtual std::unique_ptr<Folders> folders() = 0;
  virtual std::unique_ptr<Files> files() = 0;
};

// The site open in the editor.
class Web {
 public:
  virtual ~Web() = default;
  virtual std::unique_ptr<Folder> rootFolder() = 0;
};

class PageHost {
 public:
  virtual ~PageHost() = default;
  // "ActiveDocument": the edited page's document.
  virtual std::unique_ptr<Document> activeDocument() = 0;
  // "ActivePageWindow": the edited page's window.
  virtual std::unique_ptr<PageWindow> activePageWindow() = 0;
  // "ActiveWeb": the site open in the editor.
  virtual std::unique_ptr<Web> activeWeb() = 0;
};

// A lookup that the caller cannot do without: nullptr becomes the error a late-bound client sees.
template <typename T>
std::unique_ptr<T> requireObject(std::unique_ptr<T> object, std::u16string_view what) {
  if (!object) {
    throw HostError(hr::kObjectNotSet, std::u16string(what) + u" is not available");
  }
  return object;
}

}  // namespace velmo
