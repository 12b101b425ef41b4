#pragma once
// Which files the site takes in as pictures: the GIF and JPEG files the import dialogs offer,
// known by their first bytes whatever their names say, so that a text file renamed to .jpg (or
// a link named like a picture) is not published with the site.

#include <string_view>

namespace velmo::file_host {

// True for a GIF ("GIF87a" or "GIF89a") or a JPEG (FF D8 FF) file's content.
bool isGifOrJpeg(std::string_view content);

}  // namespace velmo::file_host
