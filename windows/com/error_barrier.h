#pragma once
// The one place where C++ exceptions become COM errors. Every method of the DLLs' objects runs
// its body through errorBarrier: the body throws, the caller gets an HRESULT and, through
// IErrorInfo, the description.

#include <windows.h>

#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "core/common/host_error.h"

namespace velmo::win {

// Sets the thread's error info (source, description, interface) for the caller to fetch.
void setErrorInfo(REFIID iid, std::u16string_view source, std::u16string_view description);
// Clears it, so that a stale description never goes with a later success.
void clearErrorInfo();

// The HRESULT a failure is reported with; never a success code, even when the thrower chose one.
HRESULT failureCode(std::int32_t code);

// The description of the exception in flight (for use in a catch block).
HostError currentError();

template <typename Body>
HRESULT errorBarrier(REFIID iid, Body&& body, std::u16string_view source = u"VelmoCls") noexcept {
  try {
    body();
    clearErrorInfo();
    return S_OK;
  } catch (...) {
    try {
      const HostError error = currentError();
      setErrorInfo(iid, source, error.description());
      return failureCode(error.hresult());
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
}

}  // namespace velmo::win
