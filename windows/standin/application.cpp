#include "windows/standin/application.h"

#include <array>

#include "file_host/files/atomic_file.h"
#include "windows/standin/page_object.h"

namespace velmo::standin {
namespace {

class Application;
Application* running = nullptr;

class Application : public AutomationObject {
 public:
  Application() : editor_(std::make_shared<EditorState>()) {
    running = this;
    // The running object table holds the object until Quit, as a running editor stays until
    // it is closed.
    RegisterActiveObject(static_cast<IDispatch*>(this), kStandInClsid, ACTIVEOBJECT_STRONG,
                         &cookie_);
  }
  ~Application() override { running = nullptr; }

 protected:
  std::span<const std::u16string_view> members() const override {
    static constexpr std::array<std::u16string_view, 10> names{
        u"ActiveDocument", u"ActivePageWindow", u"ActiveWeb",  u"OpenPage", u"ClosePage",
        u"SelectText",     u"CaretBefore",      u"CaretAfter", u"PageText", u"Quit"};
    return names;
  }

  Variant invoke(std::size_t member, const Call& call) override {
    auto& host = editor_->host;
    switch (member) {
      case 0:
        return documentResult(editor_, host.activeDocument());
      case 1:
        return pageWindowResult(editor_, host.activePageWindow());
      case 2:
        return webResult(editor_, host.activeWeb());
      case 3:
        // The page open before stays open (and its objects usable) when this one fails.
        host.openPage(file_host::textToPath(call.text(0)),
                      file_host::textToPath(call.text(1, u"")));
        ++editor_->generation;
        return Variant();
      case 4:
        ++editor_->generation;
        host.closePage();
        return Variant();
      case 5:
        return Variant::boolean(host.select(call.text(0), file_host::SelectMode::Select));
      case 6:
        return Variant::boolean(host.select(call.text(0), file_host::SelectMode::CaretBefore));
      case 7:
        return Variant::boolean(host.select(call.text(0), file_host::SelectMode::CaretAfter));
      case 8:
        return Variant::text(host.pageText());
      default:
        quit();
        return Variant();
    }
  }

 private:
  void quit() {
    ++editor_->generation;
    editor_->host.closePage();
    if (cookie_) {
      const DWORD cookie = cookie_;
      cookie_ = 0;
      // May drop the last reference; nothing of this object is used after it.
      RevokeActiveObject(cookie, nullptr);
    }
  }

  EditorRef editor_;
  DWORD cookie_ = 0;
};

}  // namespace

HRESULT createApplication(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (running) return running->QueryInterface(iid, out);
  return win::createObject<Application>(iid, out);
}

}  // namespace velmo::standin
