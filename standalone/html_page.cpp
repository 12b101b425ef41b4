#include "standalone/html_page.h"

#include <system_error>

#include "common/text.h"
#include "entry/host_error.h"
#include "standalone/atomic_file.h"
#include "standalone/page_document.h"

namespace velmo::standalone {
namespace fs = std::filesystem;

namespace {

bool samePath(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec) return a == b;
  const fs::path cb = fs::weakly_canonical(b, ec);
  if (ec) return a == b;
  return ca == cb;
}

// Where a position ends up after [begin, begin + removed) became `inserted` bytes: positions in
// the removed text move to the end of the new text.
std::size_t mapThroughEdit(std::size_t pos, std::size_t begin, std::size_t removed,
                           std::size_t inserted) {
  if (pos < begin) return pos;
  if (pos < begin + removed) return begin + inserted;
  return pos - removed + inserted;
}

// Room behind a page read from disk for the text commands add, so that an edit does not move
// the whole page to a bigger buffer.
std::size_t spareFor(std::size_t size) {
  return 4096 + size / 64;
}

}  // namespace

HtmlPage::HtmlPage(Private, fs::path file, fs::path siteRoot, std::string source)
    : file_(std::move(file)),
      siteRoot_(std::move(siteRoot)),
      source_(std::move(source)),
      index_(source_),
      linked_(file_.parent_path(), siteRoot_) {}

std::unique_ptr<HtmlPage> HtmlPage::load(const fs::path& file, const fs::path& siteRoot) {
  // Stamped before reading: a file replaced in between then counts as changed, never the
  // other way round. A save cut short is finished before, or it would count as a change.
  recoverInterruptedSave(file);
  const auto stamp = stampOf(file);
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  auto page = fromSource(readFile(file, ec ? 0 : spareFor(size)), file, siteRoot);
  page->stamp_ = stamp;
  return page;
}

std::unique_ptr<HtmlPage> HtmlPage::fromSource(std::string bytes, const fs::path& file,
                                               const fs::path& siteRoot) {
  if (!isValidUtf8(bytes)) {
    throw HostError(hr::kInvalidData, u"The page '" + pathToText(file) + u"' is not valid UTF-8");
  }
  fs::path root = siteRoot.empty() ? file.parent_path() : siteRoot;
  if (root.empty()) root = ".";
  auto page = std::make_unique<HtmlPage>(Private{}, file, root, std::move(bytes));
  page->stamp_ = stampOf(file);
  return page;
}

HtmlPage::Range HtmlPage::selection() {
  if (!selection_) {
    const std::size_t caret = initialCaret();
    selection_ = Range{caret, caret};
  }
  return *selection_;
}

void HtmlPage::setSelection(std::size_t begin, std::size_t end) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The selection lies outside the page");
  }
  selection_ = Range{begin, end};
}

std::size_t HtmlPage::defaultCaret() {
  return index_.bodyEndTag().value_or(source_.size());
}

// The caret before </body> in the text as it was when the selection was last reset, moved
// through the edits made since. When there were edits, the earlier text is put back for the
// moment it takes to find it.
std::size_t HtmlPage::initialCaret() {
  if (!sinceCaretBase_.touched()) return defaultCaret();
  const std::size_t begin = sinceCaretBase_.begin();
  const std::string now = source_.substr(begin, sinceCaretBase_.end() - begin);
  const std::string& then = sinceCaretBase_.original();
  swapIn(begin, sinceCaretBase_.end(), then);
  std::size_t caret = defaultCaret();
  swapIn(begin, begin + then.size(), now);
  for (std::size_t i = caretBaseVersion_; i < edits_.size(); ++i) {
    caret = mapThroughEdit(caret, edits_[i].begin, edits_[i].removed, edits_[i].inserted);
  }
  return caret;
}

std::unique_ptr<Document> HtmlPage::document() {
  return makePageDocument(*this);
}

bool HtmlPage::changed() const {
  return sinceSaved_.differs(source_) || linked_.changed();
}

void HtmlPage::checkFileUnchanged() const {
  if (!sinceSaved_.differs(source_)) return;
  const auto now = stampOf(file_);
  if (now == stamp_) return;
  const std::u16string what = now ? u"was replaced by another program" : u"was removed";
  throw HostError(hr::kFail, u"The page '" + pathToText(file_) + u"' " + what +
                                 u" after it was read; it was left as it is");
}

void HtmlPage::save(const fs::path& target) {
  const bool ownFile = target.empty() || samePath(target, file_);
  if (ownFile) checkFileUnchanged();
  linked_.save();
  if (!ownFile) {
    writeFileAtomically(target, source_);
  } else if (sinceSaved_.differs(source_)) {
    writeFileAtomically(file_, source_);
    stamp_ = stampOf(file_);
    sinceSaved_.clear();
  }
}

void HtmlPage::revert() {
  linked_.revert();
  if (sinceSaved_.differs(source_)) {
    const std::string original = sinceSaved_.original();
    replace(sinceSaved_.begin(), sinceSaved_.end(), original);
  }
  sinceSaved_.clear();
  sinceCaretBase_.clear();
  caretBaseVersion_ = edits_.size();
  selection_.reset();
}

void HtmlPage::replace(std::size_t begin, std::size_t end, std::string_view text) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The edit lies outside the page");
  }
  const std::size_t removed = end - begin;
  sinceSaved_.record(source_, begin, end, text.size());
  sinceCaretBase_.record(source_, begin, end, text.size());
  source_.replace(begin, removed, text);
  edits_.push_back({begin, removed, text.size()});
  index_.edited(begin, end, text.size());
  if (selection_) {
    selection_->begin = mapThroughEdit(selection_->begin, begin, removed, text.size());
    selection_->end = mapThroughEdit(selection_->end, begin, removed, text.size());
  }
}

void HtmlPage::swapIn(std::size_t begin, std::size_t end, std::string_view text) {
  source_.replace(begin, end - begin, text);
  index_.edited(begin, end, text.size());
}

std::optional<std::size_t> HtmlPage::resolve(const Anchor& a) const {
  std::size_t pos = a.offset;
  for (std::size_t i = a.version; i < edits_.size(); ++i) {
    const EditRecord& e = edits_[i];
    if (pos < e.begin) continue;
    if (pos < e.begin + e.removed) return std::nullopt;
    pos = pos - e.removed + e.inserted;
  }
  return pos;
}

}  // namespace velmo::standalone
