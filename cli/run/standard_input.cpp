#include "cli/run/standard_input.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <variant>

#include "cli/run/process_platform.h"
#include "core/common/host_error.h"
#include "core/common/text.h"

namespace velmo::cli {
namespace {

bool inputWasClosed = false;

HostError inputError(const std::string& what) {
  return HostError(hr::kFail,
                   utf8ToUtf16("cannot read the script code from standard input: " + what));
}

}  // namespace

void guardStandardStreams() {
  inputWasClosed = os::reopenClosedStandardStreams();
}

namespace {

struct ReadFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct TooLong : std::length_error {
  TooLong() : std::length_error("too long") {}
};

// Standard input to its end: ReadFailed with the system's reason, TooLong past `limit` bytes.
std::string readToEnd(std::size_t limit) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const std::ptrdiff_t got = os::readStandardInput(buffer, sizeof buffer);
    if (got == 0) return text;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ReadFailed(std::strerror(errno));
    }
    if (text.size() + static_cast<std::size_t>(got) > limit) throw TooLong();
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string readAll(std::size_t limit) {
  if (inputWasClosed) throw inputError("it is closed");
  try {
    return readToEnd(limit);
  } catch (const ReadFailed& failure) {
    throw inputError(failure.what());
  } catch (const TooLong&) {
    throw HostError(hr::kInvalidArg,
                    utf8ToUtf16("the script code on standard input is longer than the limit of " +
                                std::to_string(limit) + " bytes"));
  }
}

std::mutex readMutex;
bool takenByPageList = false;
std::optional<std::variant<std::string, HostError>> readOnce;

}  // namespace

std::string readStandardInput(std::size_t limit) {
  std::lock_guard lock(readMutex);
  if (takenByPageList) {
    throw HostError(hr::kInvalidArg,
                    u"standard input holds the list of pages (--pages -); give CODE itself");
  }
  if (!readOnce) {
    try {
      readOnce = readAll(limit);
    } catch (const HostError& error) {
      readOnce = error;
    }
  }
  if (const auto* error = std::get_if<HostError>(&*readOnce)) throw *error;
  return std::get<std::string>(*readOnce);
}

std::string readPageList() {
  std::lock_guard lock(readMutex);
  takenByPageList = true;
  if (inputWasClosed) throw std::runtime_error("standard input is closed");
  try {
    return readToEnd(std::numeric_limits<std::size_t>::max());
  } catch (const ReadFailed& failure) {
    throw std::runtime_error(std::string("cannot read standard input: ") + failure.what());
  }
}

}  // namespace velmo::cli
