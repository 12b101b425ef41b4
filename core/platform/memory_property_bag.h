#pragma once
// A property bag in memory, in the order the values were saved; it can start from the saved
// state of a control in a form's design.

#include <string>
#include <utility>
#include <vector>

#include "core/forms/design.h"
#include "core/platform/property_bag.h"

namespace velmo {

class MemoryPropertyBag : public PropertyBag {
 public:
  using Entry = std::pair<std::u16string, PropertyValue>;

  MemoryPropertyBag() = default;
  // The values are texts, as a saved layout holds them.
  explicit MemoryPropertyBag(const std::vector<forms::SavedProperty>& saved);

  const std::vector<Entry>& entries() const { return entries_; }

 protected:
  std::optional<PropertyValue> find(std::u16string_view name) override;
  void store(std::u16string_view name, const PropertyValue& value) override;
  void forget(std::u16string_view name) override;

 private:
  std::vector<Entry>::iterator lookup(std::u16string_view name);

  std::vector<Entry> entries_;
};

}  // namespace velmo
