#pragma once
// How a platform puts a loaded form in front of the user: real windows on Windows, a scripted
// user in velmo and in tests.

namespace velmo::forms {

class Form;

class FormPresenter {
 public:
  virtual ~FormPresenter() = default;
  // Shows the form and returns once it is unloaded or hidden.
  virtual void runModal(Form& form) = 0;
  // Shows the form, or brings it to the front when it is shown already, and returns at once.
  virtual void showModeless(Form& form) = 0;
};

}  // namespace velmo::forms
