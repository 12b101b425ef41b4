#pragma once
// What the stand-in's objects share: the page host over files with the open page, and the rule that
// an object fetched from one page refuses work once another page is opened or the page closed
// (the host's objects do not outlive their page).

#include <memory>

#include "file_host/file_host.h"
#include "windows/standin/automation_object.h"

namespace velmo::standin {

struct EditorState {
  file_host::FileHost host;
  // Counts page opens and closes.
  unsigned generation = 0;
};
using EditorRef = std::shared_ptr<EditorState>;

class PageObject : public AutomationObject {
 public:
  explicit PageObject(EditorRef editor)
      : editor_(std::move(editor)), generation_(editor_->generation) {}

 protected:
  const EditorRef& editor() const { return editor_; }
  // Writes the page (and files imported into the site) through after a change. An edit that
  // cannot be written (the file locked by another program) is dropped, as a refused command is,
  // so that it never goes out later with the next change that can be written.
  void changed() const;
  virtual Variant handle(std::size_t member, const Call& call) = 0;

 private:
  Variant invoke(std::size_t member, const Call& call) final;
  EditorRef editor_;
  unsigned generation_;
};

// An automation object over one object of the host.
template <typename T>
class HostObject : public PageObject {
 public:
  HostObject(EditorRef editor, std::unique_ptr<T> object)
      : PageObject(std::move(editor)), object_(std::move(object)) {}

 protected:
  std::unique_ptr<T> object_;
};

// The host's object behind an automation object, or a null result when there is none.
template <typename Wrapper, typename T>
Variant wrapped(const EditorRef& editor, std::unique_ptr<T> object) {
  if (!object) {
    Variant none;
    V_VT(&none) = VT_NULL;
    return none;
  }
  return objectResult<Wrapper>(editor, std::move(object));
}

// Automation objects over the host's document, page window and site.
Variant documentResult(const EditorRef& editor, std::unique_ptr<Document> document);
Variant pageWindowResult(const EditorRef& editor, std::unique_ptr<PageWindow> window);
Variant webResult(const EditorRef& editor, std::unique_ptr<Web> web);

}  // namespace velmo::standin
