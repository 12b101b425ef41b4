// The editor's site (web) objects: folders and files.

#include "windows/editor_binding/editor_objects.h"

namespace velmo::win {
namespace {

class LateFile : public Late<File> {
 public:
  using Late::Late;
  std::u16string name() override { return object_.get(u"Name").toText(); }
  std::u16string url() override { return object_.get(u"URL").toText(); }
};

// "Count" and "Item" (by 0-based index or by name) of a site collection.
template <typename Interface, typename Item, typename Wrapper>
class LateSiteList : public Late<Interface> {
 public:
  using Late<Interface>::Late;
  long count() override { return this->object_.get(u"Count").toInt32(); }
  std::unique_ptr<Item> item(long index) override { return byKey(Variant::int32(index)); }
  std::unique_ptr<Item> item(const std::u16string& name) override {
    return byKey(Variant::text(name));
  }

 private:
  std::unique_ptr<Item> byKey(Variant key) {
    return wrap<Wrapper>(this->object_.call(u"Item", {std::move(key)}));
  }
};

class LateFiles : public LateSiteList<Files, File, LateFile> {
 public:
  using LateSiteList::LateSiteList;
  std::unique_ptr<File> add(const std::u16string& diskPath, bool overwrite) override {
    return wrap<LateFile>(
        object_.call(u"Add", {Variant::text(diskPath), Variant::boolean(overwrite)}));
  }
};

class LateFolder;

class LateFolders : public LateSiteList<Folders, Folder, LateFolder> {
 public:
  using LateSiteList::LateSiteList;
  std::unique_ptr<Folder> add(const std::u16string& name) override;
};

class LateFolder : public Late<Folder> {
 public:
  using Late::Late;
  std::u16string name() override { return object_.get(u"Name").toText(); }
  std::unique_ptr<Folders> folders() override { return wrap<LateFolders>(object_.get(u"Folders")); }
  std::unique_ptr<Files> files() override { return wrap<LateFiles>(object_.get(u"Files")); }
};

std::unique_ptr<Folder> LateFolders::add(const std::u16string& name) {
  return wrap<LateFolder>(object_.call(u"Add", {Variant::text(name)}));
}

class LateWeb : public Late<Web> {
 public:
  using Late::Late;
  std::unique_ptr<Folder> rootFolder() override {
    return wrap<LateFolder>(object_.get(u"RootFolder"));
  }
};

}  // namespace

std::unique_ptr<Web> webObject(const Variant& value) {
  return wrap<LateWeb>(value);
}

}  // namespace velmo::win
