#pragma once
// The layout of the scrollbar colour dialog, read by every platform's renderer.

#include <cstddef>
#include <string>

#include "forms/design.h"

namespace velmo {

const forms::FormDesign& frmstyletestDesign();

// The controls of colour entry `entry` (0 to 7): its label, its field and its swatch.
std::u16string styleLabelName(std::size_t entry);
std::u16string styleFieldName(std::size_t entry);
std::u16string styleSwatchName(std::size_t entry);

// The picture asset shown in Image1, a file of resources/.
inline constexpr std::u16string_view kScrollbarReferencePicture = u"scrollbar_reference.bmp";

}  // namespace velmo
