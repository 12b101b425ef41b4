#pragma once
// The style sheet files that a page links to. A file inside the site is read once, edited in
// memory and written back on save; a local file outside the site is read-only; a missing file or
// a remote address is an empty read-only sheet.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "file_host/css/css_text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/locked_file.h"
#include "file_host/files/transaction.h"
#include "file_host/html/page_codec.h"
#include "file_host/html/text_encoding.h"

namespace velmo::file_host {

struct SheetFile {
  enum class Access { Writable, OutsideSite, Missing, Remote };
  std::filesystem::path path;
  std::u16string label;  // how messages name the sheet
  Access access = Access::Missing;
  PageCodec codec;          // of `text`: the file's encoding, or UTF-8 for a UTF-16 file
  std::string fileBom;      // of a file held as UTF-8 but saved in another encoding
  std::size_t bomSize = 0;  // a UTF-8 byte order mark is kept but is no part of the CSS text
  std::string saved;        // the file as read or last written, in the encoding of `text`
  std::string text;         // with the edits made since
  std::size_t version = 0;  // a new number for every state of `text`, unique among all sheets
  LockedFile file;          // locked from reading it to the end of the run

  std::string_view css() const { return std::string_view(text).substr(bomSize); }
};

// A part of the page's transaction (transaction.h): the changed sheets are checked with the
// page and written just before it.
class LinkedSheets : public TransactionPart {
 public:
  // A sheet that declares no encoding is in `pageEncoding`, as browsers read it.
  LinkedSheets(std::filesystem::path pageFolder, std::filesystem::path siteRoot,
               Encoding pageEncoding = Encoding::Utf8);

  // The sheet that `href` (a link's decoded href, UTF-8) names, relative to the page's folder
  // or, when it begins with "/", to the site's root. Its encoding is decided as browsers decide
  // it. HostError naming the file when it exists but cannot be read, declares an encoding
  // browsers refuse, or is UTF-16 text that does not convert back to the same bytes.
  SheetFile& open(std::string_view href);

  // Applies an edit of the sheet's CSS text; HostError (access denied) for a read-only sheet.
  void edit(SheetFile& sheet, const css::Edit& edit);

  // The sheets are locked through `shared` with the page (file_lock.h).
  void shareLocks(FileLocks* shared) { shared_ = shared; }

  bool changed() const;
  bool changes() const override { return changed(); }
  // Every check that can refuse a save, made before any file changes: HostError when a changed
  // sheet was replaced or removed since it was read, ReadOnlyFile when it is write-protected
  // (unless writeReadOnly).
  void check(const CommitOptions& options) override;
  // Writes every changed sheet, each checked again right before it replaces the file; `undo`
  // keeps what each held, so that they can be put back should the page write fail.
  void commit(FileUndo& undo, const CommitOptions& options) override;
  void revert();

 private:
  std::filesystem::path pageFolder_;
  std::filesystem::path siteRoot_;
  Encoding pageEncoding_;
  FileLocks* shared_ = nullptr;
  std::map<std::string, SheetFile> files_;  // by resolved path, or by address when remote
  std::size_t lastVersion_ = 0;
};

}  // namespace velmo::file_host
