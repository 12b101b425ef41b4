#pragma once
// Helpers of the Windows tests: the DLLs beside the test program, objects by programmatic
// identifier, late-bound calls that report failures, and the thread's error info.

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "windows/com/com_values.h"
#include "windows/com/late_bound.h"

namespace velmo::win::test {

// A file in the folder of the test program (where the DLLs are built).
std::wstring besideTests(const wchar_t* file);

// VelmoCls.dll loaded by path, with its exports.
class ServerModule {
 public:
  ServerModule();
  ~ServerModule();
  ServerModule(const ServerModule&) = delete;
  ServerModule& operator=(const ServerModule&) = delete;

  HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** out) const;
  HRESULT canUnloadNow() const;
  HRESULT registerServer() const;
  HRESULT unregisterServer() const;
  const std::wstring& path() const { return path_; }

 private:
  template <typename F>
  F exported(const char* name) const;
  std::wstring path_;
  HMODULE module_;
};

ComPtr<IDispatch> createByProgId(const wchar_t* progId);

// The outcome of a late-bound call: its result, or its HRESULT and description.
struct CallResult {
  HRESULT hr = S_OK;
  std::u16string description;
  Variant value;
};
CallResult tryCall(IDispatch* object, std::u16string_view name, std::vector<Variant> args = {});

// The thread's error info: its description, or "" when none is set.
std::u16string takeErrorDescription();

// A page file in a fresh folder under the temporary folder, removed with the object.
class TempPage {
 public:
  explicit TempPage(const std::string& html);
  ~TempPage();
  TempPage(const TempPage&) = delete;
  TempPage& operator=(const TempPage&) = delete;
  const std::wstring& path() const { return page_; }
  const std::wstring& folder() const { return folder_; }
  std::string bytes() const;

 private:
  std::wstring folder_;
  std::wstring page_;
};

// The stand-in editor with a page open in it for the life of the object.
class PageInEditor {
 public:
  explicit PageInEditor(const std::string& html);
  ~PageInEditor();
  PageInEditor(const PageInEditor&) = delete;
  PageInEditor& operator=(const PageInEditor&) = delete;

  // "SelectText", "CaretBefore" or "CaretAfter" on the first occurrence of `text`.
  void select(std::u16string_view how, std::u16string_view text);
  // Closes the page: the editor then has no page open.
  void closePage();
  std::string bytes() const { return page_.bytes(); }
  const TempPage& file() const { return page_; }

 private:
  TempPage page_;
  ComPtr<IDispatch> editor_;
};

// The thread's membership of an apartment, for the life of the object.
class Apartment {
 public:
  explicit Apartment(DWORD model) : hr_(CoInitializeEx(nullptr, model)) {}
  ~Apartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
  HRESULT hr() const { return hr_; }

 private:
  HRESULT hr_;
};

// Runs `work` on a thread of its own in a new apartment of `model`, while this thread (the
// test's apartment) keeps serving the calls made to its objects, as an editor's thread does.
// The thread has ended when this returns.
void runInApartmentServing(DWORD model, const std::function<void()>& work);
// The same with `threads` threads at once, each running work(its index).
void runInApartmentsServing(DWORD model, int threads, const std::function<void(int)>& work);

// Ends the process with a message naming `what` unless it is destroyed within `seconds`: a call
// that hangs on the test's own thread then fails its test at once, by name.
class Watchdog {
 public:
  Watchdog(std::string what, DWORD seconds);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string what_;
  DWORD seconds_;
  HANDLE disarmed_;
  std::thread watcher_;
};

// The process's handles and private memory, to compare before and after many cycles of a use.
struct Usage {
  DWORD handles = 0;
  SIZE_T privateBytes = 0;
};
Usage usageNow();

// True when the tests run under Wine rather than Windows.
bool underWine();

std::u16string asText(const std::wstring& text);
std::string narrow(std::u16string_view text);

}  // namespace velmo::win::test
