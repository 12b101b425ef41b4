#pragma once
// A web that is a folder on disk: the site's folders and files through the editor's object
// model (Web, Folder, Folders, File, Files), with every change held back until commit().
//
// Listings are sorted by name, comparing the names' bytes, so "Images" and "images" are two
// names and the order does not depend on the file system. Imported files are copied at once
// into hidden staging files beside their targets (so an unreadable source fails at the import
// that names it, and commit is a rename) and are listed as if they were in place. Folders are
// created at once, since imports into them need them; rollback removes them again when they
// hold nothing else. Only GIF and JPEG files are imported (see picture_file.h), each under the
// permission bits cp would give it (see staged_import.h).
//
// File::url() is "file:///" followed by the file's absolute disk path with "/" separators and
// nothing escaped: "file:///C:/site/images/a.gif" on Windows, "file:////home/u/site/images/a.gif"
// on Linux, where the path itself begins with "/". So url().substr(8) is the disk path with
// "/" separators, which is what the favourites Browse button compares the chosen file with.
//
// Objects handed out by web() may outlive the Site; using one after that is a HostError.

#include <filesystem>
#include <memory>
#include <vector>

#include "core/page_host/page_host.h"
#include "file_host/files/transaction.h"

namespace velmo::file_host {

class SiteState;

// A part of the page's transaction (transaction.h): the imports move into place just before the
// page takes its name, and get their earlier content back should the page still fail.
class Site : public TransactionPart {
 public:
  // HostError when the folder does not exist. With `planOnly` (a look before a change), folders
  // and imports are checked and listed as if made, but nothing is created or written.
  explicit Site(std::filesystem::path root, bool planOnly = false, WriteBatch* batch = nullptr);
  // Rolls back what was not committed.
  ~Site();
  Site(const Site&) = delete;
  Site& operator=(const Site&) = delete;

  std::unique_ptr<velmo::Web> web();

  // Moves every staged import into place, each by one atomic rename over the old file. When a
  // rename fails, the imports not yet moved stay staged and the HostError names the file.
  // `undo` keeps what each import replaces (and the folders made for them), to put back should
  // a later step fail.
  void commit(FileUndo& undo, const CommitOptions& options) override;
  // The same on its own, with nothing to put back.
  void commit();
  bool changes() const override { return changed(); }
  // Deletes the staged imports and removes the folders created since the last commit that hold
  // nothing else. Never fails: what cannot be removed stays.
  void rollback();
  bool changed() const;
  // The files commit() would move into place (or, planning only, would import), in name order.
  std::vector<std::filesystem::path> stagedImports() const;

  // The site folder as an absolute path.
  const std::filesystem::path& root() const;

 private:
  std::shared_ptr<SiteState> state_;
};

}  // namespace velmo::file_host
