#include "file_host/html/page_trace.h"

#include <algorithm>
#include <utility>

#include "file_host/html/page_scan_observer.h"

namespace velmo::file_host {
namespace {

class Tracer : public ScanObserver {
 public:
  void comment(const html::Token& t) override {
    items.push_back({TraceItem::Kind::Comment, t.begin, t.end, t.begin, t.end});
  }
  void rawTextElement(const html::Token& t, std::size_t innerEnd, std::size_t end) override {
    const bool style = html::equalsLower(t.text, "style");
    if (!style && !html::equalsLower(t.text, "script")) return;
    items.push_back(
        {style ? TraceItem::Kind::Style : TraceItem::Kind::Script, t.begin, end, t.end, innerEnd});
  }
  std::vector<std::pair<std::size_t, std::size_t>>* serverBlocks() override { return &blocks; }

  std::vector<TraceItem> items;
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
};

}  // namespace

std::vector<TraceItem> tracePage(PageIndex& index) {
  Tracer tracer;
  index.scanObserved(tracer);
  // A block in a tag or in raw text may be read more than once.
  std::sort(tracer.blocks.begin(), tracer.blocks.end());
  tracer.blocks.erase(std::unique(tracer.blocks.begin(), tracer.blocks.end()), tracer.blocks.end());
  std::vector<TraceItem> out = std::move(tracer.items);
  for (const auto& [begin, end] : tracer.blocks) {
    out.push_back({TraceItem::Kind::ServerBlock, begin, end, begin, end});
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const TraceItem& a, const TraceItem& b) { return a.begin < b.begin; });
  return out;
}

}  // namespace velmo::file_host
