#pragma once
// PageHost for Windows: the editor's own automation objects. The editor's application object is
// obtained on first use (the running instance, or a new one when none runs) and kept for the
// library's life; every other object is fetched anew for each use.

#include <windows.h>

#include "entry/page_host.h"
#include "win32/com/com_values.h"

namespace velmo::win {

// The editor's programmatic identifier.
inline constexpr wchar_t kEditorProgId[] = L"FrontPage.Application";

class EditorBinding : public PageHost {
 public:
  EditorBinding() = default;
  ~EditorBinding() override;
  EditorBinding(const EditorBinding&) = delete;
  EditorBinding& operator=(const EditorBinding&) = delete;

  std::unique_ptr<Document> activeDocument() override;
  std::unique_ptr<PageWindow> activePageWindow() override;
  std::unique_ptr<Web> activeWeb() override;

  // Lets the application object go; called when the DLL agrees to be unloaded.
  void releaseEditor() noexcept;

 private:
  ComPtr<IDispatch> application();
  // The application's property `name`. An editor that has gone away is let go, so that the next
  // command finds the one running then, and the error says what happened.
  Variant fromApplication(std::u16string_view name);
  ComPtr<IDispatch> application_;
};

// The library's one binding, shared by every command object.
EditorBinding& editorBinding();

}  // namespace velmo::win
