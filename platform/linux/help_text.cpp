#include "platform/linux/help_text.h"

#include <gumbo.h>

#include <memory>
#include <optional>

namespace velmo::linux_help {
namespace {

struct GumboDeleter {
  void operator()(GumboOutput* output) const {
    gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
};
using ParsedHtml = std::unique_ptr<GumboOutput, GumboDeleter>;

ParsedHtml parse(std::string_view html) {
  return ParsedHtml(gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()));
}

enum class Block { Paragraph, Heading1, Heading2, Item, Row };

struct Paragraph {
  Block block;
  std::string text;
};

// Collects the page's paragraphs, with white space collapsed as a browser does.
class TextCollector {
 public:
  std::vector<Paragraph> paragraphs;

  // Depth first without recursion: a damaged page may nest elements deeper than the stack.
  void walk(const GumboNode* root) {
    struct Open {
      const GumboVector* children;
      unsigned next;
      bool block;
    };
    std::vector<Open> open;
    const auto enter = [&](const GumboNode* node) {
      if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
        addText(node->v.text.text);
        return;
      }
      if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT) return;
      const GumboTag tag = node->type == GUMBO_NODE_ELEMENT ? node->v.element.tag : GUMBO_TAG_HTML;
      switch (tag) {
        case GUMBO_TAG_HEAD:
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
          return;
        case GUMBO_TAG_BR:
          flush();
          return;
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH:
          // A tab keeps the cells apart; it is written as two spaces.
          if (!current_.empty()) current_ += '\t';
          break;
        default:
          break;
      }
      const std::optional<Block> block = blockOf(tag);
      if (block) flush();
      if (block && *block != Block::Paragraph) kind_ = *block;
      open.push_back({node->type == GUMBO_NODE_DOCUMENT ? &node->v.document.children
                                                        : &node->v.element.children,
                      0, block.has_value()});
    };
    enter(root);
    while (!open.empty()) {
      Open& top = open.back();
      if (top.next == top.children->length) {
        if (top.block) flush();
        open.pop_back();
        continue;
      }
      enter(static_cast<const GumboNode*>(top.children->data[top.next++]));
    }
  }

  void flush() {
    while (!current_.empty() && (current_.back() == ' ' || current_.back() == '\t')) {
      current_.pop_back();
    }
    if (!current_.empty()) paragraphs.push_back({kind_, std::move(current_)});
    current_.clear();
    kind_ = Block::Paragraph;
  }

 private:
  static std::optional<Block> blockOf(GumboTag tag) {
    switch (tag) {
      case GUMBO_TAG_H1:
        return Block::Heading1;
      case GUMBO_TAG_H2:
      case GUMBO_TAG_H3:
      case GUMBO_TAG_H4:
        return Block::Heading2;
      case GUMBO_TAG_LI:
        return Block::Item;
      case GUMBO_TAG_TR:
        return Block::Row;
      case GUMBO_TAG_P:
      case GUMBO_TAG_DIV:
      case GUMBO_TAG_UL:
      case GUMBO_TAG_OL:
      case GUMBO_TAG_TABLE:
      case GUMBO_TAG_BODY:
        return Block::Paragraph;
      default:
        return std::nullopt;
    }
  }

  void addText(std::string_view text) {
    for (char c : text) {
      const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
      if (!space) {
        current_ += c;
      } else if (!current_.empty() && current_.back() != ' ' && current_.back() != '\t') {
        current_ += ' ';
      }
    }
  }

  std::string current_;
  Block kind_ = Block::Paragraph;
};

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

std::optional<SitemapEntry> sitemapEntry(const GumboElement& element, int depth) {
  const GumboAttribute* type = gumbo_get_attribute(&element.attributes, "type");
  if (type == nullptr || std::string_view(type->value) != "text/sitemap") return std::nullopt;
  SitemapEntry entry{{}, {}, depth};
  for (unsigned i = 0; i < element.children.length; ++i) {
    const auto* child = static_cast<const GumboNode*>(element.children.data[i]);
    if (child->type != GUMBO_NODE_ELEMENT || child->v.element.tag != GUMBO_TAG_PARAM) continue;
    const GumboAttribute* name = gumbo_get_attribute(&child->v.element.attributes, "name");
    const GumboAttribute* value = gumbo_get_attribute(&child->v.element.attributes, "value");
    if (name == nullptr || value == nullptr) continue;
    const std::string_view key = name->value;
    if (key == "Name" || key == "name") entry.name = value->value;
    if (key == "Local" || key == "local") entry.local = value->value;
  }
  if (entry.name.empty()) return std::nullopt;
  return entry;
}

// In document order, without recursion (see TextCollector::walk).
void collectSitemap(const GumboNode* root, std::vector<SitemapEntry>& entries) {
  struct Pending {
    const GumboNode* node;
    int depth;
  };
  // The outermost list holds the top level.
  std::vector<Pending> pending{{root, -1}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT) continue;
    const GumboElement& element = node->v.element;
    if (element.tag == GUMBO_TAG_OBJECT) {
      if (auto entry = sitemapEntry(element, depth)) entries.push_back(std::move(*entry));
      continue;
    }
    const int inner = element.tag == GUMBO_TAG_UL ? depth + 1 : depth;
    for (unsigned i = element.children.length; i > 0; --i) {
      pending.push_back({static_cast<const GumboNode*>(element.children.data[i - 1]), inner});
    }
  }
}

}  // namespace

std::string pageText(std::string_view html, std::size_t width) {
  const ParsedHtml parsed = parse(html);
  TextCollector collector;
  collector.walk(parsed->document);
  collector.flush();

  std::string out;
  std::optional<Block> previous;
  for (const Paragraph& paragraph : collector.paragraphs) {
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

std::vector<SitemapEntry> sitemapEntries(std::string_view html) {
  const ParsedHtml parsed = parse(html);
  std::vector<SitemapEntry> entries;
  collectSitemap(parsed->root, entries);
  return entries;
}

}  // namespace velmo::linux_help
