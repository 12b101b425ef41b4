// scriptHead2 against another caller of the editor that changes the HEAD between its calls: the
// other edit is never overwritten, and a HEAD that never holds still is refused unchanged.

#include <gtest/gtest.h>

#include <set>

#include "features/command_class/clstestt.h"

namespace velmo {
namespace {

// A page with only a HEAD. After each read named in `editAfterReads` (counted from 1), another
// caller appends "<o>" to the HEAD, as another thread's set landing between two calls would.
class ChangingHeadHost : public PageHost {
 public:
  std::u16string head = u"<t>";
  std::set<int> editAfterReads;
  bool editAfterEveryRead = false;
  int reads = 0;
  int sets = 0;

  std::unique_ptr<Document> activeDocument() override { return std::make_unique<Page>(*this); }
  std::unique_ptr<PageWindow> activePageWindow() override { return nullptr; }
  std::unique_ptr<Web> activeWeb() override { return nullptr; }

 private:
  // The document, its element collections (all of them the HEAD alone) and the HEAD.
  struct Page : Document, ElementCollection, Element {
    explicit Page(ChangingHeadHost& host) : host(host) {}
    std::unique_ptr<ElementCollection> all() override { return std::make_unique<Page>(host); }
    std::unique_ptr<Selection> selection() override { return nullptr; }
    std::unique_ptr<StyleSheets> styleSheets() override { return nullptr; }
    std::unique_ptr<ElementCollection> webbots() override { return nullptr; }
    long length() override { return 1; }
    std::unique_ptr<Element> item(long) override { return std::make_unique<Page>(host); }
    std::unique_ptr<ElementCollection> tags(const std::u16string&) override {
      return std::make_unique<Page>(host);
    }
    std::u16string innerHTML() override {
      const std::u16string read = host.head;
      ++host.reads;
      if (host.editAfterEveryRead || host.editAfterReads.count(host.reads)) host.head += u"<o>";
      return read;
    }
    void setInnerHTML(const std::u16string& html) override {
      ++host.sets;
      host.head = html;
    }
    std::u16string outerHTML() override { return {}; }
    void setOuterHTML(const std::u16string&) override {}
    std::optional<std::u16string> getAttribute(const std::u16string&) override { return {}; }
    ChangingHeadHost& host;
  };
};

std::u16string others(int count) {
  std::u16string edits;
  for (int i = 0; i < count; ++i) edits += u"<o>";
  return edits;
}

TEST(ScriptHeadConcurrentEdit, AnotherEditBetweenTheCallsIsKept) {
  const std::u16string block = scriptHead2Block(u"a();") + u"\r\n";
  const struct {
    const char* what;
    std::set<int> editAfterReads;
    int otherEdits;
  } cases[] = {
      {"no other edit", {}, 0},
      {"between the read and the check", {1}, 1},
      {"at every check but the last", {1, 2, 3}, 3},
  };
  for (const auto& c : cases) {
    ChangingHeadHost host;
    host.editAfterReads = c.editAfterReads;
    clstestt(host).scriptHead2(u"a();");
    EXPECT_EQ(host.head, u"<t>" + others(c.otherEdits) + block) << c.what;
    EXPECT_EQ(host.sets, 1) << c.what;
  }
}

TEST(ScriptHeadConcurrentEdit, AHeadThatNeverHoldsStillIsRefusedUnchanged) {
  ChangingHeadHost host;
  host.editAfterEveryRead = true;
  try {
    clstestt(host).scriptHead2(u"a();");
    ADD_FAILURE() << "no error";
  } catch (const HostError& error) {
    EXPECT_EQ(error.hresult(), hr::kFail);
    EXPECT_EQ(error.description(),
              u"The HEAD of the page kept changing while the script was being added (another "
              u"program edits it); the script was not added");
  }
  EXPECT_EQ(host.sets, 0);
  EXPECT_EQ(host.head, u"<t>" + others(host.reads));
}

}  // namespace
}  // namespace velmo
