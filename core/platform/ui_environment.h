#pragma once
// The user-interface side of the library for one thread: the platform's services and the one
// shared instance of each dialog, created by the first command that needs it and kept until the
// environment ends.

#include <map>
#include <memory>
#include <typeindex>

#include "core/forms/form.h"
#include "core/platform/platform.h"

namespace velmo {

class UiEnvironment {
 public:
  explicit UiEnvironment(Platform platform) : platform_(platform) {}
  UiEnvironment(const UiEnvironment&) = delete;
  UiEnvironment& operator=(const UiEnvironment&) = delete;

  Platform& platform() { return platform_; }

  // The dialog's instance; `make` runs only when there is none yet.
  template <typename F, typename Make>
  F& dialog(Make&& make) {
    auto& slot = dialogs_[std::type_index(typeid(F))];
    if (!slot) slot = std::forward<Make>(make)();
    return static_cast<F&>(*slot);
  }

  // The dialog's instance, or nullptr when no command has needed it yet.
  template <typename F>
  F* findDialog() {
    const auto found = dialogs_.find(std::type_index(typeid(F)));
    return found == dialogs_.end() ? nullptr : static_cast<F*>(found->second.get());
  }

 private:
  Platform platform_;
  std::map<std::type_index, std::unique_ptr<forms::Form>> dialogs_;
};

}  // namespace velmo
