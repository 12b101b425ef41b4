#include "features/command_class/clstestt.h"

#include <cstdint>
#include <optional>

#include "core/page_host/page_access.h"
#include "features/command_class/dialogs.h"
#include "features/date/frm_date.h"
#include "features/favourites/frm_add_to_favor2.h"
#include "features/offers/frm_ads.h"
#include "features/slideshow/frm_slide.h"
#include "features/style/frm_style_test.h"

namespace velmo {
namespace {

// Index of the first webbot block named exactly `name`, or nothing. The index is 64-bit so that
// pages with any number of blocks are walked to the end.
std::optional<std::int64_t> findBot(ElementCollection& bots, const std::u16string& name) {
  const std::int64_t count = bots.length();
  for (std::int64_t i = 0; i < count; ++i) {
    auto bot = requireObject(bots.item(static_cast<long>(i)), u"A webbot block");
    if (bot->getAttribute(u"bot") == name) return i;
  }
  return std::nullopt;
}

std::unique_ptr<ElementCollection> webbotsOf(PageHost& host) {
  auto document = requireObject(host.activeDocument(), u"The active page");
  return requireObject(document->webbots(), u"The page's webbot collection");
}

}  // namespace

std::u16string scriptHead2Block(const std::u16string& strCode) {
  return u"<script language = \"javascript\">\r\n" + strCode + u"\r\n</script>\r\n";
}

UiEnvironment& clstestt::ui() {
  if (ui_ == nullptr) throw HostError(hr::kFail, u"No user interface is available for dialogs");
  return *ui_;
}

void clstestt::style() {
  styleDialog(ui(), host_).showModal(ui().platform().presenter);
}
void clstestt::addtofavor() {
  favouritesDialog(ui(), host_).showModal(ui().platform().presenter);
}
void clstestt::slide() {
  slideDialog(ui(), host_).showModal(ui().platform().presenter);
}
void clstestt::CurDate() {
  dateDialog(ui(), host_).showModal(ui().platform().presenter);
}
void clstestt::ads() {
  offersWindow(ui()).showModeless(ui().platform().presenter);
}

bool clstestt::botfound(const std::u16string& strName) {
  auto bots = webbotsOf(host_);
  return findBot(*bots, strName).has_value();
}

void clstestt::eraseBot(const std::u16string& strName) {
  auto bots = webbotsOf(host_);
  if (auto index = findBot(*bots, strName)) {
    requireObject(bots->item(static_cast<long>(*index)), u"A webbot block")->setOuterHTML(u"");
  }
}

void clstestt::scriptHead2(const std::u16string& strCode) {
  auto document = requireObject(host_.activeDocument(), u"The active page");
  auto head = headElement(*document, u"head");
  const std::u16string block = scriptHead2Block(strCode) + u"\r\n";
  // The HEAD is read, changed, and read again just before it is set: when another caller of the
  // editor changed it in between, the change is made again on what the HEAD holds now, so that
  // the set never drops the other edit.
  std::u16string read = head->innerHTML();
  for (int attempt = 0; attempt < kScriptHeadAttempts; ++attempt) {
    const std::u16string changed = read + block;
    std::u16string current = head->innerHTML();
    if (current == read) {
      head->setInnerHTML(changed);
      return;
    }
    read = std::move(current);
  }
  throw HostError(hr::kFail,
                  u"The HEAD of the page kept changing while the script was being added (another "
                  u"program edits it); the script was not added");
}

}  // namespace velmo
