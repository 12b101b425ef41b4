#include "file_host/file_host.h"

#include <cerrno>

#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_undo.h"
#include "file_host/files/write_batch.h"
#include "file_host/html/markup_place.h"
#include "file_host/html_page.h"
#include "file_host/site.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void noPage() {
  throw HostError(hr::kFail, u"No page is open in the editor");
}

// Pasted text at a place inside markup would break the markup (or vanish into a comment or a
// script), so such a place is refused rather than taken.
void requireOutsideMarkup(const std::string& page, std::size_t begin, std::size_t end,
                          std::u16string_view source, SelectMode mode,
                          html::TemplateSyntax syntax) {
  using Kind = MarkupPlace::Kind;
  const MarkupPlaces places = markupPlaces(page, begin, end, syntax);
  const std::u16string quoted = u"'" + std::u16string(source) + u"'";
  std::u16string what;
  const MarkupPlace* inside = nullptr;
  switch (mode) {
    case SelectMode::CaretBefore:
      what = u"the caret before " + quoted + u" lies";
      inside = &places.begin;
      break;
    case SelectMode::CaretAfter:
      what = u"the caret after " + quoted + u" lies";
      inside = &places.end;
      break;
    case SelectMode::Select:
      if (places.begin.kind != Kind::Outside) {
        what = u"the selection " + quoted + u" starts";
        inside = &places.begin;
      } else {
        what = u"the selection " + quoted + u" ends";
        inside = &places.end;
      }
      break;
  }
  if (inside->kind == Kind::Outside) return;
  throw HostError(hr::kInvalidArg, what + u" inside " + describe(*inside));
}

class StandalonePageWindow : public PageWindow {
 public:
  explicit StandalonePageWindow(HtmlPage& page) : page_(page) {}
  std::unique_ptr<Document> document() override { return page_.document(); }

 private:
  HtmlPage& page_;
};

}  // namespace

FileHost::FileHost() = default;
FileHost::~FileHost() = default;

void FileHost::openPage(const fs::path& page, const fs::path& site, bool pastes,
                        std::optional<html::TemplateSyntax> syntax) {
  std::error_code ec;
  const fs::path pagePath = fs::absolute(page, ec);
  if (ec) throw HostError(hr::kPathNotFound, u"Cannot find '" + pathToText(page) + u"'");
  const fs::path sitePath = fs::absolute(site.empty() ? pagePath.parent_path() : site, ec);
  auto newSite = std::make_unique<Site>(sitePath, lookOnly_, batch_);
  auto newPage = HtmlPage::load(pagePath, sitePath, &locks_, syntax, memory_);
  if (pastes) newPage->expectPaste();
  closePage();
  page_ = std::move(newPage);
  site_ = std::move(newSite);
  pagePath_ = pagePath;
  sitePath_ = sitePath;
}

void FileHost::closePage() {
  if (site_) site_->rollback();
  for (auto& part : joined_) part->discard();
  joined_.clear();
  page_.reset();
  site_.reset();
  pagePath_.clear();
  sitePath_.clear();
}

bool FileHost::hasPage() const {
  return page_ != nullptr;
}

bool FileHost::select(std::u16string_view source, SelectMode mode) {
  if (!page_) noPage();
  // Text the page's encoding cannot hold is nowhere in the page.
  const auto encoded = page_->codec().writeExact(source);
  if (!encoded) return false;
  const std::string& needle = *encoded;
  const std::size_t at = page_->source().find(needle);
  if (at == std::string::npos) return false;
  const std::size_t end = at + needle.size();
  requireOutsideMarkup(page_->source(), mode == SelectMode::CaretAfter ? end : at,
                       mode == SelectMode::CaretBefore ? at : end, source, mode,
                       page_->templateSyntax());
  switch (mode) {
    case SelectMode::Select:
      page_->setSelection(at, end);
      break;
    case SelectMode::CaretBefore:
      page_->setSelection(at, at);
      break;
    case SelectMode::CaretAfter:
      page_->setSelection(end, end);
      break;
  }
  return true;
}

void FileHost::commit(const fs::path& pageOutput, bool writeReadOnly) {
  if (!page_) noPage();
  if (lookOnly_) throw HostError(hr::kFail, u"A look before a change writes nothing");
  // One order for page and site: every check first; the imported files and the other files of
  // the command move into place only once the page write is as good as done (new page durable,
  // page found unchanged), and before the page takes its name, so that a page never refers to
  // pictures not yet there. Should the page still fail, they get their earlier content back.
  Transaction others(CommitOptions{writeReadOnly, batch_});
  others.join(*site_);
  for (auto& part : joined_) others.join(*part);
  PageSaveOptions options;
  options.writeReadOnly = writeReadOnly;
  options.batch = batch_;
  options.others = &others;
  page_->save(pageOutput.empty() ? pagePath_ : pageOutput, options);
  for (auto& part : joined_) part->discard();
  joined_.clear();
}

TransactionPart& FileHost::join(std::unique_ptr<TransactionPart> part) {
  joined_.push_back(std::move(part));
  return *joined_.back();
}

void FileHost::rollback() {
  for (auto& part : joined_) part->discard();
  joined_.clear();
  if (!page_) return;
  site_->rollback();
  page_->revert();
}

bool FileHost::changed() const {
  return page_ && (page_->changed() || site_->changed());
}

std::vector<fs::path> FileHost::stagedImports() const {
  return site_ ? site_->stagedImports() : std::vector<fs::path>{};
}

std::vector<FileHost::WebbotSpan> FileHost::webbotBlocks() {
  if (!page_) noPage();
  PageIndex& index = page_->index();
  std::vector<WebbotSpan> spans;
  for (const WebbotBlock& block : index.webbotBlocks()) {
    const Landmark& start = index.mark(block.start);
    WebbotSpan span;
    span.begin = start.begin;
    span.end = block.end ? index.mark(*block.end).end : start.end;
    if (const auto name = index.botName(block.start)) span.name = page_->codec().read(*name);
    spans.push_back(std::move(span));
  }
  return spans;
}

bool FileHost::selectWebbotBlock(std::u16string_view name) {
  for (const WebbotSpan& span : webbotBlocks()) {
    if (span.name && *span.name == name) {
      page_->setSelection(span.begin, span.end);
      return true;
    }
  }
  return false;
}

const std::string& FileHost::pageSource() const {
  if (!page_) noPage();
  return page_->source();
}

PageIndex& FileHost::pageIndex() {
  if (!page_) noPage();
  return page_->index();
}

html::TemplateSyntax FileHost::pageTemplateSyntax() const {
  if (!page_) noPage();
  return page_->templateSyntax();
}

const PageCodec& FileHost::pageCodec() const {
  if (!page_) noPage();
  return page_->codec();
}

void FileHost::replaceSource(std::size_t begin, std::size_t end, std::string_view bytes) {
  if (!page_) noPage();
  page_->replace(begin, end, bytes);
}

std::string_view FileHost::pageFileBytes(std::string& encoded) const {
  if (!page_) noPage();
  return page_->fileBytes(encoded);
}

std::size_t FileHost::pageFileSize(std::size_t begin, std::size_t end) const {
  if (!page_) noPage();
  return page_->fileSize(begin, end);
}

std::u16string FileHost::pageText() const {
  if (!page_) noPage();
  return page_->codec().read(page_->source());
}

std::u16string FileHost::asWritten(std::u16string_view html) const {
  if (!page_) noPage();
  return page_->codec().read(page_->codec().writeHtml(html));
}

const fs::path& FileHost::pagePath() const {
  return pagePath_;
}
const fs::path& FileHost::sitePath() const {
  return sitePath_;
}

std::unique_ptr<Document> FileHost::activeDocument() {
  if (!page_) noPage();
  return page_->document();
}

std::unique_ptr<PageWindow> FileHost::activePageWindow() {
  if (!page_) noPage();
  return std::make_unique<StandalonePageWindow>(*page_);
}

std::unique_ptr<Web> FileHost::activeWeb() {
  if (!site_) throw HostError(hr::kFail, u"No web is open in the editor");
  return site_->web();
}

}  // namespace velmo::file_host
