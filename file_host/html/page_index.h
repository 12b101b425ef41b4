#pragma once
// The landmarks of a page (see page_landmarks.h) and the questions the page operations ask of
// them. The index is built lazily: each question scans only as far as its answer needs. After an
// edit at offset X the landmarks that no byte from X on could have changed are kept, scanning goes
// on from the last of them, and the landmarks after the edit are taken over once the scan meets
// them again (landmark_resync.h).

#include <cstddef>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/large_pages.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/landmark_list.h"
#include "file_host/html/landmark_resync.h"
#include "file_host/html/page_landmarks.h"
#include "file_host/html/page_scanner.h"

namespace velmo::file_host {

class ScanObserver;

class PageIndex {
 public:
  // `source` is the page text; it must outlive the index, and every change to it must be
  // followed by invalidateFrom or edited. A page in a template language has its blocks read as
  // server blocks.
  explicit PageIndex(const std::string& source,
                     html::TemplateSyntax syntax = html::TemplateSyntax::None);

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

  // Webbot blocks in the order of their start comments (webbot_pairing.h).
  const std::pmr::vector<WebbotBlock>& webbotBlocks();
  // Every webbot landmark of the page, in document order (scans the whole page).
  const std::pmr::vector<std::size_t>& webbotMarks();
  // Index of the block whose start comment begins at `begin`.
  std::optional<std::size_t> webbotBlockAt(std::size_t begin);

  // The landmark of `kind` that starts at `begin`.
  std::optional<std::size_t> find(MarkKind kind, std::size_t begin);
  const Landmark& mark(std::size_t i) const { return marks_[i]; }
  // The bot name of webbot landmark i as written; nothing when it has no bot attribute.
  std::optional<std::string_view> botName(std::size_t i) const { return marks_.botName(i, src_); }

  // Where text added at the end of the page stands in the markup: the page's end, or the start
  // of a server block that runs to the end of the page (PHP lets the last block go unclosed),
  // since text put after it would become server code. Scans the whole page afresh.
  std::size_t endOfMarkup();

  // Scans the whole page afresh, telling `observer` what the scan reads; the landmarks are
  // those a scan without an observer finds.
  void scanObserved(ScanObserver& observer);

 private:
  void dropFrom(std::size_t offset);
  void scanAll();

  const std::string& src_;
  // Many small records for a page of many blocks: pooled, in large pages where possible.
  LargePageMemory largePages_;
  std::pmr::unsynchronized_pool_resource pool_{&largePages_};
  LandmarkList marks_{&pool_};
  PageScanner scanner_{src_, marks_};
  LandmarkResync resync_{marks_, scanner_, &pool_};
  std::pmr::vector<WebbotBlock> blocks_{&pool_};
  bool blocksValid_ = false;
};

}  // namespace velmo::file_host
