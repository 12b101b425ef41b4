#pragma once
// The landmarks of a page that the page operations need (the head's edges, STYLE and style sheet
// LINK elements, webbot comments, the first </body>), and the scan state each one was found in.
// Plain data: a page of many blocks holds many of them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmo::file_host {

enum class MarkKind : std::uint8_t { HeadStart, HeadEnd, Style, Link, Webbot, BodyEnd };

// A webbot comment opens a block (startspan), closes one (endspan), or is a block on its own.
enum class WebbotRole : std::uint8_t { Start, End, Single };

// Where the tree builder stands between two tokens. Plain data, so that the many landmarks that
// keep one cost little to hold and to move.
struct ScanState {
  enum class Phase : std::uint8_t { BeforeHtml, BeforeHead, InHead, AfterHead, InBody };
  std::size_t pos = 0;
  std::uint32_t templateDepth = 0;  // <template> elements open in the head
  // The open SVG and MathML elements: the tree rules' entry for the innermost, 0 when none.
  std::uint32_t foreign = 0;
  Phase phase = Phase::BeforeHtml;
  bool inSelect = false;
  bool frameset = false;  // the page is a frameset: its body ends at its end

  friend bool operator==(const ScanState&, const ScanState&) = default;
};

struct Landmark {
  std::size_t begin = 0;       // first byte of the markup (an implied head edge is zero-wide)
  std::size_t end = 0;         // one past the last byte
  std::size_t innerBegin = 0;  // HeadStart: where the content starts; Style: after the start tag
  std::size_t innerEnd = 0;    // HeadEnd: where the content ends; Style: before the end tag
  // The bytes that decided this landmark end at `reach`; `closed` when the last of them ended
  // its token for good (more text appended there could not change it).
  std::size_t reach = 0;
  // Webbot: where the bot attribute's value stands, as written (an offset from `begin`). A short
  // name is also kept here, so that walking many blocks does not reach back into the page.
  std::size_t nameOffset = 0;
  std::size_t nameSize = kNoName;
  std::array<char, 16> shortName{};
  ScanState after;  // where scanning goes on
  MarkKind kind{};
  WebbotRole role = WebbotRole::Single;
  bool explicitTag = false;  // HeadStart/HeadEnd: written as a tag rather than implied
  bool inHead = false;       // Style/Link: a child of the head element
  bool closed = false;

  static constexpr std::size_t kNoName = SIZE_MAX;
};

// A "<%" read as text (at `firstDangling`) would open a block if a "%>" were written anywhere
// after it: what the scan found after one hangs on the rest of the page.
inline void hangOnDangling(Landmark& mark, std::size_t firstDangling, std::size_t pageSize) {
  if (mark.reach > firstDangling) {
    mark.reach = pageSize;
    mark.closed = false;
  }
}

// The head element's source span: [begin, innerBegin) is the start tag, [innerEnd, end) the end
// tag; both are empty where the parser implies them.
struct HeadSpan {
  std::size_t begin = 0;
  std::size_t innerBegin = 0;
  std::size_t innerEnd = 0;
  std::size_t end = 0;
  bool explicitStart = false;
  bool explicitEnd = false;
};

// A webbot block: its start comment's landmark and, when it has one, its end comment's.
struct WebbotBlock {
  std::size_t start = 0;
  std::optional<std::size_t> end;
};

}  // namespace velmo::file_host
