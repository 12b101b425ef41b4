#include "file_host/html/page_index.h"

#include <algorithm>

#include "file_host/html/html_scan.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/webbot_pairing.h"

namespace velmo::file_host {

PageIndex::PageIndex(const std::string& source, html::TemplateSyntax syntax) : src_(source) {
  scanner_.setTemplateSyntax(syntax);
}

void PageIndex::invalidateFrom(std::size_t offset) {
  dropFrom(offset);
}

// Landmarks that bytes from `offset` on decided are gone; scanning goes on after the last kept.
void PageIndex::dropFrom(std::size_t offset) {
  marks_.truncate(marks_.decidedBefore(offset));
  // What the scan learnt speaks of the old text; the landmarks that hang on an unclosed "<%"
  // were dropped with it, and scanning from the last kept one reads that "<%" again.
  scanner_.restart(marks_.empty() ? PageScanner::initialState(src_) : marks_.back().after);
  blocksValid_ = false;
}

void PageIndex::edited(std::size_t begin, std::size_t end, std::size_t inserted) {
  // On a Smarty page an edit can open or close a {literal} stretch, which changes how the text
  // after it reads without changing any scan state: the landmarks after it are found afresh.
  if (scanner_.templateSyntax() == html::TemplateSyntax::Smarty) {
    dropFrom(begin);
    return;
  }
  resync_.remember(begin, end, inserted);
  dropFrom(begin);
  resync_.scanOn();
}

HeadSpan PageIndex::head() {
  while (!marks_.headEnd() && scanner_.step()) {
  }
  const Landmark& s = marks_[*marks_.headStart()];
  const Landmark& e = marks_[*marks_.headEnd()];
  return {s.begin, s.innerBegin, e.innerEnd, e.end, s.explicitTag, e.explicitTag};
}

std::vector<std::size_t> PageIndex::headSheets() {
  while (scanner_.state().phase != ScanState::Phase::InBody && scanner_.step()) {
  }
  std::vector<std::size_t> out;
  for (std::size_t i : marks_.sheets()) {
    if (marks_[i].inHead) out.push_back(i);
  }
  return out;
}

std::optional<std::size_t> PageIndex::bodyEndTag() {
  while (!marks_.bodyEnd() && scanner_.step()) {
  }
  if (!marks_.bodyEnd()) return std::nullopt;
  return marks_[*marks_.bodyEnd()].begin;
}

std::size_t PageIndex::sheetCount() {
  scanAll();
  return marks_.sheets().size();
}

std::optional<std::size_t> PageIndex::sheet(std::size_t i) {
  while (marks_.sheets().size() <= i && scanner_.step()) {
  }
  if (i >= marks_.sheets().size()) return std::nullopt;
  return marks_.sheets()[i];
}

const std::pmr::vector<WebbotBlock>& PageIndex::webbotBlocks() {
  scanAll();
  if (!blocksValid_) pairWebbots(marks_, src_, blocks_);
  blocksValid_ = true;
  return blocks_;
}

const std::pmr::vector<std::size_t>& PageIndex::webbotMarks() {
  scanAll();
  return marks_.webbots();
}

std::optional<std::size_t> PageIndex::webbotBlockAt(std::size_t begin) {
  const auto& blocks = webbotBlocks();
  auto it = std::lower_bound(
      blocks.begin(), blocks.end(), begin,
      [&](const WebbotBlock& b, std::size_t x) { return marks_[b.start].begin < x; });
  if (it == blocks.end() || marks_[it->start].begin != begin) return std::nullopt;
  return static_cast<std::size_t>(it - blocks.begin());
}

std::optional<std::size_t> PageIndex::find(MarkKind kind, std::size_t begin) {
  while (scanner_.state().pos <= begin && scanner_.step()) {
  }
  return marks_.find(kind, begin);
}

void PageIndex::scanObserved(ScanObserver& observer) {
  invalidateFrom(0);
  scanner_.setObserver(&observer);
  scanAll();
  scanner_.setObserver(nullptr);
}

namespace {

// Only the server blocks.
class ServerBlocks : public ScanObserver {
 public:
  void comment(const html::Token&) override {}
  void rawTextElement(const html::Token&, std::size_t, std::size_t) override {}
  std::vector<std::pair<std::size_t, std::size_t>>* serverBlocks() override { return &blocks; }

  std::vector<std::pair<std::size_t, std::size_t>> blocks;
};

}  // namespace

std::size_t PageIndex::endOfMarkup() {
  const std::string_view src(src_);
  if (src.ends_with("?>") || src.ends_with("%>")) return src.size();
  ServerBlocks observer;
  scanObserved(observer);
  // The first block that runs to the end starts where the markup ends; only PHP code runs on
  // without a closer (a template block that ends the page is closed).
  std::size_t begin = src.size();
  for (const auto& [b, e] : observer.blocks) {
    if (e == src.size() && src[b] == '<' && src[b + 1] == '?') begin = std::min(begin, b);
  }
  return begin;
}

void PageIndex::scanAll() {
  while (scanner_.step()) {
  }
}

}  // namespace velmo::file_host
