#pragma once
// Desktop services without a desktop: a real file test and a cursor that does nothing.

#include "core/platform/desktop.h"

namespace velmo {

// Tests the file system through the standard library.
class StdFileProbe : public FileProbe {
 public:
  bool canOpenForReading(const std::u16string& path) override;
};

class NullCursor : public MouseCursor {
 public:
  void setWait(bool) override {}
};

}  // namespace velmo
