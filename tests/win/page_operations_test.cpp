// The page operations end to end: a COM client calls clstestt, the library finds the stand-in
// editor as the running editor, and the page file on disk changes.

#include <VelmoCls_h.h>

#include "tests/support/golden.h"
#include "tests/win/command_on_page.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

const std::string kBotsPage =
    "<html>\r\n<head>\r\n<title>Test</title>\r\n</head>\r\n<body>\r\n"
    "<!--webbot bot=\"HitCounter\" startspan i-image=\"1\" --><b>0</b>"
    "<!--webbot bot=\"HitCounter\" endspan -->\r\n"
    "<!--webbot bot=\"Timestamp\" startspan s-type=\"EDITED\" -->first"
    "<!--webbot bot=\"Timestamp\" endspan -->\r\n"
    "<!--webbot bot=\"Timestamp\" startspan s-type=\"REGENERATED\" -->second"
    "<!--webbot bot=\"Timestamp\" endspan -->\r\n"
    "</body>\r\n</html>\r\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

class PageOperations : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(openWithCommand(page_, editor_, command_)); }
  void TearDown() override {
    if (editor_) LateBound(editor_).call(u"ClosePage");
  }
  bool botfound(std::u16string_view name) {
    Bstr text(name);
    BSTR slot = text.get();
    VARIANT_BOOL found = 7;
    EXPECT_EQ(command_->botfound(&slot, &found), S_OK);
    EXPECT_EQ(slot, text.get()) << "the caller's string is not replaced";
    EXPECT_EQ(text.text(), name);
    return found == VARIANT_TRUE;
  }
  HRESULT eraseBot(std::u16string_view name) {
    Bstr text(name);
    BSTR slot = text.get();
    const HRESULT hr = command_->eraseBot(&slot);
    EXPECT_EQ(slot, text.get()) << "the caller's string is not replaced";
    return hr;
  }
  HRESULT scriptHead2(std::u16string_view code) {
    Bstr text(code);
    BSTR slot = text.get();
    Variant result = Variant::text(u"not empty");
    const HRESULT hr = command_->scriptHead2(&slot, result.put());
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(slot, text.get());
    EXPECT_EQ(text.text(), code);
    return hr;
  }

  TempPage page_{kBotsPage};
  ComPtr<IDispatch> editor_;
  ComPtr<_clstestt> command_;
};

TEST_F(PageOperations, BotfoundComparesNamesExactly) {
  const std::pair<std::u16string_view, bool> cases[] = {
      {u"HitCounter", true},   {u"Timestamp", true}, {u"hitcounter", false}, {u"HITCOUNTER", false},
      {u"HitCounter ", false}, {u"Hit", false},      {u"", false},           {u"Missing", false},
  };
  for (auto [name, expected] : cases) EXPECT_EQ(botfound(name), expected) << narrow(name);
  EXPECT_EQ(page_.bytes(), kBotsPage);
}

TEST_F(PageOperations, EraseBotRemovesTheFirstOfTwoBlocksEachTime) {
  const std::string first =
      "<!--webbot bot=\"Timestamp\" startspan s-type=\"EDITED\" -->first"
      "<!--webbot bot=\"Timestamp\" endspan -->";
  const std::string second =
      "<!--webbot bot=\"Timestamp\" startspan s-type=\"REGENERATED\" -->second"
      "<!--webbot bot=\"Timestamp\" endspan -->";
  ASSERT_EQ(eraseBot(u"Timestamp"), S_OK);
  const std::string once = replaced(kBotsPage, first, "");
  EXPECT_EQ(page_.bytes(), once);
  ASSERT_EQ(eraseBot(u"Timestamp"), S_OK);
  EXPECT_EQ(page_.bytes(), replaced(once, second, ""));
  EXPECT_FALSE(botfound(u"Timestamp"));
  EXPECT_TRUE(botfound(u"HitCounter"));
}

TEST_F(PageOperations, EraseBotWithoutAMatchChangesNothing) {
  for (std::u16string_view name : {u"timestamp", u"Missing", u""}) {
    EXPECT_EQ(eraseBot(name), S_OK);
  }
  EXPECT_EQ(page_.bytes(), kBotsPage);
}

TEST_F(PageOperations, ScriptHead2AppendsTheExactBlockEveryCall) {
  const std::string block = velmo::testing::golden("script-head2-alert.txt");
  ASSERT_EQ(scriptHead2(u"alert(\"hi\");"), S_OK);
  EXPECT_EQ(page_.bytes(), replaced(kBotsPage, "</head>", block + "</head>"));
  ASSERT_EQ(scriptHead2(u"alert(\"hi\");"), S_OK);
  EXPECT_EQ(page_.bytes(), replaced(kBotsPage, "</head>", block + block + "</head>"));
}

TEST_F(PageOperations, ScriptHead2WithEmptyCode) {
  ASSERT_EQ(scriptHead2(u""), S_OK);
  EXPECT_EQ(page_.bytes(), replaced(kBotsPage, "</head>",
                                    velmo::testing::golden("script-head2-empty.txt") + "</head>"));
}

// What script clients send: a string by value, a string by reference, and a variable (a
// VARIANT reference holding a string). None of them may change.
TEST_F(PageOperations, LateBoundTextArgumentsInEveryForm) {
  struct Form {
    const char* name;
    VARTYPE vt;
  };
  for (const Form form : {Form{"value", VT_BSTR}, Form{"BSTR reference", VT_BYREF | VT_BSTR},
                          Form{"VARIANT reference", VT_BYREF | VT_VARIANT}}) {
    SCOPED_TRACE(form.name);
    Variant held = Variant::text(u"HitCounter");
    Variant argument;
    if (form.vt == VT_BSTR) {
      argument = held;
    } else if (form.vt == (VT_BYREF | VT_BSTR)) {
      V_VT(&argument) = form.vt;
      V_BSTRREF(&argument) = &V_BSTR(&held);
    } else {
      V_VT(&argument) = form.vt;
      V_VARIANTREF(&argument) = &held;
    }
    const CallResult result = tryCall(command_.Get(), u"botfound", {argument});
    ASSERT_EQ(result.hr, S_OK) << narrow(result.description);
    EXPECT_EQ(V_VT(&result.value), VT_BOOL);
    EXPECT_EQ(V_BOOL(&result.value), VARIANT_TRUE);
    EXPECT_EQ(V_VT(&held), VT_BSTR);
    EXPECT_EQ(held.toText(), u"HitCounter");
  }
  const CallResult added = tryCall(command_.Get(), u"scriptHead2", {Variant::text(u"x();")});
  ASSERT_EQ(added.hr, S_OK);
  EXPECT_EQ(V_VT(&added.value), VT_EMPTY);
}

TEST_F(PageOperations, WithNoPageOpenTheHostErrorReachesTheCaller) {
  LateBound(editor_).call(u"ClosePage");
  constexpr HRESULT kNoPage = E_FAIL;
  const std::u16string kDescription = u"No page is open in the editor";

  Bstr name(u"HitCounter");
  BSTR slot = name.get();
  VARIANT_BOOL found = VARIANT_TRUE;
  EXPECT_EQ(command_->botfound(&slot, &found), kNoPage);
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_EQ(takeErrorDescription(), kDescription);
  EXPECT_EQ(command_->eraseBot(&slot), kNoPage);
  EXPECT_EQ(takeErrorDescription(), kDescription);
  EXPECT_EQ(command_->scriptHead2(&slot, Variant().put()), kNoPage);
  EXPECT_EQ(takeErrorDescription(), kDescription);

  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(command_.As(&support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__clstestt), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);

  // A late-bound caller gets DISP_E_EXCEPTION with the code and the description.
  const CallResult late = tryCall(command_.Get(), u"eraseBot", {Variant::text(u"HitCounter")});
  EXPECT_EQ(late.hr, kNoPage);
  EXPECT_EQ(late.description, kDescription);
  EXPECT_EQ(page_.bytes(), kBotsPage);
}

}  // namespace
}  // namespace velmo::win::test
