#include "desktop/help_paragraphs.h"

#include <optional>

namespace velmo::desktop {
namespace {

// Columns taken by UTF-8 text: one per code point, two for a cell separator.
std::size_t columns(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += c == '\t' ? 2 : (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

void appendWord(std::string& out, std::string_view word) {
  for (char c : word) {
    if (c == '\t') {
      out += "  ";
    } else {
      out += c;
    }
  }
}

std::string wrap(const std::string& text, const std::string& first, const std::string& rest,
                 std::size_t width) {
  std::string out = first;
  std::size_t used = columns(first);
  bool lineEmpty = true;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const std::string_view word(text.data() + at, end - at);
    if (!lineEmpty && used + 1 + columns(word) > width) {
      out += '\n' + rest;
      used = columns(rest);
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++used;
    }
    appendWord(out, word);
    used += columns(word);
    lineEmpty = false;
    at = end + 1;
  }
  return out;
}

}  // namespace

void ParagraphCollector::text(std::string_view text) {
  for (char c : text) {
    const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    if (!space) {
      current_ += c;
    } else if (!current_.empty() && current_.back() != ' ' && current_.back() != '\t') {
      current_ += ' ';
    }
  }
}

void ParagraphCollector::cell() {
  if (!current_.empty()) current_ += '\t';
}

void ParagraphCollector::block(Block kind, bool begins) {
  flush();
  if (begins && kind != Block::Paragraph) kind_ = kind;
}

void ParagraphCollector::flush() {
  while (!current_.empty() && (current_.back() == ' ' || current_.back() == '\t')) {
    current_.pop_back();
  }
  if (!current_.empty()) paragraphs_.push_back({kind_, std::move(current_)});
  current_.clear();
  kind_ = Block::Paragraph;
}

std::string layOut(const std::vector<Paragraph>& paragraphs, std::size_t width) {
  std::string out;
  std::optional<Block> previous;
  for (const Paragraph& paragraph : paragraphs) {
    const bool listed = paragraph.block == Block::Item || paragraph.block == Block::Row;
    if (previous && !(listed && *previous == paragraph.block)) out += '\n';
    switch (paragraph.block) {
      case Block::Heading1:
      case Block::Heading2:
        out += paragraph.text + '\n' +
               std::string(columns(paragraph.text), paragraph.block == Block::Heading1 ? '=' : '-');
        break;
      case Block::Item:
        out += wrap(paragraph.text, "  * ", "    ", width);
        break;
      case Block::Row:
        out += wrap(paragraph.text, "  ", "      ", width);
        break;
      case Block::Paragraph:
        out += wrap(paragraph.text, "", "", width);
        break;
    }
    out += '\n';
    previous = paragraph.block;
  }
  return out;
}

}  // namespace velmo::desktop
