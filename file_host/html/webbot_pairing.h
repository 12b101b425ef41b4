#pragma once
// Webbot comments paired into blocks, in the order of their start comments: each end comment
// closes the nearest open block of the same bot name (comments without a bot attribute pair
// among themselves); an end without an open block is no block at all, and a start without an
// end is a block of its own.

#include <memory_resource>
#include <string_view>
#include <vector>

#include "file_host/html/landmark_list.h"
#include "file_host/html/page_landmarks.h"

namespace velmo::file_host {

// Whether a comment's text (as its token gives it) makes it a webbot comment: it begins with the
// word "webbot", in any case.
bool isWebbotComment(std::string_view commentText);

// Pairs the webbot landmarks of `marks` (found in `src`) into `blocks`, which is cleared first.
void pairWebbots(const LandmarkList& marks, std::string_view src,
                 std::pmr::vector<WebbotBlock>& blocks);

}  // namespace velmo::file_host
