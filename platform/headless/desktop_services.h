#pragma once
// Desktop services without a desktop: a real file test, a shell that reports what it would
// open, and a cursor that does nothing.

#include <ostream>

#include "platform/desktop.h"

namespace velmo {

// Tests the file system through the standard library.
class StdFileProbe : public FileProbe {
 public:
  bool canOpenForReading(const std::u16string& path) override;
};

// Prints "Open: ADDRESS" instead of starting a program.
class ConsoleShell : public Shell {
 public:
  explicit ConsoleShell(std::ostream& out) : out_(out) {}
  std::intptr_t open(const std::u16string& address) override;

 private:
  std::ostream& out_;
};

class NullCursor : public MouseCursor {
 public:
  void setWait(bool) override {}
};

}  // namespace velmo
