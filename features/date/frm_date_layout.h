#pragma once
// The layout of the current-date dialog, read by every platform's renderer.

#include "core/forms/design.h"

namespace velmo {

// The names of the dialog's controls: its layout, its handlers and its users spell them so.
namespace date_controls {
inline constexpr char16_t Label1[] = u"Label1";
inline constexpr char16_t cmdDo[] = u"cmdDo";
inline constexpr char16_t cmdCancel[] = u"cmdCancel";
}  // namespace date_controls

const forms::FormDesign& frmDateDesign();

}  // namespace velmo
