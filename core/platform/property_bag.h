#pragma once
// The saved state a container keeps for each of its user controls: named values that the control
// reads when it is loaded and writes when the container saves its layout. Names compare without
// regard to letter case, since saved layouts may spell them in any case.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmo {

using PropertyValue = std::variant<std::u16string, bool>;

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;

  // The saved value of `name`, or `defaultValue` when none is saved. HostError when the saved
  // state cannot be read.
  PropertyValue ReadProperty(std::u16string_view name, const PropertyValue& defaultValue);
  // Saves `value`; a value equal to `defaultValue` is left out of the saved state, so a reader
  // gets it back as its default.
  void WriteProperty(std::u16string_view name, const PropertyValue& value,
                     const PropertyValue& defaultValue);

 protected:
  virtual std::optional<PropertyValue> find(std::u16string_view name) = 0;
  virtual void store(std::u16string_view name, const PropertyValue& value) = 0;
  virtual void forget(std::u16string_view name) = 0;
};

// What a saved value means as a string or a Boolean, with the conversions of an automation
// Variant: a Boolean reads as "True" or "False"; a text reads as a Boolean when it is "True" or
// "False" in any letter case, or a whole number (not zero is True). Anything else is a type
// mismatch (HostError).
std::u16string propertyText(const PropertyValue& value);
bool propertyBoolean(const PropertyValue& value);

}  // namespace velmo
