#include "features/slideshow/slide_show.h"

#include "core/common/script_text.h"
#include "core/page_host/head_script.h"
#include "core/page_host/page_access.h"

namespace velmo {
namespace {

constexpr std::u16string_view kHeadLines[] = {
    u"<script name =\"SLIDE_VL\" language=\"JavaScript1.1\">",
    u"",
    u"var photos_VL=new Array()",
    u"var photoslink_VL=new Array()",
    u"var which_VL=0",
    u"",
};

constexpr std::u16string_view kBodyLines[] = {
    u"var linkornot_VL=0",
    u"",
    u"var preloadedimages_VL=new Array()",
    u"for (i=0;i<photos_VL.length;i++){",
    u"preloadedimages_VL[i]=new Image()",
    u"preloadedimages_VL[i].src=photos_VL[i]",
    u"}",
    u"",
    u"function applyeffect_VL(){",
    u"if (document.all){",
    u"photoslider.filters.revealTrans.Transition=Math.floor(Math.random()*23)",
    u"photoslider.filters.revealTrans.stop()",
    u"photoslider.filters.revealTrans.apply()",
    u"}",
    u"}",
    u"",
    u"function playeffect_VL(){",
    u"if (document.all)",
    u"photoslider.filters.revealTrans.play()",
    u"}",
    u"",
    u"function keeptrack_VL(){",
    u"window.status=\"Image \"+(which_VL+1)+\" of \"+photos_VL.length",
    u"}",
    u"",
    u"function backward_VL(){",
    u"if (which_VL>0){",
    u"which_VL--",
    u"applyeffect_VL()",
    u"document.images.photoslider.src=photos_VL[which_VL]",
    u"playeffect_VL()",
    u"keeptrack_VL()",
    u"}",
    u"}",
    u"",
    u"function forward_VL(){",
    u"if (which_VL<photos_VL.length-1){",
    u"which_VL++",
    u"applyeffect_VL()",
    u"document.images.photoslider.src=photos_VL[which_VL]",
    u"playeffect_VL()",
    u"keeptrack_VL()",
    u"}",
    u"}",
    u"",
    u"function transport_VL(){",
    u"window.location=photoslink_VL[which_VL]",
    u"}",
    u"</script>",
};

constexpr std::u16string_view kTableLines[] = {
    u"<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
    u"<tr>",
    u"<td width=\"100%\" colspan=\"2\" height=\"22\"><center>",
    u"",
    u"<script>",
    u"document.write('<img src=\"'+photos_VL[0]+'\" name=\"photoslider\" "
    u"style=\"filter:revealTrans(duration=2,transition=23)\" border=0>')",
    u"</script>",
    u"",
    u"</center></td>",
    u"</tr>",
    u"<tr>",
    u"<td width=\"50%\" height=\"21\"><p align=\"left\"><a href=\"#\" "
    u"onClick=\"backward_VL();return false\">Previous Slide</a></td>",
    u"<td width=\"50%\" height=\"21\"><p align=\"right\"><a href=\"#\" "
    u"onClick=\"forward_VL();return false\">Next Slide</a></td>",
    u"</tr>",
    u"</table>",
};

void appendLines(std::u16string& text, std::initializer_list<std::u16string_view> lines) {
  for (auto line : lines) {
    text += line;
    text += u"\r\n";
  }
}

template <std::size_t N>
void appendLines(std::u16string& text, const std::u16string_view (&lines)[N]) {
  for (auto line : lines) appendLines(text, {line});
}

// A picture's address in the script's string literal. The viewer table writes the address into
// a double-quoted src attribute, so a '"' in the name is written as in a URL, which the server
// reads back as the same name.
std::u16string pictureAddress(std::u16string_view name) {
  std::u16string address(kSlideFolder);
  address += u'/';
  for (const char16_t c : name) {
    if (c == u'"') {
      address += u"%22";
    } else {
      address += c;
    }
  }
  return jsStringText(address, u'"');
}

std::u16string decimal(std::size_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

// The root's sub-folder named exactly "slide_img", added when there is none.
std::unique_ptr<Folder> slideFolder(PageHost& host) {
  auto root = [&] {
    return requireObject(requireObject(host.activeWeb(), u"The active web")->rootFolder(),
                         u"The web's root folder");
  };
  auto folders = requireObject(root()->folders(), u"The root folder's sub-folders");
  bool found = false;
  const long count = folders->count();
  for (long i = 0; i < count && !found; ++i) {
    found = requireObject(folders->item(i), u"A sub-folder")->name() == kSlideFolder;
  }
  if (!found) requireObject(root()->folders(), u"The root folder's sub-folders")->add(kSlideFolder);
  return requireObject(requireObject(root()->folders(), u"The root folder's sub-folders")
                           ->item(std::u16string(kSlideFolder)),
                       u"The slide_img folder");
}

}  // namespace

std::u16string slideScript(const std::vector<SlidePicture>& pictures) {
  std::u16string script;
  appendLines(script, kHeadLines);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    appendLines(script, {u"photos_VL[" + decimal(i) + u"] = \"" + pictureAddress(pictures[i].name) +
                         u"\""});
  }
  appendLines(script, kBodyLines);
  return script;
}

std::u16string slideTable() {
  std::u16string table;
  appendLines(table, kTableLines);
  return table;
}

void makeSlideShow(PageHost& host, const std::vector<SlidePicture>& pictures) {
  auto folder = slideFolder(host);
  for (const auto& picture : pictures) {
    requireObject(folder->files(), u"The slide_img folder's files")->add(picture.path, true);
  }
  addHeadScript(host, slideScript(pictures), kSlideScriptName);
  pasteAtSelection(host, slideTable());
}

}  // namespace velmo
