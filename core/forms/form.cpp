#include "core/forms/form.h"

#include <algorithm>
#include <stdexcept>

#include "core/common/text.h"

namespace velmo::forms {

Form::Form(FormDesign design, MessageBoxes& messages)
    : design_(std::move(design)), messages_(messages), caption_(design_.caption) {}

Form::~Form() = default;

template <typename Notify>
void Form::notifyAll(Notify notify) {
  // A copy: an observer may detach itself while it is being told.
  const auto observers = observers_;
  for (FormObserver* observer : observers) notify(*observer);
}

void Form::setCaption(std::u16string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notifyAll([this](FormObserver& o) { o.formChanged(*this); });
}

Control& Form::control(std::u16string_view name) {
  for (auto& control : controls_) {
    if (control->name() == name) return *control;
  }
  throw std::out_of_range("form " + utf16ToUtf8(design_.name) + " has no control " +
                          utf16ToUtf8(name));
}

UserControl* Form::userControl(std::u16string_view name) {
  const auto found = userControls_.find(name);
  return found == userControls_.end() ? nullptr : found->second.get();
}

const ControlDesign* Form::designOf(std::u16string_view name) const {
  for (const ControlDesign& control : design_.controls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

void Form::adopt(std::u16string_view name, std::unique_ptr<UserControl> control) {
  const ControlDesign* design = designOf(name);
  if (design == nullptr || design->kind != ControlKind::UserControl) {
    throw std::out_of_range("form " + utf16ToUtf8(design_.name) + " has no user control " +
                            utf16ToUtf8(name));
  }
  userControls_[std::u16string(name)] = std::move(control);
}

void Form::notifyControl(Control& control, Property property) {
  if (!loaded_) return;
  notifyAll([&](FormObserver& o) { o.controlChanged(control, property); });
}

void Form::load() {
  controls_.clear();
  controls_.reserve(design_.controls.size());
  for (const ControlDesign& design : design_.controls) {
    controls_.push_back(std::make_unique<Control>(
        design, [this](Control& control, Property property) { notifyControl(control, property); }));
  }
  userControls_.clear();
  caption_ = design_.caption;
  firstFailure_.reset();
  loaded_ = true;
  visible_ = false;
  runGuarded([this] { Form_Load(); });
}

void Form::unload() {
  if (!loaded_) return;
  // The controls stay until the next load, so a handler that unloads and then reads a field
  // reads what the user left there.
  loaded_ = false;
  visible_ = false;
  notifyAll([this](FormObserver& o) { o.formUnloaded(*this); });
}

void Form::hide() {
  if (!isVisible()) return;
  visible_ = false;
  notifyAll([this](FormObserver& o) { o.formChanged(*this); });
}

void Form::showModal(FormPresenter& presenter) {
  if (!loaded_) load();
  if (!loaded_) return;  // Form_Load unloaded it
  visible_ = true;
  presenter.runModal(*this);
}

void Form::showModeless(FormPresenter& presenter) {
  if (!loaded_) load();
  if (!loaded_) return;
  visible_ = true;
  presenter.showModeless(*this);
}

void Form::click(std::u16string_view name) {
  Control& clicked = control(name);
  if (clicked.kind() == ControlKind::OptionButton) {
    for (auto& other : controls_) {
      if (other.get() != &clicked && other->kind() == ControlKind::OptionButton &&
          other->parent() == clicked.parent()) {
        other->setValue(false);
      }
    }
    clicked.setValue(true);
  }
  raise(name, Event::Click);
}

void Form::doubleClick(std::u16string_view name) {
  control(name);
  raise(name, Event::DblClick);
}

void Form::type(std::u16string_view name, std::u16string text) {
  control(name).setText(std::move(text));
  raise(name, Event::Change);
}

void Form::selectItem(std::u16string_view name, int index) {
  control(name).setListIndex(index);
  raise(name, Event::Click);
}

void Form::closeBox() {
  if (loaded_) Form_CloseBox();
}

void Form::addObserver(FormObserver& observer) {
  observers_.push_back(&observer);
}

void Form::removeObserver(FormObserver& observer) {
  std::erase(observers_, &observer);
}

void Form::on(std::u16string_view control, Event event, std::function<void()> handler) {
  if (designOf(control) == nullptr) {
    throw std::out_of_range("form " + utf16ToUtf8(design_.name) + " has no control " +
                            utf16ToUtf8(control) + " for a handler");
  }
  handlers_[{std::u16string(control), event}] = std::move(handler);
}

void Form::raise(std::u16string_view control, Event event) {
  const auto found = handlers_.find({std::u16string(control), event});
  if (found == handlers_.end()) return;
  // A copy: the handler may replace handlers while it runs.
  const auto handler = found->second;
  runGuarded(handler);
}

void Form::runGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const HostError& error) {
    if (!firstFailure_) firstFailure_ = error;
    messages_.show({error.description(), std::u16string(kAppTitle), MsgButtons::Ok,
                    MsgIcon::Critical, false, true});
    notifyAll([&](FormObserver& o) { o.handlerFailed(*this, error); });
  }
}

}  // namespace velmo::forms
