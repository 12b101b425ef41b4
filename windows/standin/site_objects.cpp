// The stand-in's site (web) objects: PageHost's folders and files as automation objects, under
// the editor's member names.

#include <array>

#include "windows/standin/page_object.h"

namespace velmo::standin {
namespace {

using Names = std::span<const std::u16string_view>;

// An "Item" key is a 0-based index or a name.
bool isName(const Variant& key) {
  return V_VT(&key) == VT_BSTR;
}

class FileObject : public HostObject<File> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 2> names{u"Name", u"URL"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    return Variant::text(member == 0 ? object_->name() : object_->url());
  }
};

// "Count", "Item" (by 0-based index or by name) and "Add" of a site collection.
template <typename T, typename Wrapper>
class SiteListObject : public HostObject<T> {
 public:
  using HostObject<T>::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"Count", u"Item", u"Add"};
    return names;
  }
  Variant handle(std::size_t member, const Call& call) override {
    T& list = *this->object_;
    switch (member) {
      case 0:
        return Variant::int32(list.count());
      case 1: {
        const Variant& key = call.arg(0);
        return wrapped<Wrapper>(this->editor(),
                                isName(key) ? list.item(key.toText()) : list.item(key.toInt32()));
      }
      default: {
        auto added = add(list, call);
        this->changed();
        return wrapped<Wrapper>(this->editor(), std::move(added));
      }
    }
  }

 private:
  static auto add(Files& files, const Call& call) {
    return files.add(call.text(0), call.boolean(1, false));
  }
  static auto add(Folders& folders, const Call& call) { return folders.add(call.text(0)); }
};

using FilesObject = SiteListObject<Files, FileObject>;
class FolderObject;
using FoldersObject = SiteListObject<Folders, FolderObject>;

class FolderObject : public HostObject<Folder> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 3> names{u"Name", u"Folders", u"Files"};
    return names;
  }
  Variant handle(std::size_t member, const Call&) override {
    switch (member) {
      case 0:
        return Variant::text(object_->name());
      case 1:
        return wrapped<FoldersObject>(editor(), object_->folders());
      default:
        return wrapped<FilesObject>(editor(), object_->files());
    }
  }
};

class WebObject : public HostObject<Web> {
 public:
  using HostObject::HostObject;

 protected:
  Names members() const override {
    static constexpr std::array<std::u16string_view, 1> names{u"RootFolder"};
    return names;
  }
  Variant handle(std::size_t, const Call&) override {
    return wrapped<FolderObject>(editor(), object_->rootFolder());
  }
};

}  // namespace

Variant webResult(const EditorRef& editor, std::unique_ptr<Web> web) {
  return wrapped<WebObject>(editor, std::move(web));
}

}  // namespace velmo::standin
