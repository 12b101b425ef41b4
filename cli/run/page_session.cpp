#include "cli/run/page_session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "cli/output/unified_diff.h"
#include "cli/run/page_selection.h"
#include "cli/run/process_platform.h"
#include "cli/run/site_run.h"
#include "core/common/shown_name.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/write_target.h"

namespace velmo::cli {
namespace {

// `path` joined to the run's working folder when it is relative to it (not "\\x" or "C:x" on
// Windows, which the system resolves otherwise), as the system would resolve it.
std::filesystem::path inWorkingFolder(const std::filesystem::path& path, const RunShared& shared) {
  if (shared.workingFolder.empty() || path.empty() || path.has_root_name() ||
      path.has_root_directory()) {
    return path;
  }
  return shared.workingFolder / path;
}

void placeSelection(file_host::FileHost& host, const PageOptions& options) {
  using file_host::SelectMode;
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
  options.command = command.get_name();
  command
      .add_option("PAGE", options.page,
                  "The HTML page to change, or a site folder: every page in it and its "
                  "sub-folders")
      ->required();
  command.add_option("--site", options.site,
                     "The site folder open with the page (default: the page's folder)");
  command
      .add_option("--output", options.output,
                  "Write the changed page to this file and leave PAGE as it is; '-' (or "
                  "/dev/stdout) writes it to standard output, and a pipe or device is written "
                  "into, not replaced")
      ->check(CLI::Validator(
          [](const std::string& value) {
            return value.empty() ? std::string(
                                       "empty (is a variable unset?); give a "
                                       "file name, or '-' for standard output")
                                 : std::string();
          },
          "FILE"));
  command.add_flag("--write-read-only", options.writeReadOnly,
                   "Write PAGE (or a linked style sheet) even when it is write-protected; it "
                   "stays write-protected. Without it such a file is refused");
  options.pastes = withSelection;
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
  addManyPageOptions(command, options);
}

int runOnPage(const PageOptions& options, const PageWork& work) {
  if (options.json || isManyPages(options)) return runOnPages(options, work);
  PageOutcome outcome;
  const int status = runOnePage(options, work, outcome);
  if (options.dryRun && status == kDone) printLook(options.page, outcome);
  return status;
}

std::u16string pagePrefix(const std::string& page) {
  return u"velmo: " + utf8ToUtf16(shownName(page)) + u": ";
}

int runOnePage(const PageOptions& options, const PageWork& work, PageOutcome& outcome,
               const RunShared& shared) {
  file_host::FileHost host;
  host.setLookOnly(options.dryRun);
  host.setWriteBatch(shared.batch);
  host.setPageMemory(shared.memory);
  PageRun run(host, shared.captured, shared.imported);
  const auto report = [&](int status) {
    outcome.out = run.outText();
    outcome.err = run.errText();
    outcome.chosen = run.chosenFiles();
    outcome.found = run.found();
    outcome.rows = std::move(run.rows());
    return status;
  };
  const auto message = [&](const std::u16string& what) {
    // A message may quote a file name that holds terminal escapes.
    run.err() << shownText(utf16ToUtf8(pagePrefix(options.page) + what)) << '\n' << std::flush;
  };
  const auto fail = [&](const std::u16string& what) {
    run.dropAfterCommit();
    // The site's staged files go first; the page kept in memory is thrown away with the host,
    // so a revert that runs out of memory itself changes nothing on disk.
    try {
      host.rollback();
    } catch (const std::exception&) {
    }
    message(what);
    return report(kFailed);
  };
  try {
    // File names are bytes: a page's name need not be UTF-8.
    host.openPage(inWorkingFolder(os::pathOf(options.page), shared),
                  inWorkingFolder(os::pathOf(options.site), shared), options.pastes,
                  options.templateSyntax);
    outcome.site = host.sitePath();
    // The look before a change compares the bytes as read with the bytes as they would be saved.
    std::string encoded;
    const std::string before = options.dryRun ? std::string(host.pageFileBytes(encoded)) : "";
    encoded = {};
    placeSelection(host, options);
    work(host, run);
    outcome.changed = host.changed();
    outcome.imports = host.stagedImports();
    if (options.dryRun) {
      outcome.diff = unifiedDiff(before, host.pageFileBytes(encoded), options.page);
      run.dropAfterCommit();
      // The site's staged files go; the page is forgotten rather than reverted, which would
      // hold the text the change removed a second time beside the diff.
      host.closePage();
      return report(kDone);
    }
    const std::string& output = options.output == "-" ? "/dev/stdout" : options.output;
    host.commit(os::pathOf(output), options.writeReadOnly);
    run.runAfterCommit();
    return report(kDone);
  } catch (const Refused& refused) {
    run.dropAfterCommit();
    host.rollback();
    if (!refused.message.empty()) run.err() << utf16ToUtf8(refused.message) << '\n' << std::flush;
    return report(kRefused);
  } catch (const file_host::ReadOnlyFile& error) {
    run.dropAfterCommit();
    host.rollback();
    message(error.description() + u" (--write-read-only writes it anyway)");
    return report(kFailed);
  } catch (const HostError& error) {
    return fail(error.description());
  } catch (const std::bad_alloc&) {
    return fail(u"not enough memory to work on this page");
  } catch (const std::exception& error) {
    return fail(utf8ToUtf16(shownName(error.what())));
  }
}

std::u16string argumentText(const std::string& value, const char* what) {
  if (!isValidUtf8(value)) {
    throw HostError(hr::kInvalidArg, utf8ToUtf16(what) + std::u16string(u" is not UTF-8 text"));
  }
  return utf8ToUtf16(value);
}

namespace {
// Why standard output first failed, kept for the message at the end: by then errno says nothing.
int firstOutputError = 0;
}  // namespace

void printLine(std::u16string_view text) {
  errno = 0;
  std::cout << utf16ToUtf8(text) << '\n' << std::flush;
  if (!std::cout && firstOutputError == 0) firstOutputError = errno ? errno : EIO;
}

void printError(std::u16string_view text) {
  // A message may quote a file name that holds terminal escapes.
  std::cerr << shownText(utf16ToUtf8(text)) << '\n' << std::flush;
}

bool finishStandardOutput() {
  errno = 0;
  std::cout.flush();
  const bool streamOk = static_cast<bool>(std::cout);
  const int streamErrno = errno;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout) && streamOk) return true;
  const int err = firstOutputError ? firstOutputError : errno ? errno : streamErrno;
  std::cerr << "velmo: cannot write to standard output"
            << (err ? std::string(": ") + std::strerror(err) : std::string()) << '\n'
            << std::flush;
  return false;
}

}  // namespace velmo::cli
