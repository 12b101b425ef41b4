#include "windows/dll/type_info_dispatch.h"

#include "windows/com/registry_table.h"

namespace velmo::win {

ComPtr<ITypeLib> ownTypeLibrary() {
  const std::wstring path = modulePath(thisModule());
  ComPtr<ITypeLib> library;
  const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) throw HostError(hr, u"Cannot load the type library of VelmoCls.dll");
  return library;
}

ComPtr<ITypeInfo> ownTypeInfo(REFIID iid) {
  ComPtr<ITypeInfo> info;
  const HRESULT hr = ownTypeLibrary()->GetTypeInfoOfGuid(iid, &info);
  if (FAILED(hr)) throw HostError(hr, u"The type library of VelmoCls.dll lacks an interface");
  // A dual interface is found as its dispatch description; the invoke needs the vtable one.
  HREFTYPE vtablePart = 0;
  ComPtr<ITypeInfo> vtableInfo;
  if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtablePart)) &&
      SUCCEEDED(info->GetRefTypeInfo(vtablePart, &vtableInfo))) {
    return vtableInfo;
  }
  return info;
}

}  // namespace velmo::win
