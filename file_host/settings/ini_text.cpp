#include "file_host/settings/ini_text.h"

#include <vector>

#include "core/common/code_points.h"
#include "core/common/text.h"

namespace velmo::file_host {
namespace {

constexpr std::size_t kNone = std::u16string_view::npos;

std::u16string escaped(std::u16string_view text, bool isKey) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\\') {
      out += u"\\\\";
    } else if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      out += c;
      out += text[++i];
    } else if (isSurrogate(c)) {
      // UTF-8 cannot hold a lone surrogate.
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    } else if (isKey && (c == u'=' || (i == 0 && (c == u'[' || c == u';' || c == u'#')))) {
      out += u'\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

// The code unit written as four hexadecimal digits, or nothing.
std::optional<char16_t> hexUnit(std::u16string_view digits) {
  if (digits.size() != 4) return std::nullopt;
  unsigned unit = 0;
  for (const char16_t c : digits) {
    int digit = -1;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    if (digit < 0) return std::nullopt;
    unit = unit * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<char16_t>(unit);
}

std::u16string unescaped(std::u16string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char16_t c = text[++i];
    const auto unit = c == u'u' ? hexUnit(text.substr(i + 1, 4)) : std::nullopt;
    if (c == u'r') {
      out += u'\r';
    } else if (c == u'n') {
      out += u'\n';
    } else if (unit) {
      out += *unit;
      i += 4;
    } else {
      out += c;
    }
  }
  return out;
}

// Position of the first `=` that no backslash escapes.
std::size_t separatorOf(std::u16string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == u'\\') {
      ++i;
    } else if (line[i] == u'=') {
      return i;
    }
  }
  return kNone;
}

struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;   // before the line break
  std::size_t next = 0;  // after the line break
};

std::vector<Line> linesOf(std::u16string_view text) {
  std::vector<Line> lines;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find_first_of(u"\r\n", begin);
    if (end == kNone) end = text.size();
    std::size_t next = end;
    if (next < text.size()) next += text.substr(next, 2) == u"\r\n" ? 2 : 1;
    lines.push_back({begin, end, next});
    begin = next;
  }
  return lines;
}

// Walks the lines and reports where the section and the key stand.
struct Found {
  std::size_t sectionLine = kNone;    // the first matching section header
  std::size_t lastEntryLine = kNone;  // the last non-blank line of that section
  std::size_t keyLine = kNone;        // the first matching key in a matching section
};

Found find(std::u16string_view text, const std::vector<Line>& lines, std::u16string_view section,
           std::u16string_view key) {
  Found found;
  bool inSection = false;
  bool inFirstSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::u16string_view line = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
    if (line.starts_with(u'[')) {
      const std::size_t close = line.rfind(u']');
      const std::u16string name = unescaped(line.substr(1, close == kNone ? kNone : close - 1));
      inSection = equalsIgnoreAsciiCase(name, section);
      inFirstSection = inSection && found.sectionLine == kNone;
      if (inFirstSection) found.sectionLine = found.lastEntryLine = i;
      continue;
    }
    if (!inSection || line.find_first_not_of(u" \t") == kNone) continue;
    if (inFirstSection) found.lastEntryLine = i;
    if (line.starts_with(u';') || line.starts_with(u'#')) continue;
    const std::size_t separator = separatorOf(line);
    if (separator != kNone && found.keyLine == kNone &&
        equalsIgnoreAsciiCase(unescaped(line.substr(0, separator)), key)) {
      found.keyLine = i;
    }
  }
  return found;
}

std::u16string_view lineBreakOf(std::u16string_view text) {
  const std::size_t at = text.find_first_of(u"\r\n");
  if (at != kNone && text.substr(at, 2) == u"\r\n") return u"\r\n";
  return u"\n";
}

}  // namespace

std::optional<std::u16string> iniValue(std::u16string_view text, std::u16string_view section,
                                       std::u16string_view key) {
  const std::vector<Line> lines = linesOf(text);
  const Found found = find(text, lines, section, key);
  if (found.keyLine == kNone) return std::nullopt;
  const Line& line = lines[found.keyLine];
  const std::u16string_view content = text.substr(line.begin, line.end - line.begin);
  return unescaped(content.substr(separatorOf(content) + 1));
}

std::u16string withIniValue(std::u16string_view text, std::u16string_view section,
                            std::u16string_view key, std::u16string_view value) {
  const std::u16string_view lineBreak = lineBreakOf(text);
  const std::vector<Line> lines = linesOf(text);
  const Found found = find(text, lines, section, key);

  if (found.keyLine != kNone) {
    // Keep the key as it is spelled in the file.
    const Line& line = lines[found.keyLine];
    const std::u16string_view content = text.substr(line.begin, line.end - line.begin);
    const std::size_t valueAt = line.begin + separatorOf(content) + 1;
    return std::u16string(text.substr(0, valueAt)) + escaped(value, false) +
           std::u16string(text.substr(line.end));
  }

  const std::u16string entry = escaped(key, true) + u"=" + escaped(value, false);
  if (found.sectionLine != kNone) {
    const Line& after = lines[found.lastEntryLine];
    std::u16string out(text.substr(0, after.end));
    out += lineBreak;
    out += entry;
    out += text.substr(after.end);
    return out;
  }

  std::u16string out(text);
  if (!out.empty()) {
    if (out.back() != u'\n' && out.back() != u'\r') out += lineBreak;
    out += lineBreak;
  }
  out += u"[" + escaped(section, false) + u"]";
  out += lineBreak;
  out += entry;
  out += lineBreak;
  return out;
}

}  // namespace velmo::file_host
