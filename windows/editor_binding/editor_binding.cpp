#include "windows/editor_binding/editor_binding.h"

#include "windows/com/late_bound.h"
#include "windows/editor_binding/editor_objects.h"

namespace velmo::win {
namespace {

ComPtr<IDispatch> findOrStartEditor() {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(kEditorProgId, &clsid);
  if (FAILED(hr)) {
    throw HostError(hr, u"The editor (FrontPage.Application) is not installed");
  }
  ComPtr<IUnknown> running;
  ComPtr<IDispatch> editor;
  if (SUCCEEDED(GetActiveObject(clsid, nullptr, &running)) && running &&
      SUCCEEDED(running.As(&editor))) {
    return editor;
  }
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(&editor));
  if (FAILED(hr)) {
    throw HostError(hr, u"The editor (FrontPage.Application) cannot be started");
  }
  return editor;
}

ComPtr<IGlobalInterfaceTable> globalInterfaceTable() {
  ComPtr<IGlobalInterfaceTable> table;
  const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&table));
  if (FAILED(hr)) throw HostError(hr, u"The global interface table is not available");
  return table;
}

// A thread that has joined no apartment reaches no editor. The caller is told what to do: the
// failure of the first COM call it would meet (the global interface table) means nothing to a
// script writer.
void requireApartment() {
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  if (CoGetApartmentType(&type, &qualifier) == CO_E_NOTINITIALIZED) {
    throw HostError(CO_E_NOTINITIALIZED,
                    u"The calling thread has not initialised COM: call CoInitialize or "
                    u"CoInitializeEx on it before calling VelmoCls");
  }
}

}  // namespace

EditorBinding::~EditorBinding() {
  // At process end the editor's objects may already be gone with their DLL or apartment; the
  // entry left over then is dropped with the process rather than revoked into them.
}

void EditorBinding::releaseEditor() noexcept {
  DWORD cookie = 0;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    cookie = cookie_;
  }
  forget(cookie);
}

void EditorBinding::forget(DWORD cookie) noexcept {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    if (cookie == 0 || cookie != cookie_) return;  // none, or another thread forgot it first
    cookie_ = 0;
  }
  ComPtr<IGlobalInterfaceTable> table;
  if (SUCCEEDED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&table)))) {
    table->RevokeInterfaceFromGlobal(cookie);
  }
}

ComPtr<IDispatch> EditorBinding::keptApplication(DWORD& cookie) {
  cookie = 0;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    cookie = cookie_;
  }
  ComPtr<IDispatch> application;
  if (cookie == 0) return application;
  // An entry whose apartment has ended cannot be had any more: the next editor found replaces it.
  if (FAILED(globalInterfaceTable()->GetInterfaceFromGlobal(cookie, IID_PPV_ARGS(&application)))) {
    application.Reset();
    forget(cookie);
    cookie = 0;
  }
  return application;
}

DWORD EditorBinding::keep(const ComPtr<IDispatch>& application) {
  const ComPtr<IGlobalInterfaceTable> table = globalInterfaceTable();
  DWORD cookie = 0;
  // A reference that cannot be kept (one whose editor has already gone cannot be marshalled)
  // still serves this call, which then says what became of the editor.
  if (FAILED(table->RegisterInterfaceInGlobal(application.Get(), IID_IDispatch, &cookie))) return 0;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    // Another thread found the editor first: its entry stays, ours goes.
    if (cookie_ == 0) {
      cookie_ = cookie;
      return cookie;
    }
  }
  table->RevokeInterfaceFromGlobal(cookie);
  return 0;
}

Variant EditorBinding::fromApplication(std::u16string_view name) {
  requireApartment();
  Variant value;
  // The kept reference can stop leading to an editor while one runs: the editor was restarted, or
  // the reference hung on an apartment that has ended since. A call through it that finds nobody
  // at the other end goes once more to the editor running now. Failures are handed back, not
  // thrown, until the last try, so that no exception is in flight while the further COM calls
  // (dropping the entry, finding the editor) are made.
  DWORD keptCookie = 0;
  if (ComPtr<IDispatch> kept = keptApplication(keptCookie)) {
    std::optional<HostError> failure = LateBound(kept).tryGet(name, value);
    if (!failure) return value;
    if (!isGone(failure->hresult())) throw std::move(*failure);
    forget(keptCookie);
  }
  ComPtr<IDispatch> application = findOrStartEditor();
  const DWORD cookie = keep(application);
  std::optional<HostError> failure = LateBound(application).tryGet(name, value);
  if (!failure) return value;
  if (!isGone(failure->hresult())) throw std::move(*failure);
  // An editor whose program has ended is let go, so that the next command finds the one running
  // then, and the error says what happened.
  forget(cookie);
  throw HostError(failure->hresult(), u"The editor (FrontPage.Application) has gone away");
}

std::unique_ptr<Document> EditorBinding::activeDocument() {
  return documentObject(fromApplication(u"ActiveDocument"));
}

std::unique_ptr<PageWindow> EditorBinding::activePageWindow() {
  return pageWindowObject(fromApplication(u"ActivePageWindow"));
}

std::unique_ptr<Web> EditorBinding::activeWeb() {
  return webObject(fromApplication(u"ActiveWeb"));
}

EditorBinding& editorBinding() {
  static EditorBinding binding;
  return binding;
}

}  // namespace velmo::win
