#include "platform/linux/help_text.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "common/text.h"
#include "platform/linux/help_paragraphs.h"

// The help pages read with a small tag scanner instead of a full HTML parser (there is none to
// link on Windows). The help file's own pages are well formed, and for them the text is the
// same, line for line, as the Linux build prints.
namespace velmo::linux_help {
namespace {

struct Tag {
  std::string name;  // lower case; empty for text
  bool end = false;
  std::map<std::string, std::string> attributes;  // lower-case names
};

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string decodeEntities(std::string_view text) {
  static const std::map<std::string, char32_t, std::less<>> kNamed = {
      {"amp", U'&'},     {"lt", U'<'},      {"gt", U'>'},      {"quot", U'"'},
      {"apos", U'\''},   {"nbsp", 0xA0},    {"copy", 0xA9},    {"reg", 0xAE},
      {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026}};
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t amp = text.find('&', at);
    const std::size_t semi = amp == std::string_view::npos ? amp : text.find(';', amp);
    if (semi == std::string_view::npos || semi - amp > 10) {
      out += text.substr(at);
      break;
    }
    out += text.substr(at, amp - at);
    const std::string_view name = text.substr(amp + 1, semi - amp - 1);
    std::optional<char32_t> code;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string digits(name.substr(hex ? 2 : 1));
      char* end = nullptr;
      const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
      if (!digits.empty() && end && *end == '\0' && value > 0 && value < 0x110000) code = value;
    } else if (const auto it = kNamed.find(name); it != kNamed.end()) {
      code = it->second;
    }
    if (code) {
      std::u16string unit;
      if (*code >= 0x10000) {
        unit += static_cast<char16_t>(0xD800 + ((*code - 0x10000) >> 10));
        unit += static_cast<char16_t>(0xDC00 + ((*code - 0x10000) & 0x3FF));
      } else {
        unit += static_cast<char16_t>(*code);
      }
      out += utf16ToUtf8(unit);
      at = semi + 1;
    } else {
      out += '&';
      at = amp + 1;
    }
  }
  return out;
}

// Calls `onTag` for each tag and `onText` for the text between them; comments, doctypes and
// the content of raw-text elements (script, style, title, textarea) are passed over.
template <typename OnTag, typename OnText>
void scan(std::string_view html, OnTag onTag, OnText onText) {
  std::size_t at = 0;
  const auto isNameStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)); };
  while (at < html.size()) {
    const std::size_t open = html.find('<', at);
    if (open == std::string_view::npos) {
      onText(decodeEntities(html.substr(at)));
      return;
    }
    if (open > at) onText(decodeEntities(html.substr(at, open - at)));
    at = open;
    if (html.substr(at, 4) == "<!--") {
      const std::size_t close = html.find("-->", at + 4);
      at = close == std::string_view::npos ? html.size() : close + 3;
      continue;
    }
    if (at + 1 < html.size() && (html[at + 1] == '!' || html[at + 1] == '?')) {
      const std::size_t close = html.find('>', at);
      at = close == std::string_view::npos ? html.size() : close + 1;
      continue;
    }
    const bool end = at + 1 < html.size() && html[at + 1] == '/';
    std::size_t p = at + (end ? 2 : 1);
    if (p >= html.size() || !isNameStart(html[p])) {
      onText("<");
      ++at;
      continue;
    }
    Tag tag;
    tag.end = end;
    const std::size_t nameStart = p;
    while (p < html.size() && !std::isspace(static_cast<unsigned char>(html[p])) &&
           html[p] != '>' && html[p] != '/') {
      ++p;
    }
    tag.name = lower(html.substr(nameStart, p - nameStart));
    // Attributes: name, name=value, name="value", name='value'.
    while (p < html.size() && html[p] != '>') {
      if (std::isspace(static_cast<unsigned char>(html[p])) || html[p] == '/') {
        ++p;
        continue;
      }
      const std::size_t keyStart = p;
      while (p < html.size() && !std::isspace(static_cast<unsigned char>(html[p])) &&
             html[p] != '=' && html[p] != '>' && html[p] != '/') {
        ++p;
      }
      const std::string key = lower(html.substr(keyStart, p - keyStart));
      std::string value;
      while (p < html.size() && std::isspace(static_cast<unsigned char>(html[p]))) ++p;
      if (p < html.size() && html[p] == '=') {
        ++p;
        while (p < html.size() && std::isspace(static_cast<unsigned char>(html[p]))) ++p;
        if (p < html.size() && (html[p] == '"' || html[p] == '\'')) {
          const char quote = html[p++];
          const std::size_t close = html.find(quote, p);
          const std::size_t stop = close == std::string_view::npos ? html.size() : close;
          value = decodeEntities(html.substr(p, stop - p));
          p = stop == html.size() ? stop : stop + 1;
        } else {
          const std::size_t valueStart = p;
          while (p < html.size() && !std::isspace(static_cast<unsigned char>(html[p])) &&
                 html[p] != '>') {
            ++p;
          }
          value = decodeEntities(html.substr(valueStart, p - valueStart));
        }
      }
      if (!key.empty()) tag.attributes.emplace(key, value);
    }
    at = p < html.size() ? p + 1 : p;
    const bool rawText = !end && (tag.name == "script" || tag.name == "style" ||
                                  tag.name == "title" || tag.name == "textarea");
    onTag(tag);
    if (rawText) {
      const std::string closing = "</" + tag.name;
      std::size_t close = at;
      while ((close = html.find("</", close)) != std::string_view::npos &&
             lower(html.substr(close, closing.size())) != closing) {
        close += 2;
      }
      at = close == std::string_view::npos ? html.size() : close;
    }
  }
}

std::optional<Block> blockOf(const std::string& tag) {
  if (tag == "h1") return Block::Heading1;
  if (tag == "h2" || tag == "h3" || tag == "h4") return Block::Heading2;
  if (tag == "li") return Block::Item;
  if (tag == "tr") return Block::Row;
  if (tag == "p" || tag == "div" || tag == "ul" || tag == "ol" || tag == "table" || tag == "body") {
    return Block::Paragraph;
  }
  return std::nullopt;
}

// What a parser would make of the tags for the collector: the head is left out, and a block's
// end counts where the tag says it ends (the pages close what they open).
class TextCollector {
 public:
  ParagraphCollector collector;

  void tag(const Tag& tag) {
    if (tag.name == "head") {
      inHead_ = !tag.end;
      return;
    }
    if (tag.name == "body" && !tag.end) inHead_ = false;
    if (inHead_) return;
    if (tag.name == "br") {
      collector.flush();
      return;
    }
    if (!tag.end && (tag.name == "td" || tag.name == "th")) collector.cell();
    if (const std::optional<Block> block = blockOf(tag.name)) collector.block(*block, !tag.end);
  }

  void text(std::string_view text) {
    if (!inHead_) collector.text(text);
  }

 private:
  bool inHead_ = false;
};

}  // namespace

std::string pageText(std::string_view html, std::size_t width) {
  TextCollector walker;
  scan(
      html, [&](const Tag& tag) { walker.tag(tag); },
      [&](std::string_view text) { walker.text(text); });
  walker.collector.flush();
  return layOut(walker.collector.paragraphs(), width);
}

std::vector<SitemapEntry> sitemapEntries(std::string_view html) {
  std::vector<SitemapEntry> entries;
  int lists = 0;
  std::optional<SitemapEntry> open;
  scan(
      html,
      [&](const Tag& tag) {
        if (tag.name == "ul") lists += tag.end ? -1 : 1;
        if (tag.name == "object" && !tag.end) {
          const auto type = tag.attributes.find("type");
          if (type != tag.attributes.end() && type->second == "text/sitemap") {
            open = SitemapEntry{{}, {}, lists - 1};
          } else {
            open.reset();
          }
        } else if (tag.name == "object" && open) {
          if (!open->name.empty()) entries.push_back(std::move(*open));
          open.reset();
        } else if (tag.name == "param" && open) {
          const auto name = tag.attributes.find("name");
          const auto value = tag.attributes.find("value");
          if (name == tag.attributes.end() || value == tag.attributes.end()) return;
          if (name->second == "Name" || name->second == "name") open->name = value->second;
          if (name->second == "Local" || name->second == "local") open->local = value->second;
        }
      },
      [](std::string_view) {});
  return entries;
}

}  // namespace velmo::linux_help
