#pragma once
// The layout of the slide show dialog, read by every platform's renderer.

#include "core/forms/design.h"

namespace velmo {

// The names of the dialog's controls: its layout, its handlers and its users spell them so.
namespace slide_controls {
inline constexpr char16_t lblName[] = u"lblName";
inline constexpr char16_t lstPic[] = u"lstPic";
inline constexpr char16_t cmdBrowse[] = u"cmdBrowse";
inline constexpr char16_t cmdRemove[] = u"cmdRemove";
inline constexpr char16_t cmdUp[] = u"cmdUp";
inline constexpr char16_t cmdDown[] = u"cmdDown";
inline constexpr char16_t cmdDoit[] = u"cmdDoit";
inline constexpr char16_t cmdCancel[] = u"cmdCancel";
inline constexpr char16_t Command1[] = u"Command1";
inline constexpr char16_t cmnBrowse[] = u"cmnBrowse";
}  // namespace slide_controls

const forms::FormDesign& frmSlideDesign();

}  // namespace velmo
