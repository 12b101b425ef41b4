#pragma once
// A user control: a control of a form that is made of child controls of its own and handles
// the mouse on them itself. The form's design holds only its surface (a ControlKind::UserControl
// with its saved state); the form makes the object behind it on each load (Form::host). A
// renderer draws the surface in the control's colour, shows the children on it, keeps them up
// to date, and hands mouse presses and the cursor question on a child to the control.

#include <string_view>
#include <vector>

#include "core/forms/control.h"
#include "core/forms/design.h"

namespace velmo::forms {

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

// The system's own pointer shapes.
enum class SystemPointer { Arrow, Hand };

// The mouse pointer over a child: a cursor asset (a file of resources/, which a platform keeps
// among its resources), or the system's pointer when there is no asset or it cannot be loaded.
struct Pointer {
  std::u16string_view asset{};
  SystemPointer system = SystemPointer::Arrow;
};

class UserControl {
 public:
  virtual ~UserControl() = default;

  // The child controls, positioned relative to the surface; they live as long as the control.
  virtual std::vector<const Control*> children() const = 0;
  // Who hears every change of a child from now on (a renderer that shows them); an empty
  // handler stops it.
  virtual void onChildChanged(Control::ChangeHandler handler) = 0;
  // The colour of the surface behind the children.
  virtual OleColour surfaceColour() const = 0;

  // The user pressed `button` on `child`.
  virtual void mouseDown(const Control& child, MouseButton button) = 0;
  // The pointer over `child`.
  virtual Pointer pointerOver(const Control& child) const = 0;
};

}  // namespace velmo::forms
