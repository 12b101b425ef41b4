#pragma once
// A presenter without windows: a scripted user acts on the form through the same handlers a
// real user reaches, then closes it with the close box if it is still open.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/forms/form.h"
#include "core/forms/form_presenter.h"

namespace velmo::forms {

struct UserAction {
  enum class Kind { Click, DoubleClick, Type, Select, CloseBox, CloseBoxIfEmpty };
  Kind kind = Kind::Click;
  std::u16string control{};
  std::u16string text{};  // Type
  int index = -1;         // Select

  static UserAction click(std::u16string control) { return {Kind::Click, std::move(control)}; }
  static UserAction doubleClick(std::u16string control) {
    return {Kind::DoubleClick, std::move(control)};
  }
  static UserAction type(std::u16string control, std::u16string text) {
    return {Kind::Type, std::move(control), std::move(text)};
  }
  static UserAction select(std::u16string control, int index) {
    return {Kind::Select, std::move(control), {}, index};
  }
  static UserAction closeBox() { return {Kind::CloseBox}; }
  // A user who finds the control still empty (a No to a question left it so) gives up.
  static UserAction closeBoxIfEmpty(std::u16string control) {
    return {Kind::CloseBoxIfEmpty, std::move(control)};
  }
  bool closes() const { return kind == Kind::CloseBox || kind == Kind::CloseBoxIfEmpty; }
};

// How the last show of a form went.
struct ShowReport {
  bool closedByForm = false;  // a handler unloaded or hid it; false when the user closed it
  std::optional<HostError> failure{};  // the first host error a handler (or Form_Load) met
};

class ScriptedPresenter : public FormPresenter {
 public:
  // What the user does the next time the form of this name is shown; each plan is used once.
  void plan(const std::u16string& formName, std::vector<UserAction> actions);

  void runModal(Form& form) override;
  void showModeless(Form& form) override;

  // Nothing when the form was never shown.
  std::optional<ShowReport> report(const std::u16string& formName) const;

  // A user who stops at the first failed handler and closes the dialog, instead of carrying on
  // with the plan (velmo: nothing further may change once something failed).
  void stopAtFirstFailure(bool stop) { stopAtFirstFailure_ = stop; }

 private:
  ShowReport play(Form& form);

  std::map<std::u16string, std::vector<UserAction>> plans_;
  std::map<std::u16string, ShowReport> reports_;
  bool stopAtFirstFailure_ = false;
};

}  // namespace velmo::forms
