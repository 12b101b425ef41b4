#pragma once
// The add-to-favourites block: checks of the dialog's fields and the script they produce.

#include <optional>
#include <string>

namespace velmo {

struct FavouritesChoices {
  bool image = false;       // the link shows an image (else a text link)
  std::u16string source;    // the link text, or the image's source path
  bool currentPage = true;  // add the current page (else the other URL)
  std::u16string otherUrl;  // without its scheme
  bool pageTitle = true;    // the page's own title (else the other title)
  std::u16string otherTitle;
  bool message = false;  // other browsers see the message (else nothing)
  std::u16string messageText;
};

inline constexpr char16_t kFavouritesMessageTitle[] = u"Add to favorite";
// The bot name of the block's webbot comments.
inline constexpr char16_t kFavouritesBotName[] = u"AddToFavor_VL";

// The first failing check's message, in the order source text, other URL, other title.
std::optional<std::u16string> favouritesCheck(const FavouritesChoices& choices);

// The 17-line block (21 with the message for other browsers), joined by CR LF.
std::u16string favouritesBlock(const FavouritesChoices& choices);

}  // namespace velmo
