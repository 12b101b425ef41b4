#pragma once
// A control of a loaded form. Its state starts as the design and changes only through the
// setters, each of which reports a real change once, so a renderer can mirror the state both
// ways without echoing its own updates back.

#include <functional>
#include <string>

#include "core/forms/design.h"

namespace velmo::forms {

enum class Property {
  Text,
  Rect,
  ToolTip,
  Font,
  ForeColour,
  BackColour,
  Enabled,
  Visible,
  Value,
  Items,
  ListIndex,
};

class Control {
 public:
  using ChangeHandler = std::function<void(Control&, Property)>;

  Control(ControlDesign initial, ChangeHandler onChange);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlDesign& state() const { return state_; }
  ControlKind kind() const { return state_.kind; }
  const std::u16string& name() const { return state_.name; }
  const std::u16string& parent() const { return state_.parent; }
  const std::u16string& text() const { return state_.text; }
  const TwipsRect& rect() const { return state_.rect; }
  const std::u16string& toolTip() const { return state_.toolTip; }
  const std::optional<Font>& font() const { return state_.font; }
  const std::optional<OleColour>& foreColour() const { return state_.foreColour; }
  const std::optional<OleColour>& backColour() const { return state_.backColour; }
  bool enabled() const { return state_.enabled; }
  bool visible() const { return state_.visible; }
  bool value() const { return state_.value; }

  void setText(std::u16string text);
  void setRect(TwipsRect rect);
  void setToolTip(std::u16string toolTip);
  void setFont(std::optional<Font> font);
  void setForeColour(std::optional<OleColour> colour);
  void setBackColour(std::optional<OleColour> colour);
  void setEnabled(bool enabled);
  void setVisible(bool visible);
  // Option buttons: the form clears the other buttons of the group (Form::click).
  void setValue(bool value);

  // List boxes. Indexes are 0-based; an index out of range is std::out_of_range.
  int listCount() const { return static_cast<int>(state_.items.size()); }
  const std::u16string& item(int index) const;
  // Inserts before `index`; -1 appends. The selection follows its item, as in a list box; removing
  // the selected item leaves nothing selected.
  void addItem(std::u16string text, int index = -1);
  void removeItem(int index);
  int listIndex() const { return state_.listIndex; }
  // -1 clears the selection.
  void setListIndex(int index);
  // The selected item's text; empty with nothing selected.
  std::u16string selectedText() const;

 private:
  template <typename T>
  void assign(T& field, T value, Property property);
  void changed(Property property);
  void itemsChanged(int selectedBefore, int selectedAfter);

  ControlDesign state_;
  ChangeHandler onChange_;
};

}  // namespace velmo::forms
