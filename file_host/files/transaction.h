#pragma once
// One change of several files that happens whole or leaves every file as it was: a page with
// its linked style sheets, the pictures it imports into the site, and the saved colour scheme.
// Each part checks everything that can refuse before any file changes, and commits by putting
// its files in place, first remembering in the transaction's undo what each replaces. The page
// is written last, once every part is in place; when it still fails, every part's files get
// their earlier content back. A look before a change (--dry-run) is the same transaction
// stopped before anything is staged: its parts are discarded unwritten.

#include <vector>

#include "file_host/files/file_undo.h"

namespace velmo::file_host {

class WriteBatch;

struct CommitOptions {
  bool writeReadOnly = false;  // write-protected files are written anyway (and stay so)
  WriteBatch* batch = nullptr;
};

class TransactionPart {
 public:
  virtual ~TransactionPart() = default;
  // True when committing it would change a file.
  virtual bool changes() const = 0;
  // Every refusal that can be known before a file changes (HostError).
  virtual void check(const CommitOptions&) {}
  // Puts its files in place, each remembered in `undo` before it is replaced.
  virtual void commit(FileUndo& undo, const CommitOptions& options) = 0;
  // Its staged work goes unwritten (a refused or looked-at command, a failed commit).
  virtual void discard() noexcept {}
};

class Transaction {
 public:
  explicit Transaction(CommitOptions options) : options_(options) {}
  // Puts back what was committed when it ends without done().
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void join(TransactionPart& part) { parts_.push_back(&part); }
  const CommitOptions& options() const { return options_; }
  bool changes() const;

  void check();
  // Commits every part in the order they joined; a failure puts back what was committed.
  void commitParts();
  // Every part committed and the page written: nothing to put back.
  void done() noexcept;
  // Puts back every committed part's files (a later step failed).
  void undo() noexcept;

 private:
  CommitOptions options_;
  std::vector<TransactionPart*> parts_;
  FileUndo undo_;
};

}  // namespace velmo::file_host
