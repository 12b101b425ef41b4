#include "cli/run/page_run.h"

#include <iostream>

#include "cli/run/import_once.h"
#include "file_host/file_host.h"

namespace velmo::cli {

PageRun::PageRun(file_host::FileHost& host, bool captured, const ImportedOnce* imported)
    : host_(host), captured_(captured), imported_(imported) {}

std::ostream& PageRun::out() {
  return captured_ ? static_cast<std::ostream&>(out_) : std::cout;
}

std::ostream& PageRun::err() {
  return captured_ ? static_cast<std::ostream&>(err_) : std::cerr;
}

void PageRun::afterCommit(std::function<void()> effect) {
  effects_.push_back(std::move(effect));
}

void PageRun::runAfterCommit() {
  // Taken out first: an effect that fails leaves nothing behind to run later.
  const auto effects = std::move(effects_);
  effects_.clear();
  for (const auto& effect : effects) effect();
}

std::u16string PageRun::picked(const std::u16string& path) {
  chosen_.push_back(path);
  if (imported_) {
    if (auto copy = imported_->copyIn(host_.sitePath(), path)) return *copy;
  }
  return path;
}

void PageRun::reportFound(bool found) {
  found_ = found;
  out() << (found ? "true" : "false") << '\n' << std::flush;
}

}  // namespace velmo::cli
