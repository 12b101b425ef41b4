#include "site/html_page.h"

#include <system_error>

#include "common/host_error.h"
#include "common/text.h"
#include "files/atomic_file.h"
#include "files/file_undo.h"
#include "files/write_target.h"
#include "html/encoding_sniff.h"
#include "html/text_codec.h"
#include "site/page_document.h"

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

std::u16string encodingName(Encoding e) {
  return utf8ToUtf16(std::string(encodingInfo(e).name));
}

// A transcoded page as UTF-8, when converting it back gives its bytes exactly: a page is never
// saved with bytes it did not have outside what a command changed.
std::string transcodedToUtf8(std::string_view content, Encoding e, const fs::path& file) {
  const auto text = decodeExactly(e, content);
  if (!text) {
    throw HostError(hr::kInvalidData, u"The page '" + pathToText(file) + u"' is not valid " +
                                          encodingName(e) + u" text; it was left as it is");
  }
  return utf16ToUtf8(*text);
}

}  // namespace

HtmlPage::HtmlPage(Private, fs::path file, fs::path siteRoot, std::string source, PageCodec codec,
                   std::string fileBom)
    : file_(std::move(file)),
      siteRoot_(std::move(siteRoot)),
      source_(std::move(source)),
      codec_(codec),
      fileBom_(std::move(fileBom)),
      index_(source_),
      linked_(file_.parent_path(), siteRoot_, codec.fileEncoding()) {}

std::unique_ptr<HtmlPage> HtmlPage::load(const fs::path& file, const fs::path& siteRoot) {
  // Locked before anything is read, so that a run that saves it meanwhile goes first and this
  // one reads its result. Stamped before reading: a file replaced in between then counts as
  // changed, never the other way round. A save cut short is finished before, or it would count
  // as a change.
  FileLock lock = FileLock::acquire(file);
  recoverInterruptedSave(file);
  const auto stamp = stampOf(file);
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  auto page = fromSource(readFile(file, ec ? 0 : spareFor(size)), file, siteRoot);
  page->stamp_ = stamp;
  page->lock_ = std::move(lock);
  return page;
}

std::unique_ptr<HtmlPage> HtmlPage::fromSource(std::string bytes, const fs::path& file,
                                               const fs::path& siteRoot) {
  const DetectedEncoding detected = detectPageEncoding(bytes);
  const Encoding e = detected.encoding;
  PageCodec codec(e);
  std::string bom;
  switch (encodingInfo(e).kind) {
    case EncodingKind::AsciiCompatible:
      break;
    case EncodingKind::Replacement:
      throw HostError(hr::kInvalidData,
                      u"The page '" + pathToText(file) +
                          u"' declares an encoding that browsers do not read (they show the "
                          u"page as a replacement character); it was left as it is");
    case EncodingKind::Transcoded:
      bom = bytes.substr(0, detected.bomSize);
      bytes = transcodedToUtf8(std::string_view(bytes).substr(bom.size()), e, file);
      codec = PageCodec(Encoding::Utf8, e);
      break;
  }
  fs::path root = siteRoot.empty() ? file.parent_path() : siteRoot;
  if (root.empty()) root = ".";
  auto page =
      std::make_unique<HtmlPage>(Private{}, file, root, std::move(bytes), codec, std::move(bom));
  page->stamp_ = stampOf(file);
  return page;
}

HtmlPage::Range HtmlPage::selection() {
  if (!selection_) {
    const std::size_t caret = defaultCaret();
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
  if (const auto bodyEnd = index_.bodyEndTag()) return *bodyEnd;
  return index_.endOfMarkup();
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
  const std::u16string what = now ? u"was changed or replaced by another program" : u"was removed";
  throw HostError(hr::kFail, u"The page '" + pathToText(file_) + u"' " + what +
                                 u" after it was read; it was left as it is");
}

void HtmlPage::save(const fs::path& target, const PageSaveOptions& options) {
  const bool ownFile = target.empty() || samePath(target, file_);
  const bool pageWrite = !ownFile || sinceSaved_.differs(source_);
  // Every check that can refuse, before the first file changes.
  WriteTarget out;
  if (pageWrite) {
    out = checkWriteTarget(ownFile ? file_ : target);
    if (!out.stream) checkNotReadOnly(out.path, u"page", options.writeReadOnly);
  }
  if (ownFile) checkFileUnchanged();
  linked_.checkSave(options.writeReadOnly);

  FileUndo sheetsBefore;
  const auto alongside = [&] {
    // Under the lock, with the new page durable: looked at before anything changes, and again
    // as the very last step before the rename (a change meanwhile puts the sheets and the
    // site files back).
    if (ownFile) checkFileUnchanged();
    linked_.save(sheetsBefore);
    if (options.alongside) options.alongside();
    if (ownFile) checkFileUnchanged();
  };
  try {
    if (!pageWrite) {
      alongside();
    } else {
      std::string encoded;
      const std::string_view bytes = fileBytes(encoded);
      if (out.stream) {
        alongside();
        writeIntoStream(out, bytes);
      } else {
        ReplaceSteps steps;
        steps.beforeReplace = alongside;
        if (ownFile) steps.lockOfNewFile = &lock_;
        writeFileAtomically(out.path, bytes, steps);
      }
    }
  } catch (...) {
    sheetsBefore.restore();
    throw;
  }
  sheetsBefore.forget();
  if (ownFile && pageWrite) {
    stamp_ = stampOf(file_);
    sinceSaved_.clear();
  }
}

std::string_view HtmlPage::fileBytes(std::string& encoded) const {
  if (codec_.encoding() == codec_.fileEncoding()) return source_;
  // Text written in was limited to what the file's encoding holds, so nothing is escaped here.
  encoded =
      fileBom_ + encodeText(codec_.fileEncoding(), utf8ToUtf16(source_), htmlCharacterReference);
  return encoded;
}

std::size_t HtmlPage::fileSize(std::size_t begin, std::size_t end) const {
  if (codec_.encoding() == codec_.fileEncoding()) return end - begin;
  return encodeText(codec_.fileEncoding(),
                    utf8ToUtf16(std::string_view(source_).substr(begin, end - begin)),
                    htmlCharacterReference)
      .size();
}

void HtmlPage::revert() {
  linked_.revert();
  if (sinceSaved_.differs(source_)) {
    const std::string original = sinceSaved_.original();
    apply(sinceSaved_.begin(), sinceSaved_.end(), original);
  }
  sinceSaved_.clear();
  selection_.reset();
}

void HtmlPage::replace(std::size_t begin, std::size_t end, std::string_view text) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The edit lies outside the page");
  }
  // The caret belongs to the text as it was: found now, it follows the edits as any selection.
  if (!selection_ && caretBeforeEdits_) selection();
  apply(begin, end, text);
}

void HtmlPage::apply(std::size_t begin, std::size_t end, std::string_view text) {
  const std::size_t removed = end - begin;
  sinceSaved_.record(source_, begin, end, text.size());
  source_.replace(begin, removed, text);
  edits_.push_back({begin, removed, text.size()});
  index_.edited(begin, end, text.size());
  if (selection_) {
    selection_->begin = mapThroughEdit(selection_->begin, begin, removed, text.size());
    selection_->end = mapThroughEdit(selection_->end, begin, removed, text.size());
  }
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
