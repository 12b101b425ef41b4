#include "file_host/files/atomic_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "core/common/host_error.h"
#include "core/common/large_pages.h"
#include "core/common/text.h"
#include "file_host/files/file_error.h"
#include "file_host/files/file_lock.h"
#include "file_host/files/link_target.h"
#include "file_host/files/platform_replace.h"
#include "file_host/files/temporary_file.h"
#include "file_host/files/write_batch.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

std::u16string quotedPath(const fs::path& path) {
  return u"'" + shownPath(path) + u"'";
}

std::string readFile(const fs::path& path, std::size_t spare) {
  recoverInterruptedSave(path);
  std::error_code ec;
  const fs::file_type type = fs::status(path, ec).type();
  if (type == fs::file_type::directory) failOnFile(EISDIR, u"Cannot read", path);
  // A pipe or a device would block or never end; only a plain file is read.
  if (!ec && type != fs::file_type::regular) {
    throw HostError(hr::kInvalidData, u"Cannot read '" + pathToText(path) + u"': not a plain file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) failOnFile(errno ? errno : ENOENT, u"Cannot read", path);
  std::string content;
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size > 0) {
    content.reserve(static_cast<std::size_t>(size) + spare);
    if (content.capacity() >= (std::size_t{8} << 20)) {
      preferLargePages(content.data(), content.capacity());
    }
    content.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(content.data(), size);
  }
  if (!in) failOnFile(errno ? errno : EIO, u"Cannot read", path);
  return content;
}

void writeAndReplace(const fs::path& target, std::string_view content, const fs::path& shownAs,
                     const ReplaceSteps& steps) {
  const fs::path folder = target.parent_path();
  beforeWritingIn(steps.batch, folder);
  TemporaryFile temp = TemporaryFile::createIn(folder, shownAs, creationModeFor(steps.known));
  int err = temp.write(content);
  if (!err) err = carryOverAttributes(target, temp, steps.known);
  // Durable before the rename makes it visible: flushed with the run's other new files.
  if (!err) err = steps.batch ? steps.batch->flushInWave(temp, folder) : temp.flush();
  if (err) failOnFile(err, u"Cannot write", shownAs);
  FileLock lock;
  if (steps.lockOfNewFile) lock = lockNewFile(temp);
  // Throwing from it removes the new file with `temp`.
  if (steps.beforeReplace) steps.beforeReplace();
  if (const int renamed = temp.renameOver(target)) failOnFile(renamed, u"Cannot write", shownAs);
  if (steps.lockOfNewFile) *steps.lockOfNewFile = std::move(lock);
  afterRenameIn(steps.batch, folder);
}

void writeFileAtomically(const fs::path& target, std::string_view content,
                         const ReplaceSteps& steps) {
  if (steps.known && steps.known->known) {
    // The name is no link: it is the file.
    if (steps.known->links > 1) {
      saveWithOtherNames(target, content, target, steps);
    } else {
      writeAndReplace(target, content, target, steps);
    }
    return;
  }
  const fs::path file = followLinks(target);
  if (hasOtherNames(file)) {
    saveWithOtherNames(file, content, target, steps);
    return;
  }
  writeAndReplace(file, content, target, steps);
}

void moveIntoPlace(TemporaryFile& from, const fs::path& to, WriteBatch* batch) {
  const fs::path file = followLinks(to);
  if (file == to && !hasOtherNames(file)) {
    if (const int err = from.renameOver(to)) failOnFile(err, u"Cannot write", to);
    afterRenameIn(batch, to.parent_path());
    return;
  }
  // The file behind the link, or every name of it, takes the new content; `from` may lie in
  // another folder or on another disk than that file.
  ReplaceSteps steps;
  steps.batch = batch;
  writeFileAtomically(to, readFile(from.path()), steps);
  from.remove();
}

}  // namespace velmo::file_host
