#include "file_host/html/webbot_pairing.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "file_host/html/html_scan.h"

namespace velmo::file_host {

bool isWebbotComment(std::string_view commentText) {
  return commentText.size() >= 6 && html::equalsLower(commentText.substr(0, 6), "webbot") &&
         (commentText.size() == 6 || html::isSpace(commentText[6]));
}

void pairWebbots(const LandmarkList& marks, std::string_view src,
                 std::pmr::vector<WebbotBlock>& blocks) {
  blocks.clear();
  // The innermost open block of each name, and for each open block the one it hides. The block
  // opened last waits outside the table until another one opens, so a start followed by its own
  // end, the usual case, costs no lookup.
  constexpr std::size_t kNone = SIZE_MAX;
  std::unordered_map<std::string_view, std::size_t> innermost;
  std::size_t innermostUnnamed = kNone;
  std::vector<std::size_t> hidden;
  std::size_t waiting = kNone;
  hidden.reserve(marks.webbots().size());
  blocks.reserve(marks.webbots().size());
  auto enterWaiting = [&] {
    if (waiting == kNone) return;
    const auto name = marks.botName(blocks[waiting].start, src);
    std::size_t& top = name ? innermost.try_emplace(*name, kNone).first->second : innermostUnnamed;
    hidden[waiting] = top;
    top = waiting;
    waiting = kNone;
  };
  for (std::size_t m : marks.webbots()) {
    const Landmark& w = marks[m];
    if (w.role == WebbotRole::Single) {
      blocks.push_back({m, std::nullopt});
      hidden.push_back(kNone);
      continue;
    }
    const auto name = marks.botName(m, src);
    if (w.role == WebbotRole::Start) {
      enterWaiting();
      waiting = blocks.size();
      blocks.push_back({m, std::nullopt});
      hidden.push_back(kNone);
      continue;
    }
    if (waiting != kNone && marks.botName(blocks[waiting].start, src) == name) {
      blocks[waiting].end = m;
      waiting = kNone;
      continue;
    }
    enterWaiting();
    if (!name) {
      if (innermostUnnamed == kNone) continue;
      blocks[innermostUnnamed].end = m;
      innermostUnnamed = hidden[innermostUnnamed];
      continue;
    }
    const auto it = innermost.find(*name);
    if (it == innermost.end()) continue;
    blocks[it->second].end = m;
    if (hidden[it->second] == kNone) {
      innermost.erase(it);
    } else {
      it->second = hidden[it->second];
    }
  }
}

}  // namespace velmo::file_host
