#include "core/forms/scripted_presenter.h"

namespace velmo::forms {
namespace {

// A control the user can reach: it and every container around it are visible and enabled.
void requireReachable(Form& form, const std::u16string& name) {
  const auto refuse = [&](const Control& control, std::u16string_view why) {
    throw HostError(hr::kInvalidArg, u"The user cannot reach " + name + u" on " + form.name() +
                                         u": " + control.name() + u" is " + std::u16string(why));
  };
  for (const Control* control = &form.control(name); control != nullptr;) {
    if (!control->visible()) refuse(*control, u"hidden");
    if (!control->enabled()) refuse(*control, u"disabled");
    control = control->parent().empty() ? nullptr : &form.control(control->parent());
  }
}

void act(Form& form, const UserAction& action) {
  using Kind = UserAction::Kind;
  if (action.kind == Kind::CloseBox) {
    form.closeBox();
    return;
  }
  if (action.kind == Kind::CloseBoxIfEmpty) {
    if (form.control(action.control).text().empty()) form.closeBox();
    return;
  }
  requireReachable(form, action.control);
  switch (action.kind) {
    case Kind::Click:
      form.click(action.control);
      break;
    case Kind::DoubleClick:
      form.doubleClick(action.control);
      break;
    case Kind::Type:
      form.type(action.control, action.text);
      break;
    case Kind::Select:
      form.selectItem(action.control, action.index);
      break;
    case Kind::CloseBox:
    case Kind::CloseBoxIfEmpty:
      break;
  }
}

}  // namespace

void ScriptedPresenter::plan(const std::u16string& formName, std::vector<UserAction> actions) {
  plans_[formName] = std::move(actions);
}

ShowReport ScriptedPresenter::play(Form& form) {
  std::vector<UserAction> actions;
  if (auto found = plans_.find(form.name()); found != plans_.end()) {
    actions = std::move(found->second);
    plans_.erase(found);
  }
  ShowReport report;
  for (const UserAction& action : actions) {
    if (!form.isVisible() || (stopAtFirstFailure_ && form.firstFailure())) break;
    act(form, action);
    if (!form.isVisible()) report.closedByForm = !action.closes();
  }
  report.failure = form.firstFailure();
  return report;
}

void ScriptedPresenter::runModal(Form& form) {
  ShowReport report;
  try {
    report = play(form);
  } catch (...) {
    // A script the user could not follow ends the show; nothing more runs on the form.
    form.unload();
    throw;
  }
  // A modal dialog ends only when it closes: the user who has nothing left to do closes it.
  if (form.isVisible()) form.closeBox();
  reports_[form.name()] = std::move(report);
}

void ScriptedPresenter::showModeless(Form& form) {
  reports_[form.name()] = play(form);
}

std::optional<ShowReport> ScriptedPresenter::report(const std::u16string& formName) const {
  const auto found = reports_.find(formName);
  if (found == reports_.end()) return std::nullopt;
  return found->second;
}

}  // namespace velmo::forms
