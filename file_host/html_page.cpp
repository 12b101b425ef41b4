#include "file_host/html_page.h"

#include <system_error>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/write_target.h"
#include "file_host/html/encoding_sniff.h"
#include "file_host/html/markup_place.h"
#include "file_host/html/text_codec.h"
#include "file_host/page_document.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

bool samePath(const fs::path& a, const fs::path& b) {
  if (a == b) return true;
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
                   std::string fileBom, html::TemplateSyntax syntax)
    : file_(std::move(file)),
      siteRoot_(std::move(siteRoot)),
      source_(std::move(source)),
      codec_(codec),
      fileBom_(std::move(fileBom)),
      syntax_(syntax),
      index_(source_, syntax),
      linked_(file_.parent_path(), siteRoot_, codec.fileEncoding()) {}

std::unique_ptr<HtmlPage> HtmlPage::load(const fs::path& file, const fs::path& siteRoot,
                                         FileLocks* shared,
                                         std::optional<html::TemplateSyntax> syntax,
                                         PageMemory* memory) {
  LockedFile own = LockedFile::open(file, u"page", -1, shared);
  PageMemory::Held held = memory ? memory->hold(own.stampedSize()) : PageMemory::Held();
  auto page = fromBytes(own.read(spareFor(own.stampedSize())), file, siteRoot, syntax);
  page->memory_ = std::move(held);
  page->own_ = std::move(own);
  page->linked_.shareLocks(shared);
  return page;
}

std::unique_ptr<HtmlPage> HtmlPage::fromSource(std::string bytes, const fs::path& file,
                                               const fs::path& siteRoot,
                                               std::optional<html::TemplateSyntax> syntax) {
  auto page = fromBytes(std::move(bytes), file, siteRoot, syntax);
  page->own_ = LockedFile::unlocked(file, u"page");
  return page;
}

std::unique_ptr<HtmlPage> HtmlPage::fromBytes(std::string bytes, const fs::path& file,
                                              const fs::path& siteRoot,
                                              std::optional<html::TemplateSyntax> syntax) {
  const DetectedEncoding detected = detectPageEncoding(bytes);
  if (detected.declared) return inEncoding(std::move(bytes), file, siteRoot, detected, syntax);
  // Nothing declared in the first 1024 bytes: a <meta> met while reading the HEAD decides, as it
  // makes a browser read the page again in its encoding. The fallback encodings are
  // ASCII-compatible, so the page as read finds its HEAD.
  auto page = inEncoding(std::move(bytes), file, siteRoot, detected, syntax);
  const DetectedEncoding read =
      encodingAfterHead(detected, page->source(), page->index().head().end);
  if (read.encoding == detected.encoding) return page;
  std::string unchanged = std::move(page->source_);
  page.reset();
  return inEncoding(std::move(unchanged), file, siteRoot, read, syntax);
}

std::unique_ptr<HtmlPage> HtmlPage::inEncoding(std::string bytes, const fs::path& file,
                                               const fs::path& siteRoot,
                                               const DetectedEncoding& detected,
                                               std::optional<html::TemplateSyntax> syntax) {
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
  if (!syntax) syntax = html::templateSyntaxOfFile(utf16ToUtf8(pathToText(file.filename())));
  auto page = std::make_unique<HtmlPage>(Private{}, file, root, std::move(bytes), codec,
                                         std::move(bom), *syntax);
  return page;
}

HtmlPage::Range HtmlPage::selection() {
  if (!selection_) placeDefaultCaret();
  if (!caretRefusal_.empty()) throw HostError(hr::kInvalidArg, caretRefusal_);
  return *selection_;
}

void HtmlPage::setSelection(std::size_t begin, std::size_t end) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The selection lies outside the page");
  }
  selection_ = Range{begin, end};
  caretRefusal_.clear();
}

std::size_t HtmlPage::findDefaultCaret(std::u16string& refusal) {
  refusal.clear();
  if (const auto bodyEnd = index_.bodyEndTag()) return *bodyEnd;
  const std::size_t end = index_.endOfMarkup();
  // A caret the user named there would be refused; one velmo chooses is too.
  const MarkupPlace place = markupPlaces(source_, end, end, syntax_).begin;
  if (place.kind != MarkupPlace::Kind::Outside) {
    refusal = u"the end of the page, where the block would go, lies inside " + describe(place) +
              u" that the page leaves open";
  }
  return end;
}

void HtmlPage::placeDefaultCaret() {
  const std::size_t caret = findDefaultCaret(caretRefusal_);
  selection_ = Range{caret, caret};
}

std::size_t HtmlPage::defaultCaret() {
  std::u16string refusal;
  const std::size_t caret = findDefaultCaret(refusal);
  if (!refusal.empty()) throw HostError(hr::kInvalidArg, refusal);
  return caret;
}

std::unique_ptr<Document> HtmlPage::document() {
  return makePageDocument(*this);
}

bool HtmlPage::changed() const {
  return sinceSaved_.differs(source_) || linked_.changed();
}

void HtmlPage::checkFileUnchanged() const {
  if (sinceSaved_.differs(source_)) own_.checkUnchanged();
}

void HtmlPage::save(const fs::path& target, const PageSaveOptions& options) {
  const bool ownFile = target.empty() || samePath(target, file_);
  const bool pageWrite = !ownFile || sinceSaved_.differs(source_);
  Transaction alone(CommitOptions{options.writeReadOnly, options.batch});
  Transaction& files = options.others ? *options.others : alone;
  files.join(linked_);
  // Every check that can refuse, before the first file changes.
  WriteTarget out;
  if (pageWrite) {
    const LockedFacts* known = ownFile ? own_.facts() : nullptr;
    out = checkWriteTarget(ownFile ? file_ : target, known);
    if (!out.stream) checkNotReadOnly(out.path, u"page", options.writeReadOnly, known);
  }
  // The page's own replace looks again as the very last step before its rename; a look now
  // matters only when other files would change first, or nothing else would look.
  const bool othersChange = files.changes();
  if (ownFile && (othersChange || !pageWrite)) checkFileUnchanged();
  files.check();

  const auto alongside = [&] {
    // Under the lock, with the new page durable: looked at before anything changes; a change
    // meanwhile puts the other files back.
    if (ownFile && othersChange) checkFileUnchanged();
    files.commitParts();
  };
  try {
    if (!pageWrite) {
      alongside();
    } else {
      std::string encoded;
      const std::string_view bytes = fileBytes(encoded);
      ReplaceSteps steps;
      steps.beforeReplace = alongside;
      steps.batch = options.batch;
      if (out.stream) {
        alongside();
        writeIntoStream(out, bytes);
      } else if (ownFile) {
        own_.replace(bytes, steps);
      } else {
        writeFileAtomically(out.path, bytes, steps);
      }
    }
  } catch (...) {
    files.undo();
    throw;
  }
  files.done();
  if (ownFile && pageWrite) sinceSaved_.clear();
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
  caretRefusal_.clear();
}

void HtmlPage::replace(std::size_t begin, std::size_t end, std::string_view text) {
  if (begin > end || end > source_.size()) {
    throw HostError(hr::kInvalidArg, u"The edit lies outside the page");
  }
  // The caret belongs to the text as it was: found now, it follows the edits as any selection.
  if (!selection_ && caretBeforeEdits_) placeDefaultCaret();
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

}  // namespace velmo::file_host
