// The server against callers that get things wrong: null pointers, arguments of a type that is
// no text or whose default value misbehaves, a call from a thread without COM, thousands of
// objects made and dropped, and an editor that has gone away.

#include <VelmoCls_h.h>

#include <functional>
#include <thread>

#include "tests/support/pages.h"
#include "tests/win/win_test_support.h"
#include "windows/com/com_object.h"

namespace velmo::win::test {
namespace {

using velmo::testing::kOneLineDatePage;

std::u16string textOfPath(const std::wstring& path) {
  return std::u16string(path.begin(), path.end());
}

// botfound for the page's one block, which sets `found` and returns the call's HRESULT.
HRESULT findDateBlock(_clstestt* command, VARIANT_BOOL& found) {
  Bstr name(u"V_Date");
  BSTR slot = name.get();
  found = 7;  // neither true nor false, so that a call that sets nothing shows
  return command->botfound(&slot, &found);
}

// A command object over the stand-in editor with the page open.
class Hardening : public ::testing::Test {
 protected:
  void SetUp() override {
    editor_ = createByProgId(L"FrontPage.Application");
    ASSERT_TRUE(editor_);
    LateBound(editor_).call(u"OpenPage", {Variant::text(textOfPath(page_.path()))});
    auto factory = classFactory();
    ASSERT_TRUE(factory);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&command_)), S_OK);
  }
  void TearDown() override {
    if (editor_) tryCall(editor_.Get(), u"ClosePage");
  }
  ComPtr<IClassFactory> classFactory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(server_.getClassObject(CLSID_clstestt, IID_PPV_ARGS(&factory)), S_OK);
    return factory;
  }
  DISPID idOf(const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(command_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    return id;
  }

  ServerModule server_;
  TempPage page_{kOneLineDatePage};
  ComPtr<IDispatch> editor_;
  ComPtr<_clstestt> command_;
};

TEST_F(Hardening, NullPointersGiveEPointer) {
  Bstr name(u"V_Date");
  BSTR slot = name.get();
  VARIANT_BOOL found = VARIANT_TRUE;
  Variant result;
  UINT count = 0;
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"botfound")};
  const std::pair<const char*, std::function<HRESULT()>> calls[] = {
      {"botfound without a name", [&] { return command_->botfound(nullptr, &found); }},
      {"botfound without a result", [&] { return command_->botfound(&slot, nullptr); }},
      {"eraseBot without a name", [&] { return command_->eraseBot(nullptr); }},
      {"scriptHead2 without code", [&] { return command_->scriptHead2(nullptr, result.put()); }},
      {"QueryInterface", [&] { return command_->QueryInterface(IID_IUnknown, nullptr); }},
      {"GetTypeInfoCount", [&] { return command_->GetTypeInfoCount(nullptr); }},
      {"GetTypeInfo", [&] { return command_->GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr); }},
      {"GetIDsOfNames without names",
       [&] { return command_->GetIDsOfNames(IID_NULL, nullptr, 1, LOCALE_USER_DEFAULT, &id); }},
      {"GetIDsOfNames without ids",
       [&] { return command_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, nullptr); }},
      {"Invoke without arguments",
       [&] {
         return command_->Invoke(idOf(L"botfound"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                 nullptr, result.put(), nullptr, &count);
       }},
      {"CreateInstance",
       [&] { return classFactory()->CreateInstance(nullptr, IID_IUnknown, nullptr); }},
      {"DllGetClassObject",
       [&] { return server_.getClassObject(CLSID_clstestt, IID_IClassFactory, nullptr); }},
  };
  for (const auto& [what, call] : calls) EXPECT_EQ(call(), E_POINTER) << what;
  EXPECT_EQ(found, VARIANT_FALSE) << "a failed botfound still says false";

  // A null BSTR is automation's empty string, not a missing one.
  BSTR empty = nullptr;
  EXPECT_EQ(command_->botfound(&empty, &found), S_OK);
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

// Invoke with one argument of `value`'s type for a text parameter.
HRESULT invokeWith(IDispatch* object, DISPID id, Variant value, UINT& argError,
                   Variant* result = nullptr) {
  DISPPARAMS params{&value, nullptr, 1, 0};
  Variant unused;
  argError = 99;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                        (result ? result : &unused)->put(), nullptr, &argError);
}

TEST_F(Hardening, ArgumentsThatAreNoTextGiveTypeMismatch) {
  Variant unknown;
  V_VT(&unknown) = VT_UNKNOWN;
  V_UNKNOWN(&unknown) = editor_.Get();
  editor_->AddRef();
  Variant array;
  V_VT(&array) = VT_ARRAY | VT_I4;
  V_ARRAY(&array) = SafeArrayCreateVector(VT_I4, 0, 3);
  Variant null;
  V_VT(&null) = VT_NULL;
  const std::pair<const char*, const Variant*> wrong[] = {
      {"object without a value", &unknown}, {"array", &array}, {"null", &null}};
  for (const wchar_t* method : {L"botfound", L"eraseBot", L"scriptHead2"}) {
    for (const auto& [what, value] : wrong) {
      SCOPED_TRACE(what);
      UINT argError = 0;
      EXPECT_EQ(invokeWith(command_.Get(), idOf(method), *value, argError), DISP_E_TYPEMISMATCH);
    }
  }
  // A number is text to automation, as it is to a script.
  UINT argError = 0;
  EXPECT_EQ(invokeWith(command_.Get(), idOf(L"botfound"), Variant::int32(42), argError), S_OK);

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  Variant result;
  EXPECT_EQ(command_->Invoke(idOf(L"botfound"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                             &none, result.put(), nullptr, &argError),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

// An argument object whose default value (DISPID_VALUE) is what `read` gives; it counts the
// reads.
class DefaultValueArgument : public ComObject<IDispatch> {
 public:
  explicit DefaultValueArgument(std::function<Variant(IDispatch* self)> read)
      : read_(std::move(read)) {}
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    ++reads;
    if (!result) return E_POINTER;
    read_(this).moveTo(result);
    return S_OK;
  }
  int reads = 0;

 private:
  std::function<Variant(IDispatch*)> read_;
};

Variant objectArgument(ComPtr<DefaultValueArgument>& argument,
                       std::function<Variant(IDispatch*)> read) {
  argument.Attach(new DefaultValueArgument(std::move(read)));
  return Variant::object(argument.Get());
}

// Arguments whose default value is an object are refused after one read (an object that is its
// own default value would be read for ever); one whose default value is text is that text.
TEST_F(Hardening, AnObjectArgumentStandsForItsDefaultValueOneLevelDeep) {
  const struct {
    const char* what;
    std::function<Variant(IDispatch*)> read;
    HRESULT hr;
  } cases[] = {
      {"text", [](IDispatch*) { return Variant::text(u"V_Date"); }, S_OK},
      {"itself", [](IDispatch* self) { return Variant::object(self); }, DISP_E_TYPEMISMATCH},
      {"an object whose default value is text",
       [](IDispatch*) {
         ComPtr<DefaultValueArgument> inner;
         return objectArgument(inner, [](IDispatch*) { return Variant::text(u"V_Date"); });
       },
       DISP_E_TYPEMISMATCH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<DefaultValueArgument> argument;
    Variant result;
    UINT argError = 0;
    EXPECT_EQ(invokeWith(command_.Get(), idOf(L"botfound"), objectArgument(argument, c.read),
                         argError, &result),
              c.hr);
    EXPECT_EQ(argument->reads, 1);
    if (c.hr == S_OK) {
      EXPECT_EQ(V_BOOL(&result), VARIANT_TRUE);
    } else {
      EXPECT_EQ(argError, 0u);
    }
  }
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

// The caller's last reference goes while its own call still runs: the object lives to the end
// of the call and goes after it.
TEST_F(Hardening, AnObjectReleasedByItsCallerDuringTheCallOutlivesTheCall) {
  const DISPID ids[] = {idOf(L"botfound"), idOf(L"eraseBot"), idOf(L"scriptHead2")};
  _clstestt* command = command_.Detach();
  for (const DISPID id : ids) {
    SCOPED_TRACE(id);
    ComPtr<DefaultValueArgument> argument;
    Variant result;
    UINT argError = 0;
    const HRESULT hr = invokeWith(command, id,
                                  objectArgument(argument,
                                                 [&](IDispatch*) {
                                                   if (command)
                                                     std::exchange(command, nullptr)->Release();
                                                   return Variant::text(u"none");
                                                 }),
                                  argError, &result);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(server_.canUnloadNow(), S_OK) << "the object went when its call ended";
    if (!command) {
      ASSERT_EQ(classFactory()->CreateInstance(nullptr, IID_PPV_ARGS(&command)), S_OK);
    }
  }
  command->Release();
}

// A caller's thread that never initialised COM is told so (the command object was handed to it
// raw, bypassing marshalling).
TEST_F(Hardening, AThreadWithoutComIsToldToInitialiseIt) {
  HRESULT hr = S_OK;
  std::u16string description;
  VARIANT_BOOL found;
  std::thread([&] {
    hr = findDateBlock(command_.Get(), found);
    description = takeErrorDescription();
  }).join();
  EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
  EXPECT_EQ(description,
            u"The calling thread has not initialised COM: call CoInitialize or CoInitializeEx on "
            u"it before calling VelmoCls");
}

TEST_F(Hardening, TenThousandObjectsLeaveNothingBehind) {
  command_.Reset();
  const auto cycle = [&] {
    ComPtr<_clstestt> command;
    ASSERT_EQ(classFactory()->CreateInstance(nullptr, IID_PPV_ARGS(&command)), S_OK);
    VARIANT_BOOL found;
    ASSERT_EQ(findDateBlock(command.Get(), found), S_OK);
    ASSERT_EQ(found, VARIANT_TRUE);
  };
  // The first cycles settle what is made once: the editor's objects, caches, the heap.
  for (int i = 0; i < 500; ++i) ASSERT_NO_FATAL_FAILURE(cycle());
  const Usage before = usageNow();
  for (int i = 0; i < 10000; ++i) ASSERT_NO_FATAL_FAILURE(cycle());
  const Usage after = usageNow();

  EXPECT_EQ(server_.canUnloadNow(), S_OK);
  EXPECT_LE(after.handles, before.handles + 2)
      << "handles " << before.handles << " -> " << after.handles;
  // Ten thousand cycles leaking even 64 bytes each would show.
  EXPECT_LE(after.privateBytes, before.privateBytes + 512 * 1024)
      << "private bytes " << before.privateBytes << " -> " << after.privateBytes;
}

TEST_F(Hardening, CallsAfterTheEditorHasGoneAwayReportWhy) {
  Bstr name(u"V_Date");
  BSTR slot = name.get();
  VARIANT_BOOL found = VARIANT_FALSE;
  ASSERT_EQ(command_->botfound(&slot, &found), S_OK);  // the library now holds the editor

  LateBound(editor_).call(u"Quit");
  editor_.Reset();
  for (const auto& [what, call] :
       std::initializer_list<std::pair<const char*, std::function<HRESULT()>>>{
           {"botfound", [&] { return command_->botfound(&slot, &found); }},
           {"eraseBot", [&] { return command_->eraseBot(&slot); }},
           {"scriptHead2", [&] { return command_->scriptHead2(&slot, Variant().put()); }}}) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(FAILED(call()));
    EXPECT_NE(takeErrorDescription(), u"");
  }
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

// An editor whose program has ended: COM answers every call with RPC_E_DISCONNECTED.
class GoneEditor : public ComObject<IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return RPC_E_DISCONNECTED; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return RPC_E_DISCONNECTED;
  }
};

// Hands out dead editors, registered for this process in place of the stand-in's class.
class GoneEditorFactory : public ComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return createObject<GoneEditor>(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TEST_F(Hardening, AnEditorWhoseProgramEndedIsReportedAndLetGo) {
  // The running editor quits and the library lets go of it with its last object; the next
  // editor the library gets is a dead one.
  LateBound(editor_).call(u"Quit");
  editor_.Reset();
  command_.Reset();
  ASSERT_EQ(server_.canUnloadNow(), S_OK);
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"FrontPage.Application", &clsid), S_OK);
  ComPtr<IClassFactory> factory;
  factory.Attach(new GoneEditorFactory);
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                  REGCLS_MULTIPLEUSE, &cookie),
            S_OK);

  ASSERT_EQ(classFactory()->CreateInstance(nullptr, IID_PPV_ARGS(&command_)), S_OK);
  VARIANT_BOOL found;
  EXPECT_EQ(findDateBlock(command_.Get(), found), RPC_E_DISCONNECTED);
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_EQ(takeErrorDescription(), u"The editor (FrontPage.Application) has gone away");
  CoRevokeClassObject(cookie);

  // The next command finds the editor running then.
  editor_ = createByProgId(L"FrontPage.Application");
  ASSERT_TRUE(editor_);
  LateBound(editor_).call(u"OpenPage", {Variant::text(textOfPath(page_.path()))});
  EXPECT_EQ(findDateBlock(command_.Get(), found), S_OK);
  EXPECT_EQ(found, VARIANT_TRUE);
}

// Stands for the editor by passing every call on to `target`, until it is cut off: then it
// answers as COM does for an object whose connection is gone.
class CutOffEditor : public ComObject<IDispatch> {
 public:
  explicit CutOffEditor(ComPtr<IDispatch> target) : target_(std::move(target)) {}
  void cutOff() { target_.Reset(); }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return target_ ? target_->GetTypeInfoCount(count) : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override {
    return target_ ? target_->GetTypeInfo(index, lcid, out) : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return target_ ? target_->GetIDsOfNames(iid, names, count, lcid, ids) : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    return target_ ? target_->Invoke(id, iid, lcid, flags, params, result, exception, argError)
                   : CO_E_OBJNOTCONNECTED;
  }

 private:
  ComPtr<IDispatch> target_;
};

// Hands out one given object as the editor, registered for this process in place of the
// stand-in's class for the life of the registration.
class EditorClassFor : public ComObject<IClassFactory> {
 public:
  explicit EditorClassFor(ComPtr<IDispatch> editor) : editor_(std::move(editor)) {}
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return editor_->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ComPtr<IDispatch> editor_;
};

class ClassRegistration {
 public:
  explicit ClassRegistration(ComPtr<IDispatch> editor) {
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(L"FrontPage.Application", &clsid), S_OK);
    ComPtr<IClassFactory> factory;
    factory.Attach(new EditorClassFor(std::move(editor)));
    EXPECT_EQ(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie_),
              S_OK);
  }
  ~ClassRegistration() { CoRevokeClassObject(cookie_); }
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;

 private:
  DWORD cookie_ = 0;
};

// The library keeps the editor it found. When that reference stops answering while an editor
// runs (the editor was restarted, or the reference hung on an apartment that has ended), the
// command goes to the editor running then instead of failing with "has gone away".
TEST_F(Hardening, AKeptEditorThatNoLongerAnswersIsReplacedByTheRunningOne) {
  // The stand-in leaves the running object table; the library finds the go-between instead.
  LateBound(editor_).call(u"Quit");
  LateBound(editor_).call(u"OpenPage", {Variant::text(textOfPath(page_.path()))});
  command_.Reset();
  ASSERT_EQ(server_.canUnloadNow(), S_OK);
  ComPtr<CutOffEditor> between;
  between.Attach(new CutOffEditor(editor_));
  VARIANT_BOOL found;
  {
    const ClassRegistration registration(between);
    ASSERT_EQ(classFactory()->CreateInstance(nullptr, IID_PPV_ARGS(&command_)), S_OK);
    ASSERT_EQ(findDateBlock(command_.Get(), found), S_OK) << narrow(takeErrorDescription());
    ASSERT_EQ(found, VARIANT_TRUE);
  }
  between->cutOff();
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"FrontPage.Application", &clsid), S_OK);
  DWORD running = 0;
  ASSERT_EQ(RegisterActiveObject(editor_.Get(), clsid, ACTIVEOBJECT_STRONG, &running), S_OK);

  EXPECT_EQ(findDateBlock(command_.Get(), found), S_OK) << narrow(takeErrorDescription());
  EXPECT_EQ(found, VARIANT_TRUE);
  RevokeActiveObject(running, nullptr);
}

// An editor reached through a proxy whose object went with its apartment's thread: the call
// fails in COM's RPC layer (Wine answers HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF), which the library
// used to report as a member the editor lacks), the library says the editor has gone away and
// lets it go. Should the report hang, the watchdog ends the test by name.
TEST_F(Hardening, AnEditorBehindADisconnectedProxyIsReportedAndLetGo) {
  LateBound(editor_).call(u"Quit");
  command_.Reset();
  ASSERT_EQ(server_.canUnloadNow(), S_OK);
  IStream* stream = nullptr;
  runInApartmentServing(COINIT_APARTMENTTHREADED, [&] {
    ComPtr<IDispatch> object = createByProgId(L"VelmoCls.Class1");
    CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object.Get(), &stream);
  });
  ComPtr<IDispatch> dead;
  ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID_PPV_ARGS(&dead)), S_OK);

  VARIANT_BOOL found;
  {
    const ClassRegistration registration(dead);
    ASSERT_EQ(classFactory()->CreateInstance(nullptr, IID_PPV_ARGS(&command_)), S_OK);
    for (int i = 0; i < 2; ++i) {
      HRESULT hr = S_OK;
      {
        Watchdog watchdog("botfound with a disconnected editor", 30);
        hr = findDateBlock(command_.Get(), found);
      }
      EXPECT_TRUE(isGone(hr)) << std::hex << hr;
      EXPECT_EQ(takeErrorDescription(), u"The editor (FrontPage.Application) has gone away");
    }
  }
  EXPECT_EQ(page_.bytes(), kOneLineDatePage);
}

}  // namespace
}  // namespace velmo::win::test
