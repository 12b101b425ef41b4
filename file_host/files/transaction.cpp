#include "file_host/files/transaction.h"

#include <algorithm>

namespace velmo::file_host {

Transaction::~Transaction() {
  undo();
}

bool Transaction::changes() const {
  return std::any_of(parts_.begin(), parts_.end(), [](auto* part) { return part->changes(); });
}

void Transaction::check() {
  for (TransactionPart* part : parts_) {
    if (part->changes()) part->check(options_);
  }
}

void Transaction::commitParts() {
  try {
    for (TransactionPart* part : parts_) {
      if (part->changes()) part->commit(undo_, options_);
    }
  } catch (...) {
    undo();
    throw;
  }
}

void Transaction::done() noexcept {
  undo_.forget();
}

void Transaction::undo() noexcept {
  undo_.restore();
}

}  // namespace velmo::file_host
