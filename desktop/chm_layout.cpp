#include "desktop/chm_layout.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "core/common/text.h"

namespace velmo::desktop {
namespace {

// libchm's limits and sizes.
constexpr std::size_t kMaxPathLength = 512;
constexpr std::size_t kItspLength = 0x54;
constexpr std::size_t kPmglHeader = 0x14;
constexpr std::size_t kPmgiHeader = 0x08;
constexpr std::size_t kResetTableLength = 0x28;
constexpr std::size_t kControlDataMin = 0x18;
constexpr std::size_t kControlDataMax = 256;  // libchm reads it into a buffer of this size
constexpr std::uint64_t kFrameLength = 0x8000;
constexpr std::uint64_t kCompressedSlack = 6144;  // libchm's room for a frame's overhead

constexpr std::string_view kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
constexpr std::string_view kContent = "::DataSpace/Storage/MSCompressed/Content";
constexpr std::string_view kControlData = "::DataSpace/Storage/MSCompressed/ControlData";

struct Fault {
  std::string what;
};

std::uint64_t le(std::string_view bytes, std::size_t at, int size) {
  if (at > bytes.size() || bytes.size() - at < static_cast<std::size_t>(size)) {
    throw Fault{"a field lies outside the file"};
  }
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}
std::uint32_t le32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(le(bytes, at, 4));
}
std::int32_t signed32(std::string_view bytes, std::size_t at) {
  return static_cast<std::int32_t>(le32(bytes, at));
}

void require(bool condition, const char* what) {
  if (!condition) throw Fault{what};
}

// A region of `length` bytes at `offset` inside `size` bytes, without overflow.
bool inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

struct Unit {
  std::uint64_t space = 0;
  std::uint64_t start = 0;
  std::uint64_t length = 0;
};

// Reads the variable-length numbers of a directory chunk, never past `end`.
class ChunkReader {
 public:
  ChunkReader(std::string_view chunk, std::size_t at, std::size_t end)
      : chunk_(chunk), at_(at), end_(end) {}
  bool more() const { return at_ < end_; }

  std::uint64_t number() {
    std::uint64_t value = 0;
    for (int digits = 0;; ++digits) {
      require(at_ < end_, "a directory entry runs past its chunk");
      // Nine digits of seven bits fill 63 bits; libchm would lose the high ones beyond that.
      require(digits < 9, "a directory number is too long");
      const auto byte = static_cast<unsigned char>(chunk_[at_++]);
      value = value << 7 | (byte & 0x7F);
      if (byte < 0x80) return value;
    }
  }

  std::string name() {
    const std::uint64_t length = number();
    require(length < kMaxPathLength, "a directory name is too long");
    require(length <= end_ - at_, "a directory name runs past its chunk");
    std::string text(chunk_.substr(at_, length));
    at_ += length;
    return text;
  }

 private:
  std::string_view chunk_;
  std::size_t at_;
  std::size_t end_;
};

class Layout {
 public:
  explicit Layout(std::string_view file) : file_(file) {}

  void check() {
    checkHeaders();
    std::vector<std::int32_t> next(blocks_, -1);
    std::vector<std::vector<std::int32_t>> children(blocks_);
    std::vector<bool> listing(blocks_, false);
    for (std::uint32_t i = 0; i < blocks_; ++i) {
      const std::string_view chunk =
          file_.substr(chunksAt_ + std::size_t{i} * blockLength_, blockLength_);
      if (chunk.starts_with("PMGL")) {
        listing[i] = true;
        next[i] = checkListing(chunk);
      } else if (chunk.starts_with("PMGI")) {
        children[i] = checkIndex(chunk);
      }
    }
    checkChain(next, listing);
    checkTree(children);
    checkUnits();
  }

 private:
  void checkHeaders() {
    require(file_.size() >= 0x60, "the file is too short");
    require(file_.substr(0, 4) == "ITSF", "the file does not start as a help file");
    const std::uint32_t version = le32(file_, 4);
    const std::uint32_t headerLength = le32(file_, 8);
    require((version == 2 && headerLength == 0x58) || (version == 3 && headerLength == 0x60),
            "the file header has an unknown version");
    const std::uint64_t directory = le(file_, 0x48, 8);
    const std::uint64_t directoryLength = le(file_, 0x50, 8);
    require(inside(directory, directoryLength, file_.size()),
            "the directory lies outside the file");
    dataAt_ = version == 3 ? le(file_, 0x58, 8) : directory + directoryLength;
    require(dataAt_ <= file_.size(), "the content lies outside the file");

    require(directoryLength >= kItspLength, "the directory header is cut short");
    const std::size_t at = static_cast<std::size_t>(directory);
    require(file_.substr(at, 4) == "ITSP" && le32(file_, at + 4) == 1 &&
                le32(file_, at + 8) == kItspLength,
            "the directory header is damaged");
    blockLength_ = le32(file_, at + 0x10);
    require(blockLength_ >= kPmglHeader + 1 && blockLength_ <= 0x10000,
            "the directory chunks have an impossible size");
    const std::int32_t root = signed32(file_, at + 0x1C);
    head_ = signed32(file_, at + 0x20);
    blocks_ = le32(file_, at + 0x2C);
    chunksAt_ = at + kItspLength;
    require(blocks_ >= 1 && std::uint64_t{blocks_} * blockLength_ <= directoryLength - kItspLength,
            "the directory chunks lie outside the directory");
    require(validBlock(head_), "the first directory chunk is out of range");
    root_ = root == -1 ? head_ : root;
    require(validBlock(root_), "the directory's index chunk is out of range");
  }

  bool validBlock(std::int64_t block) const { return block >= 0 && block < blocks_; }
  bool validLink(std::int64_t block) const { return block == -1 || validBlock(block); }

  std::size_t entriesEnd(std::string_view chunk, std::size_t header) const {
    const std::uint32_t free = le32(chunk, 4);
    require(free <= blockLength_ - header, "a directory chunk claims more free space than it has");
    return blockLength_ - free;
  }

  // Records the chunk's entries; the next chunk of the listing.
  std::int32_t checkListing(std::string_view chunk) {
    const std::int32_t previous = signed32(chunk, 0x0C);
    const std::int32_t next = signed32(chunk, 0x10);
    require(validLink(previous) && validLink(next), "a directory chunk links out of range");
    ChunkReader reader(chunk, kPmglHeader, entriesEnd(chunk, kPmglHeader));
    while (reader.more()) {
      std::string name = reader.name();
      Unit unit;
      unit.space = reader.number();
      unit.start = reader.number();
      unit.length = reader.number();
      require(unit.space <= 1, "a directory entry names an unknown section");
      // libchm compares names without case: two such entries would make its answer depend on
      // which one it meets first.
      require(units_.emplace(asciiLowered(name), unit).second, "a directory names an object twice");
    }
    return next;
  }

  std::vector<std::int32_t> checkIndex(std::string_view chunk) {
    std::vector<std::int32_t> children;
    ChunkReader reader(chunk, kPmgiHeader, entriesEnd(chunk, kPmgiHeader));
    while (reader.more()) {
      reader.name();
      const std::uint64_t child = reader.number();
      require(validBlock(static_cast<std::int64_t>(std::min<std::uint64_t>(child, INT32_MAX))),
              "a directory index entry is out of range");
      children.push_back(static_cast<std::int32_t>(child));
    }
    return children;
  }

  // libchm walks the listing from its head to the end: every step a listing chunk, none twice.
  void checkChain(const std::vector<std::int32_t>& next, const std::vector<bool>& listing) const {
    std::vector<bool> seen(blocks_, false);
    for (std::int32_t block = head_; block != -1; block = next[block]) {
      require(listing[block], "the directory listing leads to a chunk that is no listing");
      require(!seen[block], "the directory listing runs in a circle");
      seen[block] = true;
    }
  }

  // A lookup descends from the root through index chunks: no path may come back to a chunk.
  void checkTree(const std::vector<std::vector<std::int32_t>>& children) const {
    enum class Mark { New, Open, Done };
    std::vector<Mark> marks(blocks_, Mark::New);
    std::vector<std::pair<std::int32_t, std::size_t>> path{{root_, 0}};
    marks[root_] = Mark::Open;
    while (!path.empty()) {
      auto& [block, child] = path.back();
      if (child == children[block].size()) {
        marks[block] = Mark::Done;
        path.pop_back();
        continue;
      }
      const std::int32_t below = children[block][child++];
      require(marks[below] != Mark::Open, "the directory index runs in a circle");
      if (marks[below] == Mark::New) {
        marks[below] = Mark::Open;
        path.emplace_back(below, 0);
      }
    }
  }

  const Unit* unit(std::string_view name) const {
    const auto found = units_.find(asciiLowered(name));
    return found == units_.end() ? nullptr : &found->second;
  }

  std::string_view object(const Unit& unit) const {
    return file_.substr(static_cast<std::size_t>(dataAt_ + unit.start),
                        static_cast<std::size_t>(unit.length));
  }

  void checkUnits() const {
    bool compressed = false;
    for (const auto& [name, unit] : units_) {
      if (unit.space == 0) {
        require(inside(unit.start, unit.length, file_.size() - dataAt_),
                "an object lies outside the file");
      } else {
        compressed = true;
      }
    }
    if (!compressed) return;
    const std::uint64_t unpacked = checkCompression();
    for (const auto& [name, unit] : units_) {
      if (unit.space == 1) {
        require(inside(unit.start, unit.length, unpacked), "an object lies outside its section");
      }
    }
  }

  // The compressed section's reset table and control data; the section's unpacked length.
  std::uint64_t checkCompression() const {
    const Unit* table = unit(kResetTable);
    const Unit* content = unit(kContent);
    const Unit* control = unit(kControlData);
    require(table && content && control && table->space == 0 && content->space == 0 &&
                control->space == 0,
            "the compressed section's tables are missing");

    const std::string_view data = object(*control);
    require(data.size() >= kControlDataMin && data.size() <= kControlDataMax &&
                data.substr(4, 4) == "LZXC",
            "the compressed section's control data is damaged");
    // As libchm computes them, in 32 bits.
    const std::uint32_t version = le32(data, 8);
    std::uint32_t resetInterval = le32(data, 0x0C);
    std::uint32_t windowSize = le32(data, 0x10);
    const std::uint32_t windowsPerReset = le32(data, 0x14);
    if (version == 2) {
      resetInterval *= 0x8000;
      windowSize *= 0x8000;
    }
    const bool powerOfTwo = windowSize != 0 && (windowSize & (windowSize - 1)) == 0;
    require(powerOfTwo && windowSize >= (1u << 15) && windowSize <= (1u << 21),
            "the compressed section has an impossible window size");
    require(resetInterval != 0 && resetInterval % (windowSize / 2) == 0 &&
                resetInterval / (windowSize / 2) * windowsPerReset != 0,
            "the compressed section has an impossible reset interval");

    const std::string_view reset = object(*table);
    require(reset.size() >= kResetTableLength && le32(reset, 0) == 2,
            "the compressed section's reset table is damaged");
    const std::uint32_t frames = le32(reset, 4);
    const std::uint32_t tableAt = le32(reset, 0x0C);
    const std::uint64_t unpacked = le(reset, 0x10, 8);
    const std::uint64_t packed = le(reset, 0x18, 8);
    const std::uint64_t frameLength = le(reset, 0x20, 8);
    require(frameLength == kFrameLength && frames >= 1 &&
                inside(tableAt, std::uint64_t{frames} * 8, reset.size()),
            "the compressed section's reset table is damaged");
    require(unpacked <= std::uint64_t{frames} * frameLength && unpacked <= kUnpackedLimit &&
                packed <= content->length,
            "the compressed section's lengths do not fit");
    std::uint64_t start = le(reset, tableAt, 8);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
      const std::uint64_t end =
          frame + 1 < frames ? le(reset, tableAt + (frame + 1) * 8, 8) : packed;
      require(start <= end && end - start <= frameLength + kCompressedSlack,
              "the compressed section's frame table is damaged");
      start = end;
    }
    return unpacked;
  }

  std::string_view file_;
  std::uint64_t dataAt_ = 0;
  std::uint32_t blockLength_ = 0;
  std::uint32_t blocks_ = 0;
  std::size_t chunksAt_ = 0;
  std::int32_t head_ = -1;
  std::int32_t root_ = -1;
  std::map<std::string, Unit> units_;
};

}  // namespace

std::optional<std::string> chmLayoutFault(std::string_view file) {
  if (file.size() > kHelpFileLimit) return "the file is larger than a help file can be";
  try {
    Layout(file).check();
    return std::nullopt;
  } catch (const Fault& fault) {
    return fault.what;
  }
}

}  // namespace velmo::desktop
