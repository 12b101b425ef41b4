// The renderer and a user control it knows nothing about: the control's children become windows
// on its surface, presses on them reach the control, and the control chooses the pointer.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/forms/form.h"
#include "core/forms/user_control.h"
#include "windows/renderer/form_window.h"
#include "windows/renderer/window_classes.h"

namespace velmo {
namespace {

using forms::Control;
using forms::ControlDesign;
using forms::ControlKind;
using forms::MouseButton;

class SilentMessages : public MessageBoxes {
 public:
  MsgAnswer show(const MessageRequest&) override { return MsgAnswer::Ok; }
};

// Two child labels: a hand over the first (from an asset the module lacks), the arrow over the
// second.
struct Dial : forms::UserControl {
  std::vector<const Control*> children() const override { return {&face, &rim}; }
  void onChildChanged(Control::ChangeHandler handler) override { changed = std::move(handler); }
  forms::OleColour surfaceColour() const override { return forms::rgb(0, 128, 0); }
  void mouseDown(const Control& child, MouseButton button) override {
    presses.emplace_back(&child, button);
  }
  forms::Pointer pointerOver(const Control& child) const override {
    if (&child == &face) return {u"no-such.cur", forms::SystemPointer::Hand};
    return {};
  }
  Control face{ControlDesign{.name = u"face", .text = u"12", .rect = {0, 0, 600, 300}}, {}};
  Control rim{ControlDesign{.name = u"rim", .text = u"6", .rect = {0, 300, 600, 300}}, {}};
  Control::ChangeHandler changed;
  std::vector<std::pair<const Control*, MouseButton>> presses;
};

class DialForm : public forms::Form {
 public:
  explicit DialForm(MessageBoxes& messages)
      : Form({.name = u"frmDial",
              .caption = u"Dial",
              .clientWidth = 2000,
              .clientHeight = 1500,
              .controls = {{.kind = ControlKind::UserControl,
                            .name = u"Dial1",
                            .rect = {120, 120, 900, 900}}}},
             messages) {}
  Dial* dial = nullptr;

 protected:
  void Form_Load() override { dial = &host(u"Dial1", std::make_unique<Dial>()); }
};

TEST(UserControlWindows, ChildrenTakeThePressesAndShowTheControlsPointer) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  win::WindowClasses classes(module);
  SilentMessages messages;
  DialForm form(messages);
  form.load();
  win::FormWindow window(form, module, nullptr, win::ShowMode::Modeless);
  ASSERT_TRUE(window.alive());

  HWND surface = GetWindow(window.hwnd(), GW_CHILD);
  ASSERT_TRUE(surface);
  const auto childShowing = [&](const wchar_t* caption) {
    for (HWND child = GetWindow(surface, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[8] = {};
      GetWindowTextW(child, text, 8);
      if (std::wstring(text) == caption) return child;
    }
    return HWND{};
  };
  HWND face = childShowing(L"12");
  HWND rim = childShowing(L"6");
  ASSERT_TRUE(face && rim);

  SendMessageW(face, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(rim, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  ASSERT_EQ(form.dial->presses.size(), 2u);
  EXPECT_EQ(form.dial->presses[0],
            std::make_pair<const Control*>(&form.dial->face, MouseButton::Left));
  EXPECT_EQ(form.dial->presses[1],
            std::make_pair<const Control*>(&form.dial->rim, MouseButton::Right));

  const auto cursorOver = [](HWND over) {
    SetCursor(nullptr);
    SendMessageW(over, WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  EXPECT_EQ(cursorOver(face), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(cursorOver(rim), LoadCursorW(nullptr, IDC_ARROW));

  // The control's own changes reach its windows while they are shown.
  ASSERT_TRUE(form.dial->changed);
  form.dial->face.setText(u"3");
  form.dial->changed(form.dial->face, forms::Property::Text);
  EXPECT_EQ(childShowing(L"3"), face);

  window.close();
  EXPECT_FALSE(form.dial->changed);  // the renderer stopped listening with its windows
}

}  // namespace
}  // namespace velmo
