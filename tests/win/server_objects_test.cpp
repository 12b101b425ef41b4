// The server's objects as COM sees them: class factories, reference counts, unloading, Class1,
// and the exception barrier every method runs behind.

#include <VelmoCls_h.h>

#include <stdexcept>

#include "tests/win/win_test_support.h"
#include "windows/com/error_barrier.h"

namespace velmo::win::test {
namespace {

ComPtr<IClassFactory> factoryOf(const ServerModule& server, REFCLSID clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(server.getClassObject(clsid, IID_PPV_ARGS(&factory)), S_OK);
  return factory;
}

ULONG referencesOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(ClassFactory, RefusesAggregationAndUnknownClasses) {
  ServerModule server;
  for (const CLSID* clsid : {&CLSID_clstestt, &CLSID_Class1}) {
    auto factory = factoryOf(server, *clsid);
    ASSERT_TRUE(factory);
    ComPtr<IUnknown> outer = factory;
    void* inner = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, &inner), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(inner, nullptr);
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(server.getClassObject(IID__clstestt, IID_IClassFactory, &none),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
}

TEST(ReferenceCounts, EveryInterfaceIsOneObjectWithOneCount) {
  ServerModule server;
  auto factory = factoryOf(server, CLSID_clstestt);
  _clstestt* command = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&command)), S_OK);
  EXPECT_EQ(referencesOf(command), 1u);
  EXPECT_EQ(command->AddRef(), 2u);
  EXPECT_EQ(command->Release(), 1u);

  ComPtr<IUnknown> identity;
  ASSERT_EQ(command->QueryInterface(IID_PPV_ARGS(&identity)), S_OK);
  for (REFIID iid : {IID_IUnknown, IID_IDispatch, IID__clstestt, IID_ISupportErrorInfo}) {
    IUnknown* asked = nullptr;
    ASSERT_EQ(command->QueryInterface(iid, reinterpret_cast<void**>(&asked)), S_OK);
    ComPtr<IUnknown> sameObject;
    asked->QueryInterface(IID_PPV_ARGS(&sameObject));
    EXPECT_EQ(sameObject.Get(), identity.Get());
    sameObject.Reset();
    EXPECT_EQ(asked->Release(), 2u);  // the test's own reference and `identity`
  }
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(command->QueryInterface(IID__Class1, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  identity.Reset();
  EXPECT_EQ(command->Release(), 0u);
}

TEST(Unloading, CanUnloadExactlyWhenNoObjectAndNoLockRemains) {
  ServerModule server;
  ASSERT_EQ(server.canUnloadNow(), S_OK);
  {
    auto factory = factoryOf(server, CLSID_Class1);
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);  // the factory is an object too
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    ComPtr<_Class1> data;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&data)), S_OK);
    factory.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);  // object and lock
    data.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);  // the lock alone
    ComPtr<IClassFactory> again = factoryOf(server, CLSID_Class1);
    ASSERT_EQ(again->LockServer(FALSE), S_OK);
  }
  EXPECT_EQ(server.canUnloadNow(), S_OK);
}

// A client that unlocks more than it locked: the extra unlock is refused and counts for nothing,
// so neither a live object nor a later lock is hidden by it.
TEST(Unloading, AnUnbalancedUnlockHidesNoObjectAndNoLock) {
  ServerModule server;
  ASSERT_EQ(server.canUnloadNow(), S_OK);
  ComPtr<_Class1> data;
  {
    auto factory = factoryOf(server, CLSID_Class1);
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&data)), S_OK);
  }
  EXPECT_EQ(server.canUnloadNow(), S_FALSE) << "an object lives";
  data.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_OK) << "everything is released";

  auto factory = factoryOf(server, CLSID_Class1);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_FALSE) << "one lock, after the refused unlocks";
  factory = factoryOf(server, CLSID_Class1);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
  factory.Reset();
  EXPECT_EQ(server.canUnloadNow(), S_OK);
}

TEST(Class1, PropertiesStartEmptyAndKeepTheirOwnCopies) {
  ServerModule server;
  ComPtr<_Class1> first;
  ComPtr<_Class1> second;
  ASSERT_EQ(factoryOf(server, CLSID_Class1)->CreateInstance(nullptr, IID_PPV_ARGS(&first)), S_OK);
  ASSERT_EQ(factoryOf(server, CLSID_Class1)->CreateInstance(nullptr, IID_PPV_ARGS(&second)), S_OK);
  Bstr read;
  ASSERT_EQ(first->get_URL(read.put()), S_OK);
  EXPECT_EQ(read.text(), u"");
  ASSERT_EQ(first->get_description(read.put()), S_OK);
  EXPECT_EQ(read.text(), u"");
  {
    Bstr url(u"https://example.com/a b");
    Bstr description(std::u16string(u"two\0parts", 9));
    ASSERT_EQ(first->put_URL(url.get()), S_OK);
    ASSERT_EQ(first->put_description(description.get()), S_OK);
  }  // the caller's strings are gone; the object kept copies
  ASSERT_EQ(first->get_URL(read.put()), S_OK);
  EXPECT_EQ(read.text(), u"https://example.com/a b");
  ASSERT_EQ(first->get_description(read.put()), S_OK);
  EXPECT_EQ(read.text(), std::u16string(u"two\0parts", 9));
  ASSERT_EQ(second->get_URL(read.put()), S_OK);
  EXPECT_EQ(read.text(), u"");
  EXPECT_EQ(first->get_URL(nullptr), E_POINTER);
}

TEST(Class1, LateBoundPropertiesAcceptValuesAndReferences) {
  auto data = createByProgId(L"VelmoCls.Class1");
  ASSERT_TRUE(data);
  LateBound object(data);
  object.put(u"URL", Variant::text(u"by value"));
  EXPECT_EQ(object.get(u"URL").toText(), u"by value");
  Variant held = Variant::text(u"by reference");
  Variant reference;
  V_VT(&reference) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&reference) = &held;
  object.put(u"description", reference);
  EXPECT_EQ(object.get(u"description").toText(), u"by reference");
  EXPECT_EQ(held.toText(), u"by reference");
}

TEST(ErrorBarrier, TurnsExceptionsIntoHresultsAndErrorInfo) {
  struct Case {
    const char* what;
    std::function<void()> body;
    HRESULT hr;
    std::u16string description;
  };
  const Case cases[] = {
      {"success", [] {}, S_OK, u""},
      {"host error",
       [] { throw HostError(static_cast<std::int32_t>(0x800A005B), u"Object variable not set"); },
       static_cast<HRESULT>(0x800A005B), u"Object variable not set"},
      // A failure never reaches the caller as success, whatever code it was thrown with.
      {"host error with a success code", [] { throw HostError(1, u"Odd"); }, E_FAIL, u"Odd"},
      {"out of memory", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, u"Out of memory"},
      {"standard exception", [] { throw std::runtime_error("broken"); }, E_FAIL, u"broken"},
      {"anything else", [] { throw 42; }, E_FAIL, u"Unexpected failure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setErrorInfo(IID_IDispatch, u"stale", u"stale description");
    EXPECT_EQ(errorBarrier(IID__clstestt, c.body, u"VelmoCls.clstestt"), c.hr);
    EXPECT_EQ(takeErrorDescription(), c.description);
  }
}

// A host that frees unused libraries often loads and unloads the DLL again and again; it runs in
// a process of its own, where nothing else holds the DLL. The cycles cost nothing: the DLL stays
// loaded once loaded (the runtimes linked into it would leave handles and memory behind at
// every unload).
TEST(UnloadCycles, ThreeHundredUnloadsAndReloadsLeaveHandlesAndMemoryFlat) {
  const auto cycle = [] {
    ServerModule server;
    ComPtr<_Class1> data;
    ASSERT_EQ(factoryOf(server, CLSID_Class1)->CreateInstance(nullptr, IID_PPV_ARGS(&data)), S_OK);
    Bstr url(u"http://example.com/");
    ASSERT_EQ(data->put_URL(url.get()), S_OK);
    data.Reset();
    ASSERT_EQ(server.canUnloadNow(), S_OK);
  };
  for (int i = 0; i < 20; ++i) ASSERT_NO_FATAL_FAILURE(cycle());
  const Usage before = usageNow();
  for (int i = 0; i < 300; ++i) ASSERT_NO_FATAL_FAILURE(cycle());
  const Usage after = usageNow();
  EXPECT_LE(after.handles, before.handles + 3)
      << "handles " << before.handles << " -> " << after.handles;
  EXPECT_LE(after.privateBytes, before.privateBytes + 256 * 1024)
      << "private bytes " << before.privateBytes << " -> " << after.privateBytes;
  EXPECT_TRUE(GetModuleHandleW(L"VelmoCls.dll")) << "the DLL stays loaded";
}

}  // namespace
}  // namespace velmo::win::test
