#pragma once
// A help page's text as paragraphs, and their layout for a terminal. The page scanner, reading
// the page (help_text.cpp), tells the collector what it meets.

#include <string>
#include <string_view>
#include <vector>

namespace velmo::desktop {

enum class Block { Paragraph, Heading1, Heading2, Item, Row };

struct Paragraph {
  Block block;
  std::string text;
};

// Collects the page's paragraphs, with white space collapsed as a browser does.
class ParagraphCollector {
 public:
  // Text of the page (UTF-8).
  void text(std::string_view text);
  // A table cell begins: a tab keeps it apart from the one before.
  void cell();
  // A block element begins or ends: the paragraph so far is done. A heading, list item or table
  // row that begins gives the next paragraph its kind.
  void block(Block kind, bool begins);
  // A line break, or the end of the page: the paragraph so far is done.
  void flush();

  const std::vector<Paragraph>& paragraphs() const { return paragraphs_; }

 private:
  std::vector<Paragraph> paragraphs_;
  std::string current_;
  Block kind_ = Block::Paragraph;
};

// Headings underlined, list items bulleted, table rows on one line, paragraphs separated by an
// empty line, every line at most `width` characters where words allow it.
std::string layOut(const std::vector<Paragraph>& paragraphs, std::size_t width);

}  // namespace velmo::desktop
