#pragma once
// URLLink, the hyperlink label: a short underlined text that, when the user presses the left
// mouse button on it, opens its address with the shell's "open", after letting its container
// change the address or cancel through the GoToURL event. Its three properties persist in the
// container's property bag.
//
// The control owns its child label lblURL as a forms::Control. As a user control it shows that
// label to a renderer, which mirrors it (caption, position, tooltip) on the surface it draws and
// hands mouse presses on it to lblURL_MouseDown.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/host_error.h"
#include "core/forms/control.h"
#include "core/forms/message_box.h"
#include "core/forms/user_control.h"
#include "core/platform/desktop.h"
#include "core/platform/platform.h"
#include "core/platform/property_bag.h"
#include "core/platform/text_measurer.h"

namespace velmo {

// What the control asks of the platform.
struct URLLinkServices {
  TextMeasurer& measurer;
  Shell& shell;
  MouseCursor& cursor;
  MessageBoxes& messages;

  static URLLinkServices of(Platform& platform) {
    return {platform.measurer, platform.shell, platform.cursor, platform.messages};
  }
};

using forms::MouseButton;

class URLLink : public forms::UserControl {
 public:
  // A handler may set Cancel to stop the opening, or assign to URL to open another address this
  // one time.
  using GoToURLHandler = std::function<void(std::u16string& URL, bool& Cancel)>;
  // The container's property-change notification: the property's value, and so the control's
  // saved state, changed.
  using PropertyChangedHandler = std::function<void(std::u16string_view propertyName)>;

  // The control as its container creates it, before the new-control or the load step.
  // `labelChanged` hears every change of lblURL.
  explicit URLLink(URLLinkServices services, forms::Control::ChangeHandler labelChanged = {});
  URLLink(const URLLink&) = delete;
  URLLink& operator=(const URLLink&) = delete;

  // The caption of lblURL. Setting it fits the label to the text at the surface's top-left
  // corner and notifies the container.
  const std::u16string& Text() const { return lblURL_.text(); }
  void setText(std::u16string sText);
  // The address to open. Setting it updates the tooltip and notifies the container.
  const std::u16string& URL() const { return m_sURL; }
  void setURL(std::u16string sURL);
  // Whether lblURL's tooltip shows the address. Setting it updates the tooltip and notifies.
  bool ShowToolTip() const { return m_bShowToolTip; }
  void setShowToolTip(bool bShowToolTip);

  void onGoToURL(GoToURLHandler handler) { goToURL_ = std::move(handler); }
  // Who hears every change of lblURL from now on (a renderer that shows the label), in place of
  // the one given at construction; an empty handler stops it.
  void onLabelChanged(forms::Control::ChangeHandler handler) { labelChanged_ = std::move(handler); }
  void onPropertyChanged(PropertyChangedHandler handler) { propertyChanged_ = std::move(handler); }

  // A new control without saved state: the three defaults.
  void UserControl_InitProperties();
  // Any failure while reading falls back to the three defaults.
  void UserControl_ReadProperties(PropertyBag& PropBag);
  void UserControl_WriteProperties(PropertyBag& PropBag);

  // The press, not the release, opens the address; only the left button does. An opening that
  // fails to reach the shell is reported in a message box; what the shell answers is its own
  // business.
  void lblURL_MouseDown(MouseButton Button);

  const forms::Control& lblURL() const { return lblURL_; }

  // forms::UserControl: lblURL is the one child; the hand shows over it.
  std::vector<const forms::Control*> children() const override { return {&lblURL_}; }
  void onChildChanged(forms::Control::ChangeHandler handler) override {
    onLabelChanged(std::move(handler));
  }
  forms::OleColour surfaceColour() const override;
  void mouseDown(const forms::Control& child, MouseButton button) override;
  forms::Pointer pointerOver(const forms::Control& child) const override;

 private:
  void updateToolTip();
  void propertyChanged(std::u16string_view name);
  void open(const std::u16string& address);

  URLLinkServices services_;
  forms::Control::ChangeHandler labelChanged_;
  forms::Control lblURL_;
  std::u16string m_sURL;
  bool m_bShowToolTip = false;
  GoToURLHandler goToURL_;
  PropertyChangedHandler propertyChanged_;
};

// "Unable to load 'ADDRESS' : DESCRIPTION (Error NUMBER)", with the number as an automation
// client numbers the error.
std::u16string unableToLoadMessage(std::u16string_view address, const HostError& error);

}  // namespace velmo
