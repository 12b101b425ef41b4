#include "windows/com/com_values.h"

#include <new>

#include "core/common/host_error.h"

namespace velmo::win {
namespace {

const wchar_t* wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

// The automation copy and conversion functions take their source as non-const in MinGW's
// headers, though they only read it.
VARIANT* source(const VARIANT* value) {
  return const_cast<VARIANT*>(value);
}

void check(HRESULT hr, std::u16string_view what) {
  if (FAILED(hr)) {
    throw HostError(hr, u"Cannot read the value as " + std::u16string(what));
  }
}

}  // namespace

Bstr::Bstr(std::u16string_view text) : bstr_(allocBstr(text)) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(bstr_);
    bstr_ = other.release();
  }
  return *this;
}

BSTR* Bstr::put() {
  SysFreeString(bstr_);
  bstr_ = nullptr;
  return &bstr_;
}

BSTR Bstr::release() noexcept {
  BSTR out = bstr_;
  bstr_ = nullptr;
  return out;
}

std::u16string Bstr::text() const {
  return textOf(bstr_);
}

std::u16string textOf(BSTR bstr) {
  if (!bstr) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(bstr), SysStringLen(bstr));
}

BSTR allocBstr(std::u16string_view text) {
  BSTR out = SysAllocStringLen(wide(text), static_cast<UINT>(text.size()));
  if (!out) throw std::bad_alloc();
  return out;
}

Variant::Variant(const Variant& other) : Variant() {
  if (FAILED(VariantCopy(this, source(&other)))) throw std::bad_alloc();
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Variant::Variant(Variant&& other) noexcept : Variant() {
  other.moveTo(this);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(this);
    other.moveTo(this);
  }
  return *this;
}

Variant Variant::text(std::u16string_view value) {
  Variant v;
  V_BSTR(&v) = allocBstr(value);
  V_VT(&v) = VT_BSTR;
  return v;
}

Variant Variant::int32(std::int32_t value) {
  Variant v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

Variant Variant::boolean(bool value) {
  Variant v;
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::object(IDispatch* value) {
  Variant v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = value;
  if (value) value->AddRef();
  return v;
}

Variant Variant::valueOf(const VARIANT& value) {
  Variant v;
  const HRESULT hr = VariantCopyInd(&v, velmo::win::source(&value));
  if (FAILED(hr)) throw HostError(hr, u"Cannot read an argument");
  return v;
}

bool Variant::isNothing() const {
  switch (V_VT(this)) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_DISPATCH:
      return V_DISPATCH(this) == nullptr;
    case VT_UNKNOWN:
      return V_UNKNOWN(this) == nullptr;
    default:
      return false;
  }
}

std::u16string Variant::toText() const {
  if (V_VT(this) == VT_BSTR) return textOf(V_BSTR(this));
  Variant out;
  check(VariantChangeType(&out, source(this), 0, VT_BSTR), u"text");
  return textOf(V_BSTR(&out));
}

std::int32_t Variant::toInt32() const {
  Variant out;
  check(VariantChangeType(&out, source(this), 0, VT_I4), u"a number");
  return V_I4(&out);
}

bool Variant::toBool() const {
  Variant out;
  check(VariantChangeType(&out, source(this), 0, VT_BOOL), u"a Boolean");
  return V_BOOL(&out) != VARIANT_FALSE;
}

ComPtr<IDispatch> Variant::toObject() const {
  ComPtr<IDispatch> out;
  if (isNothing()) return out;
  HRESULT hr = DISP_E_TYPEMISMATCH;
  if (V_VT(this) == VT_DISPATCH) {
    out = V_DISPATCH(this);
    return out;
  }
  if (V_VT(this) == VT_UNKNOWN) {
    hr = V_UNKNOWN(this)->QueryInterface(IID_PPV_ARGS(&out));
  }
  check(hr, u"an object");
  return out;
}

VARIANT* Variant::put() {
  VariantClear(this);
  return this;
}

void Variant::moveTo(VARIANT* target) noexcept {
  *target = *static_cast<VARIANT*>(this);
  VariantInit(this);
}

}  // namespace velmo::win
