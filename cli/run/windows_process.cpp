#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <streambuf>

#include "cli/run/process_platform.h"
#include "core/common/text.h"

namespace velmo::cli::os {
namespace {

std::string utf8Of(const wchar_t* text, std::size_t length) {
  return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::wstring wideOf(const std::string& text) {
  const std::u16string wide = utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

HANDLE standardHandle(int stream) {
  static constexpr DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  return stream >= 0 && stream <= 2 ? GetStdHandle(kHandles[stream]) : INVALID_HANDLE_VALUE;
}

// Closes a handle when it goes.
struct OpenHandle {
  HANDLE handle;
  ~OpenHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

std::atomic<bool> gone{false};

// Standard output through the C stream. When the reader has gone (`velmo bots SITE | head`)
// Windows ends nothing, and ending the process from here could stop other threads inside the
// runtime's locks: velmo then goes quiet instead, starts no further page (site_run.cpp) and ends
// with the status Linux gives a program ended by the broken pipe.
class QuietWhenReaderGone : public std::streambuf {
 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return 0;
    const char ch = static_cast<char>(c);
    return put(&ch, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    return put(s, static_cast<std::size_t>(n)) ? n : 0;
  }
  int sync() override { return gone || checked(std::fflush(stdout) == 0) ? 0 : -1; }

 private:
  static bool put(const char* s, std::size_t n) {
    return gone || checked(std::fwrite(s, 1, n, stdout) == n);
  }
  static bool checked(bool ok) {
    if (ok) return true;
    const DWORD error = GetLastError();
    if (errno == EPIPE || error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA ||
        error == ERROR_PIPE_NOT_CONNECTED) {
      gone = true;
      std::cerr.setstate(std::ios::badbit);
      return true;
    }
    return false;
  }
};

}  // namespace

std::vector<std::string> arguments(int, char**) {
  // The page bytes and every line velmo prints are written as they are, as on Linux.
  for (int fd = 0; fd <= 2; ++fd) _setmode(fd, _O_BINARY);
  static QuietWhenReaderGone output;
  std::cout.rdbuf(&output);
  SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; wide && i < count; ++i) args.push_back(utf8Of(wide[i], wcslen(wide[i])));
  if (wide) LocalFree(wide);
  return args;
}

bool isTerminal(int stream) {
  DWORD mode = 0;
  return GetConsoleMode(standardHandle(stream), &mode) != 0;
}

std::size_t terminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(standardHandle(2), &info)) {
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    if (width > 0) return static_cast<std::size_t>(width);
  }
  return 80;
}

bool reopenClosedStandardStreams() {
  bool inputWasClosed = false;
  std::FILE* streams[] = {stdin, stdout, stderr};
  for (int fd = 0; fd <= 2; ++fd) {
    if (_get_osfhandle(fd) != -1) continue;
    if (fd == 0) inputWasClosed = true;
    if (!std::freopen("NUL", fd == 0 ? "rb" : "wb", streams[fd])) std::_Exit(2);
  }
  return inputWasClosed;
}

std::ptrdiff_t readStandardInput(char* buffer, std::size_t size) {
  const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
  return _read(0, buffer, chunk);
}

std::filesystem::path pathOf(const std::string& text) {
  return std::filesystem::path(wideOf(text));
}

std::string textOf(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  return utf8Of(wide.c_str(), wide.size());
}

std::string withSlashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

// Windows limits handles per process far beyond what pages hold open.
std::size_t raiseOpenFileLimit() {
  return std::size_t{1} << 20;
}

void keepFreedMemoryForReuse() {}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wideOf(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  const OpenHandle file{CreateFileW(wideOf(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  BY_HANDLE_FILE_INFORMATION info{};
  if (file.handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.handle, &info)) {
    return std::nullopt;
  }
  return FileIdentity(info.dwVolumeSerialNumber,
                      std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow);
}

// The listing tells no file numbers: each file is looked at when it is taken (fileIdentity).
std::vector<FolderEntry> listFolder(const std::string& folder, std::string& problem) {
  namespace fs = std::filesystem;
  std::vector<FolderEntry> entries;
  std::error_code ec;
  fs::directory_iterator it(pathOf(folder), ec);
  for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    FolderEntry entry;
    entry.name = textOf(it->path().filename());
    entry.folder = it->is_directory(typeError) && !it->is_symlink(typeError);
    entry.file = !entry.folder && it->is_regular_file(typeError);
    entries.push_back(std::move(entry));
  }
  if (ec) problem = ec.message();
  return entries;
}

bool outputGone() {
  return gone;
}

int finalStatus(int status) {
  return gone ? 128 + 13 : status;
}

// Ctrl+C and Ctrl+Break come on a thread the system starts for them.
struct PageThreadSignals::Saved {};
PageThreadSignals::PageThreadSignals() = default;
PageThreadSignals::~PageThreadSignals() = default;

}  // namespace velmo::cli::os
