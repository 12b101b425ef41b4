#include "cli/run/site_run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/output/json_text.h"
#include "cli/output/progress_bar.h"
#include "cli/output/unified_diff.h"
#include "cli/run/import_once.h"
#include "cli/run/page_selection.h"
#include "cli/run/process_platform.h"
#include "core/common/shown_name.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/page_memory.h"
#include "file_host/files/temporary_files.h"
#include "file_host/files/write_batch.h"

namespace velmo::cli {
namespace {

constexpr int kNotRun = -1;

// What a page printed and did in detail: dropped once it is printed, unless the run ends with
// JSON, so that a long run holds little per page.
struct PageResult {
  PageOutcome outcome;
};

struct PageRecord {
  SelectedPage page;
  int status = kNotRun;
  bool changed = false;
  std::optional<bool> found;
  std::size_t rowCount = 0;
  std::string err;  // kept for the messages at the end
  std::unique_ptr<PageResult> result;
};

struct Counts {
  std::size_t changed = 0, unchanged = 0, refused = 0, failed = 0, skipped = 0, found = 0;
};

// Asked once: the results of every page are printed by the same run.
bool stdoutIsTerminal() {
  static const bool terminal = os::isTerminal(1);
  return terminal;
}

void runRecord(const PageOptions& options, const PageWork& work,
               const std::vector<std::string>& sites, const RunShared& shared, PageRecord& record) {
  record.result = std::make_unique<PageResult>();
  PageOutcome& outcome = record.result->outcome;
  PageOptions one = options;
  one.page = record.page.path;
  one.site = sites[record.page.site];
  try {
    record.status = runOnePage(one, work, outcome, shared);
  } catch (...) {
    // Nothing that goes wrong with one page ends the run: it fails that page.
    outcome.err += utf16ToUtf8(pagePrefix(record.page.path)) + "unexpected error\n";
    record.status = kFailed;
  }
  record.err = std::move(outcome.err);
  record.found = outcome.found;
  record.changed = outcome.changed;
  record.rowCount = outcome.rows.size();
}

// The files a page imported become the files later pages of its site pick (import_once.h).
void rememberImports(const PageRecord& record, ImportedOnce& imported) {
  const PageOutcome& outcome = record.result->outcome;
  for (const std::u16string& chosen : outcome.chosen) {
    const auto name = file_host::textToPath(chosen).filename();
    for (const auto& copy : outcome.imports) {
      if (copy.filename() == name) imported.imported(outcome.site, chosen, copy);
    }
  }
}

// The changed page goes to standard output (--output -), which then holds nothing else.
bool printsPage(const PageOptions& options) {
  return options.output == "-" && !options.dryRun;
}

std::string statusName(const PageRecord& record, const PageOptions& options) {
  switch (record.status) {
    case kDone:
      // A page written to standard output is only printed, whatever it became.
      if (printsPage(options)) return "printed";
      if (!record.changed) return "unchanged";
      return options.dryRun ? "would change" : "changed";
    case kRefused:
      return "refused";
    case kNotRun:
      return "not started";
    default:
      return "failed";
  }
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  return result;
}

// A page's messages, each naming the page.
std::vector<std::string> messagesOf(const PageRecord& record) {
  std::vector<std::string> result;
  const std::string named = "velmo: " + shownName(record.page.path) + ":";
  for (const std::string& line : lines(record.err)) {
    result.push_back(line.rfind(named, 0) == 0 ? line : named + " " + line);
  }
  return result;
}

// The look before a change on standard output; the diff, as large as the change, is not copied.
void printLookText(const std::string& diff, const std::vector<std::filesystem::path>& imports,
                   bool colour) {
  if (colour) {
    std::cout << colourDiff(diff);
  } else {
    std::cout << diff;
  }
  for (const auto& file : imports) {
    std::cout << "would import " << shownName(os::textOf(file)) << '\n';
  }
}

nlohmann::ordered_json pageJson(const PageRecord& record, const PageOptions& options) {
  nlohmann::ordered_json json = {{"page", shownName(record.page.path)},
                                 {"status", statusName(record, options)}};
  if (record.found) json["found"] = *record.found;
  const auto messages = messagesOf(record);
  if (!messages.empty()) json["messages"] = messages;
  if (!record.result) return json;
  const PageResult& result = *record.result;
  if (!result.outcome.out.empty() && !record.found) json["output"] = result.outcome.out;
  if (!result.outcome.imports.empty()) {
    auto& imports = json[options.dryRun ? "would_import" : "imported"] =
        nlohmann::ordered_json::array();
    for (const auto& file : result.outcome.imports) imports.push_back(shownName(os::textOf(file)));
  }
  if (options.dryRun && record.status == kDone) json["diff"] = result.outcome.diff;
  if (!result.outcome.rows.empty()) {
    auto& rows = json["rows"] = nlohmann::ordered_json::array();
    for (const ResultRow& row : result.outcome.rows) {
      nlohmann::ordered_json fields = nlohmann::ordered_json::object();
      for (const ResultField& field : row) {
        fields[field.name] = field.number ? nlohmann::ordered_json(std::stoull(field.value))
                                          : nlohmann::ordered_json(field.value);
      }
      rows.push_back(std::move(fields));
    }
  }
  return json;
}

// Rows of every page as one table: aligned under a heading on a terminal, else one row a line
// with tabs between the fields.
class RowPrinter {
 public:
  explicit RowPrinter(bool aligned) : aligned_(aligned) {}

  void add(const PageRecord& record) {
    for (const ResultRow& row : record.result->outcome.rows) {
      std::vector<std::string> cells{shownName(record.page.path)};
      for (const ResultField& field : row) cells.push_back(field.value);
      if (heading_.empty()) {
        heading_.push_back("PAGE");
        for (const ResultField& field : row) heading_.push_back(upper(field.name));
        numeric_.push_back(false);
        for (const ResultField& field : row) numeric_.push_back(field.number);
      }
      if (aligned_) {
        table_.push_back(std::move(cells));
      } else {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
        std::cout << line << '\n';
      }
    }
  }

  void finish() {
    if (!aligned_ || table_.empty()) return;
    std::vector<std::size_t> widths(heading_.size(), 0);
    for (std::size_t i = 0; i < heading_.size(); ++i) widths[i] = heading_[i].size();
    for (const auto& cells : table_) {
      for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
        widths[i] = std::max(widths[i], cells[i].size());
      }
    }
    print(heading_, widths);
    for (const auto& cells : table_) print(cells, widths);
  }

 private:
  static std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }

  void print(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths) {
    std::string line;
    for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      const std::string pad(widths[i] - std::min(widths[i], cells[i].size()), ' ');
      if (i) line += "  ";
      line += numeric_[i] ? pad + cells[i] : (i + 1 == cells.size() ? cells[i] : cells[i] + pad);
    }
    std::cout << line << '\n';
  }

  bool aligned_;
  std::vector<std::string> heading_;
  std::vector<bool> numeric_;
  std::vector<std::vector<std::string>> table_;
};

// What a finished page prints on standard output, in page order.
void printResults(const PageOptions& options, const PageRecord& record, bool many,
                  RowPrinter& rows) {
  if (options.json || !record.result) return;
  const PageResult& result = *record.result;
  if (!result.outcome.rows.empty()) {
    if (!options.report || !options.report->rowLine) {
      rows.add(record);
      return;
    }
    for (const ResultRow& row : result.outcome.rows) {
      std::cout << options.report->rowLine(shownName(record.page.path), row) << '\n';
    }
    if (!options.dryRun) return;
  }
  if (record.found) {
    // Over many pages botfound names the pages that hold the block, as grep -l does.
    if (!many) {
      std::cout << result.outcome.out;
    } else if (*record.found) {
      std::cout << shownName(record.page.path) << '\n';
    }
    return;
  }
  if (options.dryRun && record.status == kDone) {
    printLookText(result.outcome.diff, result.outcome.imports, stdoutIsTerminal());
    return;
  }
  if (result.outcome.out.empty()) return;
  if (many) std::cout << "==> " << shownName(record.page.path) << " <==\n";
  std::cout << result.outcome.out;
}

void count(const PageRecord& record, Counts& counts) {
  switch (record.status) {
    case kDone:
      ++(record.changed ? counts.changed : counts.unchanged);
      break;
    case kRefused:
      ++counts.refused;
      break;
    case kNotRun:
      ++counts.skipped;
      break;
    default:
      ++counts.failed;
  }
  if (record.found && *record.found) ++counts.found;
}

std::string summaryText(const PageOptions& options, const Counts& counts, std::size_t pages,
                        std::size_t rows) {
  if (options.command == "bots") {
    std::string text = "velmo: " + std::to_string(pages) + (pages == 1 ? " page: " : " pages: ") +
                       std::to_string(rows) + (rows == 1 ? " webbot block" : " webbot blocks");
    if (counts.failed) text += ", " + std::to_string(counts.failed) + " failed";
    if (counts.skipped) text += ", " + std::to_string(counts.skipped) + " not started";
    return text;
  }
  std::string text =
      "velmo: " + std::to_string(pages) + (pages == 1 ? " page: " : " pages: ") +
      std::to_string(counts.changed) + (options.dryRun ? " would change, " : " changed, ") +
      std::to_string(counts.unchanged) + " unchanged, " + std::to_string(counts.refused) +
      " refused, " + std::to_string(counts.failed) + " failed";
  if (counts.skipped) text += ", " + std::to_string(counts.skipped) + " not started";
  if (options.command == "botfound") text += "; the block is in " + std::to_string(counts.found);
  return text;
}

nlohmann::ordered_json summaryJson(const Counts& counts, std::size_t pages) {
  return {{"pages", pages},
          {"changed", counts.changed},
          {"unchanged", counts.unchanged},
          {"refused", counts.refused},
          {"failed", counts.failed},
          {"not_started", counts.skipped},
          {"found", counts.found}};
}

class Run {
 public:
  Run(const PageOptions& options, const PageWork& work, const std::vector<std::string>& sites,
      std::vector<PageRecord>& records, file_host::WriteBatch& batch, file_host::PageMemory& memory)
      : options_(options), work_(work), sites_(sites), records_(records), gates_(sites.size()) {
    shared_.captured = true;
    shared_.imported = &imported_;
    shared_.batch = &batch;
    shared_.memory = &memory;
    // A look imports nothing, so no page need wait for another.
    if (options_.dryRun) {
      for (auto& gate : gates_) gate.open = true;
    }
  }

  // Pages on every core, except that in each site one page at a time runs until a page that
  // picks files has succeeded, so that its imports are made once per site (import_once.h);
  // pages of other sites go on meanwhile.
  void go(ProgressBar& bar, RowPrinter& rows, bool many, std::size_t threads) {
    threads = std::max<std::size_t>(1, std::min(threads, records_.size()));
    std::vector<std::thread> pool;
    {
      const os::PageThreadSignals held;  // the new threads start with them held
      for (std::size_t t = 0; t < threads; ++t)
        pool.emplace_back([this] {
          file_host::SignalsHeld::forThisThread();
          work();
        });
    }
    for (;;) {
      std::string current;
      std::size_t done;
      bool allBack;
      {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(100));
        current = current_;
        done = done_;
        allBack = running_ == 0 && (stop_ || firstUnstarted_ == records_.size());
      }
      bar.update(done, current);
      flush(bar, rows, many);
      if (printed_ == records_.size() || allBack) break;
    }
    for (auto& thread : pool) thread.join();
    bar.update(done_, {}, true);
    flush(bar, rows, many);
  }

 private:
  struct SiteGate {
    bool open = false;     // its pages may run side by side
    bool leading = false;  // one of its pages runs alone
  };

  // The next page a worker may start; records_.size() when none is left. Under mutex_.
  std::size_t nextPage(bool& leads) {
    while (firstUnstarted_ < records_.size() && started_[firstUnstarted_]) ++firstUnstarted_;
    for (std::size_t i = firstUnstarted_; i < records_.size(); ++i) {
      if (started_[i]) continue;
      SiteGate& gate = gates_[records_[i].page.site];
      if (gate.open) {
        leads = false;
        return i;
      }
      if (!gate.leading) {
        gate.leading = true;
        leads = true;
        return i;
      }
    }
    return records_.size();
  }

  void work() {
    for (;;) {
      std::size_t i;
      bool leads = false;
      {
        std::unique_lock lock(mutex_);
        for (;;) {
          if (stop_) return;
          while (firstUnstarted_ < records_.size() && started_[firstUnstarted_]) ++firstUnstarted_;
          if (firstUnstarted_ == records_.size()) return;
          i = nextPage(leads);
          if (i < records_.size()) break;
          wake_.wait(lock);  // every page left waits for its site's first import
        }
        started_[i] = true;
        ++running_;
        current_ = shownName(records_[i].page.path);
      }
      PageRecord result;
      result.page = records_[i].page;
      runRecord(options_, work_, sites_, shared_, result);
      bool wakeOthers;
      {
        std::lock_guard lock(mutex_);
        if (leads) {
          SiteGate& gate = gates_[result.page.site];
          gate.leading = false;
          const bool pickedAndFailed =
              !result.result->outcome.chosen.empty() && result.status != kDone;
          if (!pickedAndFailed) {
            if (result.status == kDone) rememberImports(result, imported_);
            gate.open = true;
          }
        }
        records_[i] = std::move(result);
        --running_;
        ++done_;
        if (records_[i].status == kFailed && options_.many.stopOnError) stop_ = true;
        // Pages waiting for their site's gate, and the end of the run, are told at once; the
        // printing thread otherwise looks every tenth of a second rather than being woken
        // for every page.
        wakeOthers = leads || stop_ || running_ == 0;
      }
      if (wakeOthers) wake_.notify_all();
    }
  }

  void flush(ProgressBar& bar, RowPrinter& rows, bool many) {
    while (printed_ < records_.size()) {
      {
        std::lock_guard lock(mutex_);
        if (!finished(printed_)) return;
      }
      // Results on the terminal the bar is drawn on start on a line of their own; the bar comes
      // back with its next update.
      if (stdoutIsTerminal()) bar.clear();
      printResults(options_, records_[printed_], many, rows);
      if (os::outputGone()) {
        std::lock_guard lock(mutex_);
        stop_ = true;
      }
      // What is printed is no longer needed; a long run keeps only the counts and messages
      // (and, for JSON, which is printed at the end, everything).
      if (!options_.json) {
        PageRecord& done = records_[printed_];
        done.result.reset();
        if (done.err.empty()) done.page.path = std::string();
      }
      ++printed_;
    }
  }

  bool finished(std::size_t i) const {
    return records_[i].status != kNotRun || (stop_ && !started_[i]);
  }

  const PageOptions& options_;
  const PageWork& work_;
  const std::vector<std::string>& sites_;
  std::vector<PageRecord>& records_;
  std::vector<SiteGate> gates_;
  ImportedOnce imported_;
  RunShared shared_;
  std::vector<bool> started_ = std::vector<bool>(records_.size(), false);
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string current_;
  std::size_t firstUnstarted_ = 0;
  std::size_t running_ = 0;
  std::size_t done_ = 0;
  std::size_t printed_ = 0;
  bool stop_ = false;
};

// Pages worked on at once. A command that changes pages works on many: each page waits for the
// flush of its new text before its rename, and the pages that wait together are flushed
// together (write_batch.h), so the more wait, the fewer flushes; the bytes they hold are
// bounded by kPageMemoryBudget. Others, which only read, on a few more than the cores. Never
// more than the open-file limit allows, as each page holds a few files open (the page, its
// lock, sheets, the new text).
constexpr unsigned kPagesAtOnceWhenWriting = 64;
constexpr std::uint64_t kPageMemoryBudget = std::uint64_t{256} << 20;

std::size_t jobsFor(const PageOptions& options) {
  constexpr std::size_t kFilesPerPage = 8;
  constexpr std::size_t kFilesBesidePages = 64;
  const bool writes = options.many.changesPages && !options.dryRun;
  const std::size_t wanted = options.many.jobs ? options.many.jobs
                             : writes          ? kPagesAtOnceWhenWriting
                                      : std::max(8u, 2 * std::thread::hardware_concurrency());
  const std::size_t files = os::raiseOpenFileLimit();
  const std::size_t allowed =
      files > kFilesBesidePages ? (files - kFilesBesidePages) / kFilesPerPage : 1;
  return std::max<std::size_t>(1, std::min(wanted, allowed));
}

}  // namespace

int runOnPages(const PageOptions& options, const PageWork& work) {
  const bool many = isManyPages(options);
  if (many && !options.output.empty()) {
    printError(
        u"velmo: --output takes the changed page of one PAGE; it cannot be given with "
        u"many pages");
    return kFailed;
  }
  PageSelection selection = selectPages(options);
  std::vector<PageRecord> records(selection.pages.size());
  for (std::size_t i = 0; i < records.size(); ++i) records[i].page = std::move(selection.pages[i]);
  selection.pages = {};

  RowPrinter rows(stdoutIsTerminal());
  {
    // Every page is renamed into place atomically as it is done; its folder is made durable
    // once, when every page of the run is done.
    file_host::WriteBatch batch;
    file_host::PageMemory memory(kPageMemoryBudget);
    os::keepFreedMemoryForReuse();
    ProgressBar bar(records.size());
    Run run(options, work, selection.sites, records, batch, memory);
    run.go(bar, rows, many, jobsFor(options));
  }
  const std::size_t pageCount = records.size();
  if (options.report && options.report->afterPages && !os::outputGone()) {
    for (auto& [path, found] : options.report->afterPages()) {
      PageRecord& record = records.emplace_back();
      record.page.path = path;
      record.status = kDone;
      record.rowCount = found.size();
      record.result = std::make_unique<PageResult>();
      record.result->outcome.rows = std::move(found);
      printResults(options, record, many, rows);
    }
  }
  rows.finish();

  Counts counts;
  std::size_t rowCount = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i < pageCount) count(records[i], counts);
    rowCount += records[i].rowCount;
  }
  counts.failed += selection.problems.size();
  if (options.json) {
    nlohmann::ordered_json pages = nlohmann::ordered_json::array();
    for (const PageRecord& record : records) pages.push_back(pageJson(record, options));
    for (const auto& [what, why] : selection.problems) {
      pages.push_back({{"page", shownName(what)},
                       {"status", "failed"},
                       {"messages", {"velmo: " + shownName(what) + ": " + why}}});
    }
    nlohmann::ordered_json document = {{"command", options.command},
                                       {"dry_run", options.dryRun},
                                       {"pages", std::move(pages)},
                                       {"summary", summaryJson(counts, pageCount)}};
    if (options.report && options.report->reshapeJson) {
      document = options.report->reshapeJson(document);
    }
    // Standard output holds the page itself with --output -, so the report goes beside it.
    (printsPage(options) ? std::cerr : std::cout) << jsonText(document) << '\n';
  } else {
    std::cout.flush();
    for (const PageRecord& record : records) {
      for (const std::string& message : messagesOf(record)) std::cerr << message << '\n';
    }
    for (const auto& [what, why] : selection.problems) {
      std::cerr << "velmo: " << shownName(what) << ": " << why << '\n';
    }
    if (many) {
      std::cerr << (options.report && options.report->summary
                        ? options.report->summary(pageCount, rowCount, counts.failed)
                        : summaryText(options, counts, pageCount, rowCount))
                << '\n';
    }
  }
  if (counts.failed) return kFailed;
  if (counts.refused) return kRefused;
  return kDone;
}

void printLook(const std::string& page, const PageOutcome& outcome) {
  (void)page;
  printLookText(outcome.diff, outcome.imports, stdoutIsTerminal());
  std::cout << std::flush;
}

}  // namespace velmo::cli
