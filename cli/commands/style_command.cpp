#include "cli/commands/style_command.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "cli/run/dialog_run.h"
#include "cli/run/headless_ui.h"
#include "cli/run/page_session.h"
#include "features/command_class/clstestt.h"
#include "features/command_class/dialogs.h"
#include "features/style/frm_style_test.h"
#include "features/style/frm_style_test_layout.h"

namespace velmo::cli {

namespace ctl = velmo::style_controls;
namespace {

// The option of each colour entry, in entry order.
constexpr std::array<const char*, kScrollbarEntryCount> kFieldOptions = {
    "--base", "--arrow", "--highlight", "--3dlight",
    "--face", "--track", "--shadow",    "--darkshadow"};

struct StyleCommand {
  PageOptions page;
  std::array<std::optional<std::string>, kScrollbarEntryCount> fields;
  bool load = false;
  bool save = false;
  bool show = false;
};

// The user's presses in the dialog's order: Load, typing, Save, Do It.
std::vector<forms::UserAction> presses(const StyleCommand& options) {
  std::vector<forms::UserAction> actions;
  if (options.load) actions.push_back(forms::UserAction::click(ctl::cmdLoad));
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    if (!options.fields[i]) continue;
    actions.push_back(forms::UserAction::type(styleFieldName(i),
                                              argumentText(*options.fields[i], kFieldOptions[i])));
  }
  if (options.save) actions.push_back(forms::UserAction::click(ctl::cmdSave));
  actions.push_back(forms::UserAction::click(ctl::cmdDoIt));
  return actions;
}

// "Label: text" for each field as the dialog left it.
void printFields(frmstyletest& dialog, std::ostream& out) {
  const ScrollbarTexts texts = dialog.fieldTexts();
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    const std::u16string label(kScrollbarEntries[i].label);
    out << utf16ToUtf8(texts[i].empty() ? label + u":" : label + u": " + texts[i]) << '\n';
  }
}

void runStyle(const StyleCommand& options, file_host::FileHost& host, PageRun& run) {
  // The dialog asks no questions.
  HeadlessUi ui(&run, QuestionPolicy::No, true);
  // --show has nothing to do in the dialog: the user closes it as it loaded, and that is all.
  DialogScript script = options.show
                            ? DialogScript{frmstyletestDesign().name, {}, DialogOutcome::Confirmed}
                            : DialogScript{frmstyletestDesign().name, presses(options)};
  requireConfirmed(
      runDialog(ui, std::move(script), [&] { clstestt(host, ui.environment()).style(); }));
  if (options.show) printFields(styleDialog(ui.environment(), host), run.out());
}

}  // namespace

void addStyleCommand(CLI::App& app, int& exitStatus) {
  auto style = std::make_shared<StyleCommand>();
  auto* command = app.add_subcommand(
      "style", "Give the page's body rule scrollbar colours (RRGGBB, as in the dialog's fields)");
  addPageOptions(*command, style->page, false);
  auto* show = command->add_flag(
      "--show", style->show, "Print the eight fields as the dialog loads them and change nothing");
  for (std::size_t i = 0; i < kScrollbarEntryCount; ++i) {
    const std::string name = std::string(kFieldOptions[i] + 2);
    auto* field = command->add_option(kFieldOptions[i], style->fields[i],
                                      "Type COLOR into the " + name + " field (empty: empty it)");
    field->type_name("COLOR");
    show->excludes(field);
  }
  show->excludes(command->add_flag("--load", style->load,
                                   "Press Load (the saved colours) before the fields are typed"));
  show->excludes(command->add_flag("--save", style->save,
                                   "Press Save (keep the fields for --load) after they are typed"));
  command->callback([style, &exitStatus] {
    exitStatus = runOnPage(
        style->page, [&](file_host::FileHost& host, PageRun& run) { runStyle(*style, host, run); });
  });
}

}  // namespace velmo::cli
