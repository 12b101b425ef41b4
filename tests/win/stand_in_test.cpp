// The stand-in editor's own rules: how it answers calls that do not fit, and objects that
// outlive their page.

#include <VelmoCls_h.h>

#include <memory>

#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

TEST(StandIn, CallsThatDoNotFitGetTheirDispatchCodes) {
  TempPage page("<html><head></head><body><p>x</p></body></html>");
  auto editor = createByProgId(L"FrontPage.Application");
  ASSERT_TRUE(editor);
  LateBound app(editor);
  app.call(u"OpenPage", {Variant::text(std::u16string(page.path().begin(), page.path().end()))});
  const ComPtr<IDispatch> document = app.get(u"ActiveDocument").toObject();
  ASSERT_TRUE(document);

  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"noSuchMember")};
  DISPID id = 0;
  EXPECT_EQ(document->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(tryCall(editor.Get(), u"SelectText").hr, DISP_E_PARAMNOTOPTIONAL);
  try {
    LateBound(document).put(u"all", Variant::text(u"x"));
    ADD_FAILURE() << "a read-only member was set";
  } catch (const HostError& error) {
    EXPECT_EQ(error.hresult(), DISP_E_MEMBERNOTFOUND);
  }
  // Member names match without case, as in the editor.
  EXPECT_EQ(tryCall(editor.Get(), u"pagetext").hr, S_OK);

  // An object of a page that is no longer open refuses work instead of reaching freed memory.
  app.call(u"ClosePage");
  const CallResult stale = tryCall(document.Get(), u"all");
  EXPECT_EQ(stale.hr, static_cast<HRESULT>(0x800A005B));
  EXPECT_EQ(stale.description, u"The page this object belongs to is no longer open");
  app.call(u"OpenPage", {Variant::text(std::u16string(page.path().begin(), page.path().end()))});
  EXPECT_EQ(tryCall(document.Get(), u"all").hr, static_cast<HRESULT>(0x800A005B));
  app.call(u"ClosePage");
}

// A page file that another program holds open without sharing cannot be replaced: the edit that
// failed to be written is dropped, and the next change that is written does not carry it along.
TEST(StandIn, AnEditThatCannotBeWrittenIsDropped) {
  const std::string html =
      "<html><head><title>t</title></head><body>"
      "<!--webbot bot=\"V_Date\" startspan -->d<!--webbot bot=\"V_Date\" endspan --></body></html>";
  PageInEditor page(html);
  ComPtr<_clstestt> command;
  ASSERT_EQ(CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command)),
            S_OK);
  Bstr name(u"V_Date");
  BSTR slot = name.get();
  {
    const std::unique_ptr<void, decltype(&CloseHandle)> lock(
        CreateFileW(page.file().path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr),
        &CloseHandle);
    ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FAILED(command->eraseBot(&slot)));
    EXPECT_NE(takeErrorDescription(), u"");
  }
  EXPECT_EQ(page.bytes(), html);
  auto editor = createByProgId(L"FrontPage.Application");
  ASSERT_TRUE(editor);
  EXPECT_EQ(narrow(LateBound(editor).call(u"PageText").toText()), html) << "the editor's page too";

  Bstr code(u"a();");
  BSTR codeSlot = code.get();
  Variant result;
  ASSERT_EQ(command->scriptHead2(&codeSlot, result.put()), S_OK) << narrow(takeErrorDescription());
  const std::string written = page.bytes();
  EXPECT_NE(written.find("a();"), std::string::npos);
  EXPECT_NE(written.find("V_Date\" startspan"), std::string::npos) << "the dropped edit stays out";
}

}  // namespace
}  // namespace velmo::win::test
