// Self-registration: every key DllRegisterServer writes, and none left after
// DllUnregisterServer. The test leaves the server registered, as it found it.

#include <VelmoCls_h.h>

#include <optional>

#include "tests/win/win_test_support.h"
#include "windows/com/registry_table.h"

namespace velmo::win::test {
namespace {

bool keyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

std::optional<std::wstring> valueOf(const std::wstring& key, const wchar_t* name) {
  wchar_t data[1024];
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(data);
}

std::string show(const std::wstring& text) {
  return narrow(std::u16string(text.begin(), text.end()));
}

TEST(Registration, UnregisterRemovesEveryKeyAndRegisterWritesThemAgain) {
  ServerModule server;
  const std::wstring clstestt = L"CLSID\\" + guidText(CLSID_clstestt);
  const std::wstring class1 = L"CLSID\\" + guidText(CLSID_Class1);
  const std::wstring libId = guidText(LIBID_VelmoCls);
  const std::wstring typeLib = L"TypeLib\\" + libId;
  const std::vector<std::wstring> keys = {clstestt,
                                          class1,
                                          L"VelmoCls.clstestt",
                                          L"VelmoCls.Class1",
                                          typeLib,
                                          L"Interface\\" + guidText(IID__clstestt),
                                          L"Interface\\" + guidText(IID__Class1)};

  // Whatever fails below, the prefix is left with the server registered for the other tests.
  struct RegisterAgain {
    const ServerModule& server;
    ~RegisterAgain() { server.registerServer(); }
  } registerAgain{server};

  ASSERT_EQ(server.unregisterServer(), S_OK);
  for (const auto& key : keys) EXPECT_FALSE(keyExists(key)) << show(key);
  EXPECT_EQ(server.unregisterServer(), S_OK) << "unregistering twice";

  ASSERT_EQ(server.registerServer(), S_OK);
  struct Value {
    std::wstring key;
    const wchar_t* name;
    std::wstring data;
  };
  const std::wstring platform = sizeof(void*) == 8 ? L"win64" : L"win32";
  const Value values[] = {
      {clstestt + L"\\InprocServer32", nullptr, server.path()},
      {clstestt + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clstestt + L"\\ProgID", nullptr, L"VelmoCls.clstestt"},
      {clstestt + L"\\TypeLib", nullptr, libId},
      {clstestt + L"\\Version", nullptr, L"1.0"},
      {class1 + L"\\InprocServer32", nullptr, server.path()},
      {class1 + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {class1 + L"\\ProgID", nullptr, L"VelmoCls.Class1"},
      {class1 + L"\\TypeLib", nullptr, libId},
      {class1 + L"\\Version", nullptr, L"1.0"},
      {L"VelmoCls.clstestt\\CLSID", nullptr, guidText(CLSID_clstestt)},
      {L"VelmoCls.Class1\\CLSID", nullptr, guidText(CLSID_Class1)},
      {typeLib + L"\\1.0", nullptr, L"VelmoCls"},
      {typeLib + L"\\1.0\\409\\" + platform, nullptr, server.path()},
      {typeLib + L"\\1.0\\0\\" + platform, nullptr, server.path()},
      {L"Interface\\" + guidText(IID__clstestt) + L"\\TypeLib", nullptr, libId},
      {L"Interface\\" + guidText(IID__Class1) + L"\\TypeLib", nullptr, libId},
  };
  for (const Value& value : values) {
    SCOPED_TRACE(show(value.key) + " " + show(value.name ? value.name : L"(default)"));
    auto data = valueOf(value.key, value.name);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(show(*data), show(value.data));
  }

  // The programmatic identifier leads to the class.
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"VelmoCls.clstestt", &clsid), S_OK);
  EXPECT_TRUE(IsEqualGUID(clsid, CLSID_clstestt));
}

// The type library's keys are shared by both registry views. The DLL of the other bitness keeps
// its locale-0 entry, which the marshaller of its own clients looks up, when this one is
// unregistered; this one's entry goes.
TEST(Registration, UnregisterLeavesTheOtherBitnessItsNeutralLocaleEntry) {
  ServerModule server;
  struct RegisterAgain {
    const ServerModule& server;
    ~RegisterAgain() {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + guidText(LIBID_VelmoCls)).c_str());
      server.registerServer();
    }
  } registerAgain{server};

  const std::wstring neutral = L"TypeLib\\" + guidText(LIBID_VelmoCls) + L"\\1.0\\0";
  const std::wstring own = neutral + (sizeof(void*) == 8 ? L"\\win64" : L"\\win32");
  const std::wstring other = neutral + (sizeof(void*) == 8 ? L"\\win32" : L"\\win64");
  ASSERT_EQ(server.registerServer(), S_OK);
  ASSERT_EQ(valueOf(own, nullptr), server.path());
  ASSERT_EQ(writeRegistryValues({{other, L"", L"C:\\other\\VelmoCls.dll"}}), S_OK);

  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_FALSE(keyExists(own));
  EXPECT_EQ(valueOf(other, nullptr), std::optional<std::wstring>(L"C:\\other\\VelmoCls.dll"));
}

// A ProgID key is shared by the 32-bit and the 64-bit registry views. Unregistering this DLL
// leaves the ProgID of a class the other view still registers (the DLL of the other bitness,
// stood in for by its InprocServer32 key), so that one stays creatable by name; once the other
// view's registration is gone too, the next unregistration removes it.
TEST(Registration, UnregisterKeepsTheProgIdsOfClassesTheOtherViewStillServes) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  if (sizeof(void*) == 4 && !wow64) GTEST_SKIP() << "a 32-bit system has one registry view";
  const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  const std::wstring otherClass = L"CLSID\\" + guidText(CLSID_clstestt);
  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, otherClass.c_str(), 0, KEY_READ | otherView, &probe) ==
      ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "the other bitness's DLL is registered in this prefix";
  }

  ServerModule server;
  struct Restore {
    const ServerModule& server;
    REGSAM otherView;
    std::wstring otherClass;
    void removeOther() const {
      HKEY classes = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | otherView, &classes) ==
          ERROR_SUCCESS) {
        RegDeleteTreeW(classes, otherClass.substr(6).c_str());
        RegCloseKey(classes);
      }
    }
    ~Restore() {
      removeOther();
      server.registerServer();
    }
  } restore{server, otherView, otherClass};

  ASSERT_EQ(server.registerServer(), S_OK);
  HKEY other = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (otherClass + L"\\InprocServer32").c_str(), 0,
                            nullptr, 0, KEY_WRITE | otherView, nullptr, &other, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(other);

  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_FALSE(keyExists(otherClass)) << "this view's class key goes";
  EXPECT_TRUE(keyExists(L"VelmoCls.clstestt")) << "the other view still serves clstestt";
  EXPECT_FALSE(keyExists(L"VelmoCls.Class1")) << "no view serves Class1 any more";

  restore.removeOther();
  ASSERT_EQ(server.unregisterServer(), S_OK);
  EXPECT_FALSE(keyExists(L"VelmoCls.clstestt"));
}

}  // namespace
}  // namespace velmo::win::test
