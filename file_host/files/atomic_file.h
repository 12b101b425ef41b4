#pragma once
// Reading and atomically replacing files of the page and the site.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmo::file_host {

// The whole file as bytes; HostError naming the file when it cannot be read. `spare` bytes of
// room are kept behind the content, so that growing it a little does not move it. A save of it
// that was cut short is finished first (recoverInterruptedSave).
std::string readFile(const std::filesystem::path& path, std::size_t spare = 0);

// Finishes a save of the file `path` leads to that was cut short while writing a file with other
// names in place, so that a reader sees the old text or the new one, never a part. Does nothing
// when there is none (always on Windows). HostError naming the file when the new text, kept
// beside it, cannot be put in place.
void recoverInterruptedSave(const std::filesystem::path& path);

// What tells one version of a file from another without reading it: which file the name leads
// to, its size and its times. A file rewritten in place within the same clock tick with the same
// size goes unnoticed.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds
  std::int64_t changed = 0;   // nanoseconds (status change; 0 where there is none)
  bool operator==(const FileStamp&) const = default;
};
// Nothing when there is no file by that name.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// False when no save of the file seen as `seen` with `links` names can have been cut short, so
// that recoverInterruptedSave has nothing to look for: a file with one name and no journal left
// for it when this process started (always false on Windows).
bool interruptedSaveMayBeLeft(const FileStamp& seen, std::uint64_t links);

// The `size` bytes of the plain file open as `fd` (POSIX), read as readFile reads a file by
// name, with `spare` bytes of room; HostError naming `path` when they cannot be read.
std::string readOpenFile(int fd, std::size_t size, std::size_t spare,
                         const std::filesystem::path& path);

class FileLock;
class FileLocks;
struct LockedFacts;
class TemporaryFile;
class WriteBatch;

// What a caller may do while a file is replaced.
struct ReplaceSteps {
  // Runs once the new content is durable beside the target and right before it takes the
  // target's place (for a file written in place: before its bytes are touched). Throwing from
  // it leaves the target as it was and removes the new content: the place for a last check
  // that the target is still the file that was read, and for changes that must happen only
  // when this write is as good as done.
  std::function<void()> beforeReplace;
  // Receives a lock on the new file, taken before it gets the target's name, so that the file
  // stays locked across the rename. (On Windows the lock belongs to the name, which keeps it
  // across the rename, and is left as it is.)
  FileLock* lockOfNewFile = nullptr;
  // The run's batch (write_batch.h): the folder's rename made durable once at its end and its
  // folder swept once; without one, each write does both.
  WriteBatch* batch = nullptr;
  // What the lock on the target learned of it (file_lock.h): the target is then not looked at
  // again for its links, names or attributes.
  const LockedFacts* known = nullptr;
};

// Writes `content` to a temporary file in the target's folder, flushes it to disk and renames it
// over the target, so that a reader sees either the old or the new file and never a part.
// A symbolic link (or a chain of them) is followed and the file it leads to is written, so that
// the link stays; a dangling link gets the file it names created. A file with other names (hard
// links) is written in place through a journal instead (see posix_save_journal.h), so that every
// name sees the change. An existing target keeps its permission bits and, where allowed, its owner
// and group. HostError naming `target` on any failure; the target is then left as it was and
// the temporary file is removed. The temporary file is a TemporaryFile (temporary_file.h).
void writeFileAtomically(const std::filesystem::path& target, std::string_view content,
                         const ReplaceSteps& steps = {});

// Puts the temporary file `from`, made in the folder of `to`, in place of `to` in one step and
// makes that durable (with `batch`: by the end of its run). When `to` is a link or has other
// names, its content is replaced as writeFileAtomically does and `from` removed. HostError
// naming `to` on failure; `from` is then left as it was.
void moveIntoPlace(TemporaryFile& from, const std::filesystem::path& to,
                   WriteBatch* batch = nullptr);

// A path as the core sees it, and back.
std::u16string pathToText(const std::filesystem::path& path);
std::filesystem::path textToPath(std::u16string_view text);
// A path as messages show it: a name that is not UTF-8 or holds control characters escaped
// (shown_name.h), never read as another name.
std::u16string shownPath(const std::filesystem::path& path);
// A path in single quotes, as messages name files.
std::u16string quotedPath(const std::filesystem::path& path);

}  // namespace velmo::file_host
