#pragma once
// PageHost for Windows: the editor's own automation objects. The editor's application object is
// obtained on first use (the running instance, or a new one when none runs) and kept for the
// library's life; every other object is fetched anew for each use. Command objects may live in
// several apartments of one process (an editor's thread, a script host's, COM's host apartment
// for a multithreaded client): the application object is kept in the global interface table,
// and each use gets the reference that is valid in the caller's apartment.

#include <windows.h>

#include <mutex>

#include "core/page_host/page_host.h"
#include "windows/com/com_values.h"

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
  // The kept application object as seen from this apartment, and its entry's cookie; null (and
  // 0) when none is kept.
  ComPtr<IDispatch> keptApplication(DWORD& cookie);
  // Keeps `application` for later uses and returns its entry's cookie; 0 when another thread
  // kept one first or it cannot be kept.
  DWORD keep(const ComPtr<IDispatch>& application);
  // Drops the table's entry `cookie` when it is still the kept one.
  void forget(DWORD cookie) noexcept;
  // The application's property `name`, from the kept application object or the editor running
  // now.
  Variant fromApplication(std::u16string_view name);
  // Guards cookie_ only: no COM call is made while it is held, since an apartment thread waiting
  // on an outgoing call may be re-entered by an incoming one.
  std::mutex lock_;
  DWORD cookie_ = 0;  // the application object in the global interface table; 0: none
};

// The library's one binding, shared by every command object.
EditorBinding& editorBinding();

}  // namespace velmo::win
