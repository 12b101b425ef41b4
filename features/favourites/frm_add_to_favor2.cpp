#include "features/favourites/frm_add_to_favor2.h"

#include <algorithm>

#include "core/page_host/page_access.h"
#include "features/favourites/favourites_block.h"
#include "features/favourites/frm_add_to_favor2_layout.h"

namespace velmo {

namespace ctl = favourites_controls;
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
  on(ctl::opType1, Event::Click, [this] { opType1_Click(); });
  on(ctl::opType2, Event::Click, [this] { opType2_Click(); });
  on(ctl::opURL1, Event::Click, [this] { opURL1_Click(); });
  on(ctl::opURL2, Event::Click, [this] { opURL2_Click(); });
  on(ctl::opTitle1, Event::Click, [this] { opTitle1_Click(); });
  on(ctl::opTitle2, Event::Click, [this] { opTitle2_Click(); });
  on(ctl::opBrowsers1, Event::Click, [this] { opBrowsers1_Click(); });
  on(ctl::opBrowsers2, Event::Click, [this] { opBrowsers2_Click(); });
  on(ctl::cmdBrowse, Event::Click, [this] { cmdBrowse_Click(); });
  on(ctl::cmdDoIt, Event::Click, [this] { cmdDoIt_Click(); });
  on(ctl::cmdCancel, Event::Click, [this] { cmdCancel_Click(); });
  on(ctl::cmdHelp, Event::Click, [this] { cmdHelp_Click(); });
}

void frmAddToFavor2::Form_Load() {
  control(ctl::txtHTTP).setEnabled(false);
  control(ctl::txtTitle).setEnabled(false);
}

void frmAddToFavor2::opType1_Click() {
  control(ctl::lblType).setText(u"Image Source");
  control(ctl::cmdBrowse).setVisible(true);
}

void frmAddToFavor2::opType2_Click() {
  control(ctl::lblType).setText(u"Link Text");
  control(ctl::cmdBrowse).setVisible(false);
}

void frmAddToFavor2::opURL1_Click() {
  control(ctl::txtHTTP).setEnabled(false);
}
void frmAddToFavor2::opURL2_Click() {
  control(ctl::txtHTTP).setEnabled(true);
}
void frmAddToFavor2::opTitle1_Click() {
  control(ctl::txtTitle).setEnabled(false);
}
void frmAddToFavor2::opTitle2_Click() {
  control(ctl::txtTitle).setEnabled(true);
}
void frmAddToFavor2::opBrowsers1_Click() {
  control(ctl::txtMessage).setEnabled(false);
}
void frmAddToFavor2::opBrowsers2_Click() {
  control(ctl::txtMessage).setEnabled(true);
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
  control(ctl::txtType).setText(std::u16string(kImagesFolder) + u"/" + name);
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
      .image = control(ctl::opType1).value(),
      .source = control(ctl::txtType).text(),
      .currentPage = control(ctl::opURL1).value(),
      .otherUrl = control(ctl::txtHTTP).text(),
      .pageTitle = control(ctl::opTitle1).value(),
      .otherTitle = control(ctl::txtTitle).text(),
      .message = !control(ctl::opBrowsers1).value(),
      .messageText = control(ctl::txtMessage).text(),
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
