#pragma once
// The layout of the add-to-favourites dialog, read by every platform's renderer.

#include "forms/design.h"

namespace velmo {

// What other browsers see when the user chooses Message and types nothing else.
inline constexpr char16_t kFavouritesDefaultMessage[] = u"Don't forget to bookmark us!";

const forms::FormDesign& frmAddToFavor2Design();

}  // namespace velmo
