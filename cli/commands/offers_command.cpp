#include "cli/commands/offers_command.h"

#include <memory>
#include <optional>

#include "cli/run/headless_ui.h"
#include "cli/run/page_session.h"
#include "features/command_class/clstestt.h"
#include "features/command_class/dialogs.h"
#include "features/offers/frm_ads.h"
#include "features/offers/frm_ads_layout.h"

namespace velmo::cli {
namespace {

struct OffersCommand {
  std::optional<int> open;
};

int offerCount() {
  return static_cast<int>(frmAdsOffers().size());
}

// Each line of a caption on its own output line, after `indent`; a final line break ends the
// text rather than starting an empty line.
void printLines(std::u16string_view text, std::u16string_view indent) {
  if (text.ends_with(u"\r\n")) text.remove_suffix(2);
  while (true) {
    const auto end = text.find(u"\r\n");
    printLine(std::u16string(indent) + std::u16string(text.substr(0, end)));
    if (end == std::u16string_view::npos) break;
    text.remove_prefix(end + 2);
  }
}

void printOffers(frmAds& window) {
  printLine(window.caption());
  printLine(std::u16string(window.caption().size(), u'='));
  printLine(u"");
  printLines(window.control(ads_controls::lblIntro).text(), u"");
  int number = 0;
  for (const Offer& offer : frmAdsOffers()) {
    const URLLink& link = window.hyperlink(offer.link);
    printLine(u"");
    printLine(utf8ToUtf16(std::to_string(++number)) + u". " + link.Text());
    printLine(u"   " + link.URL());
    printLines(window.control(offer.description).text(), u"   ");
  }
}

// The user presses the left button on the offer's link; the shell is xdg-open.
int openOffer(HeadlessUi& ui, frmAds& window, int number) {
  URLLink& link = window.hyperlink(frmAdsOffers().at(static_cast<std::size_t>(number - 1)).link);
  link.lblURL_MouseDown(MouseButton::Left);
  const auto answer = ui.shell().lastAnswer();
  if (!answer) return kFailed;  // the link has shown why
  if (*answer <= 32) {
    printError(u"velmo: xdg-open could not open " + link.URL());
    return kFailed;
  }
  return kDone;
}

int runOffers(const OffersCommand& options) {
  HeadlessUi ui(nullptr, QuestionPolicy::No, true);
  file_host::FileHost noPage;
  clstestt(noPage, ui.environment()).ads();
  frmAds& window = offersWindow(ui.environment());
  if (options.open) return openOffer(ui, window, *options.open);
  printOffers(window);
  return kDone;
}

}  // namespace

void addOffersCommand(CLI::App& app, int& exitStatus) {
  auto offers = std::make_shared<OffersCommand>();
  auto* command = app.add_subcommand(
      "offers", "Print the offers window (the introduction and each offer's link and text)");
  command->add_option("--open", offers->open, "Open offer N's link with xdg-open instead")
      ->option_text("N")
      ->check(CLI::Range(1, offerCount()));
  command->callback([offers, &exitStatus] { exitStatus = runOffers(*offers); });
}

}  // namespace velmo::cli
