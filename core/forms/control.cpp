#include "core/forms/control.h"

#include <stdexcept>

namespace velmo::forms {

Control::Control(ControlDesign initial, ChangeHandler onChange)
    : state_(std::move(initial)), onChange_(std::move(onChange)) {}

template <typename T>
void Control::assign(T& field, T value, Property property) {
  if (field == value) return;
  field = std::move(value);
  changed(property);
}

void Control::changed(Property property) {
  if (onChange_) onChange_(*this, property);
}

void Control::setText(std::u16string text) {
  assign(state_.text, std::move(text), Property::Text);
}
void Control::setRect(TwipsRect rect) {
  assign(state_.rect, rect, Property::Rect);
}
void Control::setToolTip(std::u16string toolTip) {
  assign(state_.toolTip, std::move(toolTip), Property::ToolTip);
}
void Control::setFont(std::optional<Font> font) {
  assign(state_.font, std::move(font), Property::Font);
}
void Control::setForeColour(std::optional<OleColour> colour) {
  assign(state_.foreColour, colour, Property::ForeColour);
}
void Control::setBackColour(std::optional<OleColour> colour) {
  assign(state_.backColour, colour, Property::BackColour);
}
void Control::setEnabled(bool enabled) {
  assign(state_.enabled, enabled, Property::Enabled);
}
void Control::setVisible(bool visible) {
  assign(state_.visible, visible, Property::Visible);
}
void Control::setValue(bool value) {
  assign(state_.value, value, Property::Value);
}

const std::u16string& Control::item(int index) const {
  if (index < 0 || index >= listCount()) throw std::out_of_range("list index out of range");
  return state_.items[static_cast<std::size_t>(index)];
}

void Control::addItem(std::u16string text, int index) {
  if (index < -1 || index > listCount()) throw std::out_of_range("list index out of range");
  const int selected = state_.listIndex;
  // The selection stays on the same item, as in the list box itself.
  const int next = index != -1 && selected >= index ? selected + 1 : selected;
  state_.items.insert(index == -1 ? state_.items.end() : state_.items.begin() + index,
                      std::move(text));
  itemsChanged(selected, next);
}

void Control::removeItem(int index) {
  item(index);  // range check
  const int selected = state_.listIndex;
  const int next = selected == index ? -1 : selected > index ? selected - 1 : selected;
  state_.items.erase(state_.items.begin() + index);
  itemsChanged(selected, next);
}

// The list and the selection are consistent before anyone hears of either change.
void Control::itemsChanged(int selectedBefore, int selectedAfter) {
  state_.listIndex = selectedAfter;
  changed(Property::Items);
  if (selectedAfter != selectedBefore) changed(Property::ListIndex);
}

void Control::setListIndex(int index) {
  if (index < -1 || index >= listCount()) throw std::out_of_range("list index out of range");
  assign(state_.listIndex, index, Property::ListIndex);
}

std::u16string Control::selectedText() const {
  return state_.listIndex < 0 ? std::u16string() : item(state_.listIndex);
}

}  // namespace velmo::forms
