#pragma once
// One page's command as velmo runs it, handed down explicitly from the run to the seams the
// dialogs act through (message boxes, the open-file dialog, saved settings): where the page's
// output goes, what may happen only once its files are written (a confirmation such as
// "applied successfully"), the files the run has imported into the page's site already, and
// what a run over many pages keeps of the page (the files picked, botfound's answer, rows of
// results). A page of a run over many is "captured": its output is kept apart (pages are worked
// on side by side) and no question is asked on the terminal.

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace velmo::file_host {
class FileHost;
}

namespace velmo::cli {

class ImportedOnce;

// One field of a row of results (`velmo bots`: one row per block).
struct ResultField {
  std::string name;
  std::string value;
  bool number = false;
};
using ResultRow = std::vector<ResultField>;

class PageRun {
 public:
  // `imported` (may be null): the files the run imported into the sites of its pages so far.
  PageRun(file_host::FileHost& host, bool captured, const ImportedOnce* imported = nullptr);
  PageRun(const PageRun&) = delete;
  PageRun& operator=(const PageRun&) = delete;

  file_host::FileHost& host() { return host_; }
  bool captured() const { return captured_; }

  // The page's standard output and error: kept apart when captured, else the streams.
  std::ostream& out();
  std::ostream& err();
  std::string outText() const { return out_.str(); }
  std::string errText() const { return err_.str(); }

  // Runs `effect` once the page and its files are written; dropped when the command fails.
  void afterCommit(std::function<void()> effect);
  // Runs the held effects in the order they were held and forgets them.
  void runAfterCommit();
  void dropAfterCommit() noexcept { effects_.clear(); }

  // A file the user picked in the open-file dialog: the site's copy when the run imported it
  // into this page's site already, else the file itself. Each pick is noted (chosenFiles).
  std::u16string picked(const std::u16string& path);
  const std::vector<std::u16string>& chosenFiles() const { return chosen_; }

  // botfound's answer: printed, and kept for the run's list over many pages.
  void reportFound(bool found);
  const std::optional<bool>& found() const { return found_; }

  std::vector<ResultRow>& rows() { return rows_; }

 private:
  file_host::FileHost& host_;
  bool captured_;
  const ImportedOnce* imported_;
  std::ostringstream out_;
  std::ostringstream err_;
  std::vector<std::function<void()>> effects_;
  std::vector<std::u16string> chosen_;
  std::optional<bool> found_;
  std::vector<ResultRow> rows_;
};

}  // namespace velmo::cli
