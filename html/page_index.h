#pragma once
// The landmarks of a page that the page operations need (the head, STYLE and style sheet LINK
// elements, webbot comments, the first </body>), found by the tokenizer plus just enough of the
// HTML5 tree builder to know where the head begins and ends and when element content is raw text.
//
// The index is built lazily: each question scans only as far as its answer needs. After an edit
// at offset X the landmarks that no byte from X on could have changed are kept, and scanning goes
// on from the last of them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/large_pages.h"
#include "html/html_scan.h"

namespace velmo::standalone {

namespace html {
struct Token;
}

enum class MarkKind : std::uint8_t { HeadStart, HeadEnd, Style, Link, Webbot, BodyEnd };

// A webbot comment opens a block (startspan), closes one (endspan), or is a block on its own.
enum class WebbotRole : std::uint8_t { Start, End, Single };

// Where the tree builder stands between two tokens. Plain data, so that the many landmarks that
// keep one cost little to hold and to move.
struct ScanState {
  enum class Phase : std::uint8_t { BeforeHtml, BeforeHead, InHead, AfterHead, InBody };
  std::size_t pos = 0;
  std::uint32_t templateDepth = 0;  // <template> elements open in the head
  // The open SVG and MathML elements: the index's entry for the innermost, 0 when there is none.
  std::uint32_t foreign = 0;
  Phase phase = Phase::BeforeHtml;
  bool inSelect = false;
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

// Every comment, every script and style element and every server block (nested ones included),
// for comparing the scan with other parsers.
struct TraceItem {
  enum class Kind { Comment, Script, Style, ServerBlock } kind;
  std::size_t begin = 0, end = 0, innerBegin = 0, innerEnd = 0;
};

class PageIndex {
 public:
  // `source` is the page text; it must outlive the index, and every change to it must be
  // followed by invalidateFrom.
  explicit PageIndex(const std::string& source);

  // The page text changed from `offset` on.
  void invalidateFrom(std::size_t offset);
  // [begin, end) of the page text became `inserted` bytes. Landmarks after the edit are kept
  // (moved along) when scanning the edited stretch again leads back to them.
  void edited(std::size_t begin, std::size_t end, std::size_t inserted);

  HeadSpan head();
  // STYLE and LINK landmarks of the head element, in document order.
  std::vector<std::size_t> headSheets();
  // Where the first </body> end tag starts.
  std::optional<std::size_t> bodyEndTag();

  // STYLE elements and style sheet LINK elements of the document, in document order.
  std::size_t sheetCount();
  // Landmark index of sheet i; nothing when there are fewer sheets.
  std::optional<std::size_t> sheet(std::size_t i);

  // Webbot blocks in the order of their start comments.
  const std::pmr::vector<WebbotBlock>& webbotBlocks();
  // Index of the block whose start comment begins at `begin`.
  std::optional<std::size_t> webbotBlockAt(std::size_t begin);

  // The landmark of `kind` that starts at `begin`.
  std::optional<std::size_t> find(MarkKind kind, std::size_t begin);
  const Landmark& mark(std::size_t i) const { return marks_[i]; }
  // The bot name of webbot landmark i as written; nothing when it has no bot attribute.
  std::optional<std::string_view> botName(std::size_t i) const;

  // Where text added at the end of the page stands in the markup: the page's end, or the start
  // of a server block that runs to the end of the page (PHP lets the last block go unclosed),
  // since text put after it would become server code. Scans the whole page afresh.
  std::size_t endOfMarkup();

  // Scans the whole page afresh and lists every comment, script and style element and server
  // block, in document order.
  std::vector<TraceItem> trace();

 private:
  bool step();
  void dropFrom(std::size_t offset);
  void truncate(std::size_t n);
  void resync(std::size_t from);
  void dropStale();
  std::uint32_t openForeign(std::uint32_t outer, std::string_view name);
  const std::string& foreignName(std::uint32_t entry) const { return foreign_[entry].name; }
  void record(Landmark mark);
  void hangOnDangling(Landmark& mark) const;
  bool plainBody() const;
  bool skipInBody(const html::Token& t);
  void scanAll();
  void process(const html::Token& t);
  bool inBody(const html::Token& t);
  void push(Landmark mark);
  void rawElement(const html::Token& t, bool inHead, bool record);
  void link(const html::Token& t, bool inHead);
  void webbotComment(const html::Token& t);

  const std::string& src_;
  // A deque: a page of many blocks grows it without moving what it holds.
  // Many small records for a page of many blocks: pooled, in large pages where possible.
  LargePageMemory largePages_;
  std::pmr::unsynchronized_pool_resource pool_{&largePages_};
  std::pmr::deque<Landmark> marks_{&pool_};
  std::vector<std::size_t> sheets_;                // landmark indexes of Style and Link marks
  std::pmr::vector<std::size_t> webbots_{&pool_};  // landmark indexes of webbot comments
  std::optional<std::size_t> headStart_, headEnd_, bodyEnd_;
  ScanState state_;
  bool done_ = false;
  std::pmr::vector<WebbotBlock> blocks_{&pool_};
  bool blocksValid_ = false;
  std::vector<TraceItem>* trace_ = nullptr;
  std::vector<html::Attribute> attributes_;  // scratch for webbot comments
  // What the scan learnt of the page since the text last changed. Once it has read a "<%" as
  // text for want of a "%>", every landmark after it hangs on the rest of the page.
  html::ScanMemo memo_;
  // The open foreign elements of every scan state, as a tree of entries that each name one
  // element (lower case) and the entry of the element around it; entry 0 stands for none.
  struct ForeignEntry {
    std::string name;
    std::uint32_t outer = 0;
  };
  std::vector<ForeignEntry> foreign_{ForeignEntry{}};
  // While an edit is being scanned again: the landmarks found after it before the edit, and the
  // scan's state then, all moved to the new text's places.
  std::pmr::deque<Landmark> stale_{&pool_};
  ScanState staleState_;
  bool staleDone_ = false;
  std::optional<std::ptrdiff_t> staleBodyEnd_;  // old first </body>, from the first stale landmark
  std::size_t staleDropped_ = 0;                // stale landmarks passed so far
  std::size_t staleDangling_ = html::ScanMemo::kNone;  // old first unclosed "<%" after the edit
};

}  // namespace velmo::standalone
