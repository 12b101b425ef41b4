#pragma once
// Owners of the automation values that cross COM calls (BSTR, VARIANT) and the conversions
// between them and the core's UTF-16 text. wchar_t is UTF-16 on Windows, so text is copied
// unit for unit.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The classic-COM part of WRL is all we use.
#ifndef __WRL_CLASSIC_COM__
#define __WRL_CLASSIC_COM__
#endif
#include <wrl/client.h>

namespace velmo::win {

using Microsoft::WRL::ComPtr;

// One BSTR, freed when the owner goes. Null stands for the empty string, as in automation.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  ~Bstr() { SysFreeString(bstr_); }
  Bstr(Bstr&& other) noexcept : bstr_(other.release()) {}
  Bstr& operator=(Bstr&& other) noexcept;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return bstr_; }
  // For out-parameters: frees what is held and hands out the slot.
  BSTR* put();
  // Hands the string to a caller who frees it.
  BSTR release() noexcept;
  std::u16string text() const;

 private:
  BSTR bstr_ = nullptr;
};

// The UTF-16 text of a BSTR (its counted length, so embedded NULs stay).
std::u16string textOf(BSTR bstr);
// A new BSTR for a caller to own; throws std::bad_alloc when out of memory.
BSTR allocBstr(std::u16string_view text);

// A VARIANT that clears itself. It has no members beyond VARIANT, so an array of Variant can be
// handed out as an array of VARIANT (DISPPARAMS).
class Variant : public VARIANT {
 public:
  Variant() noexcept { VariantInit(this); }
  ~Variant() { VariantClear(this); }
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;

  static Variant text(std::u16string_view value);
  static Variant int32(std::int32_t value);
  static Variant boolean(bool value);
  static Variant object(IDispatch* value);  // adds a reference
  // A copy with every reference (VT_BYREF) resolved to its value.
  static Variant valueOf(const VARIANT& value);

  // Empty, null, or an object reference that is null.
  bool isNothing() const;
  // Conversions in the automation way (VariantChangeType); HostError when they fail.
  std::u16string toText() const;
  std::int32_t toInt32() const;
  bool toBool() const;
  // The object held, or nullptr when isNothing(); HostError for anything else.
  ComPtr<IDispatch> toObject() const;

  // Frees what is held and leaves it empty, for use as an out-parameter.
  VARIANT* put();
  // Moves the value into `target`, which must hold nothing that needs freeing.
  void moveTo(VARIANT* target) noexcept;
};
static_assert(sizeof(Variant) == sizeof(VARIANT));

}  // namespace velmo::win
