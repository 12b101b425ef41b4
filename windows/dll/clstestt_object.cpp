#include "windows/dll/clstestt_object.h"

#include <VelmoCls_h.h>

#include "features/command_class/clstestt.h"
#include "windows/dll/edit_turn.h"
#include "windows/dll/type_info_dispatch.h"
#include "windows/dll/windows_ui.h"
#include "windows/editor_binding/editor_binding.h"

namespace velmo::win {
namespace {

std::u16string textArgument(const BSTR* text) {
  if (!text) throw HostError(E_POINTER, u"A text argument is missing");
  return textOf(*text);
}

// Script code goes into the page as written. A BSTR may carry NULs that no script client can type
// and that would end the text early for every program reading the page after us, so such code is
// refused before the page is touched.
std::u16string scriptCodeArgument(const BSTR* code) {
  std::u16string text = textArgument(code);
  if (text.find(u'\0') != std::u16string::npos) {
    throw HostError(E_INVALIDARG, u"The script code contains a NUL character");
  }
  return text;
}

// The command class is made for each call: its page operations need only the editor, and its
// dialogs are those of the calling thread's environment (an object may be called on a thread
// other than its own when a caller hands a raw pointer around).
class ClstesttObject : public TypeInfoDispatch<_clstestt> {
 public:
  HRESULT STDMETHODCALLTYPE style() override {
    return dialog([](velmo::clstestt& command) { command.style(); });
  }
  HRESULT STDMETHODCALLTYPE addtofavor() override {
    return dialog([](velmo::clstestt& command) { command.addtofavor(); });
  }
  HRESULT STDMETHODCALLTYPE botfound(BSTR* strName, VARIANT_BOOL* result) override {
    if (result) *result = VARIANT_FALSE;
    return guarded([&] {
      if (!result) throw HostError(E_POINTER, u"The result has no place to go");
      *result = pageCommand().botfound(textArgument(strName)) ? VARIANT_TRUE : VARIANT_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE eraseBot(BSTR* strName) override {
    return guarded([&] { pageCommand().eraseBot(textArgument(strName)); });
  }
  HRESULT STDMETHODCALLTYPE scriptHead2(BSTR* strCode, VARIANT* result) override {
    if (result) VariantInit(result);
    return guarded([&] {
      const std::u16string code = scriptCodeArgument(strCode);
      const EditTurn turn;
      pageCommand().scriptHead2(code);
    });
  }
  HRESULT STDMETHODCALLTYPE slide() override {
    return dialog([](velmo::clstestt& command) { command.slide(); });
  }
  HRESULT STDMETHODCALLTYPE CurDate() override {
    return dialog([](velmo::clstestt& command) { command.CurDate(); });
  }
  HRESULT STDMETHODCALLTYPE ads() override {
    return dialog([](velmo::clstestt& command) { command.ads(); });
  }

 protected:
  std::u16string_view source() const override { return u"VelmoCls.clstestt"; }

 private:
  static velmo::clstestt pageCommand() { return velmo::clstestt(editorBinding()); }
  template <typename Show>
  HRESULT dialog(Show show) {
    return guarded([&] {
      velmo::clstestt command(editorBinding(), windowsUi());
      show(command);
    });
  }
};

}  // namespace

HRESULT createClstestt(REFIID iid, void** out) {
  return createObject<ClstesttObject>(iid, out);
}

}  // namespace velmo::win
