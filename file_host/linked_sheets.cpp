#include "file_host/linked_sheets.h"

#include <algorithm>
#include <system_error>

#include "core/common/host_error.h"
#include "core/common/text.h"
#include "file_host/files/atomic_file.h"
#include "file_host/files/file_undo.h"
#include "file_host/files/write_target.h"
#include "file_host/html/encoding_sniff.h"
#include "file_host/html/text_codec.h"

namespace velmo::file_host {
namespace fs = std::filesystem;

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Escapes that do not decode to UTF-8 are no file name this page can mean; they stay as written.
std::string percentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return isValidUtf8(out) ? out : std::string(text);
}

// The scheme of an absolute address ("http", "file"); empty for a relative reference. A single
// letter before ':' is a drive, not a scheme.
std::string schemeOf(std::string_view ref) {
  const std::size_t colon = ref.find(':');
  if (colon == std::string_view::npos || colon < 2) return {};
  std::string scheme;
  for (char c : ref.substr(0, colon)) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '+' || c == '-' || c == '.';
    if (!ok) return {};
    scheme += asciiLower(c);
  }
  return scheme;
}

bool isInside(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  const fs::path f = fs::weakly_canonical(file, ec);
  if (ec) return false;
  const fs::path d = fs::weakly_canonical(folder, ec);
  if (ec) return false;
  auto di = d.begin(), fi = f.begin();
  for (; di != d.end(); ++di, ++fi) {
    if (di->empty() && std::next(di) == d.end()) break;  // a trailing separator
    if (fi == f.end() || *di != *fi) return false;
  }
  return true;
}

std::string trim(std::string_view s) {
  const auto space = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
  };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// Reads the file's bytes into the sheet in the encoding browsers would read them in.
void readSheet(SheetFile& sheet, std::string bytes, Encoding pageEncoding) {
  const DetectedEncoding d = detectSheetEncoding(bytes, pageEncoding);
  const Encoding e = d.encoding;
  const std::u16string name = utf8ToUtf16(std::string(encodingInfo(e).name));
  switch (encodingInfo(e).kind) {
    case EncodingKind::AsciiCompatible:
      sheet.codec = PageCodec(e);
      sheet.bomSize = d.bomSize;
      sheet.saved = std::move(bytes);
      break;
    case EncodingKind::Replacement:
      throw HostError(hr::kInvalidData, u"The style sheet '" + sheet.label +
                                            u"' declares an encoding that browsers do not read");
    case EncodingKind::Transcoded: {
      const auto text = decodeExactly(e, std::string_view(bytes).substr(d.bomSize));
      if (!text) {
        throw HostError(hr::kInvalidData,
                        u"The style sheet '" + sheet.label + u"' is not valid " + name + u" text");
      }
      sheet.codec = PageCodec(Encoding::Utf8, e);
      sheet.fileBom = bytes.substr(0, d.bomSize);
      sheet.saved = utf16ToUtf8(*text);
      break;
    }
  }
  sheet.text = sheet.saved;
}

// The page is locked first and a run holds it while it waits for a sheet; two runs whose pages
// link the same two sheets in opposite order could wait for each other, so the wait is bounded.
constexpr int kSheetLockSeconds = 30;

void writeSheet(SheetFile& sheet, const CommitOptions& options) {
  ReplaceSteps steps;
  steps.batch = options.batch;
  if (sheet.codec.encoding() == sheet.codec.fileEncoding()) {
    sheet.file.replace(sheet.text, steps);
  } else {
    sheet.file.replace(
        sheet.fileBom + encodeText(sheet.codec.fileEncoding(), utf8ToUtf16(sheet.text), cssEscape),
        steps);
  }
}

}  // namespace

LinkedSheets::LinkedSheets(fs::path pageFolder, fs::path siteRoot, Encoding pageEncoding)
    : pageFolder_(std::move(pageFolder)),
      siteRoot_(std::move(siteRoot)),
      pageEncoding_(pageEncoding) {}

SheetFile& LinkedSheets::open(std::string_view hrefText) {
  std::string href = trim(hrefText);
  href = href.substr(0, std::min(href.find('#'), href.find('?')));
  const std::string scheme = schemeOf(href);
  const bool remote = (!scheme.empty() && scheme != "file") || href.rfind("//", 0) == 0;

  fs::path path;
  std::string key;
  if (remote) {
    key = "remote:" + href;
  } else {
    std::string local = href;
    if (scheme == "file") {
      local = local.substr(5);
      if (local.rfind("//", 0) == 0) {
        const std::size_t slash = local.find('/', 2);
        local = slash == std::string::npos ? std::string() : local.substr(slash);
      }
      // file:///C:/x names the drive path C:/x.
      if (local.size() > 2 && local[0] == '/' && local[2] == ':') local.erase(0, 1);
      path = textToPath(utf8ToUtf16(percentDecode(local)));
    } else {
      const fs::path rel = textToPath(utf8ToUtf16(percentDecode(local)));
      path =
          (!local.empty() && local[0] == '/') ? siteRoot_ / rel.relative_path() : pageFolder_ / rel;
    }
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    if (!ec) path = canonical;
    const std::u8string name = path.u8string();
    key = "file:" + std::string(name.begin(), name.end());
  }

  auto [it, fresh] = files_.try_emplace(key);
  if (fresh) it->second.version = ++lastVersion_;
  SheetFile& sheet = it->second;
  if (!fresh) return sheet;
  try {
    sheet.path = path;
    sheet.label = remote ? utf8ToUtf16(href) : pathToText(path);
    std::error_code ec;
    if (remote) {
      sheet.access = SheetFile::Access::Remote;
    } else if (!fs::is_regular_file(path, ec)) {
      sheet.access = SheetFile::Access::Missing;
    } else {
      sheet.file = LockedFile::open(path, u"style sheet", kSheetLockSeconds, shared_);
      readSheet(sheet, sheet.file.read(), pageEncoding_);
      sheet.access =
          isInside(path, siteRoot_) ? SheetFile::Access::Writable : SheetFile::Access::OutsideSite;
    }
  } catch (...) {
    files_.erase(it);
    throw;
  }
  return sheet;
}

void LinkedSheets::edit(SheetFile& sheet, const css::Edit& e) {
  switch (sheet.access) {
    case SheetFile::Access::Writable:
      break;
    case SheetFile::Access::OutsideSite:
      throw HostError(hr::kAccessDenied, u"The style sheet '" + sheet.label +
                                             u"' lies outside the site and cannot be changed");
    case SheetFile::Access::Missing:
      throw HostError(hr::kAccessDenied, u"The style sheet '" + sheet.label +
                                             u"' does not exist and cannot be changed");
    case SheetFile::Access::Remote:
      throw HostError(hr::kAccessDenied, u"The style sheet '" + sheet.label +
                                             u"' is not a local file and cannot be changed");
  }
  sheet.text.replace(sheet.bomSize + e.begin, e.end - e.begin, e.text);
  sheet.version = ++lastVersion_;
}

bool LinkedSheets::changed() const {
  return std::any_of(files_.begin(), files_.end(),
                     [](const auto& f) { return f.second.text != f.second.saved; });
}

void LinkedSheets::check(const CommitOptions& options) {
  for (const auto& [key, sheet] : files_) {
    if (sheet.text == sheet.saved) continue;
    sheet.file.checkUnchanged();
    checkNotReadOnly(sheet.path, u"style sheet", options.writeReadOnly);
  }
}

void LinkedSheets::commit(FileUndo& undo, const CommitOptions& options) {
  for (auto& [key, sheet] : files_) {
    if (sheet.text == sheet.saved) continue;
    undo.remember(sheet.path);
    writeSheet(sheet, options);
    sheet.saved = sheet.text;
  }
}

void LinkedSheets::revert() {
  files_.clear();
}

}  // namespace velmo::file_host
