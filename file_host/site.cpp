#include "file_host/site.h"

#include "file_host/files/file_undo.h"
#include "file_host/site_objects.h"
#include "file_host/site_state.h"

namespace velmo::file_host {

Site::Site(std::filesystem::path root, bool planOnly, WriteBatch* batch)
    : state_(std::make_shared<SiteState>(root, planOnly, batch)) {}

Site::~Site() {
  state_->rollback();
}

std::unique_ptr<velmo::Web> Site::web() {
  return makeSiteWeb(state_);
}

void Site::commit(FileUndo& undo, const CommitOptions&) {
  state_->commit(undo);
}

void Site::commit() {
  FileUndo undo;
  state_->commit(undo);
  undo.forget();
}

void Site::rollback() {
  state_->rollback();
}

bool Site::changed() const {
  return state_->changed();
}

std::vector<std::filesystem::path> Site::stagedImports() const {
  return state_->stagedTargets();
}

const std::filesystem::path& Site::root() const {
  return state_->root();
}

}  // namespace velmo::file_host
