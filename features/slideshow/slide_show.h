#pragma once
// The slide show generator: brings the pictures into the site's "slide_img" folder, puts the
// viewer script into the page HEAD once and pastes the viewer table at the selection.

#include <string>
#include <vector>

#include "core/page_host/page_host.h"

namespace velmo {

struct SlidePicture {
  std::u16string name;  // the file's name without its folder, as the list shows it
  std::u16string path;  // the full disk path
};

inline constexpr std::size_t kMinimumSlides = 2;
inline constexpr char16_t kSlideFolder[] = u"slide_img";
inline constexpr char16_t kSlideScriptName[] = u"SLIDE_VL";

// The HEAD script for the pictures, every line ending in CR LF.
std::u16string slideScript(const std::vector<SlidePicture>& pictures);
// The viewer table, every line ending in CR LF.
std::u16string slideTable();

// Runs the generator on at least two pictures: folder, imports, HEAD script, table. Stops at the
// first host error, which it throws.
void makeSlideShow(PageHost& host, const std::vector<SlidePicture>& pictures);

}  // namespace velmo
