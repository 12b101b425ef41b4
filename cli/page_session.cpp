#include "cli/page_session.h"

#include <iostream>
#include <new>

#include "cli/after_commit.h"
#include "common/text.h"
#include "standalone/atomic_file.h"

namespace velmo::cli {
namespace {

void placeSelection(standalone::StandaloneHost& host, const PageOptions& options) {
  using standalone::SelectMode;
  const struct {
    const std::string& text;
    SelectMode mode;
    const char* option;
  } choices[] = {{options.select, SelectMode::Select, "--select"},
                 {options.caretBefore, SelectMode::CaretBefore, "--caret-before"},
                 {options.caretAfter, SelectMode::CaretAfter, "--caret-after"}};
  for (const auto& choice : choices) {
    if (choice.text.empty()) continue;  // not given: an empty TEXT is refused while parsing
    if (!host.select(argumentText(choice.text, choice.option), choice.mode)) {
      throw HostError(hr::kInvalidArg, std::u16string(u"the page does not contain the text of ") +
                                           utf8ToUtf16(choice.option));
    }
  }
}

}  // namespace

void addPageOptions(CLI::App& command, PageOptions& options, bool withSelection) {
  command.add_option("PAGE", options.page, "The HTML page to change")->required();
  command.add_option("--site", options.site,
                     "The site folder open with the page (default: the page's folder)");
  command.add_option("--output", options.output,
                     "Write the changed page to this file and leave PAGE as it is");
  if (withSelection) {
    auto* select =
        command.add_option("--select", options.select, "Select the first occurrence of TEXT");
    auto* before = command.add_option("--caret-before", options.caretBefore,
                                      "Place the caret just before the first occurrence of TEXT");
    auto* after = command.add_option("--caret-after", options.caretAfter,
                                     "Place the caret just after the first occurrence of TEXT");
    // A given option is never "no option": an empty TEXT would otherwise place nothing silently.
    const CLI::Validator nonEmpty(
        [](const std::string& text) {
          return text.empty() ? std::string("TEXT is empty; it must be a piece of the page")
                              : std::string();
        },
        "");
    for (auto* option : {select, before, after}) option->check(nonEmpty);
    select->excludes(before)->excludes(after);
    before->excludes(after);
  }
}

int runOnPage(const PageOptions& options,
              const std::function<void(standalone::StandaloneHost&)>& work) {
  standalone::StandaloneHost host;
  const auto fail = [&](const std::u16string& what) {
    dropHeldEffects();
    // The site's staged files go first; the page kept in memory is thrown away with the host,
    // so a revert that runs out of memory itself changes nothing on disk.
    try {
      host.rollback();
    } catch (const std::exception&) {
    }
    printError(u"velmo: " + utf8ToUtf16(options.page) + u": " + what);
    return kFailed;
  };
  try {
    host.openPage(standalone::textToPath(argumentText(options.page, "PAGE")),
                  standalone::textToPath(argumentText(options.site, "--site")));
    placeSelection(host, options);
    work(host);
    host.commit(standalone::textToPath(argumentText(options.output, "--output")));
    runCommittedEffects();
    return kDone;
  } catch (const Refused& refused) {
    dropHeldEffects();
    host.rollback();
    if (!refused.message.empty()) printError(refused.message);
    return kRefused;
  } catch (const HostError& error) {
    return fail(error.description());
  } catch (const std::bad_alloc&) {
    return fail(u"not enough memory to work on this page");
  } catch (const std::exception& error) {
    return fail(utf8ToUtf16(error.what()));
  }
}

std::u16string argumentText(const std::string& value, const char* what) {
  if (!isValidUtf8(value)) {
    throw HostError(hr::kInvalidArg, utf8ToUtf16(what) + std::u16string(u" is not UTF-8 text"));
  }
  return utf8ToUtf16(value);
}

void printLine(std::u16string_view text) {
  std::cout << utf16ToUtf8(text) << '\n' << std::flush;
}

void printError(std::u16string_view text) {
  std::cerr << utf16ToUtf8(text) << '\n' << std::flush;
}

}  // namespace velmo::cli
