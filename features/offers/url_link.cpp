#include "features/offers/url_link.h"

#include <cstdint>
#include <string>

#include "core/common/text.h"
#include "features/offers/url_link_design.h"

namespace velmo {
namespace {

// Errors raised by the automation runtime itself (FACILITY_CONTROL) are numbered by their low
// word, as in "Error 53"; every other error by its HRESULT as a signed number.
std::int32_t errorNumber(std::int32_t hresult) {
  const auto bits = static_cast<std::uint32_t>(hresult);
  if ((bits & 0xFFFF0000u) == 0x800A0000u) return static_cast<std::int32_t>(bits & 0xFFFFu);
  return hresult;
}

}  // namespace

std::u16string unableToLoadMessage(std::u16string_view address, const HostError& error) {
  return u"Unable to load '" + std::u16string(address) + u"' : " + error.description() +
         u" (Error " + utf8ToUtf16(std::to_string(errorNumber(error.hresult()))) + u")";
}

URLLink::URLLink(URLLinkServices services, forms::Control::ChangeHandler labelChanged)
    : services_(services),
      labelChanged_(std::move(labelChanged)),
      lblURL_(lblURLDesign(), [this](forms::Control& label, forms::Property property) {
        if (labelChanged_) labelChanged_(label, property);
      }) {}

void URLLink::setText(std::u16string sText) {
  lblURL_.setText(std::move(sText));
  const TextExtent extent = services_.measurer.measure(lblURL_.text(), urlLinkFont());
  lblURL_.setRect({0, 0, extent.width, extent.height});
  propertyChanged(u"Text");
}

void URLLink::setURL(std::u16string sURL) {
  m_sURL = std::move(sURL);
  updateToolTip();
  propertyChanged(u"URL");
}

void URLLink::setShowToolTip(bool bShowToolTip) {
  m_bShowToolTip = bShowToolTip;
  updateToolTip();
  propertyChanged(u"ShowToolTip");
}

void URLLink::updateToolTip() {
  lblURL_.setToolTip(m_bShowToolTip ? m_sURL : std::u16string());
}

void URLLink::propertyChanged(std::u16string_view name) {
  if (propertyChanged_) propertyChanged_(name);
}

void URLLink::UserControl_InitProperties() {
  setText(std::u16string(kURLLinkDefaultText));
  m_sURL = kURLLinkDefaultURL;
  setShowToolTip(false);
}

void URLLink::UserControl_ReadProperties(PropertyBag& PropBag) {
  try {
    setText(propertyText(PropBag.ReadProperty(u"Text", std::u16string(kURLLinkDefaultText))));
    m_sURL = propertyText(PropBag.ReadProperty(u"URL", std::u16string(kURLLinkDefaultURL)));
    // Also brings the tooltip up to date with the address just read.
    setShowToolTip(propertyBoolean(PropBag.ReadProperty(u"ShowToolTip", false)));
  } catch (const std::exception&) {
    UserControl_InitProperties();
  }
}

void URLLink::UserControl_WriteProperties(PropertyBag& PropBag) {
  PropBag.WriteProperty(u"Text", Text(), std::u16string(kURLLinkDefaultText));
  PropBag.WriteProperty(u"URL", m_sURL, std::u16string(kURLLinkDefaultURL));
  PropBag.WriteProperty(u"ShowToolTip", m_bShowToolTip, false);
}

void URLLink::lblURL_MouseDown(MouseButton Button) {
  if (Button != MouseButton::Left) {
    services_.cursor.setWait(false);
    return;
  }
  std::u16string address = m_sURL;
  bool cancel = false;
  if (goToURL_) goToURL_(address, cancel);
  if (cancel) return;
  open(address);
}

forms::OleColour URLLink::surfaceColour() const {
  return kURLLinkBackColour;
}

void URLLink::mouseDown(const forms::Control& child, MouseButton button) {
  if (&child == &lblURL_) lblURL_MouseDown(button);
}

forms::Pointer URLLink::pointerOver(const forms::Control& child) const {
  if (&child != &lblURL_) return {};
  return {kHandCursorAsset, forms::SystemPointer::Hand};
}

void URLLink::open(const std::u16string& address) {
  WaitCursorScope wait(services_.cursor);
  try {
    // What the shell answers is not examined: it reports its own failures.
    services_.shell.open(address);
  } catch (const HostError& error) {
    msgBox(services_.messages, unableToLoadMessage(address, error));
  }
}

}  // namespace velmo
