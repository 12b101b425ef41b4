#include "file_host/files/temporary_files.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

namespace velmo::file_host {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The registered names as a list the handler may walk at any moment: nodes are only ever added
// at the front and never freed (a node whose file is forgotten is reused), and each holds a C
// string built before it was published, or null.
struct Node {
  std::atomic<const char*> name{nullptr};
  Node* next = nullptr;
  std::unique_ptr<char[]> storage;  // never touched by the handler
};
std::atomic<Node*> head{nullptr};
std::mutex listMutex;  // between registering threads; never taken by the handler
// Where the nodes live: a deque never moves an element it holds.
std::deque<Node>& nodes() {
  static std::deque<Node> all;
  return all;
}

// A stop under way: set first thing by the handler.
std::atomic<bool> stopping{false};
// Files between their creation and their registration (SignalsHeld).
std::atomic<int> creating{0};

void pauseBriefly() {
  const timespec millisecond{0, 1000000};
  ::nanosleep(&millisecond, nullptr);
}

extern "C" void removeTemporariesAndDie(int signal) {
  const int savedErrno = errno;
  stopping.store(true);
  // Files being created on other threads are registered within moments; a thread wedged
  // elsewhere must not keep the stop from ending the run.
  for (int waited = 0; creating.load() > 0 && waited < 2000; ++waited) pauseBriefly();
  for (Node* node = head.load(); node; node = node->next) {
    if (const char* name = node->name.load()) ::unlink(name);
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
  auto storage = std::make_unique<char[]>(name.size() + 1);
  std::memcpy(storage.get(), name.c_str(), name.size() + 1);
  std::lock_guard lock(listMutex);
  Node* node = head.load();
  while (node && node->storage) node = node->next;
  if (!node) {
    node = &nodes().emplace_back();
    node->next = head.load();
    head.store(node);
  }
  node->storage = std::move(storage);
  node->name.store(node->storage.get());
}

void forgetTemporary(const std::filesystem::path& path) noexcept {
  std::lock_guard lock(listMutex);
  for (Node* node = head.load(); node; node = node->next) {
    if (!node->storage || path.native() != node->storage.get()) continue;
    node->name.store(nullptr);
    // A handler that started before the name was unpublished may still be reading it; once a
    // stop is under way the memory is left to the ending process.
    if (!stopping.load()) node->storage.reset();
    return;
  }
}

bool isRegisteredTemporary(const std::filesystem::path& path) {
  std::lock_guard lock(listMutex);
  for (Node* node = head.load(); node; node = node->next) {
    if (node->storage && path.native() == node->storage.get()) return true;
  }
  return false;
}

struct SignalsHeld::Before {
  sigset_t mask;
};

namespace {
thread_local bool heldForThread = false;

sigset_t stopSignals() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : kSignals) sigaddset(&held, signal);
  return held;
}
}  // namespace

void SignalsHeld::forThisThread() {
  const sigset_t held = stopSignals();
  ::pthread_sigmask(SIG_BLOCK, &held, nullptr);
  heldForThread = true;
}

SignalsHeld::SignalsHeld() {
  // A page thread holds them already: two calls fewer for every file it makes.
  if (!heldForThread) {
    before_ = std::make_unique<Before>();
    const sigset_t held = stopSignals();
    ::pthread_sigmask(SIG_BLOCK, &held, &before_->mask);
  }
  creating.fetch_add(1);
  if (stopping.load()) {
    // The handler may have looked already: nothing more is created, and the stop ends the run.
    creating.fetch_sub(1);
    for (;;) ::pause();
  }
}

SignalsHeld::~SignalsHeld() {
  creating.fetch_sub(1);
  if (before_) ::pthread_sigmask(SIG_SETMASK, &before_->mask, nullptr);
}

}  // namespace velmo::file_host
