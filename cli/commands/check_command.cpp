#include "cli/commands/check_command.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/check/page_findings.h"
#include "cli/check/site_files.h"
#include "cli/output/check_report.h"
#include "cli/run/check_ignore.h"
#include "cli/run/page_run.h"
#include "cli/run/page_selection.h"
#include "cli/run/page_session.h"
#include "cli/run/process_platform.h"
#include "cli/run/site_run.h"
#include "core/common/text.h"
#include "features/slideshow/slide_show.h"
#include "file_host/file_host.h"
#include "file_host/files/atomic_file.h"
#include "file_host/html/page_codec.h"
#include "file_host/html/page_lines.h"

namespace velmo::cli {
namespace fs = std::filesystem;
namespace {

struct CheckOptions {
  PageOptions page;
  bool fix = false;
  bool sarif = false;
  std::vector<std::string> ignore;
};

// A path below the site's folder as the ignore file names it: '/' between folders.
std::string siteRelative(const fs::path& file, const fs::path& site) {
  return os::withSlashes(os::textOf(file.lexically_relative(site)));
}

// What the pages of one run share, per site: its files and its ignore list.
class CheckRun {
 public:
  explicit CheckRun(const CheckOptions& options) : options_(options) {}

  void checkPage(file_host::FileHost& host, PageRun& run) {
    Site& site = siteOf(host.sitePath());
    if (!site.ignoreProblem.empty()) throw std::runtime_error(site.ignoreProblem);
    const std::string relative = siteRelative(host.pagePath(), host.sitePath());
    std::vector<check::Finding> findings = check::checkPage(host, *site.files);
    std::erase_if(findings, [&](const check::Finding& f) {
      return site.ignores->ignores(f.rule->name, relative);
    });
    file_host::LineCounter lines(host.pageSource(),
                                 host.pageCodec().encoding() == file_host::Encoding::Utf8);
    std::vector<bool> mended(findings.size(), false);
    if (options_.fix) {
      // From the end of the page, so that each mend leaves the offsets before it as they were;
      // a mend that overlaps one made already is left.
      std::size_t limit = SIZE_MAX;
      for (std::size_t i = findings.size(); i-- > 0;) {
        const auto& mend = findings[i].mend;
        if (!mend || mend->end > limit) continue;
        mended[i] = true;
        limit = mend->begin;
      }
    }
    for (std::size_t i = 0; i < findings.size(); ++i) {
      const check::Finding& f = findings[i];
      const file_host::PagePosition at = lines.at(f.offset);
      ResultRow row{{"rule", std::string(f.rule->name), false},
                    {"severity", std::string(check::severityName(f.rule->severity)), false},
                    {"line", std::to_string(at.line), true},
                    {"column", std::to_string(at.column), true},
                    {"message", f.message, false}};
      if (mended[i]) row.push_back({"fix", options_.page.dryRun ? "would fix" : "fixed", false});
      run.rows().push_back(std::move(row));
      if (!mended[i] || options_.page.dryRun) ++left_;
    }
    for (std::size_t i = findings.size(); i-- > 0;) {
      if (!mended[i]) continue;
      const check::Mend& mend = *findings[i].mend;
      host.replaceSource(mend.begin, mend.end, mend.bytes);
    }
  }

  // The pictures of slide_img/ that no page of a site checked whole uses.
  std::vector<std::pair<std::string, std::vector<ResultRow>>> unusedPictures() {
    std::vector<std::pair<std::string, std::vector<ResultRow>>> out;
    if (wholeSite_.empty()) return out;
    Site& site = siteOf(fs::absolute(os::pathOf(wholeSite_)));
    if (!site.ignoreProblem.empty()) return out;
    const check::Rule& rule = *check::ruleNamed("unused-slide-picture");
    for (const std::u16string& name : site.files->unusedSlidePictures()) {
      const fs::path picture = file_host::textToPath(kSlideFolder) / file_host::textToPath(name);
      if (site.ignores->ignores(rule.name,
                                siteRelative(site.files->root() / picture, site.files->root()))) {
        continue;
      }
      out.push_back({os::textOf(os::pathOf(wholeSite_) / picture),
                     {{{"rule", std::string(rule.name), false},
                       {"severity", std::string(check::severityName(rule.severity)), false},
                       {"message", "no page uses this slide show picture", false}}}});
      ++left_;
    }
    return out;
  }

  // A site folder checked whole (PAGE a folder, nothing left out): its unused pictures count.
  void setWholeSite(std::string folder) { wholeSite_ = std::move(folder); }
  std::size_t left() const { return left_; }

 private:
  struct Site {
    std::unique_ptr<check::SiteFiles> files;
    std::unique_ptr<IgnoreList> ignores;
    std::string ignoreProblem;
  };

  Site& siteOf(const fs::path& root) {
    std::lock_guard lock(mutex_);
    auto [it, added] = sites_.try_emplace(root);
    if (added) {
      it->second.files = std::make_unique<check::SiteFiles>(root);
      try {
        it->second.ignores = std::make_unique<IgnoreList>(options_.ignore, root);
      } catch (const std::exception& error) {
        it->second.ignoreProblem = error.what();
      }
    }
    return it->second;
  }

  const CheckOptions& options_;
  std::mutex mutex_;
  std::map<fs::path, Site> sites_;
  std::string wholeSite_;
  std::atomic<std::size_t> left_{0};
};

}  // namespace

void addCheckCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<CheckOptions>();
  auto* command = app.add_subcommand(
      "check",
      "Check the blocks the commands write, webbot pairing and the files the blocks refer to, in "
      "the page or every page of a site folder; print each finding as PAGE:LINE:COL: severity: "
      "message [rule]. Exit status 0: nothing found, 1: findings, 2: an error");
  PageOptions& page = options->page;
  page.command = command->get_name();
  command
      ->add_option("PAGE", page.page,
                   "The HTML page, or a site folder: every page in it and its sub-folders")
      ->required();
  command->add_option("--site", page.site,
                      "The site folder open with the page (default: the page's folder)");
  command->add_flag("--write-read-only", page.writeReadOnly,
                    "With --fix: mend a write-protected page too (it stays write-protected)");
  addManyPageOptions(*command, page, true);
  auto* fix = command->add_flag("--fix", options->fix,
                                "Mend what has one safe mend: a duplicated block or HEAD script "
                                "and a second slide viewer script removed (the first kept), a "
                                "reference in another case spelt as the one file it matches");
  command->get_option("--dry-run")->needs(fix);
  auto* sarif = command->add_flag("--sarif", options->sarif, "Print the findings as SARIF 2.1.0");
  sarif->excludes(command->get_option("--json"));
  command
      ->add_option("--ignore", options->ignore,
                   "Leave out the findings of RULE (give it once for each); a site's "
                   ".velmoignore file lists more")
      ->type_name("RULE")
      ->allow_extra_args(false)
      ->check(CLI::IsMember([] {
        std::vector<std::string> names;
        for (const check::Rule& rule : check::kRules) names.emplace_back(rule.name);
        return names;
      }()));
  command->callback([options, &exitStatus] {
    CheckRun run(*options);
    PageOptions& page = options->page;
    const bool wholeSite = page.many.pages.empty() && page.many.list.empty() &&
                           page.many.include.empty() && page.many.exclude.empty() &&
                           page.site.empty() && os::isFolder(page.page);
    if (wholeSite) run.setWholeSite(page.page);
    RowReport report;
    report.rowLine = findingLine;
    report.afterPages = [&run] { return run.unusedPictures(); };
    if (options->sarif) report.reshapeJson = sarifLog;
    report.summary = checkSummary;
    page.report = &report;
    page.json = page.json || options->sarif;
    const int status = runOnPages(page, [&run](file_host::FileHost& host, PageRun& pageRun) {
      run.checkPage(host, pageRun);
    });
    exitStatus = status == kDone && run.left() > 0 ? kRefused : status;
  });
}

}  // namespace velmo::cli
