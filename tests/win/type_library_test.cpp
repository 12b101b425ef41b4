// The type library embedded in VelmoCls.dll: the identity add-ins bind to.

#include <VelmoCls_h.h>

#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

ComPtr<ITypeLib> embeddedLibrary() {
  const std::wstring path = besideTests(L"VelmoCls.dll");
  ComPtr<ITypeLib> library;
  EXPECT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library), S_OK);
  return library;
}

ComPtr<ITypeInfo> typeInfo(ITypeLib* library, REFGUID guid) {
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(library->GetTypeInfoOfGuid(guid, &info), S_OK);
  return info;
}

std::u16string memberName(ITypeInfo* info, MEMBERID id) {
  Bstr name;
  info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
  return name.text();
}

TEST(TypeLibrary, NameVersionLocaleAndIdentifier) {
  auto library = embeddedLibrary();
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_VelmoCls));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x409u);
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  library->ReleaseTLibAttr(attr);
  Bstr name;
  ASSERT_EQ(library->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(name.text(), u"VelmoCls");
}

TEST(TypeLibrary, InterfaceAndClassFlags) {
  auto library = embeddedLibrary();
  struct Case {
    const GUID* guid;
    const char16_t* name;
    TYPEKIND kind;
    WORD flags;
  };
  // The dispatch part of a dual interface; whether it repeats FOLEAUTOMATION is the IDL
  // compiler's choice (the vtable part carries it, checked below).
  constexpr WORD kInterface =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
  const Case cases[] = {
      {&IID__clstestt, u"_clstestt", TKIND_DISPATCH, kInterface},
      {&IID__Class1, u"_Class1", TKIND_DISPATCH, kInterface},
      {&CLSID_clstestt, u"clstestt", TKIND_COCLASS, TYPEFLAG_FCANCREATE},
      {&CLSID_Class1, u"Class1", TKIND_COCLASS, TYPEFLAG_FCANCREATE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.name));
    auto info = typeInfo(library.Get(), *c.guid);
    ASSERT_TRUE(info);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, c.kind);
    EXPECT_EQ(attr->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION, c.flags);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    info->ReleaseTypeAttr(attr);
    EXPECT_EQ(memberName(info.Get(), MEMBERID_NIL), c.name);
  }
}

TEST(TypeLibrary, DefaultInterfacesOfTheClasses) {
  auto library = embeddedLibrary();
  const std::pair<const GUID*, const GUID*> cases[] = {{&CLSID_clstestt, &IID__clstestt},
                                                       {&CLSID_Class1, &IID__Class1}};
  for (auto [clsid, iid] : cases) {
    auto coclass = typeInfo(library.Get(), *clsid);
    HREFTYPE ref = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
    ComPtr<ITypeInfo> defaultInterface;
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, &defaultInterface), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(defaultInterface->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, *iid));
    defaultInterface->ReleaseTypeAttr(attr);
  }
}

// The vtable part of a dual interface.
ComPtr<ITypeInfo> vtableInfo(REFIID iid) {
  auto library = embeddedLibrary();
  auto dispatch = typeInfo(library.Get(), iid);
  HREFTYPE ref = 0;
  EXPECT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(dispatch->GetRefTypeInfo(ref, &info), S_OK);
  return info;
}

struct Method {
  const char16_t* name;
  MEMBERID id;
  INVOKEKIND kind;
  std::vector<VARTYPE> params;  // with flags folded in below
  std::vector<USHORT> paramFlags;
};

void expectMethods(REFIID iid, const std::vector<Method>& methods) {
  auto info = vtableInfo(iid);
  ASSERT_TRUE(info);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->cFuncs, methods.size());
  // Automation types only: the marshaler can use the type library.
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < methods.size(); ++i) {
    const Method& expected = methods[i];
    SCOPED_TRACE(narrow(expected.name));
    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &func), S_OK);
    EXPECT_EQ(memberName(info.Get(), func->memid), expected.name);
    EXPECT_EQ(func->memid, expected.id);
    EXPECT_EQ(func->invkind, expected.kind);
    // After the three IUnknown and four IDispatch slots, in the order listed.
    EXPECT_EQ(func->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
    ASSERT_EQ(static_cast<std::size_t>(func->cParams), expected.params.size());
    for (SHORT p = 0; p < func->cParams; ++p) {
      const ELEMDESC& param = func->lprgelemdescParam[p];
      VARTYPE vt = param.tdesc.vt;
      if (vt == VT_PTR) vt = param.tdesc.lptdesc->vt | VT_BYREF;
      EXPECT_EQ(vt, expected.params[p]) << "parameter " << p;
      EXPECT_EQ(param.paramdesc.wParamFlags, expected.paramFlags[p]) << "parameter " << p;
    }
    info->ReleaseFuncDesc(func);
  }
}

constexpr USHORT kInOut = PARAMFLAG_FIN | PARAMFLAG_FOUT;
constexpr USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

TEST(TypeLibrary, ClstesttMethodsInOrderWithTheirDispids) {
  expectMethods(IID__clstestt,
                {
                    {u"style", 0x60030000, INVOKE_FUNC, {}, {}},
                    {u"addtofavor", 0x60030001, INVOKE_FUNC, {}, {}},
                    {u"botfound",
                     0x60030002,
                     INVOKE_FUNC,
                     {VT_BSTR | VT_BYREF, VT_BOOL | VT_BYREF},
                     {kInOut, kRetval}},
                    {u"eraseBot", 0x60030003, INVOKE_FUNC, {VT_BSTR | VT_BYREF}, {kInOut}},
                    {u"scriptHead2",
                     0x60030004,
                     INVOKE_FUNC,
                     {VT_BSTR | VT_BYREF, VT_VARIANT | VT_BYREF},
                     {kInOut, kRetval}},
                    {u"slide", 0x60030005, INVOKE_FUNC, {}, {}},
                    {u"CurDate", 0x60030006, INVOKE_FUNC, {}, {}},
                    {u"ads", 0x60030007, INVOKE_FUNC, {}, {}},
                });
}

TEST(TypeLibrary, Class1PropertiesInOrder) {
  expectMethods(
      IID__Class1,
      {
          {u"URL", 0x68030001, INVOKE_PROPERTYGET, {VT_BSTR | VT_BYREF}, {kRetval}},
          {u"URL", 0x68030001, INVOKE_PROPERTYPUT, {VT_BSTR}, {PARAMFLAG_FIN}},
          {u"description", 0x68030000, INVOKE_PROPERTYGET, {VT_BSTR | VT_BYREF}, {kRetval}},
          {u"description", 0x68030000, INVOKE_PROPERTYPUT, {VT_BSTR}, {PARAMFLAG_FIN}},
      });
}

TEST(TypeLibrary, DispidsThroughGetIDsOfNames) {
  struct Case {
    const wchar_t* progId;
    const wchar_t* name;
    DISPID id;
  };
  const Case cases[] = {
      {L"VelmoCls.clstestt", L"style", 0x60030000},
      {L"VelmoCls.clstestt", L"addtofavor", 0x60030001},
      {L"VelmoCls.clstestt", L"botfound", 0x60030002},
      {L"VelmoCls.clstestt", L"eraseBot", 0x60030003},
      {L"VelmoCls.clstestt", L"scriptHead2", 0x60030004},
      {L"VelmoCls.clstestt", L"slide", 0x60030005},
      {L"VelmoCls.clstestt", L"CurDate", 0x60030006},
      {L"VelmoCls.clstestt", L"ads", 0x60030007},
      // Names are matched without case, as script clients expect.
      {L"VelmoCls.clstestt", L"BOTFOUND", 0x60030002},
      {L"VelmoCls.Class1", L"URL", 0x68030001},
      {L"VelmoCls.Class1", L"description", 0x68030000},
  };
  for (const Case& c : cases) {
    auto object = createByProgId(c.progId);
    ASSERT_TRUE(object);
    LPOLESTR names[] = {const_cast<LPOLESTR>(c.name)};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, c.id) << narrow(std::u16string(c.name, c.name + wcslen(c.name)));
  }
  auto object = createByProgId(L"VelmoCls.clstestt");
  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"noSuchMethod")};
  DISPID id = 0;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
}

}  // namespace
}  // namespace velmo::win::test
