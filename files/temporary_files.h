#pragma once
// The files a run makes beside the ones it changes (new text waiting for its rename, staged
// imports, journals being written) are removed when the run is ended by Ctrl-C, TERM or HUP, as
// a normal end removes them. The first registration installs the handlers; a signal that was
// ignored when the program started (nohup) stays ignored.

#include <filesystem>

#ifndef _WIN32
#include <signal.h>
#endif

namespace velmo::standalone {

// Removed on a fatal signal until forgotten. Best effort: a run that has registered very many
// at once leaves the later ones out.
void registerTemporary(const std::filesystem::path& path);
void forgetTemporary(const std::filesystem::path& path) noexcept;

// Holds off Ctrl-C, TERM and HUP while it lives, so that a file created and then registered
// within it cannot be left behind by a signal that arrives between the two; a signal that came
// meanwhile is delivered when it ends.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
#ifndef _WIN32
  sigset_t before_;
#endif
};

}  // namespace velmo::standalone
