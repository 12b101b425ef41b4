#include "platform/linux/help_text.h"

#include <gumbo.h>

#include <memory>
#include <optional>

#include "platform/linux/help_paragraphs.h"

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

// Walks the parsed page and tells the collector what it meets.
class TextCollector {
 public:
  ParagraphCollector collector;

  // Depth first without recursion: a damaged page may nest elements deeper than the stack.
  void walk(const GumboNode* root) {
    struct Open {
      const GumboVector* children;
      unsigned next;
      std::optional<Block> block;
    };
    std::vector<Open> open;
    const auto enter = [&](const GumboNode* node) {
      if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
        collector.text(node->v.text.text);
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
          collector.flush();
          return;
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH:
          collector.cell();
          break;
        default:
          break;
      }
      const std::optional<Block> block = blockOf(tag);
      if (block) collector.block(*block, true);
      open.push_back({node->type == GUMBO_NODE_DOCUMENT ? &node->v.document.children
                                                        : &node->v.element.children,
                      0, block});
    };
    enter(root);
    while (!open.empty()) {
      Open& top = open.back();
      if (top.next == top.children->length) {
        if (top.block) collector.block(*top.block, false);
        open.pop_back();
        continue;
      }
      enter(static_cast<const GumboNode*>(top.children->data[top.next++]));
    }
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
};

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
  TextCollector walker;
  walker.walk(parsed->document);
  walker.collector.flush();
  return layOut(walker.collector.paragraphs(), width);
}

std::vector<SitemapEntry> sitemapEntries(std::string_view html) {
  const ParsedHtml parsed = parse(html);
  std::vector<SitemapEntry> entries;
  collectSitemap(parsed->root, entries);
  return entries;
}

}  // namespace velmo::linux_help
