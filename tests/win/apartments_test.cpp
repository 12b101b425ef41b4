// The server across apartments: a command object made in a second apartment, a first use of the
// editor from a thread that then ends, and a reference marshalled to another apartment whose
// vtable calls bring back their results and their error descriptions.

#include <VelmoCls_h.h>

#include <utility>

#include "tests/support/pages.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

using velmo::testing::kOneLineDatePage;

// botfound for the page's one block on `command`: the call's HRESULT, with `found` set.
HRESULT findDateBlock(_clstestt* command, VARIANT_BOOL& found) {
  Bstr name(u"V_Date");
  BSTR slot = name.get();
  found = 7;
  return command->botfound(&slot, &found);
}

HRESULT createCommand(ComPtr<_clstestt>& command) {
  return CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command));
}

const std::pair<const char*, DWORD> kModels[] = {{"single-threaded", COINIT_APARTMENTTHREADED},
                                                 {"multithreaded", COINIT_MULTITHREADED}};

class Apartments : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_ = createByProgId(L"FrontPage.Application");
    ASSERT_TRUE(editor_);
    LateBound(editor_).call(u"OpenPage", {Variant::text(asText(page_.path()))});
  }
  void TearDown() override {
    if (editor_) tryCall(editor_.Get(), u"ClosePage");
  }
  // A botfound on the test's thread with an object of its own.
  void expectFoundHere(const char* what) {
    SCOPED_TRACE(what);
    ComPtr<_clstestt> command;
    ASSERT_EQ(createCommand(command), S_OK);
    VARIANT_BOOL found = 7;
    HRESULT hr = E_FAIL;
    {
      Watchdog watchdog(std::string("botfound on the test's thread after ") + what, 30);
      hr = findDateBlock(command.Get(), found);
    }
    EXPECT_EQ(hr, S_OK) << narrow(takeErrorDescription());
    EXPECT_EQ(found, VARIANT_TRUE);
  }

  ServerModule server_;
  TempPage page_{kOneLineDatePage};
  ComPtr<IDispatch> editor_;
};

// The library holds on to no editor, so a thread's first use is the one that finds the editor and
// keeps it in the global interface table. The thread ends; the test's thread then uses the editor
// through the library, twice: the entry must still lead to the editor (or give way to the running
// one), and the calls must come back (a watchdog ends the test by name should one hang).
// Runs first: only then can the library be brought to hold no editor (see win_unload_after_mta).
TEST_F(Apartments, AFirstUseFromAThreadThatEndsLeavesTheEditorUsable) {
  for (const auto& [what, model] : kModels) {
    SCOPED_TRACE(what);
    ASSERT_EQ(server_.canUnloadNow(), S_OK) << "the library still holds the editor";
    HRESULT created = E_FAIL;
    HRESULT called = E_FAIL;
    VARIANT_BOOL found = 7;
    runInApartmentServing(model, [&] {
      ComPtr<_clstestt> command;
      created = createCommand(command);
      if (SUCCEEDED(created)) called = findDateBlock(command.Get(), found);
    });
    ASSERT_EQ(created, S_OK);
    EXPECT_EQ(called, S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    expectFoundHere(what);
    expectFoundHere("a second call");
  }
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

// The library found the editor on the test's thread; an object made in a second apartment uses
// it there through a reference valid in that apartment (never RPC_E_WRONG_THREAD).
TEST_F(Apartments, ACommandMadeInASecondApartmentWorks) {
  expectFoundHere("nothing");
  for (const auto& [what, model] : kModels) {
    SCOPED_TRACE(what);
    HRESULT created = E_FAIL;
    HRESULT called = E_FAIL;
    HRESULT pasted = E_FAIL;
    VARIANT_BOOL found = 7;
    runInApartmentServing(model, [&] {
      ComPtr<_clstestt> command;
      created = createCommand(command);
      if (FAILED(created)) return;
      called = findDateBlock(command.Get(), found);
      Bstr code(u"second();");
      BSTR slot = code.get();
      Variant result;
      pasted = command->scriptHead2(&slot, result.put());
    });
    ASSERT_EQ(created, S_OK);
    EXPECT_EQ(called, S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    EXPECT_EQ(pasted, S_OK);
  }
  EXPECT_NE(page_.bytes().find("second();"), std::string::npos);
  expectFoundHere("the second apartments");
}

// A reference to _clstestt marshalled to another apartment: its vtable calls go through the
// type-library marshaller (registered under locale 0 for it) to the object on the test's thread,
// and so do its IDispatch calls, whose failure brings its description back in EXCEPINFO.
//
// Windows also hands a failed vtable call's error info (the IErrorInfo the object set on its
// thread) to the calling thread. Wine 8 does not: its channel carries no error info, only what
// registered channel hooks add. Smallest reproduction: an apartment-threaded object whose method
// calls SetErrorInfo and returns E_FAIL, marshalled with CoMarshalInterThreadInterfaceInStream to
// a second thread that calls the method through the proxy: GetErrorInfo there answers S_FALSE
// under Wine, S_OK with the object's description on Windows.
TEST_F(Apartments, AMarshalledCallBringsBackItsResultAndErrorDescription) {
  ComPtr<_clstestt> command;
  ASSERT_EQ(createCommand(command), S_OK);
  for (const auto& [what, model] : kModels) {
    SCOPED_TRACE(what);
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID__clstestt, command.Get(), &stream), S_OK);
    HRESULT unmarshalled = E_FAIL;
    bool proxy = false;
    HRESULT called = E_FAIL;
    VARIANT_BOOL found = 7;
    HRESULT refused = S_OK;
    std::u16string description = u"unset";
    CallResult late;
    std::u16string afterSuccess = u"unset";
    runInApartmentServing(model, [&] {
      ComPtr<_clstestt> remote;
      unmarshalled = CoGetInterfaceAndReleaseStream(stream, IID_PPV_ARGS(&remote));
      if (FAILED(unmarshalled)) return;
      proxy = remote.Get() != command.Get();
      called = findDateBlock(remote.Get(), found);
      const std::u16string withNul(u"a();\0", 5);
      Bstr code(withNul);
      BSTR slot = code.get();
      Variant result;
      refused = remote->scriptHead2(&slot, result.put());
      description = takeErrorDescription();
      late = tryCall(remote.Get(), u"scriptHead2", {Variant::text(withNul)});
      // A later success leaves no description behind.
      findDateBlock(remote.Get(), found);
      afterSuccess = takeErrorDescription();
    });
    ASSERT_EQ(unmarshalled, S_OK);
    EXPECT_TRUE(proxy);
    EXPECT_EQ(called, S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    EXPECT_EQ(refused, E_INVALIDARG);
    EXPECT_EQ(description, underWine() ? u"" : u"The script code contains a NUL character");
    EXPECT_EQ(late.hr, E_INVALIDARG);
    EXPECT_EQ(late.description, u"The script code contains a NUL character");
    EXPECT_EQ(afterSuccess, u"");
  }
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

}  // namespace
}  // namespace velmo::win::test
