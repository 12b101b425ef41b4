#pragma once
// PageHost over files: the page is an HTML file on disk and the web is a folder on disk.
// Changes are kept in memory (and, for imported files, in staged files beside their targets)
// until commit(), so that a command that fails or is refused leaves every file as it was.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/page_host/page_host.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/transaction.h"
#include "file_host/html/template_syntax.h"

namespace velmo::file_host {

class HtmlPage;
class PageCodec;
class PageIndex;
class Site;
class PageMemory;
class WriteBatch;

// Where a selection stands relative to a piece of page source.
enum class SelectMode {
  Select,       // the piece itself is selected
  CaretBefore,  // an empty selection just before it
  CaretAfter,   // an empty selection just after it
};

class FileHost : public PageHost {
 public:
  FileHost();
  ~FileHost() override;

  // How the pages opened from now on are written. A look (`lookOnly`, --dry-run) plans the
  // site's folders and imports without making them and is never committed; `batch` is the
  // run's batch of writes (write_batch.h); `memory` the budget its pages are held in
  // (page_memory.h).
  void setLookOnly(bool lookOnly) { lookOnly_ = lookOnly; }
  void setWriteBatch(WriteBatch* batch) { batch_ = batch; }
  void setPageMemory(PageMemory* memory) { memory_ = memory; }

  // Another file of the command, committed with the page and the site (the saved settings);
  // dropped with the page or a rollback.
  TransactionPart& join(std::unique_ptr<TransactionPart> part);

  // Opens the page and the web. An empty `site` means the page's folder. HostError when the
  // page cannot be read or its bytes cannot be edited in their encoding (see HtmlPage::load). The
  // selection starts as the caret just before the page's </body> (the end of the page when it has
  // none), in the page as read; a command that never pastes says so (`pastes` false), and its
  // edits then spare the scan of the body for that caret. The page's template language is
  // `syntax`, or when none is given the one its file name says.
  void openPage(const std::filesystem::path& page, const std::filesystem::path& site = {},
                bool pastes = true, std::optional<html::TemplateSyntax> syntax = {});
  // Forgets the page and every change not committed.
  void closePage();
  bool hasPage() const;

  // Places the selection at the first occurrence of `source`, in the page's encoding, in the page
  // text; false when the page does not contain it (the selection then stays as it was). A
  // HostError when the caret, or either end of the selection, would lie inside markup (a tag, a
  // comment, a server block, a script's or other raw-text element's text); a selection may span
  // whole pieces of markup.
  bool select(std::u16string_view source, SelectMode mode);

  // Writes the page (to `pageOutput` when given, else to its own file), linked style sheets and
  // imported site files, each atomically and only when changed (see HtmlPage::save for the
  // checks; a write-protected file is written only with `writeReadOnly`). A failure leaves every
  // file as it was.
  void commit(const std::filesystem::path& pageOutput = {}, bool writeReadOnly = false);
  // Drops every change made since the page was opened or last committed.
  void rollback();

  // True when committing would write something to the page or the site: the page, a linked
  // style sheet, an import.
  bool changed() const;
  // The site files that committing would import (or replace), in name order.
  std::vector<std::filesystem::path> stagedImports() const;

  // A webbot block as [begin, end) of pageSource(): from its start comment to its end comment
  // (only the start comment when it has no end). `name` as written; nothing without a bot
  // attribute.
  struct WebbotSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::optional<std::u16string> name;
  };
  // Every webbot block, in the order of their start comments.
  std::vector<WebbotSpan> webbotBlocks();
  // Makes the whole of the first block named exactly `name` the selection; false when the page
  // holds none (the selection then stays as it was).
  bool selectWebbotBlock(std::u16string_view name);

  // The page as held in memory: its own bytes (UTF-8 for a UTF-16 or ISO-2022-JP page).
  const std::string& pageSource() const;
  // The landmarks of pageSource(), for questions about its markup that the host's objects do
  // not answer (velmo check); kept in step with every edit.
  PageIndex& pageIndex();
  // The page's template language (none for a plain page).
  html::TemplateSyntax pageTemplateSyntax() const;
  // pageSource() read as text, and text as it is written into it.
  const PageCodec& pageCodec() const;
  // [begin, end) of pageSource() becomes `bytes` (in the page's held encoding): an edit of the
  // page like any other, written by commit() and dropped by rollback().
  void replaceSource(std::size_t begin, std::size_t end, std::string_view bytes);
  // The page in its file's encoding, changes included: what committing would write.
  // `encoded` holds the bytes when they are not pageSource() itself.
  std::string_view pageFileBytes(std::string& encoded) const;
  // How many bytes [begin, end) of pageSource() takes in the page's file.
  std::size_t pageFileSize(std::size_t begin, std::size_t end) const;
  // The page text as it stands now, changes included.
  std::u16string pageText() const;
  // HTML as it reads once written into the page: with the escapes that stand for the characters
  // the page's encoding lacks.
  std::u16string asWritten(std::u16string_view html) const;
  const std::filesystem::path& pagePath() const;
  const std::filesystem::path& sitePath() const;

  std::unique_ptr<Document> activeDocument() override;
  std::unique_ptr<PageWindow> activePageWindow() override;
  std::unique_ptr<Web> activeWeb() override;

 private:
  // Declared first: the locks outlive the page and its sheets that hold them.
  FileLocks locks_;
  std::unique_ptr<HtmlPage> page_;
  std::unique_ptr<Site> site_;
  std::vector<std::unique_ptr<TransactionPart>> joined_;
  bool lookOnly_ = false;
  WriteBatch* batch_ = nullptr;
  PageMemory* memory_ = nullptr;
  std::filesystem::path pagePath_;
  std::filesystem::path sitePath_;
};

}  // namespace velmo::file_host
