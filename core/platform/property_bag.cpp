#include "core/platform/property_bag.h"

#include <cstdint>

#include "core/common/host_error.h"
#include "core/common/text.h"

namespace velmo {
namespace {

// "Type mismatch", as an automation client reports a value that cannot be converted.
constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x800A000D);

std::u16string_view trimmed(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<bool> wholeNumberAsBoolean(std::u16string_view text) {
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  bool nonZero = false;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    nonZero = nonZero || c != u'0';
  }
  return nonZero;
}

}  // namespace

PropertyValue PropertyBag::ReadProperty(std::u16string_view name,
                                        const PropertyValue& defaultValue) {
  auto saved = find(name);
  return saved ? std::move(*saved) : defaultValue;
}

void PropertyBag::WriteProperty(std::u16string_view name, const PropertyValue& value,
                                const PropertyValue& defaultValue) {
  if (value == defaultValue) {
    forget(name);
  } else {
    store(name, value);
  }
}

std::u16string propertyText(const PropertyValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) return *flag ? u"True" : u"False";
  return std::get<std::u16string>(value);
}

bool propertyBoolean(const PropertyValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) return *flag;
  const std::u16string_view text = trimmed(std::get<std::u16string>(value));
  if (equalsIgnoreAsciiCase(text, u"True")) return true;
  if (equalsIgnoreAsciiCase(text, u"False")) return false;
  if (auto number = wholeNumberAsBoolean(text)) return *number;
  throw HostError(kTypeMismatch, u"Type mismatch");
}

}  // namespace velmo
