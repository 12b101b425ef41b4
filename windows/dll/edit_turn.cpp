#include "windows/dll/edit_turn.h"

#include <windows.h>

#include "core/common/host_error.h"

namespace velmo::win {
namespace {

// A mutex object rather than std::mutex: COM's wait can serve calls while it waits on a handle.
HANDLE turnMutex() {
  static const HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
  return mutex;
}

thread_local bool editing = false;

}  // namespace

EditTurn::EditTurn() {
  if (editing) {
    throw HostError(RPC_E_CANTCALLOUT_ININPUTSYNCCALL,
                    u"The page is being edited by a call this one interrupted (an event handler "
                    u"called during that edit); make this edit after that call has returned");
  }
  HANDLE mutex = turnMutex();
  if (!mutex) throw HostError(E_OUTOFMEMORY, u"The page edit cannot wait for its turn");
  DWORD index = 0;
  HRESULT hr = CoWaitForMultipleHandles(0, kPatienceMs, 1, &mutex, &index);
  if (hr == CO_E_NOTINITIALIZED) {
    const DWORD waited = WaitForSingleObject(mutex, kPatienceMs);
    hr = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? S_OK : RPC_S_CALLPENDING;
  }
  if (hr == RPC_S_CALLPENDING) {
    throw HostError(RPC_E_TIMEOUT,
                    u"Another edit of the page in this program did not end within a minute; the "
                    u"page was not changed");
  }
  if (FAILED(hr)) throw HostError(hr, u"The page edit cannot wait for its turn");
  editing = true;
}

EditTurn::~EditTurn() {
  editing = false;
  ReleaseMutex(turnMutex());
}

}  // namespace velmo::win
