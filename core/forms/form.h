#pragma once
// A dialog: its design, its controls while loaded, and its event handlers.
//
// Lifecycle: load() builds every control afresh from the design and runs Form_Load; unload()
// ends it. A modal show loads the form when it is not loaded and returns once it is unloaded
// (or hidden). The close box acts like Cancel unless a form says otherwise.
//
// Handlers are registered by name (`on(u"cmdDo", Event::Click, ...)`) and run when the user, a
// renderer or the scripted user acts on a control. A host failure inside a handler does not
// escape: the user is shown the host's description, and the form stays as the handler left it.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/common/host_error.h"
#include "core/forms/control.h"
#include "core/forms/design.h"
#include "core/forms/form_presenter.h"
#include "core/forms/message_box.h"
#include "core/forms/user_control.h"

namespace velmo::forms {

enum class Event { Click, DblClick, Change };

class Form;

// What a renderer (or a test) hears of a form.
class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void controlChanged(Control&, Property) {}
  // The caption or the visibility changed.
  virtual void formChanged(Form&) {}
  virtual void formUnloaded(Form&) {}
  // A handler stopped on a host error; the user has been told already.
  virtual void handlerFailed(Form&, const HostError&) {}
};

class Form {
 public:
  Form(FormDesign design, MessageBoxes& messages);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormDesign& design() const { return design_; }
  const std::u16string& name() const { return design_.name; }
  const std::u16string& caption() const { return caption_; }
  void setCaption(std::u16string caption);
  bool isLoaded() const { return loaded_; }
  bool isVisible() const { return loaded_ && visible_; }

  // The controls of the current (or last) load, in design order. std::out_of_range for an
  // unknown name: that is a fault of the caller, never of the user.
  Control& control(std::u16string_view name);
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  // The object behind a user control of the current (or last) load; nullptr when the form made
  // none for it.
  UserControl* userControl(std::u16string_view name);

  void load();
  void unload();
  void hide();
  void showModal(FormPresenter& presenter);
  void showModeless(FormPresenter& presenter);

  // What the user does. Clicking an option button selects it and clears the other option
  // buttons of its container before its Click handler runs.
  void click(std::u16string_view name);
  void doubleClick(std::u16string_view name);
  void type(std::u16string_view name, std::u16string text);
  void selectItem(std::u16string_view name, int index);
  void closeBox();

  // The first host error a handler (Form_Load included) met since the form was last loaded.
  const std::optional<HostError>& firstFailure() const { return firstFailure_; }

  void addObserver(FormObserver& observer);
  void removeObserver(FormObserver& observer);

 protected:
  virtual void Form_Load() {}
  // The close box; acts like Cancel.
  virtual void Form_CloseBox() { unload(); }

  // std::out_of_range for a control the design lacks, so that a misspelt name stops the
  // form's construction instead of leaving a handler that never runs.
  void on(std::u16string_view control, Event event, std::function<void()> handler);
  // Gives the user control `name` of the design its object for this load (Form_Load makes
  // them; the next load drops them). std::out_of_range when the design has no user control of
  // that name.
  template <typename T>
  T& host(std::u16string_view name, std::unique_ptr<T> control) {
    T& hosted = *control;
    adopt(name, std::move(control));
    return hosted;
  }
  MessageBoxes& messages() { return messages_; }

 private:
  void raise(std::u16string_view control, Event event);
  const ControlDesign* designOf(std::u16string_view name) const;
  void adopt(std::u16string_view name, std::unique_ptr<UserControl> control);
  void runGuarded(const std::function<void()>& handler);
  void notifyControl(Control& control, Property property);
  template <typename Notify>
  void notifyAll(Notify notify);

  FormDesign design_;
  MessageBoxes& messages_;
  std::u16string caption_;
  bool loaded_ = false;
  bool visible_ = false;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<std::u16string, std::unique_ptr<UserControl>, std::less<>> userControls_;
  std::map<std::pair<std::u16string, Event>, std::function<void()>> handlers_;
  std::vector<FormObserver*> observers_;
  std::optional<HostError> firstFailure_;
};

}  // namespace velmo::forms
