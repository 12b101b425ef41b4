#pragma once
// frmAddToFavor2: the add-to-favourites dialog. The user picks a text or image link, the page
// and title to add, and what other browsers see; Browse brings a picture into the web's
// "images" folder, and "Do it!" pastes the favourites block at the page's selection.

#include <memory>
#include <string>

#include "core/forms/form.h"
#include "core/help/dialog_help.h"
#include "core/page_host/page_host.h"
#include "core/platform/platform.h"

namespace velmo {

// The filter of the Browse button's open-file dialog.
inline constexpr char16_t kFavouritesPictureFilter[] = u"GIF pictures |*.gif|JPEG pictures |*.jpg";
// The title of the question Browse asks when the images folder has a picture of that name.
inline constexpr char16_t kFavouritesQuestionTitle[] = u"Add to Favorite";
// The question itself, for the picture's file name.
std::u16string favouritesImageQuestion(const std::u16string& name);

class frmAddToFavor2 : public forms::Form {
 public:
  frmAddToFavor2(PageHost& host, Platform& platform);

  void opType1_Click();
  void opType2_Click();
  void opURL1_Click();
  void opURL2_Click();
  void opTitle1_Click();
  void opTitle2_Click();
  void opBrowsers1_Click();
  void opBrowsers2_Click();
  // Picks a picture and puts "images/" and its name into txtType, importing it into the web's
  // images folder unless a picture of that name is there already. A host failure (no web, no
  // images folder, a failed import) leaves txtType as it was.
  void cmdBrowse_Click();
  // Checks the fields, pastes the block at the selection and unloads. A failed check leaves the
  // dialog open with a message; so does a host failure.
  void cmdDoIt_Click();
  void cmdCancel_Click();
  // Help topic 2, through the dialog's own help object.
  void cmdHelp_Click();

  // The dialog's help object; nullptr until Help is first clicked.
  CHTMLHelp* helpObject() const { return help_.object(); }

 protected:
  void Form_Load() override;

 private:
  // The files of the "images" folder directly under the active web's root folder.
  std::unique_ptr<Files> imageFiles();
  // True when the images folder holds a file whose name equals `name`, letter case included.
  bool imageExists(const std::u16string& name);
  void useImage(const std::u16string& name);

  PageHost& host_;
  Platform& platform_;
  DialogHelp help_;
};

}  // namespace velmo
