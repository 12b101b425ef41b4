#include "cli/run/site_run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
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
  bool started = false;
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

void runRecord(const PageOptions& options, const PageWork& work, const std::string& site,
               const RunShared& shared, PageRecord& record) {
  record.result = std::make_unique<PageResult>();
  PageOutcome& outcome = record.result->outcome;
  PageOptions one = options;
  one.page = record.page.path;
  one.site = site;
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

// What the run prints as its pages finish, in page order: each page's results, and at the end
// its messages and the summary (or the JSON document, whose pages go out as they come). A page is
// let go once it is here, so that a long run holds the counts and the messages of the pages
// that were refused or failed, not every page.
class RunReport {
 public:
  RunReport(const PageOptions& options, bool many)
      : options_(options), many_(many), rows_(stdoutIsTerminal()) {}

  // A page of the run.
  void add(const PageRecord& record) {
    ++pages_;
    count(record, counts_);
    print(record);
  }

  // A finding of the whole run (check's unused pictures), after the pages.
  void addAfterPages(const PageRecord& record) { print(record); }

  // Messages, summary, the end of the JSON document; the exit status.
  int finish(const std::vector<std::pair<std::string, std::string>>& problems) {
    rows_.finish();
    counts_.failed += problems.size();
    if (options_.json) {
      for (const auto& [what, why] : problems) {
        addJson({{"page", shownName(what)},
                 {"status", "failed"},
                 {"messages", {"velmo: " + shownName(what) + ": " + why}}});
      }
      endJson();
    } else {
      std::cout.flush();
      for (const std::string& message : messages_) std::cerr << message << '\n';
      for (const auto& [what, why] : problems) {
        std::cerr << "velmo: " << shownName(what) << ": " << why << '\n';
      }
      if (many_) {
        std::cerr << (options_.report && options_.report->summary
                          ? options_.report->summary(pages_, rowCount_, counts_.failed)
                          : summaryText(options_, counts_, pages_, rowCount_))
                  << '\n';
      }
    }
    if (counts_.failed) return kFailed;
    if (counts_.refused) return kRefused;
    return kDone;
  }

 private:
  void print(const PageRecord& record) {
    rowCount_ += record.rowCount;
    if (options_.json) {
      addJson(pageJson(record, options_));
      return;
    }
    printResults(options_, record, many_, rows_);
    for (std::string& message : messagesOf(record)) messages_.push_back(std::move(message));
  }

  // Standard output holds the page itself with --output -, so the report goes beside it.
  std::ostream& jsonStream() const { return printsPage(options_) ? std::cerr : std::cout; }

  // The document is written as it grows, `{"command":…,"dry_run":…,"pages":[` first, unless
  // it is to be reshaped as a whole.
  void addJson(nlohmann::ordered_json page) {
    if (reshaped()) {
      heldPages_.push_back(std::move(page));
      return;
    }
    startJson();
    jsonStream() << (jsonPages_++ ? "," : "") << jsonText(page);
  }

  void startJson() {
    if (jsonStarted_) return;
    jsonStarted_ = true;
    std::string head = jsonText({{"command", options_.command}, {"dry_run", options_.dryRun}});
    head.pop_back();  // the closing brace
    jsonStream() << head << ",\"pages\":[";
  }

  void endJson() {
    if (reshaped()) {
      nlohmann::ordered_json document = {{"command", options_.command},
                                         {"dry_run", options_.dryRun},
                                         {"pages", std::move(heldPages_)},
                                         {"summary", summaryJson(counts_, pages_)}};
      jsonStream() << jsonText(options_.report->reshapeJson(document)) << '\n';
      return;
    }
    startJson();
    jsonStream() << "],\"summary\":" << jsonText(summaryJson(counts_, pages_)) << "}\n";
  }

  bool reshaped() const { return options_.report && options_.report->reshapeJson; }

  const PageOptions& options_;
  bool many_;
  RowPrinter rows_;
  Counts counts_;
  std::size_t pages_ = 0;
  std::size_t rowCount_ = 0;
  std::vector<std::string> messages_;
  bool jsonStarted_ = false;
  std::size_t jsonPages_ = 0;
  nlohmann::ordered_json heldPages_ = nlohmann::ordered_json::array();
};

class Run {
 public:
  Run(const PageOptions& options, const PageWork& work, PageSource& source,
      file_host::WriteBatch& batch, file_host::PageMemory& memory, std::size_t threads)
      : options_(options),
        work_(work),
        source_(source),
        threads_(threads),
        windowLimit_(std::max<std::size_t>(kWindowAtLeast, kWindowPerThread * threads)) {
    shared_.captured = true;
    shared_.imported = &imported_;
    shared_.batch = &batch;
    shared_.memory = &memory;
    std::error_code unknown;
    shared_.workingFolder = std::filesystem::current_path(unknown);
  }

  // Pages on every core, except that in each site one page at a time runs until a page that
  // picks files has succeeded, so that its imports are made once per site (import_once.h);
  // pages of other sites go on meanwhile.
  void go(RunReport& report) {
    ProgressBar bar;
    PageCount total;
    // No more threads than pages: a run over one page starts one.
    std::unique_lock<std::mutex> none;
    pull(none, std::min(windowLimit_, pullAtOnce()));
    const std::size_t threads = std::max<std::size_t>(1, std::min(threads_, window_.size()));
    std::vector<std::thread> pool;
    {
      const os::PageThreadSignals held;  // the new threads start with them held
      if (bar.shown()) total.countAhead(options_, source_);
      for (std::size_t t = 0; t < threads; ++t)
        pool.emplace_back([this] {
          file_host::SignalsHeld::forThisThread();
          work();
        });
    }
    for (;;) {
      std::string current;
      std::size_t done, seen;
      bool over;
      {
        std::unique_lock lock(mutex_);
        // A wake that came before the wait is not lost: it left printNow_ set.
        printWake_.wait_for(lock, std::chrono::milliseconds(100),
                            [this] { return printNow_ || allBack(); });
        printNow_ = false;
        current = current_;
        done = done_;
        seen = end();
        over = allBack();
      }
      bar.update(done, total.atLeast(seen), current);
      flush(bar, report);
      if (over) break;
    }
    for (auto& thread : pool) thread.join();
    bar.update(done_, total.atLeast(end()), {}, true);
    flush(bar, report);
    // A run stopped early still names every page it did not start.
    if (stop_ && !os::outputGone()) {
      while (auto page = source_.next()) {
        PageRecord record;
        record.page = std::move(*page);
        report.add(record);
      }
    }
  }

 private:
  // Pages taken from the source ahead of the workers; beyond them the source is not read
  // further until the printed pages make room.
  static constexpr std::size_t kWindowAtLeast = 1024;
  static constexpr std::size_t kWindowPerThread = 16;
  static constexpr std::size_t kPullAtOnce = 32;

  struct SiteGate {
    bool open = false;     // its pages may run side by side
    bool leading = false;  // one of its pages runs alone
  };

  // The pages of the site for the progress bar, counted by a walk of their own beside the run.
  class PageCount {
   public:
    // Before the workers start: `source` is read by one thread at a time.
    void countAhead(const PageOptions& options, const PageSource& source) {
      auto again = std::make_shared<PageSource>(options, source);
      counter_ = std::jthread([this, again](std::stop_token stop) {
        std::size_t pages = 0;
        while (!stop.stop_requested() && again->next()) counted_ = ++pages;
      });
    }
    std::size_t atLeast(std::size_t seen) const { return std::max<std::size_t>(counted_, seen); }

   private:
    std::atomic<std::size_t> counted_{0};
    std::jthread counter_;
  };

  // Enough pages for every worker twice over, so that a pull comes once for many pages.
  std::size_t pullAtOnce() const { return std::max(kPullAtOnce, 2 * threads_); }

  std::size_t end() const { return base_ + window_.size(); }

  // Every worker is back and no page is left to start. Under mutex_.
  bool allBack() const {
    return running_ == 0 && (stop_ || (sourceDone_ && firstUnstarted_ == end()));
  }

  // Under mutex_.
  void tellPrinter() {
    printNow_ = true;
    printWake_.notify_one();
  }
  PageRecord& at(std::size_t i) { return window_[i - base_]; }

  // Takes up to `most` more pages from the source into the window. The source is read with
  // mutex_ let go, as it may list a folder, by one thread at a time (pulling_); `lock` is held
  // again on return. Before the workers start, `lock` may be empty.
  void pull(std::unique_lock<std::mutex>& lock, std::size_t most) {
    pulling_ = true;
    if (lock) lock.unlock();
    std::vector<SelectedPage> pages;
    bool ended = false;
    while (pages.size() < most) {
      std::optional<SelectedPage> page = source_.next();
      if (!page) {
        ended = true;
        break;
      }
      pages.push_back(std::move(*page));
    }
    if (lock.mutex()) lock.lock();
    for (SelectedPage& page : pages) {
      // A look imports nothing, so no page need wait for another.
      if (gates_.size() <= page.site) gates_.resize(page.site + 1, {options_.dryRun, false});
      window_.emplace_back().page = std::move(page);
    }
    sourceDone_ = ended;
    pulling_ = false;
    if (idle_) wake_.notify_all();
  }

  // Room in the window for more pages from the source, and nobody taking them. Under mutex_.
  std::size_t roomToPull() const {
    if (pulling_ || sourceDone_ || window_.size() + pullAtOnce() > windowLimit_) return 0;
    return pullAtOnce();
  }

  // The next page a worker may start, or nothing while every page taken waits for its site's
  // first import. Under mutex_.
  std::optional<std::size_t> nextPage(bool& leads) {
    while (firstUnstarted_ < end() && at(firstUnstarted_).started) ++firstUnstarted_;
    for (std::size_t i = firstUnstarted_; i < end(); ++i) {
      if (at(i).started) continue;
      SiteGate& gate = gates_[at(i).page.site];
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
    return std::nullopt;
  }

  void work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      std::size_t i;
      bool leads = false;
      for (;;) {
        if (stop_) return;
        if (std::optional<std::size_t> next = nextPage(leads)) {
          i = *next;
          break;
        }
        if (sourceDone_ && !pulling_ && firstUnstarted_ == end()) return;
        if (const std::size_t room = roomToPull()) {
          pull(lock, room);
          continue;
        }
        // A full window waits for the printing thread, which is told at once.
        if (!sourceDone_ && !pulling_ && !roomWanted_) {
          roomWanted_ = true;
          tellPrinter();
        }
        ++idle_;
        wake_.wait(lock);  // for a site's first import, the pages being taken, or room
        --idle_;
      }
      PageRecord& record = at(i);
      record.started = true;
      ++running_;
      current_ = shownName(record.page.path);
      PageRecord result;
      result.page = record.page;
      // The pages left to start run low: this worker takes the next ones before its own page,
      // so that the others need not wait for a folder's listing.
      if (end() - firstUnstarted_ < pullAtOnce()) {
        if (const std::size_t room = roomToPull()) pull(lock, room);
      }
      lock.unlock();
      runRecord(options_, work_, *result.page.siteFolder, shared_, result);
      lock.lock();
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
      result.started = true;
      at(i) = std::move(result);
      --running_;
      ++done_;
      if (at(i).status == kFailed && options_.many.stopOnError) stop_ = true;
      // Pages waiting for their site's gate, and the end of the run, are told at once; the
      // printing thread otherwise looks every tenth of a second rather than being woken for
      // every page.
      if (leads || stop_ || running_ == 0) {
        wake_.notify_all();
        tellPrinter();
      } else if (roomWanted_ && i == base_) {
        tellPrinter();  // the page a full window waited for
      }
    }
  }

  // Prints the finished pages at the front of the window and lets them go, as many at a time
  // as have finished.
  void flush(ProgressBar& bar, RunReport& report) {
    std::vector<const PageRecord*> ready;
    for (;;) {
      ready.clear();
      {
        std::lock_guard lock(mutex_);
        // The deque keeps its elements where they are as pages are added, and no worker writes
        // a finished page.
        for (const PageRecord& record : window_) {
          if (!finished(record)) break;
          ready.push_back(&record);
        }
      }
      if (ready.empty()) return;
      for (const PageRecord* record : ready) {
        // Results on the terminal the bar is drawn on start on a line of their own; the bar
        // comes back with its next update.
        if (stdoutIsTerminal()) bar.clear();
        report.add(*record);
        if (os::outputGone()) break;
      }
      bool wakeOthers = false;
      {
        std::lock_guard lock(mutex_);
        if (os::outputGone()) stop_ = true;
        window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(ready.size()));
        base_ += ready.size();
        // Workers waiting for room are woken once a pull's worth is free, not for every page.
        if (roomWanted_ && window_.size() + pullAtOnce() <= windowLimit_) {
          roomWanted_ = false;
          wakeOthers = true;
        }
        wakeOthers = wakeOthers || stop_;
      }
      if (wakeOthers) wake_.notify_all();
    }
  }

  bool finished(const PageRecord& record) const {
    return record.status != kNotRun || (stop_ && !record.started);
  }

  const PageOptions& options_;
  const PageWork& work_;
  PageSource& source_;
  std::size_t threads_;
  std::size_t windowLimit_;
  std::deque<PageRecord> window_;  // the pages from base_ on, taken from source_, not yet printed
  std::size_t base_ = 0;
  bool sourceDone_ = false;
  bool pulling_ = false;
  bool roomWanted_ = false;
  bool printNow_ = false;  // the printing thread has been told to look
  std::size_t idle_ = 0;   // workers waiting for a page
  std::vector<SiteGate> gates_;
  ImportedOnce imported_;
  RunShared shared_;
  std::mutex mutex_;
  std::condition_variable wake_;       // workers waiting for a page
  std::condition_variable printWake_;  // the printing thread, between its looks
  std::string current_;
  std::size_t firstUnstarted_ = 0;
  std::size_t running_ = 0;
  std::size_t done_ = 0;
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
  PageSource source(options);
  RunReport report(options, many);
  {
    // Every page is renamed into place atomically as it is done; its folder is made durable
    // once, when every page of the run is done.
    file_host::WriteBatch batch;
    file_host::PageMemory memory(kPageMemoryBudget);
    os::keepFreedMemoryForReuse();
    Run run(options, work, source, batch, memory, many ? jobsFor(options) : 1);
    run.go(report);
  }
  if (options.report && options.report->afterPages && !os::outputGone()) {
    for (auto& [path, found] : options.report->afterPages()) {
      PageRecord record;
      record.page.path = path;
      record.status = kDone;
      record.rowCount = found.size();
      record.result = std::make_unique<PageResult>();
      record.result->outcome.rows = std::move(found);
      report.addAfterPages(record);
    }
  }
  return report.finish(source.problems());
}

void printLook(const std::string& page, const PageOutcome& outcome) {
  (void)page;
  printLookText(outcome.diff, outcome.imports, stdoutIsTerminal());
  std::cout << std::flush;
}

}  // namespace velmo::cli
