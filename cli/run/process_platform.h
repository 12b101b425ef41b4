#pragma once
// What velmo needs of the operating system beyond the standard library: its arguments as
// UTF-8, the standard streams, the terminal, paths from UTF-8 text and the identity of files.
// posix_process.cpp and windows_process.cpp are the two implementations; the build picks one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmo::cli::os {

// The command line as UTF-8, the program's name first. Sets the standard streams to bytes
// (no line-end translation) where the system has such a thing.
std::vector<std::string> arguments(int argc, char** argv);

// Standard input (0), output (1) or error (2) is a terminal.
bool isTerminal(int stream);
// The width of the terminal standard error goes to; 80 when it cannot be told.
std::size_t terminalColumns();

// Standard streams that were closed when velmo started are opened on the null device, so that
// no file velmo opens takes their place. True when standard input was one of them.
bool reopenClosedStandardStreams();
// Reads at most `size` bytes of standard input: the count, 0 at its end, or -1 with errno set.
std::ptrdiff_t readStandardInput(char* buffer, std::size_t size);

// A path given on the command line (UTF-8), and a path for messages and listings (UTF-8).
std::filesystem::path pathOf(const std::string& text);
std::string textOf(const std::filesystem::path& path);
// Such a text with '/' between folders, as patch, git apply, URIs and the ignore file read it:
// Windows' backslashes become '/'; on POSIX, where a backslash is a letter of a name, the text
// is unchanged.
std::string withSlashes(std::string text);

// Raises the limit of open files to the most the system allows this process (the soft limit up
// to the hard one) and returns it; a large number where there is no such limit.
std::size_t raiseOpenFileLimit();

// Memory that page threads free is kept in the process for the next page, instead of being
// given back to the system and asked for again (a system call or two for every page); nothing
// where the allocator needs no telling.
void keepFreedMemoryForReuse();

// True when the name leads to a folder.
bool isFolder(const std::string& path);
// Which file the name leads to (a device and a file number); nothing when it leads nowhere.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;
std::optional<FileIdentity> fileIdentity(const std::string& path);

// An entry of a folder as the folder's listing tells it, so that a walk over a site need not
// look at each file by name: whether it is a folder (a link to one is not, so that a walk never
// follows one) or leads to a plain file, and, where the listing tells it, which file that is.
struct FolderEntry {
  std::string name;
  bool folder = false;
  bool file = false;
  std::optional<FileIdentity> identity;
};
// The entries of `folder` but "." and ".."; `problem` receives the reason when the folder, or
// the rest of it, cannot be listed.
std::vector<FolderEntry> listFolder(const std::string& folder, std::string& problem);

// True once the reader of standard output has gone (a pipe to `head` that ended) where the
// system does not end velmo for it, as the broken pipe's signal does on Linux: velmo then starts
// no further page, prints nothing more, and ends with finalStatus().
bool outputGone();
// The exit status for `status`: the one a Linux shell reports for the broken pipe's signal once
// the output has gone, else `status`.
int finalStatus(int status);

// Keeps the stopping signals away from the threads that work on pages while it lives (a
// stop must reach the thread that started the run); nothing where the system delivers them on a
// thread of its own.
class PageThreadSignals {
 public:
  PageThreadSignals();
  ~PageThreadSignals();
  PageThreadSignals(const PageThreadSignals&) = delete;
  PageThreadSignals& operator=(const PageThreadSignals&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace velmo::cli::os
