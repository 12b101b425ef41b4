#include "cli/check/page_findings.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>
#include <utility>

#include "cli/check/site_files.h"
#include "core/common/text.h"
#include "features/command_class/clstestt.h"
#include "features/date/date_block.h"
#include "features/favourites/favourites_block.h"
#include "features/slideshow/slide_show.h"
#include "features/style/scrollbar_style.h"
#include "file_host/css/css_block.h"
#include "file_host/css/css_text.h"
#include "file_host/file_host.h"
#include "file_host/files/atomic_file.h"
#include "file_host/html/html_scan.h"
#include "file_host/html/page_codec.h"
#include "file_host/html/page_index.h"
#include "file_host/html/page_scan_observer.h"
#include "file_host/html/template_syntax.h"

namespace velmo::check {
namespace {

using file_host::html::Token;
namespace html = file_host::html;
constexpr std::size_t npos = std::string_view::npos;

// What the scan reads that the landmarks do not keep: comments, raw-text elements and server
// (and template) blocks.
class MarkupSeen : public file_host::ScanObserver {
 public:
  struct RawText {
    std::size_t tagBegin, tagEnd, innerEnd, end;
    std::string_view name;
  };
  void comment(const Token& token) override { comments.emplace_back(token.begin, token.end); }
  void rawTextElement(const Token& tag, std::size_t innerEnd, std::size_t end) override {
    rawTexts.push_back({tag.begin, tag.end, innerEnd, end, tag.text});
  }
  std::vector<std::pair<std::size_t, std::size_t>>* serverBlocks() override { return &servers; }

  std::vector<std::pair<std::size_t, std::size_t>> comments;
  std::vector<RawText> rawTexts;
  std::vector<std::pair<std::size_t, std::size_t>> servers;
};

// Text that marks a block the commands write, wherever it is written.
struct Signature {
  std::string text;
  std::string_view what;
};

const std::vector<Signature>& signatures() {
  static const std::vector<Signature> kSignatures = [] {
    std::vector<Signature> all = {
        {"<!--webbot bot=\"" + utf16ToUtf8(kDateBotName) + "\"", "the date block"},
        {"<!--webbot bot=\"" + utf16ToUtf8(kFavouritesBotName) + "\"", "the favourites block"},
        {"\"" + utf16ToUtf8(kSlideScriptName) + "\"", "the slide viewer script"},
    };
    // The slide show table names its picture element; the HEAD script is known by its start tag.
    const std::string table = utf16ToUtf8(slideTable());
    if (table.find("name=\"photoslider\"") != npos) {
      all.push_back({"name=\"photoslider\"", "the slide show table"});
    }
    const std::string script = utf16ToUtf8(scriptHead2Block(u""));
    all.push_back({script.substr(0, script.find('\r')), "a HEAD script"});
    for (const ScrollbarEntry& entry : kScrollbarEntries) {
      all.push_back({utf16ToUtf8(entry.property), "the scrollbar STYLE"});
    }
    return all;
  }();
  return kSignatures;
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether a declared value is a colour: #RGB or #RRGGBB, a colour's name, or a colour function.
bool isColour(std::string_view value) {
  if (value.starts_with('#')) {
    std::string hex(value.substr(1));
    if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    return hexToColor(utf8ToUtf16(hex)).has_value();
  }
  const std::size_t letters = static_cast<std::size_t>(
      std::find_if(value.begin(), value.end(),
                   [](char c) { return !((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }) -
      value.begin());
  if (letters == value.size()) return letters > 0;
  return letters > 0 && value[letters] == '(' && value.ends_with(')');
}

std::size_t afterLineBreak(std::string_view src, std::size_t at) {
  if (src.compare(at, 2, "\r\n") == 0) return at + 2;
  if (at < src.size() && (src[at] == '\n' || src[at] == '\r')) return at + 1;
  return at;
}

// A URL's path with its %-escapes decoded; nothing when they do not make UTF-8 text.
std::optional<std::u16string> percentDecoded(std::u16string_view path) {
  if (path.find(u'%') == npos) return std::u16string(path);
  std::string bytes = utf16ToUtf8(path);
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '%' && i + 2 < bytes.size() && isHexDigit(bytes[i + 1]) &&
        isHexDigit(bytes[i + 2])) {
      out += static_cast<char>(std::stoi(bytes.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += bytes[i];
    }
  }
  if (!isValidUtf8(out)) return std::nullopt;
  return utf8ToUtf16(out);
}

class PageChecker {
 public:
  PageChecker(file_host::FileHost& host, SiteFiles& files)
      : host_(host),
        files_(files),
        src_(host.pageSource()),
        codec_(host.pageCodec()),
        syntax_(host.pageTemplateSyntax()),
        folder_(host.pagePath().parent_path()) {}

  std::vector<Finding> run() {
    file_host::PageIndex& index = host_.pageIndex();
    index.scanObserved(seen_);
    webbots(index);
    headScripts(index);
    hiddenBlocks();
    scrollbarColours();
    slideUses();
    std::stable_sort(found_.begin(), found_.end(),
                     [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
    found_.erase(std::unique(found_.begin(), found_.end(),
                             [](const Finding& a, const Finding& b) {
                               return a.offset == b.offset && a.rule == b.rule;
                             }),
                 found_.end());
    return std::move(found_);
  }

 private:
  void add(std::string_view rule, std::size_t offset, std::string message,
           std::optional<Mend> mend = {}) {
    found_.push_back({ruleNamed(rule), offset, std::move(message), std::move(mend)});
  }

  // Page bytes as UTF-8, for a message.
  std::string text(std::string_view bytes) const { return utf16ToUtf8(codec_.read(bytes)); }

  void webbots(file_host::PageIndex& index) {
    const auto& blocks = index.webbotBlocks();
    std::unordered_set<std::size_t> ends;
    std::unordered_set<std::string_view> pasted;
    const std::string date = utf16ToUtf8(kDateBotName);
    const std::string favourites = utf16ToUtf8(kFavouritesBotName);
    for (const file_host::WebbotBlock& block : blocks) {
      const file_host::Landmark& start = index.mark(block.start);
      const auto name = index.botName(block.start);
      if (!block.end) {
        if (start.role == file_host::WebbotRole::Start) {
          add("webbot-unclosed", start.begin,
              "the webbot start comment of " + botText(name) +
                  " has no end comment: the rest of the page belongs to its block");
        }
        continue;
      }
      ends.insert(*block.end);
      const file_host::Landmark& end = index.mark(*block.end);
      const std::string_view whole(src_.data() + start.begin, end.end - start.begin);
      const bool ours = name && (*name == date || *name == favourites);
      if (ours && !pasted.insert(whole).second) {
        add("duplicate-block", start.begin,
            std::string(*name == date ? "the date block" : "the favourites block") +
                " is pasted a second time, byte for byte",
            Mend{start.begin, end.end, {}});
        continue;
      }
      references(start.end, end.begin);
      if (name && *name == favourites) favouritesPicture(start.end, end.begin);
    }
    for (std::size_t mark : index.webbotMarks()) {
      const file_host::Landmark& w = index.mark(mark);
      if (w.role == file_host::WebbotRole::End && !ends.contains(mark)) {
        add("webbot-stray-end", w.begin,
            "the webbot end comment of " + botText(index.botName(mark)) +
                " has no start comment before it");
      }
    }
  }

  std::string botText(const std::optional<std::string_view>& name) const {
    return name ? "bot '" + text(*name) + "'" : std::string("a webbot without a bot name");
  }

  // The src and href attributes of the tags in [begin, end); scripts and other raw text are
  // passed over.
  void references(std::size_t begin, std::size_t end) {
    const std::string_view view(src_.data(), end);
    html::ScanMemo memo;
    memo.templates.syntax = syntax_;
    for (std::size_t pos = begin; pos < end;) {
      const Token t = html::nextToken(view, pos, false, &memo);
      if (t.kind == html::TokenKind::Eof || t.end <= pos) break;
      pos = t.end;
      if (t.kind != html::TokenKind::StartTag) continue;
      for (const html::Attribute& a : html::tagAttributes(view.substr(t.begin, t.end - t.begin))) {
        if (!a.hasValue) continue;
        if (html::equalsLower(a.name, "src") || html::equalsLower(a.name, "href")) {
          const auto at = static_cast<std::size_t>(a.value.data() - src_.data());
          reference(at, at + a.value.size(), false, "missing-file", "the block's reference");
        }
      }
      if (const auto mode = html::textModeOf(t.text)) {
        pos = html::rawTextEnd(view, t.end, *mode, t.text, &memo);
      }
    }
  }

  // The picture of a favourites link, which its script writes: <img border="0" src="...">.
  void favouritesPicture(std::size_t begin, std::size_t end) {
    const std::string_view block(src_.data(), end);
    for (std::size_t at = block.find("<img ", begin); at != npos;
         at = block.find("<img ", at + 1)) {
      const std::size_t value = block.find("src=\"", at);
      if (value == npos) return;
      const std::size_t close = block.find('"', value + 5);
      if (close == npos) return;
      reference(value + 5, close, true, "favourites-picture-missing", "the favourites picture");
    }
  }

  // A local reference written at [begin, end): in a string of a script (`inScript`) or as an
  // attribute value.
  void reference(std::size_t begin, std::size_t end, bool inScript, std::string_view missingRule,
                 std::string_view what) {
    const std::string_view raw(src_.data() + begin, end - begin);
    std::u16string value = codec_.readAttribute(raw);
    if (inScript) {
      // The script's string escapes: each '\' stands before the character it keeps.
      std::u16string plain;
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) ++i;
        plain += value[i];
      }
      value = std::move(plain);
    }
    // What is no file of the site: another scheme or host, a place in the page, code that builds
    // the address.
    if (value.empty() || value.starts_with(u'#') || value.starts_with(u"//")) return;
    for (std::u16string_view code : {u"<", u">", u"{", u"}", u"'+", u"\"+", u"\\"}) {
      if (value.find(code) != npos) return;
    }
    const std::size_t pathEnd = std::min(value.find(u'?'), value.find(u'#'));
    const std::size_t colon = value.find(u':');
    if (colon != npos && colon < std::min(value.find(u'/'), pathEnd)) return;
    const std::u16string_view path = std::u16string_view(value).substr(0, pathEnd);
    const auto decoded = percentDecoded(path);
    if (!decoded || decoded->empty()) return;
    const Lookup lookup = files_.find(folder_, *decoded);
    const std::string shown = "'" + utf16ToUtf8(value) + "'";
    if (lookup.kind == Lookup::Kind::Missing) {
      add(missingRule, begin, std::string(what) + " " + shown + " names no file of the site");
    } else if (lookup.kind == Lookup::Kind::OtherCase) {
      std::optional<Mend> mend;
      // Only the case of ASCII letters differs, so a reference written without escapes keeps
      // its length and the bytes after its path.
      const std::string corrected = utf16ToUtf8(lookup.corrected);
      const std::size_t rawPath = std::min(raw.find('?'), raw.find('#'));
      const std::string_view written = raw.substr(0, rawPath);
      if (!corrected.empty() && written.find_first_of("%&\\ ") == npos &&
          corrected.size() == written.size() &&
          (codec_.encoding() == file_host::Encoding::Utf8 ||
           std::all_of(written.begin(), written.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; }))) {
        mend = Mend{begin, begin + written.size(), corrected};
      }
      add("reference-case", begin,
          std::string(what) + " " + shown +
              (corrected.empty() ? " matches several files of the site only in another case"
                                 : " names '" + corrected + "' in another case"),
          std::move(mend));
    }
  }

  bool inHead(const MarkupSeen::RawText& element, const file_host::HeadSpan& head) const {
    return element.tagBegin >= head.innerBegin && element.end <= head.innerEnd;
  }

  void headScripts(file_host::PageIndex& index) {
    const file_host::HeadSpan head = index.head();
    const std::u16string slideName = u"\"" + std::u16string(kSlideScriptName) + u"\"";
    std::unordered_set<std::string_view> scripts;
    bool slideScript = false;
    for (const MarkupSeen::RawText& element : seen_.rawTexts) {
      if (!html::equalsLower(element.name, "script") || !inHead(element, head)) continue;
      const std::string_view tag(src_.data() + element.tagBegin, element.tagEnd - element.tagBegin);
      const std::string_view whole(src_.data() + element.tagBegin, element.end - element.tagBegin);
      const Mend removal{element.tagBegin, afterLineBreak(src_, element.end), {}};
      if (findIgnoreAsciiCase(codec_.read(tag), slideName) != npos) {
        if (slideScript) {
          add("second-slide-script", element.tagBegin,
              "a second slide viewer script in the HEAD: the page's slide shows would show its "
              "pictures, not the first script's",
              removal);
        } else {
          slideScript = true;
          slidePictures(element.tagEnd, element.innerEnd);
        }
        continue;
      }
      if (!scripts.insert(whole).second) {
        add("duplicate-head-script", element.tagBegin,
            "the same script stands in the HEAD a second time: it runs twice", removal);
      }
    }
  }

  // The picture list of the slide viewer script: photos_VL[N] = "slide_img/NAME".
  void slidePictures(std::size_t begin, std::size_t end) {
    const std::string_view script(src_.data(), end);
    constexpr std::string_view kList = "photos_VL[";
    for (std::size_t at = script.find(kList, begin); at != npos;
         at = script.find(kList, at + kList.size())) {
      std::size_t i = script.find(']', at);
      if (i == npos) return;
      for (++i; i < end && (script[i] == ' ' || script[i] == '\t'); ++i) {
      }
      if (i == end || script[i] != '=') continue;
      for (++i; i < end && (script[i] == ' ' || script[i] == '\t'); ++i) {
      }
      if (i == end || (script[i] != '"' && script[i] != '\'')) continue;
      const char quote = script[i];
      std::size_t close = i + 1;
      while (close < end && script[close] != quote && script[close] != '\n') {
        close += script[close] == '\\' ? 2 : 1;
      }
      if (close >= end || script[close] != quote) continue;
      reference(i + 1, close, true, "slide-picture-missing", "the slide show picture");
    }
  }

  void hiddenBlocks() {
    std::vector<std::pair<std::size_t, std::size_t>> servers = seen_.servers;
    std::sort(servers.begin(), servers.end());
    servers.erase(std::unique(servers.begin(), servers.end()), servers.end());
    const std::string_view src(src_);
    for (const auto& [begin, end] : seen_.comments) {
      // What a conditional comment holds reaches the browsers it names.
      if (src.compare(begin, 7, "<!--[if") == 0) continue;
      // A comment's own "<!--" opens no block inside it.
      for (const Signature& signature : signatures()) {
        const std::size_t at = src.substr(0, end).find(signature.text, begin + 4);
        if (at == npos) continue;
        add("hidden-block", at,
            std::string(signature.what) +
                " is written inside an HTML comment: it never reaches the browser");
      }
    }
    for (const auto& [begin, end] : servers) {
      const bool server = src[begin] == '<' && (src[begin + 1] == '%' || src[begin + 1] == '?');
      const bool comment =
          server ? src.compare(begin, 4, "<%--") == 0 : html::isTemplateComment(src, begin);
      const std::string_view where = server ? (comment ? "a server comment" : "server code")
                                            : (comment ? "a template comment" : "template code");
      for (const Signature& signature : signatures()) {
        const std::size_t at = src.substr(0, end).find(signature.text, begin);
        if (at == npos || html::inServerString(src, begin, end, at)) continue;
        add("hidden-block", at,
            std::string(signature.what) + " is written inside " + std::string(where) +
                ", outside its strings: it never reaches the browser");
      }
    }
  }

  void scrollbarColours() {
    for (const MarkupSeen::RawText& element : seen_.rawTexts) {
      if (!html::equalsLower(element.name, "style")) continue;
      const std::string_view sheet(src_.data() + element.tagEnd, element.innerEnd - element.tagEnd);
      if (asciiLowered(sheet).find("scrollbar") == npos) continue;
      for (const auto& rule : file_host::css::parseRules(sheet)) {
        for (const auto& part : file_host::css::detail::scanBlock(sheet, rule.block).parts) {
          if (!part.declaration) continue;
          const std::string name =
              asciiLowered(sheet.substr(part.name.begin, part.name.end - part.name.begin));
          const bool scrollbar =
              std::any_of(kScrollbarEntries.begin(), kScrollbarEntries.end(),
                          [&](const ScrollbarEntry& e) { return utf16ToUtf8(e.property) == name; });
          if (!scrollbar) continue;
          const std::string_view value =
              sheet.substr(part.value.begin, part.value.end - part.value.begin);
          if (isColour(value)) continue;
          const bool hashless =
              value.size() == 6 && std::all_of(value.begin(), value.end(), isHexDigit);
          add("scrollbar-colour", element.tagEnd + part.value.begin,
              "'" + text(value) + "' is not a colour" + (hashless ? " without its '#'" : "") +
                  ": browsers ignore " + name);
        }
      }
    }
  }

  // Every "slide_img/NAME" the page writes, in a block or anywhere else, uses that picture.
  void slideUses() {
    const std::string folder = utf16ToUtf8(kSlideFolder) + "/";
    for (std::size_t at = src_.find(folder); at != npos; at = src_.find(folder, at + 1)) {
      const std::size_t from = at + folder.size();
      const std::size_t to = src_.find_first_of("\"' \t\r\n<>?#)\\", from);
      const auto name = percentDecoded(codec_.read(src_.substr(from, to - from)));
      if (name && !name->empty()) files_.noteSlideUse(*name);
    }
  }

  file_host::FileHost& host_;
  SiteFiles& files_;
  const std::string& src_;
  const file_host::PageCodec& codec_;
  html::TemplateSyntax syntax_;
  std::filesystem::path folder_;
  MarkupSeen seen_;
  std::vector<Finding> found_;
};

}  // namespace

std::vector<Finding> checkPage(file_host::FileHost& host, SiteFiles& files) {
  return PageChecker(host, files).run();
}

}  // namespace velmo::check
