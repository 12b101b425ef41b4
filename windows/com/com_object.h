#pragma once
// IUnknown for the DLLs' objects: a reference count, QueryInterface over the interfaces listed,
// and the module count held while the object lives.

#include <windows.h>

#include <atomic>
#include <type_traits>

#include "windows/com/error_barrier.h"
#include "windows/com/module_count.h"

namespace velmo::win {

// Primary answers IUnknown (and IDispatch when it derives from it); Extra are further
// interfaces. Objects are created with `new` and delete themselves on the last Release.
template <typename Primary, typename... Extra>
class ComObject : public Primary, public Extra... {
 public:
  ComObject() noexcept { objectCreated(); }
  virtual ~ComObject() { objectDestroyed(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == __uuidof(Primary) ||
        (std::is_base_of_v<IDispatch, Primary> && iid == IID_IDispatch)) {
      *out = static_cast<Primary*>(this);
    } else {
      (void)((iid == __uuidof(Extra) ? (*out = static_cast<Extra*>(this), true) : false) || ...);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  // A reference the object holds on itself for the length of one of its own calls. A caller
  // may release its last reference from inside the call (from a callback the call makes, such
  // as an argument's default value being read); the object then goes when the call has ended,
  // not under it.
  class CallReference {
   public:
    explicit CallReference(ComObject& object) noexcept : object_(object) { object_.AddRef(); }
    ~CallReference() { object_.Release(); }
    CallReference(const CallReference&) = delete;
    CallReference& operator=(const CallReference&) = delete;

   private:
    ComObject& object_;
  };

 private:
  std::atomic<ULONG> refs_{1};
};

// Creates an object with one reference and hands out `iid` of it.
template <typename T, typename... Args>
HRESULT createObject(REFIID iid, void** out, Args&&... args) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  return errorBarrier(iid, [&] {
    T* object = new T(std::forward<Args>(args)...);
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    if (FAILED(hr)) throw HostError(hr, u"The object does not support the interface asked for");
  });
}

}  // namespace velmo::win
