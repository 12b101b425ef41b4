#include <objbase.h>
#include <windows.h>

#include <cstring>
#include <fstream>

#include "desktop/chm_archive.h"
#include "desktop/chm_layout.h"

// IITStorage as itss.dll exports it; only StgOpenStorage is called. Declared outside any
// unnamed namespace: there the compiler would see that nothing implements it and call nothing.
struct IITStorage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD,
                                                                 IStorage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
  virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD,
                                                   IStorage**) = 0;
};

// The system reads the help file: the ITStorage of itss.dll, which HTML Help itself uses.
namespace {

const CLSID kClsidItStorage = {
    0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidItStorage = {
    0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// Releases a COM interface when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** put() { return &p_; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread while it lives (velmo's main thread shows help).
struct ComInit {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ~ComInit() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

std::wstring wide(const std::string& text) {
  std::wstring out;
  for (unsigned char c : text) out.push_back(c);
  return out;
}

std::vector<std::wstring> partsOf(const std::string& objectPath) {
  std::vector<std::wstring> parts;
  std::size_t at = 0;
  while (at <= objectPath.size()) {
    std::size_t end = objectPath.find('/', at);
    if (end == std::string::npos) end = objectPath.size();
    if (end > at) parts.push_back(wide(objectPath.substr(at, end - at)));
    at = end + 1;
  }
  return parts;
}

std::string narrow(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

}  // namespace

struct chmFile {
  ComInit com;
  ComRef<IStorage> root;
  std::filesystem::path removeAtClose;
};

namespace velmo::desktop {
namespace {

constexpr DWORD kReadMode = STGM_READ | STGM_SHARE_DENY_WRITE;

std::unique_ptr<ChmArchive> openStorage(const std::filesystem::path& file, const std::string& name,
                                        const std::filesystem::path& removeAtClose) {
  auto handle = std::make_unique<chmFile>();
  handle->removeAtClose = removeAtClose;
  ComRef<IITStorage> storage;
  if (FAILED(CoCreateInstance(kClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, kIidItStorage,
                              reinterpret_cast<void**>(storage.put())))) {
    throw HelpFileError("cannot read the help file " + name +
                        ": the system's help file reader (itss.dll) is not there");
  }
  if (FAILED(storage->StgOpenStorage(file.c_str(), nullptr, kReadMode, nullptr, 0,
                                     handle->root.put()))) {
    throw HelpFileError("the help file " + name + " is damaged");
  }
  return std::make_unique<ChmArchive>(handle.release());
}

void collect(IStorage* storage, const std::string& folder, std::vector<std::string>& files) {
  ComRef<IEnumSTATSTG> items;
  if (FAILED(storage->EnumElements(0, nullptr, 0, items.put()))) return;
  STATSTG item{};
  // Wine's reader writes the count without looking whether it was asked for.
  ULONG fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
    const std::string name = narrow(item.pwcsName);
    CoTaskMemFree(item.pwcsName);
    const std::string path = folder + name;
    if (item.type == STGTY_STORAGE) {
      ComRef<IStorage> inner;
      if (SUCCEEDED(storage->OpenStorage(wide(name).c_str(), nullptr, kReadMode, nullptr, 0,
                                         inner.put()))) {
        collect(inner.get(), path + "/", files);
      }
    } else if (path.size() > 1 && path[1] != '#' && path[1] != '$') {
      files.push_back(path);
    }
  }
}

}  // namespace

std::unique_ptr<ChmArchive> ChmArchive::open(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw HelpFileError("cannot read the help file " + file.string() + ": " +
                        std::strerror(errno ? errno : ENOENT));
  }
  std::string bytes;
  char buffer[65536];
  while (bytes.size() <= kHelpFileLimit && in) {
    in.read(buffer, sizeof buffer);
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (const auto fault = chmLayoutFault(bytes)) {
    throw HelpFileError("the help file " + file.string() + " is damaged: " + *fault);
  }
  return openStorage(file, file.string(), {});
}

std::unique_ptr<ChmArchive> ChmArchive::fromBytes(std::string_view bytes, const std::string& name) {
  if (const auto fault = chmLayoutFault(bytes)) {
    throw HelpFileError("the help file " + name + " is damaged: " + *fault);
  }
  // The reader opens files by name: the checked bytes go to a file of their own.
  wchar_t folder[MAX_PATH + 1];
  wchar_t temp[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"vh", 0, temp)) {
    throw HelpFileError("cannot read the help file " + name);
  }
  {
    std::ofstream out(std::filesystem::path(temp), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw HelpFileError("cannot read the help file " + name);
  }
  return openStorage(temp, name, temp);
}

void ChmArchive::Closer::operator()(chmFile* handle) const {
  const std::filesystem::path remove = handle->removeAtClose;
  delete handle;
  if (!remove.empty()) DeleteFileW(remove.c_str());
}

std::optional<std::string> ChmArchive::read(const std::string& objectPath) {
  const std::vector<std::wstring> parts = partsOf(objectPath);
  if (parts.empty()) return std::nullopt;
  IStorage* at = handle_->root.get();
  std::vector<std::unique_ptr<ComRef<IStorage>>> folders;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    auto inner = std::make_unique<ComRef<IStorage>>();
    if (FAILED(at->OpenStorage(parts[i].c_str(), nullptr, kReadMode, nullptr, 0, inner->put()))) {
      return std::nullopt;
    }
    at = inner->get();
    folders.push_back(std::move(inner));
  }
  ComRef<IStream> stream;
  if (FAILED(at->OpenStream(parts.back().c_str(), nullptr, kReadMode, 0, stream.put()))) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ULONG got = 0;
    const HRESULT hr = stream->Read(buffer, sizeof buffer, &got);
    if (FAILED(hr)) return std::nullopt;
    bytes.append(buffer, got);
    if (got == 0 || bytes.size() > kUnpackedLimit) break;
  }
  return bytes;
}

std::vector<std::string> ChmArchive::contentFiles() {
  std::vector<std::string> files;
  collect(handle_->root.get(), "/", files);
  return files;
}

}  // namespace velmo::desktop
