// The stand-in's site (web) objects: PageHost's folders and files as automation objects, under
// the editor's member names.

#include <array>

#include "standin/page_object.h"

namespace velmo::standin {
namespace {

using Names = std::span<const std::u16string_view>;

// An "Item" key is a 0-based index or a name.
bool isName(const Variant& key) {
  return V_VT(&key) == VT_BSTR;
}

class FileObject : public PageObject {
 public:
  FileObject(EditorRef editor, std::unique_ptr<File> file)
      : PageObject(std::move(editor)), file_(std::move(file)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"Name", u"URL"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    return Variant::text(member == 0 ? file_->name() : file_->url());
  }

 private:
  std::unique_ptr<File> file_;
};

class FilesObject : public PageObject {
 public:
  FilesObject(EditorRef editor, std::unique_ptr<Files> files)
      : PageObject(std::move(editor)), files_(std::move(files)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"Count", u"Item", u"Add"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    switch (member) {
      case 0:
        return Variant::int32(files_->count());
      case 1: {
        const Variant& key = call.arg(0);
        return wrapped<FileObject>(
            editor(), isName(key) ? files_->item(key.toText()) : files_->item(key.toInt32()));
      }
      default: {
        auto file = files_->add(call.text(0), call.boolean(1, false));
        changed();
        return wrapped<FileObject>(editor(), std::move(file));
      }
    }
  }

 private:
  std::unique_ptr<Files> files_;
};

class FolderObject;

class FoldersObject : public PageObject {
 public:
  FoldersObject(EditorRef editor, std::unique_ptr<Folders> folders)
      : PageObject(std::move(editor)), folders_(std::move(folders)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"Count", u"Item", u"Add"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override;

 private:
  std::unique_ptr<Folders> folders_;
};

class FolderObject : public PageObject {
 public:
  FolderObject(EditorRef editor, std::unique_ptr<Folder> folder)
      : PageObject(std::move(editor)), folder_(std::move(folder)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"Name", u"Folders", u"Files"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    switch (member) {
      case 0:
        return Variant::text(folder_->name());
      case 1:
        return wrapped<FoldersObject>(editor(), folder_->folders());
      default:
        return wrapped<FilesObject>(editor(), folder_->files());
    }
  }

 private:
  std::unique_ptr<Folder> folder_;
};

Variant FoldersObject::handle(std::size_t member, const Call& call) {
  switch (member) {
    case 0:
      return Variant::int32(folders_->count());
    case 1: {
      const Variant& key = call.arg(0);
      return wrapped<FolderObject>(
          editor(), isName(key) ? folders_->item(key.toText()) : folders_->item(key.toInt32()));
    }
    default: {
      auto folder = folders_->add(call.text(0));
      changed();
      return wrapped<FolderObject>(editor(), std::move(folder));
    }
  }
}

class WebObject : public PageObject {
 public:
  WebObject(EditorRef editor, std::unique_ptr<Web> web)
      : PageObject(std::move(editor)), web_(std::move(web)) {}

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"RootFolder"};
    return names;
  }
  Variant handle(std::size_t, const Call&) override {
    return wrapped<FolderObject>(editor(), web_->rootFolder());
  }

 private:
  std::unique_ptr<Web> web_;
};

}  // namespace

Variant webResult(const EditorRef& editor, std::unique_ptr<Web> web) {
  return wrapped<WebObject>(editor, std::move(web));
}

}  // namespace velmo::standin
