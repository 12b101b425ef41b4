#include <windows.h>

#include <mutex>
#include <set>
#include <shared_mutex>

#include "file_host/files/temporary_files.h"

namespace velmo::file_host {
namespace {

// Windows delivers Ctrl+C, Ctrl+Break and the closing of the console on a thread of its own,
// so the handler may take locks: it waits until no file is between its creation and its
// registration (SignalsHeld), removes every registered file and lets the default handling end
// the process. It keeps the files lock, so nothing new is registered after it looked.
std::shared_mutex& creating() {
  static std::shared_mutex mutex;
  return mutex;
}

std::mutex filesMutex;
std::set<std::filesystem::path>& registered() {
  static std::set<std::filesystem::path> files;
  return files;
}

BOOL WINAPI removeTemporariesOnStop(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  creating().lock();
  filesMutex.lock();
  for (const auto& path : registered()) DeleteFileW(path.c_str());
  registered().clear();
  return FALSE;
}

void installHandler() {
  static std::once_flag once;
  std::call_once(once, [] { SetConsoleCtrlHandler(removeTemporariesOnStop, TRUE); });
}

}  // namespace

void registerTemporary(const std::filesystem::path& path) {
  installHandler();
  std::lock_guard lock(filesMutex);
  registered().insert(path);
}

void forgetTemporary(const std::filesystem::path& path) noexcept {
  std::lock_guard lock(filesMutex);
  registered().erase(path);
}

bool isRegisteredTemporary(const std::filesystem::path& path) {
  std::lock_guard lock(filesMutex);
  return registered().contains(path);
}

// Nested holds in one thread take the lock once: a second shared lock while the handler waits
// for the exclusive one would wait for ever.
static thread_local int holdDepth = 0;

struct SignalsHeld::Before {};

void SignalsHeld::forThisThread() {}

SignalsHeld::SignalsHeld() {
  if (holdDepth++ == 0) creating().lock_shared();
}

SignalsHeld::~SignalsHeld() {
  if (--holdDepth == 0) creating().unlock_shared();
}

}  // namespace velmo::file_host
