#include "tests/win/win_test_support.h"

#include <psapi.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <thread>

#include "core/common/text.h"
#include "windows/com/registry_table.h"

namespace velmo::win::test {

namespace fs = std::filesystem;

std::wstring besideTests(const wchar_t* file) {
  return (fs::path(modulePath(nullptr)).parent_path() / file).wstring();
}

ServerModule::ServerModule()
    : path_(besideTests(L"VelmoCls.dll")), module_(LoadLibraryW(path_.c_str())) {
  if (!module_)
    ADD_FAILURE() << "cannot load " << narrow(std::u16string(path_.begin(), path_.end()));
}

ServerModule::~ServerModule() {
  if (module_) FreeLibrary(module_);
}

template <typename F>
F ServerModule::exported(const char* name) const {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
}

HRESULT ServerModule::getClassObject(REFCLSID clsid, REFIID iid, void** out) const {
  return exported<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(
      clsid, iid, out);
}

HRESULT ServerModule::canUnloadNow() const {
  return exported<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")();
}

HRESULT ServerModule::registerServer() const {
  return exported<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer")();
}

HRESULT ServerModule::unregisterServer() const {
  return exported<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer")();
}

Usage usageNow() {
  Usage u;
  GetProcessHandleCount(GetCurrentProcess(), &u.handles);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  u.privateBytes = counters.PrivateUsage;
  return u;
}

ComPtr<IDispatch> createByProgId(const wchar_t* progId) {
  CLSID clsid;
  ComPtr<IDispatch> object;
  HRESULT hr = CLSIDFromProgID(progId, &clsid);
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
  }
  EXPECT_EQ(hr, S_OK) << "creating " << narrow(std::u16string(progId, progId + wcslen(progId)));
  return object;
}

CallResult tryCall(IDispatch* object, std::u16string_view name, std::vector<Variant> args) {
  CallResult result;
  try {
    result.value = LateBound(object).call(name, std::move(args));
  } catch (const HostError& error) {
    result.hr = error.hresult();
    result.description = error.description();
  }
  return result;
}

std::u16string takeErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  Bstr description;
  info->GetDescription(description.put());
  return description.text();
}

TempPage::TempPage(const std::string& html) {
  std::random_device random;
  folder_ = (fs::temp_directory_path() / (L"velmo-" + std::to_wstring(random()))).wstring();
  fs::create_directories(folder_);
  page_ = (fs::path(folder_) / L"page.htm").wstring();
  std::ofstream(fs::path(page_), std::ios::binary) << html;
}

TempPage::~TempPage() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string TempPage::bytes() const {
  std::ifstream in(fs::path(page_), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

PageInEditor::PageInEditor(const std::string& html)
    : page_(html), editor_(createByProgId(L"FrontPage.Application")) {
  if (editor_) LateBound(editor_).call(u"OpenPage", {Variant::text(asText(page_.path()))});
}

PageInEditor::~PageInEditor() {
  closePage();
}

void PageInEditor::select(std::u16string_view how, std::u16string_view text) {
  EXPECT_TRUE(LateBound(editor_).call(how, {Variant::text(text)}).toBool()) << narrow(text);
}

void PageInEditor::closePage() {
  if (editor_) LateBound(editor_).call(u"ClosePage");
}

void runInApartmentServing(DWORD model, const std::function<void()>& work) {
  runInApartmentsServing(model, 1, [&](int) { work(); });
}

void runInApartmentsServing(DWORD model, int threads, const std::function<void(int)>& work) {
  using Event = std::unique_ptr<void, decltype(&CloseHandle)>;
  std::vector<Event> done;
  std::vector<HANDLE> handles;
  for (int i = 0; i < threads; ++i) {
    done.emplace_back(CreateEventW(nullptr, TRUE, FALSE, nullptr), &CloseHandle);
    ASSERT_TRUE(done.back());
    handles.push_back(done.back().get());
  }
  std::vector<std::thread> workers;
  for (int i = 0; i < threads; ++i) {
    workers.emplace_back([&, i] {
      {
        Apartment apartment(model);
        if (SUCCEEDED(apartment.hr())) work(i);
      }
      SetEvent(handles[i]);
    });
  }
  // One handle at a time: a wait for all of them on an apartment thread would also wait for a
  // message to arrive.
  HRESULT waited = S_OK;
  for (HANDLE handle : handles) {
    DWORD index = 0;
    if (waited == S_OK) waited = CoWaitForMultipleHandles(0, 100000, 1, &handle, &index);
  }
  // A worker that never ends cannot be joined; the process goes with the test failure.
  if (waited != S_OK) {
    for (std::thread& worker : workers) worker.detach();
    FAIL() << "another thread did not finish: " << std::hex << waited;
  }
  for (std::thread& worker : workers) worker.join();
}

Watchdog::Watchdog(std::string what, DWORD seconds)
    : what_(std::move(what)),
      seconds_(seconds),
      disarmed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      watcher_([this] {
        if (WaitForSingleObject(disarmed_, seconds_ * 1000) == WAIT_TIMEOUT) {
          std::fprintf(stderr, "HUNG: %s did not return within %lu s\n", what_.c_str(),
                       static_cast<unsigned long>(seconds_));
          std::fflush(stderr);
          TerminateProcess(GetCurrentProcess(), 3);
        }
      }) {}

Watchdog::~Watchdog() {
  SetEvent(disarmed_);
  watcher_.join();
  CloseHandle(disarmed_);
}

bool underWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::u16string asText(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

std::string narrow(std::u16string_view text) {
  return utf16ToUtf8(text);
}

}  // namespace velmo::win::test
