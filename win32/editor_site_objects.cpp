// The editor's site (web) objects: folders and files.

#include "win32/editor_objects.h"

namespace velmo::win {
namespace {

// An "Item" argument: a 0-based index or a name.
Variant itemKey(long index) {
  return Variant::int32(index);
}
Variant itemKey(const std::u16string& name) {
  return Variant::text(name);
}

class LateFile : public File {
 public:
  explicit LateFile(LateBound object) : object_(std::move(object)) {}
  std::u16string name() override { return object_.get(u"Name").toText(); }
  std::u16string url() override { return object_.get(u"URL").toText(); }

 private:
  LateBound object_;
};

class LateFiles : public Files {
 public:
  explicit LateFiles(LateBound object) : object_(std::move(object)) {}
  long count() override { return object_.get(u"Count").toInt32(); }
  std::unique_ptr<File> item(long index) override { return byKey(itemKey(index)); }
  std::unique_ptr<File> item(const std::u16string& name) override { return byKey(itemKey(name)); }
  std::unique_ptr<File> add(const std::u16string& diskPath, bool overwrite) override {
    return wrap<LateFile>(
        object_.call(u"Add", {Variant::text(diskPath), Variant::boolean(overwrite)}));
  }

 private:
  std::unique_ptr<File> byKey(Variant key) {
    return wrap<LateFile>(object_.call(u"Item", {std::move(key)}));
  }
  LateBound object_;
};

class LateFolder;

class LateFolders : public Folders {
 public:
  explicit LateFolders(LateBound object) : object_(std::move(object)) {}
  long count() override { return object_.get(u"Count").toInt32(); }
  std::unique_ptr<Folder> item(long index) override { return byKey(itemKey(index)); }
  std::unique_ptr<Folder> item(const std::u16string& name) override { return byKey(itemKey(name)); }
  std::unique_ptr<Folder> add(const std::u16string& name) override;

 private:
  std::unique_ptr<Folder> byKey(Variant key);
  LateBound object_;
};

class LateFolder : public Folder {
 public:
  explicit LateFolder(LateBound object) : object_(std::move(object)) {}
  std::u16string name() override { return object_.get(u"Name").toText(); }
  std::unique_ptr<Folders> folders() override { return wrap<LateFolders>(object_.get(u"Folders")); }
  std::unique_ptr<Files> files() override { return wrap<LateFiles>(object_.get(u"Files")); }

 private:
  LateBound object_;
};

std::unique_ptr<Folder> LateFolders::add(const std::u16string& name) {
  return wrap<LateFolder>(object_.call(u"Add", {Variant::text(name)}));
}

std::unique_ptr<Folder> LateFolders::byKey(Variant key) {
  return wrap<LateFolder>(object_.call(u"Item", {std::move(key)}));
}

class LateWeb : public Web {
 public:
  explicit LateWeb(LateBound object) : object_(std::move(object)) {}
  std::unique_ptr<Folder> rootFolder() override {
    return wrap<LateFolder>(object_.get(u"RootFolder"));
  }

 private:
  LateBound object_;
};

}  // namespace

std::unique_ptr<Web> webObject(const Variant& value) {
  return wrap<LateWeb>(value);
}

}  // namespace velmo::win
