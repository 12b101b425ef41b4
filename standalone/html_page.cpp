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

}  // namespace

HtmlPage::HtmlPage(Private, fs::path file, fs::path siteRoot, std::string source)
    : file_(std::move(file)),
      siteRoot_(std::move(siteRoot)),
      source_(std::move(source)),
      saved_(source_),
      index_(source_),
      linked_(file_.parent_path(), siteRoot_) {}

std::unique_ptr<HtmlPage> HtmlPage::load(const fs::path& file, const fs::path& siteRoot) {
  return fromSource(readFile(file), file, siteRoot);
}

std::unique_ptr<HtmlPage> HtmlPage::fromSource(std::string bytes, const fs::path& file,
                                               const fs::path& siteRoot) {
  if (!isValidUtf8(bytes)) {
    throw HostError(hr::kInvalidData, u"The page '" + pathToText(file) + u"' is not valid UTF-8");
  }
  fs::path root = siteRoot.empty() ? file.parent_path() : siteRoot;
  if (root.empty()) root = ".";
  auto page = std::make_unique<HtmlPage>(Private{}, file, root, std::move(bytes));
  const std::size_t caret = page->defaultCaret();
  page->selection_ = {caret, caret};
  return page;
}

void HtmlPage::setSelection(std::size_t begin, std::size_t end) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The selection lies outside the page");
  }
  selection_ = {begin, end};
}

std::size_t HtmlPage::defaultCaret() {
  return index_.bodyEndTag().value_or(source_.size());
}

std::unique_ptr<Document> HtmlPage::document() {
  return makePageDocument(*this);
}

bool HtmlPage::changed() const {
  return source_ != saved_ || linked_.changed();
}

void HtmlPage::save(const fs::path& target) {
  const bool ownFile = target.empty() || samePath(target, file_);
  linked_.save();
  if (!ownFile) {
    writeFileAtomically(target, source_);
  } else if (source_ != saved_) {
    writeFileAtomically(file_, source_);
    saved_ = source_;
  }
}

void HtmlPage::revert() {
  linked_.revert();
  if (source_ != saved_) replace(0, source_.size(), saved_);
  const std::size_t caret = defaultCaret();
  selection_ = {caret, caret};
}

void HtmlPage::replace(std::size_t begin, std::size_t end, std::string_view text) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The edit lies outside the page");
  }
  const std::size_t removed = end - begin;
  source_.replace(begin, removed, text);
  edits_.push_back({begin, removed, text.size()});
  index_.invalidateFrom(begin);
  selection_.begin = mapThroughEdit(selection_.begin, begin, removed, text.size());
  selection_.end = mapThroughEdit(selection_.end, begin, removed, text.size());
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
