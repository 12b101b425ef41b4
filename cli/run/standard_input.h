#pragma once
// velmo's standard streams: a stream that was closed when velmo started is told apart from an
// empty one, and text read from standard input has a size limit.

#include <cstddef>
#include <string>

namespace velmo::cli {

// The most script code read from standard input: 1 MiB.
inline constexpr std::size_t kStandardInputLimit = std::size_t{1} << 20;

// Call first in main. Standard input, output or error closed by the caller get /dev/null in
// their place, so that no file velmo opens later takes their number and is read or written by
// mistake.
void guardStandardStreams();

// Everything on standard input. A HostError when it was closed, cannot be read (a folder), or
// holds more than `limit` bytes; nothing beyond limit + 1 bytes is read. Read once: later calls
// (the pages of one run) get the same answer, and a HostError when the list of pages took it.
std::string readStandardInput(std::size_t limit = kStandardInputLimit);

// Everything on standard input as a list of pages (--pages -).
std::string readPageList();

}  // namespace velmo::cli
