#pragma once
// What one page says while velmo works on many: each page's standard output and error are kept
// apart (several threads work on pages at once) and the run prints them in page order or puts
// them into its summary. Without a capture on the thread, text goes straight to the streams.

#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace velmo::cli {

// One field of a row of results (`velmo bots`: one row per block).
struct ResultField {
  std::string name;
  std::string value;
  bool number = false;
};
using ResultRow = std::vector<ResultField>;

struct PageCapture {
  std::ostringstream out;
  std::ostringstream err;
  // botfound's answer for the page.
  std::optional<bool> found;
  // Full paths picked in the open-file dialog, in the order they were picked.
  std::vector<std::u16string> chosenFiles;
  // Rows of results the run prints as a table (or as JSON).
  std::vector<ResultRow> rows;
};

// The capture of this thread's page; nullptr when none is in place.
PageCapture* currentCapture();

// Puts `capture` in place on this thread while it lives.
class CaptureScope {
 public:
  explicit CaptureScope(PageCapture& capture);
  ~CaptureScope();
  CaptureScope(const CaptureScope&) = delete;
  CaptureScope& operator=(const CaptureScope&) = delete;

 private:
  PageCapture* before_;
};

// Standard output and error of this thread's page.
std::ostream& pageOut();
std::ostream& pageErr();

// botfound's answer: "true" or "false" for one page, kept for the run's list over many.
void reportFound(bool found);

}  // namespace velmo::cli
