#include "windows/renderer/fonts.h"

#include <cmath>
#include <cwchar>

#include "windows/platform/win_text.h"

namespace velmo::win {
namespace {

constexpr const wchar_t* kFallbackFaces[] = {L"Microsoft Sans Serif", L"Tahoma", L"Arial"};

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool isInstalled(HDC dc, std::wstring_view face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(wanted.lfFaceName, face.size());
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

std::wstring defaultGuiFace() {
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  return font.lfFaceName;
}

}  // namespace

std::wstring installedFace(std::u16string_view wanted) {
  ScreenDc screen;
  const std::wstring face = wide(wanted);
  if (isInstalled(screen.get(), face)) return face;
  for (const wchar_t* fallback : kFallbackFaces) {
    if (isInstalled(screen.get(), fallback)) return fallback;
  }
  return defaultGuiFace();
}

LOGFONTW logFont(const forms::Font& font, int dpi) {
  LOGFONTW result{};
  // A negative height asks for the character height (the em), as a point size means.
  result.lfHeight = -static_cast<LONG>(std::lround(font.points * dpi / 72.0));
  result.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  result.lfItalic = font.italic;
  result.lfUnderline = font.underline;
  result.lfCharSet = DEFAULT_CHARSET;
  result.lfOutPrecision = OUT_DEFAULT_PRECIS;
  result.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  result.lfQuality = DEFAULT_QUALITY;
  result.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  const std::wstring face = installedFace(font.name);
  wcsncpy(result.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return result;
}

HFONT FontCache::get(const forms::Font& font) {
  for (const auto& [made, handle] : fonts_) {
    if (made == font) return handle.get();
  }
  const LOGFONTW description = logFont(font, dpi_);
  GdiFont handle(CreateFontIndirectW(&description));
  if (!handle) throw lastWin32Error(u"The font " + font.name + u" cannot be made");
  return fonts_.emplace_back(font, std::move(handle)).second.get();
}

}  // namespace velmo::win
