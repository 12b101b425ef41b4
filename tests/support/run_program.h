#pragma once
// Runs a program through the shell and collects its exit status, standard output and error.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/wait.h>

#include "tests/support/temp_dir.h"

namespace velmo::testing {

struct ProgramResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Quotes one argument for the POSIX shell.
inline std::string shellQuote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `commandLine` is given to /bin/sh as it is; `input` is fed to standard input.
inline ProgramResult runProgram(const std::string& commandLine, const std::string& input = "") {
  TempDir io;
  const auto in = io.write("in", input);
  const auto out = io / "out";
  const auto err = io / "err";
  const std::string full = commandLine + " <" + shellQuote(in.string()) + " >" +
                           shellQuote(out.string()) + " 2>" + shellQuote(err.string());
  const int raw = std::system(full.c_str());
  ProgramResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readBytes(out);
  result.err = readBytes(err);
  return result;
}

}  // namespace velmo::testing
