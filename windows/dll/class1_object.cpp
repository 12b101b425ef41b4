#include "windows/dll/class1_object.h"

#include <VelmoCls_h.h>

#include <string>

#include "windows/dll/type_info_dispatch.h"

namespace velmo::win {
namespace {

class Class1Object : public TypeInfoDispatch<_Class1> {
 public:
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* result) override { return read(url_, result); }
  HRESULT STDMETHODCALLTYPE put_URL(BSTR value) override { return write(url_, value); }
  HRESULT STDMETHODCALLTYPE get_description(BSTR* result) override {
    return read(description_, result);
  }
  HRESULT STDMETHODCALLTYPE put_description(BSTR value) override {
    return write(description_, value);
  }

 protected:
  std::u16string_view source() const override { return u"VelmoCls.Class1"; }

 private:
  HRESULT read(const std::u16string& field, BSTR* result) {
    if (result) *result = nullptr;
    return guarded([&] {
      if (!result) throw HostError(E_POINTER, u"The result has no place to go");
      *result = allocBstr(field);
    });
  }
  HRESULT write(std::u16string& field, BSTR value) {
    return guarded([&] { field = textOf(value); });
  }

  std::u16string url_;
  std::u16string description_;
};

}  // namespace

HRESULT createClass1(REFIID iid, void** out) {
  return createObject<Class1Object>(iid, out);
}

}  // namespace velmo::win
