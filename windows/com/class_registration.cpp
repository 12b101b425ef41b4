#include "windows/com/class_registration.h"

namespace velmo::win {

std::vector<RegistryValue> classRegistryValues(std::span<const ServedClass> classes,
                                               const GUID* typeLibrary) {
  const std::wstring path = modulePath(thisModule());
  std::vector<RegistryValue> values;
  for (const ServedClass& served : classes) {
    const std::wstring clsid = guidText(*served.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    values.push_back({key, L"", served.description});
    values.push_back({key + L"\\InprocServer32", L"", path});
    values.push_back({key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
    values.push_back({key + L"\\ProgID", L"", served.progId});
    if (typeLibrary != nullptr) {
      values.push_back({key + L"\\TypeLib", L"", guidText(*typeLibrary)});
      values.push_back({key + L"\\Version", L"", L"1.0"});
    }
    values.push_back({served.progId, L"", served.description});
    values.push_back({std::wstring(served.progId) + L"\\CLSID", L"", clsid});
  }
  return values;
}

HRESULT removeClassRegistration(std::span<const ServedClass> classes) {
  std::vector<std::wstring> classKeys;
  for (const ServedClass& served : classes)
    classKeys.push_back(L"CLSID\\" + guidText(*served.clsid));
  const HRESULT own = removeRegistryKeys(classKeys);
  std::vector<std::wstring> progIds;
  for (size_t i = 0; i < classes.size(); ++i) {
    if (!otherViewHasKey(classKeys[i] + L"\\InprocServer32")) progIds.push_back(classes[i].progId);
  }
  const HRESULT shared = removeRegistryKeys(progIds);
  return FAILED(own) ? own : shared;
}

}  // namespace velmo::win
