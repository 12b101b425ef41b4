#include "win32/editor_binding.h"

#include "win32/com/late_bound.h"
#include "win32/editor_objects.h"

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

}  // namespace

EditorBinding::~EditorBinding() {
  // At process end the editor's objects may already be gone with their DLL or apartment;
  // a reference left over then is dropped with the process rather than released into them.
  application_.Detach();
}

void EditorBinding::releaseEditor() noexcept {
  application_.Reset();
}

ComPtr<IDispatch> EditorBinding::application() {
  if (!application_) application_ = findOrStartEditor();
  return application_;
}

Variant EditorBinding::fromApplication(std::u16string_view name) {
  try {
    return LateBound(application()).get(name);
  } catch (const HostError& error) {
    if (!isGone(error.hresult())) throw;
    releaseEditor();
    throw HostError(error.hresult(), u"The editor (FrontPage.Application) has gone away");
  }
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
