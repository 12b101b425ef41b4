// DllCanUnloadNow after a multithreaded client used the server, in a process of its own. The
// library counts its class objects, as COM asks (a class object may be freed when its lock count
// and its reference count are both zero). A multithreaded client gets an apartment-threaded
// class object through COM's host apartment, and Wine's host apartment keeps one reference to
// it for ever: it marshals the class object it got from DllGetClassObject back to the client
// and never releases its own reference (combase, apartment_hostobject: the IUnknown_Release
// stands in the failure branch only). Smallest reproduction, in a process with our DLL loaded:
//   thread: CoInitializeEx(MULTITHREADED); CoGetClassObject(CLSID_Class1, INPROC_SERVER,
//           IID_IClassFactory) -> Release -> CoUninitialize
//   then DllCanUnloadNow() == S_FALSE for the rest of the process under Wine, S_OK on Windows.
// The same from a single-threaded client gives S_OK everywhere, so the count is ours and right.

#include <VelmoCls_h.h>

#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

// The class object of Class1, got and released on a thread of its own in an apartment of `model`.
HRESULT useClassObjectFrom(DWORD model) {
  HRESULT got = E_FAIL;
  runInApartmentServing(model, [&] {
    ComPtr<IClassFactory> factory;
    got = CoGetClassObject(CLSID_Class1, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&factory));
  });
  return got;
}

TEST(UnloadAfterMta, OnlyWinesHostApartmentKeepsTheClassObject) {
  ServerModule server;
  ASSERT_EQ(server.canUnloadNow(), S_OK);
  ASSERT_EQ(useClassObjectFrom(COINIT_APARTMENTTHREADED), S_OK);
  EXPECT_EQ(server.canUnloadNow(), S_OK) << "a single-threaded client leaves nothing";

  ASSERT_EQ(useClassObjectFrom(COINIT_MULTITHREADED), S_OK);
  if (underWine()) {
    // Should Wine ever release it, this tells: the note above and the README's can then go.
    EXPECT_EQ(server.canUnloadNow(), S_FALSE) << "Wine's host apartment released the class object";
  } else {
    EXPECT_EQ(server.canUnloadNow(), S_OK);
  }
}

}  // namespace
}  // namespace velmo::win::test
