#include "favourites/frm_add_to_favor2.h"

#include <algorithm>

#include "favourites/favourites_block.h"
#include "favourites/frm_add_to_favor2_layout.h"
#include "page_host/page_access.h"

namespace velmo {
namespace {

constexpr std::int16_t kHelpTopic = 2;
constexpr std::u16string_view kImagesFolder = u"images";

// A file's URL without its first eight characters ("file:///"): its disk path with "/".
std::u16string diskPathOfUrl(const std::u16string& url) {
  return url.size() > 8 ? url.substr(8) : std::u16string();
}

}  // namespace

std::u16string favouritesImageQuestion(const std::u16string& name) {
  return u"The image " + name +
         u" already exist in the image folder, click YES to use it, click NO to Cancel";
}

frmAddToFavor2::frmAddToFavor2(PageHost& host, Platform& platform)
    : Form(frmAddToFavor2Design(), platform.messages),
      host_(host),
      platform_(platform),
      help_(platform) {
  using forms::Event;
  on(u"opType1", Event::Click, [this] { opType1_Click(); });
  on(u"opType2", Event::Click, [this] { opType2_Click(); });
  on(u"opURL1", Event::Click, [this] { opURL1_Click(); });
  on(u"opURL2", Event::Click, [this] { opURL2_Click(); });
  on(u"opTitle1", Event::Click, [this] { opTitle1_Click(); });
  on(u"opTitle2", Event::Click, [this] { opTitle2_Click(); });
  on(u"opBrowsers1", Event::Click, [this] { opBrowsers1_Click(); });
  on(u"opBrowsers2", Event::Click, [this] { opBrowsers2_Click(); });
  on(u"cmdBrowse", Event::Click, [this] { cmdBrowse_Click(); });
  on(u"cmdDoIt", Event::Click, [this] { cmdDoIt_Click(); });
  on(u"cmdCancel", Event::Click, [this] { cmdCancel_Click(); });
  on(u"cmdHelp", Event::Click, [this] { cmdHelp_Click(); });
}

void frmAddToFavor2::Form_Load() {
  control(u"txtHTTP").setEnabled(false);
  control(u"txtTitle").setEnabled(false);
}

void frmAddToFavor2::opType1_Click() {
  control(u"lblType").setText(u"Image Source");
  control(u"cmdBrowse").setVisible(true);
}

void frmAddToFavor2::opType2_Click() {
  control(u"lblType").setText(u"Link Text");
  control(u"cmdBrowse").setVisible(false);
}

void frmAddToFavor2::opURL1_Click() {
  control(u"txtHTTP").setEnabled(false);
}
void frmAddToFavor2::opURL2_Click() {
  control(u"txtHTTP").setEnabled(true);
}
void frmAddToFavor2::opTitle1_Click() {
  control(u"txtTitle").setEnabled(false);
}
void frmAddToFavor2::opTitle2_Click() {
  control(u"txtTitle").setEnabled(true);
}
void frmAddToFavor2::opBrowsers1_Click() {
  control(u"txtMessage").setEnabled(false);
}
void frmAddToFavor2::opBrowsers2_Click() {
  control(u"txtMessage").setEnabled(true);
}

std::unique_ptr<Files> frmAddToFavor2::imageFiles() {
  auto web = requireObject(host_.activeWeb(), u"The active web");
  auto root = requireObject(web->rootFolder(), u"The web's root folder");
  auto folders = requireObject(root->folders(), u"The root folder's sub-folders");
  auto images =
      requireObject(folders->item(std::u16string(kImagesFolder)), u"The web's images folder");
  return requireObject(images->files(), u"The images folder's files");
}

bool frmAddToFavor2::imageExists(const std::u16string& name) {
  auto files = imageFiles();
  const long count = files->count();
  for (long i = 0; i < count; ++i) {
    if (requireObject(files->item(i), u"A file of the images folder")->name() == name) return true;
  }
  return false;
}

void frmAddToFavor2::useImage(const std::u16string& name) {
  control(u"txtType").setText(std::u16string(kImagesFolder) + u"/" + name);
}

void frmAddToFavor2::cmdBrowse_Click() {
  const auto chosen = platform_.openFile.showOpen(kFavouritesPictureFilter);
  if (!chosen || chosen->fullPath.empty()) return;
  const std::u16string& name = chosen->fileTitle;

  if (!imageExists(name)) {
    imageFiles()->add(chosen->fullPath, false);
    useImage(name);
    return;
  }
  auto inWeb = requireObject(imageFiles()->item(name), u"The picture in the images folder");
  std::u16string chosenPath = chosen->fullPath;
  std::replace(chosenPath.begin(), chosenPath.end(), u'\\', u'/');
  // The very file in the web is used without a question; another one of the same name is not
  // imported over it, but the user may use the web's picture instead.
  if (diskPathOfUrl(inWeb->url()) != chosenPath &&
      msgBox(messages(), favouritesImageQuestion(name), MsgButtons::YesNo, MsgIcon::None,
             kFavouritesQuestionTitle) != MsgAnswer::Yes) {
    return;
  }
  useImage(name);
}

void frmAddToFavor2::cmdDoIt_Click() {
  const FavouritesChoices choices{
      .image = control(u"opType1").value(),
      .source = control(u"txtType").text(),
      .currentPage = control(u"opURL1").value(),
      .otherUrl = control(u"txtHTTP").text(),
      .pageTitle = control(u"opTitle1").value(),
      .otherTitle = control(u"txtTitle").text(),
      .message = !control(u"opBrowsers1").value(),
      .messageText = control(u"txtMessage").text(),
  };
  if (const auto refusal = favouritesCheck(choices)) {
    msgBox(messages(), *refusal, MsgButtons::Ok, MsgIcon::None, kFavouritesMessageTitle);
    return;
  }
  pasteAtSelection(host_, favouritesBlock(choices));
  unload();
}

void frmAddToFavor2::cmdCancel_Click() {
  unload();
}

void frmAddToFavor2::cmdHelp_Click() {
  help_.showTopic(kHelpTopic);
}

}  // namespace velmo
