#include "core/platform/memory_property_bag.h"

#include <algorithm>

#include "core/common/text.h"

namespace velmo {

MemoryPropertyBag::MemoryPropertyBag(const std::vector<forms::SavedProperty>& saved) {
  for (const forms::SavedProperty& property : saved) store(property.name, property.value);
}

std::vector<MemoryPropertyBag::Entry>::iterator MemoryPropertyBag::lookup(
    std::u16string_view name) {
  return std::find_if(entries_.begin(), entries_.end(),
                      [&](const Entry& entry) { return equalsIgnoreAsciiCase(entry.first, name); });
}

std::optional<PropertyValue> MemoryPropertyBag::find(std::u16string_view name) {
  const auto found = lookup(name);
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

void MemoryPropertyBag::store(std::u16string_view name, const PropertyValue& value) {
  if (auto found = lookup(name); found != entries_.end()) {
    found->second = value;
  } else {
    entries_.emplace_back(std::u16string(name), value);
  }
}

void MemoryPropertyBag::forget(std::u16string_view name) {
  if (auto found = lookup(name); found != entries_.end()) entries_.erase(found);
}

}  // namespace velmo
