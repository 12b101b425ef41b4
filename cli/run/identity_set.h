#pragma once
// The files a run has taken, by identity, told apart at a cost that does not grow with each page:
// file numbers on one device come in runs (ext4 hands them out group by group, NTFS by its
// table's records), so the numbers are kept in blocks of 65 536, each a sorted list of the low
// 16 bits while it is short and a bitmap of 8 KiB once it is not. A site of 100 000 pages then
// takes a few hundred KiB where a set of 16-byte entries takes megabytes.

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "cli/run/process_platform.h"

namespace velmo::cli {

class IdentitySet {
 public:
  IdentitySet();
  ~IdentitySet();
  IdentitySet(const IdentitySet&) = delete;
  IdentitySet& operator=(const IdentitySet&) = delete;

  // True when `identity` was not in the set (it is now).
  bool insert(const os::FileIdentity& identity);

 private:
  struct Block;
  // By device and file number above its low 16 bits.
  std::map<std::pair<std::uint64_t, std::uint64_t>, Block> blocks_;
};

}  // namespace velmo::cli
