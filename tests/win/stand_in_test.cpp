// The stand-in editor's own rules: how it answers calls that do not fit, and objects that
// outlive their page.

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

}  // namespace
}  // namespace velmo::win::test
