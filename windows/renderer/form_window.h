#pragma once
// One form shown as real windows: a top-level window of the layout's client size, border and
// caption, and a Win32 window for each control at its layout position, in its font and
// colours, with its tooltip, in tab order. State flows both ways: what the user does reaches
// the form (typing, clicks, selections, the close box, Escape), and every change of the form's
// controls reaches the windows.
//
// The windows live while the form is shown: unloading the form destroys them.

#include <windows.h>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/forms/form.h"
#include "core/forms/message_box.h"
#include "windows/renderer/colours.h"
#include "windows/renderer/fonts.h"
#include "windows/renderer/gdi.h"

namespace velmo::win {

enum class ShowMode { Modal, Modeless };

class FormWindow : public forms::FormObserver {
 public:
  // Creates the windows, hidden. `module` holds the window classes and the pictures and cursors
  // that layouts name; `owner` is the window the form belongs to (nullptr for none). A modal
  // form disables its owner while it is shown.
  FormWindow(forms::Form& form, HINSTANCE module, HWND owner, ShowMode mode);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool alive() const { return hwnd_ != nullptr; }
  forms::Form& form() { return form_; }

  // Shows the window in front, with the focus on the first control in tab order.
  void show();
  // Gives the owner its input back and destroys the windows; nothing when they are gone.
  void close();

  // The first exception a message handler let through (the window stops there); null when none.
  std::exception_ptr failure() const { return failure_; }

  // The window procedure of the top-level window and of the containers.
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // One window of a control: a control of the form, or a child of a user control.
  struct Piece {
    const forms::Control* control = nullptr;
    HWND hwnd = nullptr;
    forms::UserControl* userControl = nullptr;  // a user control's surface: the object behind it
    forms::UserControl* owner = nullptr;        // a user control's child: the control it is of
    bool hasTip = false;
  };

  // forms::FormObserver
  void controlChanged(forms::Control& control, forms::Property property) override;
  void formChanged(forms::Form& form) override;
  void formUnloaded(forms::Form& form) override;

  void create(HWND owner);
  void createChildren(const std::u16string& parentName, HWND parentWindow);
  HWND createControl(const forms::Control& control, HWND parentWindow, bool startsGroup, int id);
  void createUserControl(Piece& surface);
  void createUserControlChild(const forms::Control& child, forms::UserControl& owner,
                              const Piece& surface);
  void subclass(Piece& piece);
  void fillList(const Piece& piece);
  void setPicture(const Piece& piece);
  void place(const Piece& piece);
  void setToolTip(Piece& piece);
  void applyFont(const Piece& piece);
  forms::Font fontOf(const forms::Control& control) const;
  HCURSOR cursorFor(const forms::Pointer& pointer);
  forms::OleColour surfaceColour(const Piece& piece) const;
  HWND firstInTabOrder() const;
  void giveOwnerInput();

  Piece* find(HWND window);
  Piece* find(const forms::Control& control);

  LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handleTopLevel(UINT message, WPARAM wParam, LPARAM lParam);
  void command(HWND child, WORD code);
  LRESULT colours(HDC dc, const Piece& piece);
  void erase(HWND window, HDC dc);
  void paintFrame(const Piece& piece);
  // The procedure of the controls that need more than their class gives (text boxes for the
  // double click, the children of user controls for the mouse and the cursor).
  static LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // A result when the message was handled here.
  std::optional<LRESULT> handleControl(Piece& piece, WNDPROC classProc, UINT message, WPARAM wParam,
                                       LPARAM lParam);
  void fail(std::exception_ptr error);

  forms::Form& form_;
  HINSTANCE module_;
  ShowMode mode_;
  HWND owner_ = nullptr;
  bool ownerDisabled_ = false;
  HWND hwnd_ = nullptr;
  HWND toolTips_ = nullptr;
  HWND lastFocus_ = nullptr;
  // Cursors of the module's resources by asset name; shared resources, never destroyed.
  std::map<std::u16string, HCURSOR, std::less<>> cursors_;
  bool closing_ = false;
  int dpi_;
  FontCache fonts_;
  BrushCache brushes_;
  std::vector<GdiBitmap> pictures_;
  // unique_ptr: the subclassed controls find their piece by address.
  std::vector<std::unique_ptr<Piece>> pieces_;
  std::exception_ptr failure_;
};

}  // namespace velmo::win
