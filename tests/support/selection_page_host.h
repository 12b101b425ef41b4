#pragma once
// A page host that holds one page text and its selection and records every call on the way to
// the selection's text range. Any call can be made to fail, to test what a dialog does when the
// editor fails.

#include <memory>
#include <string>
#include <vector>

#include "core/page_host/page_host.h"

namespace velmo::testing {

class SelectionPageHost : public PageHost {
 public:
  std::u16string page;
  std::size_t selectionStart = 0;
  std::size_t selectionEnd = 0;
  // Calls in order: "ActivePageWindow", "Document", "selection", "createRange", "pasteHTML".
  std::vector<std::string> calls;
  // The call that throws HostError; empty for none.
  std::string failAt;

  void selectAll(std::u16string_view text) {
    selectionStart = page.find(text);
    selectionEnd = selectionStart + text.size();
  }
  void caretAt(std::size_t offset) { selectionStart = selectionEnd = offset; }

  std::unique_ptr<Document> activeDocument() override {
    record("ActiveDocument");
    return std::make_unique<PageDocument>(*this);
  }
  std::unique_ptr<PageWindow> activePageWindow() override {
    record("ActivePageWindow");
    return std::make_unique<Window>(*this);
  }
  std::unique_ptr<Web> activeWeb() override {
    record("ActiveWeb");
    throw HostError(hr::kFail, u"No web is open");
  }

 private:
  void record(const std::string& call) {
    calls.push_back(call);
    if (call == failAt) throw HostError(hr::kFail, u"The editor failed at " + u16(call));
  }
  static std::u16string u16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

  struct Range : TextRange {
    explicit Range(SelectionPageHost& host) : host(host) {}
    void pasteHTML(const std::u16string& html) override {
      host.record("pasteHTML");
      host.page.replace(host.selectionStart, host.selectionEnd - host.selectionStart, html);
      host.selectionStart = host.selectionEnd = host.selectionStart + html.size();
    }
    SelectionPageHost& host;
  };
  struct PageSelection : Selection {
    explicit PageSelection(SelectionPageHost& host) : host(host) {}
    std::unique_ptr<TextRange> createRange() override {
      host.record("createRange");
      return std::make_unique<Range>(host);
    }
    SelectionPageHost& host;
  };
  struct PageDocument : Document {
    explicit PageDocument(SelectionPageHost& host) : host(host) {}
    std::unique_ptr<ElementCollection> all() override { return nullptr; }
    std::unique_ptr<Selection> selection() override {
      host.record("selection");
      return std::make_unique<PageSelection>(host);
    }
    std::unique_ptr<StyleSheets> styleSheets() override { return nullptr; }
    std::unique_ptr<ElementCollection> webbots() override { return nullptr; }
    SelectionPageHost& host;
  };
  struct Window : PageWindow {
    explicit Window(SelectionPageHost& host) : host(host) {}
    std::unique_ptr<Document> document() override {
      host.record("Document");
      return std::make_unique<PageDocument>(host);
    }
    SelectionPageHost& host;
  };
};

}  // namespace velmo::testing
