#pragma once
// The layout of the add-to-favourites dialog, read by every platform's renderer.

#include "core/forms/design.h"

namespace velmo {

// The names of the dialog's controls: its layout, its handlers and its users spell them so.
namespace favourites_controls {
inline constexpr char16_t Frame1[] = u"Frame1";
inline constexpr char16_t opType1[] = u"opType1";
inline constexpr char16_t Label1[] = u"Label1";
inline constexpr char16_t opType2[] = u"opType2";
inline constexpr char16_t Label2[] = u"Label2";
inline constexpr char16_t lblType[] = u"lblType";
inline constexpr char16_t txtType[] = u"txtType";
inline constexpr char16_t cmdBrowse[] = u"cmdBrowse";
inline constexpr char16_t Frame2[] = u"Frame2";
inline constexpr char16_t opURL1[] = u"opURL1";
inline constexpr char16_t Label6[] = u"Label6";
inline constexpr char16_t opURL2[] = u"opURL2";
inline constexpr char16_t Label7[] = u"Label7";
inline constexpr char16_t txtHTTP[] = u"txtHTTP";
inline constexpr char16_t Frame3[] = u"Frame3";
inline constexpr char16_t opTitle1[] = u"opTitle1";
inline constexpr char16_t Label9[] = u"Label9";
inline constexpr char16_t opTitle2[] = u"opTitle2";
inline constexpr char16_t Label10[] = u"Label10";
inline constexpr char16_t txtTitle[] = u"txtTitle";
inline constexpr char16_t Frame4[] = u"Frame4";
inline constexpr char16_t opBrowsers1[] = u"opBrowsers1";
inline constexpr char16_t Label3[] = u"Label3";
inline constexpr char16_t opBrowsers2[] = u"opBrowsers2";
inline constexpr char16_t Label4[] = u"Label4";
inline constexpr char16_t txtMessage[] = u"txtMessage";
inline constexpr char16_t cmdDoIt[] = u"cmdDoIt";
inline constexpr char16_t cmdCancel[] = u"cmdCancel";
inline constexpr char16_t cmdHelp[] = u"cmdHelp";
inline constexpr char16_t cmnBrowse[] = u"cmnBrowse";
}  // namespace favourites_controls

// What other browsers see when the user chooses Message and types nothing else.
inline constexpr char16_t kFavouritesDefaultMessage[] = u"Don't forget to bookmark us!";

const forms::FormDesign& frmAddToFavor2Design();

}  // namespace velmo
