#include "cli/offers_command.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "cli/headless_ui.h"
#include "cli/page_session.h"
#include "command_class/clstestt.h"
#include "offers/frm_ads.h"

namespace velmo::cli {
namespace {

constexpr int kOfferCount = 4;

struct OffersCommand {
  std::optional<int> open;
};

// An offer as the window shows it: a hyperlink label and the description label below it.
struct Offer {
  URLLink* link;
  const forms::Control* description;
};

// Offers top to bottom; each link's description is the nearest label below it in its container.
std::vector<Offer> offersOf(frmAds& window) {
  std::vector<const forms::Control*> links;
  for (const auto& control : window.controls()) {
    if (control->kind() == forms::ControlKind::HyperlinkLabel) links.push_back(control.get());
  }
  std::sort(links.begin(), links.end(),
            [](const auto* a, const auto* b) { return a->rect().top < b->rect().top; });
  std::vector<Offer> offers;
  for (const forms::Control* link : links) {
    const forms::Control* below = nullptr;
    for (const auto& control : window.controls()) {
      if (control->kind() != forms::ControlKind::Label || control->parent() != link->parent() ||
          control->rect().top <= link->rect().top) {
        continue;
      }
      if (below == nullptr || control->rect().top < below->rect().top) below = control.get();
    }
    offers.push_back({&window.hyperlink(link->name()), below});
  }
  return offers;
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
  printLines(window.control(u"lblIntro").text(), u"");
  int number = 0;
  for (const Offer& offer : offersOf(window)) {
    printLine(u"");
    printLine(utf8ToUtf16(std::to_string(++number)) + u". " + offer.link->Text());
    printLine(u"   " + offer.link->URL());
    if (offer.description != nullptr) printLines(offer.description->text(), u"   ");
  }
}

// The user presses the left button on the offer's link; the shell is xdg-open.
int openOffer(HeadlessUi& ui, frmAds& window, int number) {
  const auto offers = offersOf(window);
  URLLink& link = *offers.at(static_cast<std::size_t>(number - 1)).link;
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
  HeadlessUi ui(QuestionPolicy::No, true);
  standalone::StandaloneHost noPage;
  clstestt(noPage, ui.environment()).ads();
  frmAds& window = *ui.environment().findDialog<frmAds>();
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
      ->check(CLI::Range(1, kOfferCount));
  command->callback([offers, &exitStatus] { exitStatus = runOffers(*offers); });
}

}  // namespace velmo::cli
