#include "file_host/css/css_block.h"

#include "file_host/css/css_importance.h"
#include "file_host/css/css_tokenizer.h"

namespace velmo::file_host::css::detail {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Collects one part while its tokens go by.
class PartBuilder {
 public:
  PartBuilder(std::string_view sheet, std::size_t begin) : sheet_(sheet) { part_.begin = begin; }

  bool empty() const { return !hasContent_; }
  bool isCustomProperty() const { return customProperty_ && colon_ != kNone; }

  void add(const Token& t, std::size_t depthBefore) {
    if (t.kind == TokenKind::Whitespace) {
      if (justAfterColon_) emptyValueAt_ = t.end;
      return;
    }
    justAfterColon_ = false;
    if (!hasContent_) part_.contentBegin = t.begin;
    hasContent_ = true;
    part_.contentEnd = part_.appendAt = t.end;
    // A bad string, or a backslash before a line break, would take in text put right after it.
    const bool loneBackslash =
        t.kind == TokenKind::Other && t.end - t.begin == 1 && sheet_[t.begin] == '\\';
    if (t.kind == TokenKind::BadString || loneBackslash) {
      part_.appendAt = afterLineBreak(t.end);
    }
    if (t.kind == TokenKind::Comment) return;

    if (depthBefore == 0 && t.kind == TokenKind::Open && t.bracket == '}') part_.hasBlock = true;
    if (colon_ == kNone && depthBefore == 0 && t.kind == TokenKind::Colon) {
      colon_ = emptyValueAt_ = t.end;
      justAfterColon_ = true;
      if (!part_.onlyComments) part_.name = {nameBegin_, lastEnd_};
      named_ = !part_.onlyComments;
    } else if (part_.onlyComments) {
      nameBegin_ = t.begin;
      customProperty_ = t.kind == TokenKind::Other && sheet_.substr(t.begin, 2) == "--";
    } else if (colon_ != kNone && valueBegin_ == kNone) {
      valueBegin_ = t.begin;
    }
    part_.onlyComments = false;
    lastEnd_ = t.end;
  }

  Part finish(std::size_t end, bool semicolon) {
    part_.end = end;
    part_.semicolon = semicolon;
    part_.declaration = named_ && (!part_.hasBlock || customProperty_);
    if (part_.declaration && valueBegin_ == kNone) {
      part_.value = part_.importance = {emptyValueAt_, emptyValueAt_};
    } else if (part_.declaration) {
      const ValueParts parts = splitImportance(sheet_, {valueBegin_, lastEnd_});
      part_.value = parts.value;
      part_.importance = parts.importance;
    }
    return part_;
  }

 private:
  std::size_t afterLineBreak(std::size_t at) const {
    if (sheet_.substr(at, 2) == "\r\n") return at + 2;
    return at < sheet_.size() ? at + 1 : at;
  }

  std::string_view sheet_;
  Part part_;
  bool hasContent_ = false;
  bool named_ = false;
  bool customProperty_ = false;
  bool justAfterColon_ = false;
  std::size_t nameBegin_ = kNone;
  std::size_t colon_ = kNone;
  std::size_t emptyValueAt_ = kNone;
  std::size_t valueBegin_ = kNone;
  std::size_t lastEnd_ = kNone;
};

}  // namespace

BlockScan scanBlock(std::string_view sheet, Span block) {
  BlockScan scan;
  Tokenizer tokens(sheet, block.begin, block.end);
  Nesting nesting;
  PartBuilder part(sheet, block.begin);
  const auto close = [&](std::size_t end, bool semicolon, std::size_t next) {
    if (!part.empty()) scan.parts.push_back(part.finish(end, semicolon));
    part = PartBuilder(sheet, next);
  };
  while (!tokens.atEnd()) {
    const Token t = tokens.next();
    const std::size_t depth = nesting.depth();
    if (depth == 0 && t.kind == TokenKind::Semicolon) {
      close(t.begin, true, t.end);
      continue;
    }
    part.add(t, depth);
    // A nested rule ends with its block; a custom property may hold a block in its value.
    if (nesting.follow(t) == '}' && nesting.depth() == 0 && !part.isCustomProperty()) {
      close(t.end, false, t.end);
    }
  }
  close(block.end, false, block.end);
  scan.closer = tokens.unfinished() + nesting.closers();
  return scan;
}

}  // namespace velmo::file_host::css::detail
