#include "file_host/html/page_codec.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/common/code_points.h"
#include "core/common/text.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/page_scanner.h"
#include "file_host/html/text_codec.h"

namespace velmo::file_host {
namespace {

bool isAscii(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool isAscii(std::u16string_view s) {
  for (const char16_t c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

std::string asciiBytes(std::u16string_view s) {
  return std::string(s.begin(), s.end());
}

std::string hex(unsigned value, const char* format) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

enum class Context { Markup, Script, Style };

struct Piece {
  std::size_t begin;
  std::size_t end;
  Context context;
};

// Splits HTML (as UTF-8) by where the parser will read each character: the content of SCRIPT
// and STYLE elements (where the tree rules make it raw text) apart from everything else.
class PieceSplitter : public ScanObserver {
 public:
  explicit PieceSplitter(std::size_t size) : size_(size) {}

  void rawTextElement(const html::Token& startTag, std::size_t innerEnd, std::size_t) override {
    Context context = Context::Markup;
    if (*html::textModeOf(startTag.text) == html::TextMode::ScriptData) context = Context::Script;
    if (html::equalsLower(startTag.text, "style")) context = Context::Style;
    if (context == Context::Markup) return;
    pieces_.push_back({markupStart_, startTag.end, Context::Markup});
    pieces_.push_back({startTag.end, innerEnd, context});
    markupStart_ = innerEnd;
  }

  std::vector<Piece> pieces() && {
    pieces_.push_back({markupStart_, size_, Context::Markup});
    return std::move(pieces_);
  }

 private:
  std::size_t size_;
  std::size_t markupStart_ = 0;
  std::vector<Piece> pieces_;
};

std::vector<Piece> piecesOf(const std::string& html) {
  PieceSplitter splitter(html.size());
  observePage(html, splitter);
  return std::move(splitter).pieces();
}

}  // namespace

std::string htmlCharacterReference(char32_t c) {
  return "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
}

std::string javaScriptEscape(char32_t c) {
  if (c < 0x10000) return hex(static_cast<unsigned>(c), "\\u%04X");
  return hex(highSurrogateOf(c), "\\u%04X") + hex(lowSurrogateOf(c), "\\u%04X");
}

std::string cssEscape(char32_t c) {
  return hex(static_cast<unsigned>(c), "\\%X ");
}

PageCodec::PageCodec(Encoding memory, Encoding file)
    : memory_(memory),
      file_(file),
      plainUtf8_(memory == Encoding::Utf8 && (file == Encoding::Utf8 || file == Encoding::Utf16Le ||
                                              file == Encoding::Utf16Be)) {}

std::string PageCodec::encode(std::u16string_view text, std::string (*escape)(char32_t)) const {
  if (memory_ == file_) return encodeText(memory_, text, escape);
  // Through the file's encoding and back: what it lacks comes out escaped, as UTF-8.
  return utf16ToUtf8(decodeText(file_, encodeText(file_, text, escape)));
}

std::u16string PageCodec::read(std::string_view bytes) const {
  return decodeText(memory_, bytes);
}

std::u16string PageCodec::readAttribute(std::string_view raw) const {
  // References decode to UTF-8, so the value is made UTF-8 first when the page is not.
  if (isUtf8() || isAscii(raw)) {
    return decodeText(Encoding::Utf8, html::decodeCharacterReferences(raw));
  }
  return decodeText(Encoding::Utf8,
                    html::decodeCharacterReferences(utf16ToUtf8(decodeText(memory_, raw))));
}

std::string PageCodec::writeHtml(std::u16string_view text) const {
  return writeHtml(text, 0, text.size());
}

std::string PageCodec::writeHtml(std::u16string_view text, std::size_t begin,
                                 std::size_t end) const {
  const std::u16string_view part = text.substr(begin, end - begin);
  if (isUtf8()) return utf16ToUtf8(part);
  if (isAscii(part)) return asciiBytes(part);
  // Where a character lands (script, style or markup) depends on the whole text.
  const std::string html = utf16ToUtf8(text);
  const std::size_t from = utf16ToUtf8(text.substr(0, begin)).size();
  const std::size_t to = from + utf16ToUtf8(part).size();
  std::string out;
  for (const Piece& p : piecesOf(html)) {
    const std::size_t b = std::max(p.begin, from), e = std::min(p.end, to);
    if (b >= e) continue;
    const auto escape = p.context == Context::Script  ? javaScriptEscape
                        : p.context == Context::Style ? cssEscape
                                                      : htmlCharacterReference;
    out += encode(utf8ToUtf16(std::string_view(html).substr(b, e - b)), escape);
  }
  return out;
}

namespace {

// The last fresh start of the decoder at or before `unit`, and the first at or after it; a
// start inside a run of ASCII bytes is where the unit falls.
DecodeMark freshStartAtOrBefore(const std::vector<DecodeMark>& marks, std::size_t unit) {
  const DecodeMark m =
      *std::prev(std::upper_bound(marks.begin(), marks.end(), unit,
                                  [](std::size_t u, const DecodeMark& m) { return u < m.unit; }));
  if (m.asciiRun) return {m.byte + (unit - m.unit), unit};
  return m;
}

DecodeMark freshStartAtOrAfter(const std::vector<DecodeMark>& marks, std::size_t unit) {
  const auto at = std::lower_bound(marks.begin(), marks.end(), unit,
                                   [](const DecodeMark& m, std::size_t u) { return m.unit < u; });
  if (at != marks.begin() && at->unit != unit && std::prev(at)->asciiRun) {
    const DecodeMark& run = *std::prev(at);
    return {run.byte + (unit - run.unit), unit};
  }
  return *at;
}

}  // namespace

PageCodec::Splice PageCodec::spliceHtml(std::string_view old, std::u16string_view html) const {
  std::vector<DecodeMark> marks;
  const std::u16string was = decodeText(memory_, old, &marks);
  std::size_t prefix = 0;
  while (prefix < was.size() && prefix < html.size() && was[prefix] == html[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < was.size() - prefix && suffix < html.size() - prefix &&
         was[was.size() - 1 - suffix] == html[html.size() - 1 - suffix]) {
    ++suffix;
  }
  // Cut where the decoder starts afresh, so that the kept bytes read as they did.
  const DecodeMark first = freshStartAtOrBefore(marks, prefix);
  const DecodeMark last = freshStartAtOrAfter(marks, was.size() - suffix);
  const std::size_t newEnd = html.size() - (was.size() - last.unit);
  return {first.byte, last.byte, writeHtml(html, first.unit, newEnd)};
}
std::string PageCodec::writeCss(std::u16string_view css) const {
  if (isUtf8()) return utf16ToUtf8(css);
  if (isAscii(css)) return asciiBytes(css);
  return encode(css, cssEscape);
}

std::optional<std::string> PageCodec::writeExact(std::u16string_view text) const {
  if (isUtf8()) return utf16ToUtf8(text);
  if (isAscii(text)) return asciiBytes(text);
  bool lacking = false;
  std::string bytes = encodeText(file_, text, [&](char32_t) {
    lacking = true;
    return std::string();
  });
  if (lacking) return std::nullopt;
  if (memory_ != file_) return utf16ToUtf8(text);
  return bytes;
}

}  // namespace velmo::file_host
