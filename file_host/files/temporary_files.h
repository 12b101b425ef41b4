#pragma once
// The files a run makes beside the ones it changes (new text waiting for its rename, staged
// imports, journals being written) are removed when the run is ended by Ctrl-C, TERM or HUP, as
// a normal end removes them. The first registration installs the handlers; a signal that was
// ignored when the program started (nohup) stays ignored.

#include <filesystem>
#include <memory>

namespace velmo::file_host {

// Removed on a fatal signal until forgotten, however many are registered at once.
void registerTemporary(const std::filesystem::path& path);
void forgetTemporary(const std::filesystem::path& path) noexcept;
// True while `path` is registered by this process.
bool isRegisteredTemporary(const std::filesystem::path& path);

// Holds off Ctrl-C, TERM and HUP while it lives, so that a file created and then registered
// within it cannot be left behind by a signal that arrives between the two; a signal that came
// meanwhile is delivered when it ends. A stop handled on another thread meanwhile waits until
// every such file is registered, and a hold begun once a stop is under way never ends (the
// process is about to), so no file is created after the handler looked.
class SignalsHeld {
 public:
  // For a thread that holds them for its whole life (a page thread, started with them held):
  // holds them here too and tells every later SignalsHeld on it that they are held already.
  static void forThisThread();

  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  // What the system needs to end the hold (the signal mask before it, on POSIX).
  struct Before;
  std::unique_ptr<Before> before_;
};

}  // namespace velmo::file_host
