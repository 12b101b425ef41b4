#pragma once
// The layout of the scrollbar colour dialog, read by every platform's renderer.

#include <cstddef>
#include <string>

#include "core/forms/design.h"

namespace velmo {

// The names of the dialog's controls other than the colour entries': its layout, its handlers
// and its users spell them so.
namespace style_controls {
inline constexpr char16_t Label8[] = u"Label8";
inline constexpr char16_t Label[] = u"Label";
inline constexpr char16_t Image1[] = u"Image1";
inline constexpr char16_t cmdDoIt[] = u"cmdDoIt";
inline constexpr char16_t cmdCancel[] = u"cmdCancel";
inline constexpr char16_t Command1[] = u"Command1";
inline constexpr char16_t cmdSave[] = u"cmdSave";
inline constexpr char16_t cmdLoad[] = u"cmdLoad";
inline constexpr char16_t CommonDialog1[] = u"CommonDialog1";
}  // namespace style_controls

const forms::FormDesign& frmstyletestDesign();

// The controls of colour entry `entry` (0 to 7): its label, its field and its swatch. The
// layout names them through these alone.
std::u16string styleLabelName(std::size_t entry);
std::u16string styleFieldName(std::size_t entry);
std::u16string styleSwatchName(std::size_t entry);

// The picture asset shown in Image1, a file of resources/.
inline constexpr std::u16string_view kScrollbarReferencePicture = u"scrollbar_reference.bmp";

}  // namespace velmo
