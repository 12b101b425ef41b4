#pragma once
// The layout of the current-date dialog, read by every platform's renderer.

#include "forms/design.h"

namespace velmo {

const forms::FormDesign& frmDateDesign();

}  // namespace velmo
