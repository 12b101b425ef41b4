#include "tests/win/help_page_recorder.h"

#include <mutex>
#include <stdexcept>

#include "windows/com/class_factory.h"

namespace velmo::win::test {
namespace {

constexpr wchar_t kHelpScheme[] = L"mk";
// Any class id: the session asks the factory given here, never the registry.
constexpr CLSID kRecorderClass = {
    0x5b0a6f3e, 0x2d1c, 0x4e8a, {0x9a, 0x61, 0x3f, 0x0c, 0x7d, 0x52, 0x11, 0xe4}};

std::mutex recordedLock;
std::vector<std::wstring> recorded;

// Takes the address and ends the request: nothing is ever read.
class RecordingProtocol : public ComObject<IInternetProtocol> {
 public:
  HRESULT STDMETHODCALLTYPE Start(LPCWSTR url, IInternetProtocolSink*, IInternetBindInfo*, DWORD,
                                  HANDLE_PTR) override {
    std::wstring page = url ? url : L"";
    const auto inside = page.find(L"::/");
    if (inside != std::wstring::npos) page.erase(0, inside + 3);
    const std::lock_guard lock(recordedLock);
    recorded.push_back(page);
    return INET_E_RESOURCE_NOT_FOUND;
  }
  HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Abort(HRESULT, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Terminate(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Suspend() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* read) override {
    if (read) *read = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE LockRequest(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UnlockRequest() override { return S_OK; }
};

// The binding asks for an inner object first; the factory refuses that, and it then takes a plain
// one.
HRESULT createRecordingProtocol(REFIID iid, void** out) {
  return createObject<RecordingProtocol>(iid, out);
}

}  // namespace

HelpPageRecorder::HelpPageRecorder() {
  {
    const std::lock_guard lock(recordedLock);
    recorded.clear();
  }
  if (FAILED(CoInternetGetSession(0, &session_, 0))) {
    throw std::runtime_error("no internet session to record help pages in");
  }
  if (FAILED(createObject<ClassFactory>(IID_IClassFactory, &factory_, createRecordingProtocol)) ||
      FAILED(session_->RegisterNameSpace(factory_.Get(), kRecorderClass, kHelpScheme, 0, nullptr,
                                         0))) {
    throw std::runtime_error("the help page recorder could not be registered");
  }
}

HelpPageRecorder::~HelpPageRecorder() {
  session_->UnregisterNameSpace(factory_.Get(), kHelpScheme);
}

std::vector<std::wstring> HelpPageRecorder::pages() const {
  const std::lock_guard lock(recordedLock);
  return recorded;
}

}  // namespace velmo::win::test
