#pragma once
// The editor's and the page's automation objects seen through the PageHost interfaces. Each
// wrapper holds one object and reaches every member late-bound by name, so that any editor
// exposing these names serves.

#include <memory>

#include "core/page_host/page_host.h"
#include "windows/com/late_bound.h"

namespace velmo::win {

// nullptr when the value holds no object.
std::unique_ptr<Document> documentObject(const Variant& value);
std::unique_ptr<PageWindow> pageWindowObject(const Variant& value);
std::unique_ptr<Web> webObject(const Variant& value);

// A PageHost interface over one automation object.
template <typename Interface>
class Late : public Interface {
 public:
  explicit Late(LateBound object) : object_(std::move(object)) {}

 protected:
  LateBound object_;
};

// The object in `value` behind wrapper T, or nullptr when there is none.
template <typename T>
std::unique_ptr<T> wrap(const Variant& value) {
  ComPtr<IDispatch> object = value.toObject();
  if (!object) return nullptr;
  return std::make_unique<T>(LateBound(std::move(object)));
}

}  // namespace velmo::win
