#pragma once
// An HTML page file held in memory as its exact bytes, with a selection and the Document objects
// that read and edit it. Every edit replaces one byte range and leaves every other byte as it
// was; nothing is written to disk before save(). Markup is ASCII in every ASCII-compatible
// encoding, so the bytes are kept in the page's own encoding and only text read out or written
// in is converted (codec()). A UTF-16 or ISO-2022-JP page is held as UTF-8 and converted back,
// byte order mark included, on saving.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/page_host/page_host.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/locked_file.h"
#include "file_host/files/page_memory.h"
#include "file_host/files/transaction.h"
#include "file_host/html/changed_span.h"
#include "file_host/html/encoding_sniff.h"
#include "file_host/html/page_codec.h"
#include "file_host/html/page_index.h"
#include "file_host/linked_sheets.h"

namespace velmo::file_host {

struct PageSaveOptions {
  // Write a write-protected page or sheet anyway (it stays write-protected).
  bool writeReadOnly = false;
  // The run's batch of writes (write_batch.h); none: each write flushes its folder at once.
  WriteBatch* batch = nullptr;
  // The other files of the command (the site's imports, the saved settings): checked with the
  // page, put in place once the page write is as good as done (every check passed, the new page
  // durable beside its file, the sheets written), and put back should the page still fail.
  Transaction* others = nullptr;
};

class HtmlPage {
 public:
  // Reads the page in the encoding a browser would read it in. HostError naming the file when it
  // cannot be read, declares an encoding browsers refuse, or is UTF-16 (or ISO-2022-JP) text that
  // does not convert back to the same bytes. An empty siteRoot means the page's folder. A UTF-8
  // byte order mark stays part of the text. The page's template language is `syntax`, or when
  // none is given the one its file name says (html::templateSyntaxOfFile).
  // The page's file, and each linked sheet, stays locked (locked_file.h) while the page lives;
  // locks taken through `shared` are shared with the other files opened through it. With
  // `memory`, the page's bytes are held in that budget while the page lives (page_memory.h).
  static std::unique_ptr<HtmlPage> load(const std::filesystem::path& file,
                                        const std::filesystem::path& siteRoot,
                                        FileLocks* shared = nullptr,
                                        std::optional<html::TemplateSyntax> syntax = {},
                                        PageMemory* memory = nullptr);
  // A page made from bytes, as if read from `file`; the same checks as load.
  static std::unique_ptr<HtmlPage> fromSource(std::string bytes, const std::filesystem::path& file,
                                              const std::filesystem::path& siteRoot,
                                              std::optional<html::TemplateSyntax> syntax = {});

  const std::string& source() const { return source_; }
  // The page in its file's encoding, as saving writes it; `encoded` holds it when it is not
  // source() itself (a UTF-16 or ISO-2022-JP page).
  std::string_view fileBytes(std::string& encoded) const;
  // How many bytes [begin, end) of source() takes in the file's encoding.
  std::size_t fileSize(std::size_t begin, std::size_t end) const;
  // How source() bytes read as text and how text is written into them.
  const PageCodec& codec() const { return codec_; }
  const std::filesystem::path& file() const { return file_; }
  const std::filesystem::path& siteRoot() const { return siteRoot_; }
  html::TemplateSyntax templateSyntax() const { return syntax_; }

  // Byte offsets into source(); begin == end is a caret.
  struct Range {
    std::size_t begin = 0;
    std::size_t end = 0;
  };
  // Until a command places it, the selection is the caret before the first </body>, found when
  // first asked for. For a command that pastes, it is the caret of the page as it was read (or
  // reverted), moved along by the edits made since: see expectPaste. HostError (invalid
  // argument) while that caret, not placed by the command, lies where defaultCaret refuses one.
  Range selection();
  // A command that pastes says so when it opens the page: the initial caret is then found right
  // before the first edit, and follows the edits as any selection does. Pages of other commands
  // are never scanned for it, so an edit of the head costs nothing that grows with the body.
  void expectPaste() { caretBeforeEdits_ = true; }
  // HostError (invalid argument) when the range is not inside the page.
  void setSelection(std::size_t begin, std::size_t end);
  // Just before the first </body> end tag (or </html> when the page has no </body>); when there
  // is none, the end of the page (before a server block that runs to the end, so that pasted
  // markup never becomes server code). HostError (invalid argument) when the end of the page
  // lies inside a comment, a tag, a script or other raw text that the page leaves open, where
  // pasted markup would vanish.
  std::size_t defaultCaret();
  std::size_t find(std::string_view text, std::size_t from = 0) const {
    return source_.find(text, from);
  }

  // The page's document. Its objects keep a reference to this page and find what they denote
  // again on every call, so an object stays right after edits made through any other.
  std::unique_ptr<Document> document();

  // True when the page differs from its file, or a linked style sheet from its file.
  bool changed() const;

  // Writes the page to `target` (its own file when empty) when it changed or when the target is
  // another file, and every changed linked style sheet to its own file. A target that is no
  // regular file (a pipe, a device, /dev/stdout) is written into. Only a write to the page's
  // own file makes the page count as unchanged again.
  // Every check comes before the first change: HostError, with nothing written, when the
  // page's own file (or a changed sheet) was removed, replaced or changed since it was read
  // (checked again right before the rename: another program's version is never overwritten
  // unseen), when the target is a folder or its folder is missing; ReadOnlyFile when the file to
  // write is write-protected. Should a later step fail, the sheets and the other files get their
  // content back.
  void save(const std::filesystem::path& target = {}, const PageSaveOptions& options = {});
  // HostError when the page's own file was removed or replaced since it was read (and the page
  // has something to write to it).
  void checkFileUnchanged() const;
  // Drops every edit since loading or the last save to the page's own file.
  void revert();

  // The one way the text changes: [begin, end) becomes `text`. Keeps the index, the selection
  // and every anchor in step.
  void replace(std::size_t begin, std::size_t end, std::string_view text);

  // A position that follows the text it stands before through later edits.
  struct Anchor {
    std::size_t offset = 0;
    std::size_t version = 0;
  };
  Anchor anchor(std::size_t offset) const { return {offset, edits_.size()}; }
  // A number that changes with every edit of the page text.
  std::size_t version() const { return edits_.size(); }
  // Where the anchor stands now; nothing when an edit removed the text it stood before.
  std::optional<std::size_t> resolve(const Anchor& anchor) const;

  PageIndex& index() { return index_; }
  LinkedSheets& linkedSheets() { return linked_; }

 private:
  struct Private {};

 public:
  HtmlPage(Private, std::filesystem::path file, std::filesystem::path siteRoot, std::string source,
           PageCodec codec, std::string fileBom, html::TemplateSyntax syntax);
  HtmlPage(const HtmlPage&) = delete;
  HtmlPage& operator=(const HtmlPage&) = delete;

 private:
  struct EditRecord {
    std::size_t begin;
    std::size_t removed;
    std::size_t inserted;
  };

  // The default caret, and in `refusal` why a paste there is refused (empty when it is not).
  std::size_t findDefaultCaret(std::u16string& refusal);
  void placeDefaultCaret();
  // fromSource() without a stamp of the file (load stamps it as it locks it).
  static std::unique_ptr<HtmlPage> fromBytes(std::string bytes, const std::filesystem::path& file,
                                             const std::filesystem::path& siteRoot,
                                             std::optional<html::TemplateSyntax> syntax);
  // fromSource() once the encoding is known.
  static std::unique_ptr<HtmlPage> inEncoding(std::string bytes, const std::filesystem::path& file,
                                              const std::filesystem::path& siteRoot,
                                              const DetectedEncoding& detected,
                                              std::optional<html::TemplateSyntax> syntax);
  // replace() without finding the initial caret first.
  void apply(std::size_t begin, std::size_t end, std::string_view text);

  PageMemory::Held memory_;  // first, so that it is given back once everything else is gone
  std::filesystem::path file_;
  LockedFile own_;  // the page's own file: locked from reading it to the end of the run
  std::filesystem::path siteRoot_;
  std::string source_;
  PageCodec codec_;
  std::string fileBom_;     // of a page held as UTF-8 but saved in another encoding
  ChangedSpan sinceSaved_;  // against the page's own file as last read or written
  std::vector<EditRecord> edits_;
  html::TemplateSyntax syntax_;
  PageIndex index_;
  LinkedSheets linked_;
  std::optional<Range> selection_;  // nothing: the initial caret, not yet looked for
  std::u16string caretRefusal_;     // the initial caret, still the selection, refuses pastes
  bool caretBeforeEdits_ = false;   // the initial caret is looked for before the first edit
};

}  // namespace velmo::file_host
