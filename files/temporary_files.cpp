#include "files/temporary_files.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>

namespace velmo::standalone {

namespace {

constexpr std::size_t kSlots = 128;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The handler may only read these: each slot holds a C string built before it was published
// (or null), so that a signal arriving at any moment finds either a whole name or none.
std::array<std::atomic<const char*>, kSlots> published{};
// The storage behind the published names; never touched by the handler.
std::array<std::unique_ptr<char[]>, kSlots> owned;
std::mutex slotsMutex;

extern "C" void removeTemporariesAndDie(int signal) {
  const int savedErrno = errno;
  for (auto& slot : published) {
    if (const char* name = slot.load(std::memory_order_acquire)) ::unlink(name);
  }
  // Ended as the signal ends a program, so that the shell sees the signal, not an exit status.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  errno = savedErrno;
  ::raise(signal);
}

void installHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : kSignals) {
      struct sigaction old {};
      if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
      struct sigaction act {};
      act.sa_handler = removeTemporariesAndDie;
      sigemptyset(&act.sa_mask);
      for (int other : kSignals) sigaddset(&act.sa_mask, other);
      ::sigaction(signal, &act, nullptr);
    }
  });
}

}  // namespace

void registerTemporary(const std::filesystem::path& path) {
  installHandlers();
  const std::string& name = path.native();
  std::lock_guard lock(slotsMutex);
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (owned[i]) continue;
    owned[i] = std::make_unique<char[]>(name.size() + 1);
    std::memcpy(owned[i].get(), name.c_str(), name.size() + 1);
    published[i].store(owned[i].get(), std::memory_order_release);
    return;
  }
}

SignalsHeld::SignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : kSignals) sigaddset(&held, signal);
  ::pthread_sigmask(SIG_BLOCK, &held, &before_);
}

SignalsHeld::~SignalsHeld() {
  ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

void forgetTemporary(const std::filesystem::path& path) noexcept {
  std::lock_guard lock(slotsMutex);
  for (std::size_t i = 0; i < kSlots; ++i) {
    if (owned[i] && path.native() == owned[i].get()) {
      // Unpublished before freed: a handler running now sees null, never freed memory.
      published[i].store(nullptr, std::memory_order_release);
      owned[i].reset();
      return;
    }
  }
}
}  // namespace velmo::standalone
