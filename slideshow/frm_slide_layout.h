#pragma once
// The layout of the slide show dialog, read by every platform's renderer.

#include "forms/design.h"

namespace velmo {

const forms::FormDesign& frmSlideDesign();

}  // namespace velmo
