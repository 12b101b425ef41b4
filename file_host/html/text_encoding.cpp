#include "file_host/html/text_encoding.h"

#include <array>
#include <string>

#include "core/common/text.h"

namespace velmo::file_host {
namespace {

using K = EncodingKind;

// In the order of Encoding.
constexpr std::array<EncodingInfo, 40> kEncodings{{
    {"UTF-8", K::AsciiCompatible},
    {"IBM866", K::AsciiCompatible},
    {"ISO-8859-2", K::AsciiCompatible},
    {"ISO-8859-3", K::AsciiCompatible},
    {"ISO-8859-4", K::AsciiCompatible},
    {"ISO-8859-5", K::AsciiCompatible},
    {"ISO-8859-6", K::AsciiCompatible},
    {"ISO-8859-7", K::AsciiCompatible},
    {"ISO-8859-8", K::AsciiCompatible},
    {"ISO-8859-8-I", K::AsciiCompatible},
    {"ISO-8859-10", K::AsciiCompatible},
    {"ISO-8859-13", K::AsciiCompatible},
    {"ISO-8859-14", K::AsciiCompatible},
    {"ISO-8859-15", K::AsciiCompatible},
    {"ISO-8859-16", K::AsciiCompatible},
    {"KOI8-R", K::AsciiCompatible},
    {"KOI8-U", K::AsciiCompatible},
    {"macintosh", K::AsciiCompatible},
    {"windows-874", K::AsciiCompatible},
    {"windows-1250", K::AsciiCompatible},
    {"windows-1251", K::AsciiCompatible},
    {"windows-1252", K::AsciiCompatible},
    {"windows-1253", K::AsciiCompatible},
    {"windows-1254", K::AsciiCompatible},
    {"windows-1255", K::AsciiCompatible},
    {"windows-1256", K::AsciiCompatible},
    {"windows-1257", K::AsciiCompatible},
    {"windows-1258", K::AsciiCompatible},
    {"x-mac-cyrillic", K::AsciiCompatible},
    // Browsers decode GBK with the gb18030 decoder; encoding stays GBK (no four-byte codes).
    {"GBK", K::AsciiCompatible},
    {"gb18030", K::AsciiCompatible},
    {"Big5", K::AsciiCompatible},
    {"EUC-JP", K::AsciiCompatible},
    {"ISO-2022-JP", K::Transcoded},
    {"Shift_JIS", K::AsciiCompatible},
    {"EUC-KR", K::AsciiCompatible},
    {"replacement", K::Replacement},
    {"UTF-16BE", K::Transcoded},
    {"UTF-16LE", K::Transcoded},
    {"x-user-defined", K::AsciiCompatible},
}};
static_assert(kEncodings.size() == static_cast<std::size_t>(Encoding::UserDefined) + 1);

struct Label {
  std::string_view label;
  Encoding encoding;
};

using E = Encoding;

// Every label browsers accept, as the web's encoding registry lists them.
constexpr Label kLabels[] = {
    {"unicode-1-1-utf-8", E::Utf8},
    {"unicode11utf8", E::Utf8},
    {"unicode20utf8", E::Utf8},
    {"utf-8", E::Utf8},
    {"utf8", E::Utf8},
    {"x-unicode20utf8", E::Utf8},

    {"866", E::Ibm866},
    {"cp866", E::Ibm866},
    {"csibm866", E::Ibm866},
    {"ibm866", E::Ibm866},

    {"csisolatin2", E::Iso8859_2},
    {"iso-8859-2", E::Iso8859_2},
    {"iso-ir-101", E::Iso8859_2},
    {"iso8859-2", E::Iso8859_2},
    {"iso88592", E::Iso8859_2},
    {"iso_8859-2", E::Iso8859_2},
    {"iso_8859-2:1987", E::Iso8859_2},
    {"l2", E::Iso8859_2},
    {"latin2", E::Iso8859_2},

    {"csisolatin3", E::Iso8859_3},
    {"iso-8859-3", E::Iso8859_3},
    {"iso-ir-109", E::Iso8859_3},
    {"iso8859-3", E::Iso8859_3},
    {"iso88593", E::Iso8859_3},
    {"iso_8859-3", E::Iso8859_3},
    {"iso_8859-3:1988", E::Iso8859_3},
    {"l3", E::Iso8859_3},
    {"latin3", E::Iso8859_3},

    {"csisolatin4", E::Iso8859_4},
    {"iso-8859-4", E::Iso8859_4},
    {"iso-ir-110", E::Iso8859_4},
    {"iso8859-4", E::Iso8859_4},
    {"iso88594", E::Iso8859_4},
    {"iso_8859-4", E::Iso8859_4},
    {"iso_8859-4:1988", E::Iso8859_4},
    {"l4", E::Iso8859_4},
    {"latin4", E::Iso8859_4},

    {"csisolatincyrillic", E::Iso8859_5},
    {"cyrillic", E::Iso8859_5},
    {"iso-8859-5", E::Iso8859_5},
    {"iso-ir-144", E::Iso8859_5},
    {"iso8859-5", E::Iso8859_5},
    {"iso88595", E::Iso8859_5},
    {"iso_8859-5", E::Iso8859_5},
    {"iso_8859-5:1988", E::Iso8859_5},

    {"arabic", E::Iso8859_6},
    {"asmo-708", E::Iso8859_6},
    {"csiso88596e", E::Iso8859_6},
    {"csiso88596i", E::Iso8859_6},
    {"csisolatinarabic", E::Iso8859_6},
    {"ecma-114", E::Iso8859_6},
    {"iso-8859-6", E::Iso8859_6},
    {"iso-8859-6-e", E::Iso8859_6},
    {"iso-8859-6-i", E::Iso8859_6},
    {"iso-ir-127", E::Iso8859_6},
    {"iso8859-6", E::Iso8859_6},
    {"iso88596", E::Iso8859_6},
    {"iso_8859-6", E::Iso8859_6},
    {"iso_8859-6:1987", E::Iso8859_6},

    {"csisolatingreek", E::Iso8859_7},
    {"ecma-118", E::Iso8859_7},
    {"elot_928", E::Iso8859_7},
    {"greek", E::Iso8859_7},
    {"greek8", E::Iso8859_7},
    {"iso-8859-7", E::Iso8859_7},
    {"iso-ir-126", E::Iso8859_7},
    {"iso8859-7", E::Iso8859_7},
    {"iso88597", E::Iso8859_7},
    {"iso_8859-7", E::Iso8859_7},
    {"iso_8859-7:1987", E::Iso8859_7},
    {"sun_eu_greek", E::Iso8859_7},

    {"csiso88598e", E::Iso8859_8},
    {"csisolatinhebrew", E::Iso8859_8},
    {"hebrew", E::Iso8859_8},
    {"iso-8859-8", E::Iso8859_8},
    {"iso-8859-8-e", E::Iso8859_8},
    {"iso-ir-138", E::Iso8859_8},
    {"iso8859-8", E::Iso8859_8},
    {"iso88598", E::Iso8859_8},
    {"iso_8859-8", E::Iso8859_8},
    {"iso_8859-8:1988", E::Iso8859_8},
    {"visual", E::Iso8859_8},

    {"csiso88598i", E::Iso8859_8I},
    {"iso-8859-8-i", E::Iso8859_8I},
    {"logical", E::Iso8859_8I},

    {"csisolatin6", E::Iso8859_10},
    {"iso-8859-10", E::Iso8859_10},
    {"iso-ir-157", E::Iso8859_10},
    {"iso8859-10", E::Iso8859_10},
    {"iso885910", E::Iso8859_10},
    {"l6", E::Iso8859_10},
    {"latin6", E::Iso8859_10},

    {"iso-8859-13", E::Iso8859_13},
    {"iso8859-13", E::Iso8859_13},
    {"iso885913", E::Iso8859_13},

    {"iso-8859-14", E::Iso8859_14},
    {"iso8859-14", E::Iso8859_14},
    {"iso885914", E::Iso8859_14},

    {"csisolatin9", E::Iso8859_15},
    {"iso-8859-15", E::Iso8859_15},
    {"iso8859-15", E::Iso8859_15},
    {"iso885915", E::Iso8859_15},
    {"iso_8859-15", E::Iso8859_15},
    {"l9", E::Iso8859_15},

    {"iso-8859-16", E::Iso8859_16},

    {"cskoi8r", E::Koi8R},
    {"koi", E::Koi8R},
    {"koi8", E::Koi8R},
    {"koi8-r", E::Koi8R},
    {"koi8_r", E::Koi8R},

    {"koi8-ru", E::Koi8U},
    {"koi8-u", E::Koi8U},

    {"csmacintosh", E::Macintosh},
    {"mac", E::Macintosh},
    {"macintosh", E::Macintosh},
    {"x-mac-roman", E::Macintosh},

    {"dos-874", E::Windows874},
    {"iso-8859-11", E::Windows874},
    {"iso8859-11", E::Windows874},
    {"iso885911", E::Windows874},
    {"tis-620", E::Windows874},
    {"windows-874", E::Windows874},

    {"cp1250", E::Windows1250},
    {"windows-1250", E::Windows1250},
    {"x-cp1250", E::Windows1250},

    {"cp1251", E::Windows1251},
    {"windows-1251", E::Windows1251},
    {"x-cp1251", E::Windows1251},

    {"ansi_x3.4-1968", E::Windows1252},
    {"ascii", E::Windows1252},
    {"cp1252", E::Windows1252},
    {"cp819", E::Windows1252},
    {"csisolatin1", E::Windows1252},
    {"ibm819", E::Windows1252},
    {"iso-8859-1", E::Windows1252},
    {"iso-ir-100", E::Windows1252},
    {"iso8859-1", E::Windows1252},
    {"iso88591", E::Windows1252},
    {"iso_8859-1", E::Windows1252},
    {"iso_8859-1:1987", E::Windows1252},
    {"l1", E::Windows1252},
    {"latin1", E::Windows1252},
    {"us-ascii", E::Windows1252},
    {"windows-1252", E::Windows1252},
    {"x-cp1252", E::Windows1252},

    {"cp1253", E::Windows1253},
    {"windows-1253", E::Windows1253},
    {"x-cp1253", E::Windows1253},

    {"cp1254", E::Windows1254},
    {"csisolatin5", E::Windows1254},
    {"iso-8859-9", E::Windows1254},
    {"iso-ir-148", E::Windows1254},
    {"iso8859-9", E::Windows1254},
    {"iso88599", E::Windows1254},
    {"iso_8859-9", E::Windows1254},
    {"iso_8859-9:1989", E::Windows1254},
    {"l5", E::Windows1254},
    {"latin5", E::Windows1254},
    {"windows-1254", E::Windows1254},
    {"x-cp1254", E::Windows1254},

    {"cp1255", E::Windows1255},
    {"windows-1255", E::Windows1255},
    {"x-cp1255", E::Windows1255},

    {"cp1256", E::Windows1256},
    {"windows-1256", E::Windows1256},
    {"x-cp1256", E::Windows1256},

    {"cp1257", E::Windows1257},
    {"windows-1257", E::Windows1257},
    {"x-cp1257", E::Windows1257},

    {"cp1258", E::Windows1258},
    {"windows-1258", E::Windows1258},
    {"x-cp1258", E::Windows1258},

    {"x-mac-cyrillic", E::MacCyrillic},
    {"x-mac-ukrainian", E::MacCyrillic},

    {"chinese", E::Gbk},
    {"csgb2312", E::Gbk},
    {"csiso58gb231280", E::Gbk},
    {"gb2312", E::Gbk},
    {"gb_2312", E::Gbk},
    {"gb_2312-80", E::Gbk},
    {"gbk", E::Gbk},
    {"iso-ir-58", E::Gbk},
    {"x-gbk", E::Gbk},

    {"gb18030", E::Gb18030},

    {"big5", E::Big5},
    {"big5-hkscs", E::Big5},
    {"cn-big5", E::Big5},
    {"csbig5", E::Big5},
    {"x-x-big5", E::Big5},

    {"cseucpkdfmtjapanese", E::EucJp},
    {"euc-jp", E::EucJp},
    {"x-euc-jp", E::EucJp},

    {"csiso2022jp", E::Iso2022Jp},
    {"iso-2022-jp", E::Iso2022Jp},

    {"csshiftjis", E::ShiftJis},
    {"ms932", E::ShiftJis},
    {"ms_kanji", E::ShiftJis},
    {"shift-jis", E::ShiftJis},
    {"shift_jis", E::ShiftJis},
    {"sjis", E::ShiftJis},
    {"windows-31j", E::ShiftJis},
    {"x-sjis", E::ShiftJis},

    {"cseuckr", E::EucKr},
    {"csksc56011987", E::EucKr},
    {"euc-kr", E::EucKr},
    {"iso-ir-149", E::EucKr},
    {"korean", E::EucKr},
    {"ks_c_5601-1987", E::EucKr},
    {"ks_c_5601-1989", E::EucKr},
    {"ksc5601", E::EucKr},
    {"ksc_5601", E::EucKr},
    {"windows-949", E::EucKr},

    {"csiso2022kr", E::Replacement},
    {"hz-gb-2312", E::Replacement},
    {"iso-2022-cn", E::Replacement},
    {"iso-2022-cn-ext", E::Replacement},
    {"iso-2022-kr", E::Replacement},
    {"replacement", E::Replacement},

    {"unicodefffe", E::Utf16Be},
    {"utf-16be", E::Utf16Be},

    {"csunicode", E::Utf16Le},
    {"iso-10646-ucs-2", E::Utf16Le},
    {"ucs-2", E::Utf16Le},
    {"unicode", E::Utf16Le},
    {"unicodefeff", E::Utf16Le},
    {"utf-16", E::Utf16Le},
    {"utf-16le", E::Utf16Le},

    {"x-user-defined", E::UserDefined},
};

bool isLabelSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

}  // namespace

const EncodingInfo& encodingInfo(Encoding encoding) {
  return kEncodings[static_cast<std::size_t>(encoding)];
}

std::optional<Encoding> encodingForLabel(std::string_view label) {
  while (!label.empty() && isLabelSpace(label.front())) label.remove_prefix(1);
  while (!label.empty() && isLabelSpace(label.back())) label.remove_suffix(1);
  const std::string lower = asciiLowered(label);
  for (const Label& l : kLabels) {
    if (l.label == lower) return l.encoding;
  }
  return std::nullopt;
}

}  // namespace velmo::file_host
