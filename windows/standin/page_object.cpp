#include "windows/standin/page_object.h"

namespace velmo::standin {

Variant PageObject::invoke(std::size_t member, const Call& call) {
  if (editor_->generation != generation_) {
    throw HostError(hr::kObjectNotSet, u"The page this object belongs to is no longer open");
  }
  return handle(member, call);
}

void PageObject::changed() const {
  try {
    editor_->host.commit();
  } catch (...) {
    editor_->host.rollback();
    throw;
  }
}

}  // namespace velmo::standin
