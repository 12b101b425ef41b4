// IDispatch::Invoke under every argument shape a careless or hostile client can send: by-reference
// arguments whose pointer is null, values that are no text, too many or too few arguments, named
// arguments the member lacks or names given twice. One table of shapes runs through every member
// of both classes; a refused call returns its code with the argument index set, changes nothing
// (page, properties), opens no window and leaves no earlier error description behind.

#include <VelmoCls_h.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "tests/support/pages.h"
#include "tests/win/command_on_page.h"
#include "tests/win/win_test_support.h"
#include "windows/com/error_barrier.h"

namespace velmo::win::test {
namespace {

using velmo::testing::kOneLineDatePage;

struct Member {
  bool class1;  // a member of Class1, else of clstestt
  const wchar_t* name;
  WORD flags;
  UINT params;  // without the return value
  bool dialog;  // shows a window when called
};

const Member kMembers[] = {
    {false, L"botfound", DISPATCH_METHOD, 1, false},
    {false, L"eraseBot", DISPATCH_METHOD, 1, false},
    {false, L"scriptHead2", DISPATCH_METHOD, 1, false},
    {false, L"style", DISPATCH_METHOD, 0, true},
    {false, L"addtofavor", DISPATCH_METHOD, 0, true},
    {false, L"slide", DISPATCH_METHOD, 0, true},
    {false, L"CurDate", DISPATCH_METHOD, 0, true},
    {false, L"ads", DISPATCH_METHOD, 0, true},
    {true, L"URL", DISPATCH_PROPERTYPUT, 1, false},
    {true, L"description", DISPATCH_PROPERTYPUT, 1, false},
    {true, L"URL", DISPATCH_PROPERTYGET, 0, false},
    {true, L"description", DISPATCH_PROPERTYGET | DISPATCH_METHOD, 0, false},
};

bool isPut(const Member& member) {
  return (member.flags & DISPATCH_PROPERTYPUT) != 0;
}

// Arguments as DISPPARAMS holds them: rgvarg right to left, the first `names.size()` named.
struct Arguments {
  std::vector<Variant> values;
  std::vector<DISPID> names;
};

Variant text(std::u16string_view value) {
  return Variant::text(value);
}

// A reference of `type` whose pointer is null.
template <VARTYPE type>
Variant nullReference() {
  Variant value;
  V_VT(&value) = VT_BYREF | type;
  V_BYREF(&value) = nullptr;
  return value;
}

// A reference to a variant that holds a null text reference.
Variant referenceToNullReference() {
  static Variant holder = nullReference<VT_BSTR>();
  Variant value;
  V_VT(&value) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&value) = &holder;
  return value;
}

// A reference to an object reference that is null.
Variant referenceToNullObject() {
  static IDispatch* none = nullptr;
  Variant value;
  V_VT(&value) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&value) = &none;
  return value;
}

Variant anObject() {
  ComPtr<IDispatch> object = createByProgId(L"VelmoCls.Class1");
  return Variant::object(object.Get());
}

// The one argument of a member with one parameter, named as a put's value must be.
Arguments one(const Member& member, Variant value) {
  Arguments args;
  args.values.push_back(std::move(value));
  if (isPut(member)) args.names.push_back(DISPID_PROPERTYPUT);
  return args;
}

Variant textByVariantReference() {
  static Variant held = text(u"Missing");
  Variant value;
  V_VT(&value) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&value) = &held;
  return value;
}

Variant textByTextReference() {
  static Bstr held(u"Missing");
  static BSTR slot = held.get();
  Variant value;
  V_VT(&value) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&value) = &slot;
  return value;
}

using Build = std::function<std::optional<Arguments>(const Member&)>;

// The shape of a single argument made by `make`, for the members with one parameter.
Build single(Variant (*make)()) {
  return [make](const Member& m) -> std::optional<Arguments> {
    if (m.params != 1) return std::nullopt;
    return one(m, make());
  };
}

struct Shape {
  const char* what;
  // The arguments for `member`, or nothing when the shape does not fit it.
  Build build;
  HRESULT expected;
  std::optional<UINT> argError;  // the index in rgvarg at fault
};

const std::vector<Shape>& refusedShapes() {
  static const std::vector<Shape> shapes = {
      {"null text reference", single(nullReference<VT_BSTR>), DISP_E_TYPEMISMATCH, 0},
      {"null variant reference", single(nullReference<VT_VARIANT>), DISP_E_TYPEMISMATCH, 0},
      {"null array reference", single(nullReference<VT_ARRAY | VT_I4>), DISP_E_TYPEMISMATCH, 0},
      {"variant reference to a null text reference", single(referenceToNullReference),
       DISP_E_TYPEMISMATCH, 0},
      {"reference to a null object", single(referenceToNullObject), DISP_E_TYPEMISMATCH, 0},
      {"an object for text", single(anObject), DISP_E_TYPEMISMATCH, 0},
      {"one argument too many",
       [](const Member& m) -> std::optional<Arguments> {
         Arguments args = m.params == 1 ? one(m, text(u"Missing")) : Arguments{};
         args.values.push_back(text(u"extra"));
         return args;
       },
       DISP_E_BADPARAMCOUNT, std::nullopt},
      {"one argument too few",
       [](const Member& m) -> std::optional<Arguments> {
         if (m.params != 1 || isPut(m)) return std::nullopt;
         return Arguments{};
       },
       DISP_E_BADPARAMCOUNT, std::nullopt},
      {"a method's argument named as a property's value",
       [](const Member& m) -> std::optional<Arguments> {
         if (isPut(m)) return std::nullopt;
         Arguments args;
         args.values.push_back(text(u"Missing"));
         args.names.push_back(DISPID_PROPERTYPUT);
         return args;
       },
       DISP_E_PARAMNOTFOUND, 0},
      {"one parameter named twice",
       [](const Member& m) -> std::optional<Arguments> {
         if (m.params != 1 || isPut(m)) return std::nullopt;
         Arguments args;
         args.values.push_back(text(u"Missing"));
         args.values.push_back(text(u"V_Date"));
         args.names = {0, 0};
         return args;
       },
       DISP_E_PARAMNOTFOUND, 1},
      {"a name the member lacks",
       [](const Member& m) -> std::optional<Arguments> {
         Arguments args;
         args.values.push_back(text(u"Missing"));
         args.names.push_back(7);
         if (isPut(m)) {
           args.values.push_back(text(u"value"));
           args.names.push_back(DISPID_PROPERTYPUT);
         }
         return args;
       },
       DISP_E_PARAMNOTFOUND, 0},
      {"a property's value not named",
       [](const Member& m) -> std::optional<Arguments> {
         if (!isPut(m)) return std::nullopt;
         Arguments args;
         args.values.push_back(text(u"value"));
         return args;
       },
       DISP_E_PARAMNOTFOUND, std::nullopt},
  };
  return shapes;
}

const std::vector<Shape>& acceptedShapes() {
  static const std::vector<Shape> shapes = {
      {"text", [](const Member& m) { return m.params ? one(m, text(u"Missing")) : Arguments{}; },
       S_OK, std::nullopt},
      {"a number for text",
       [](const Member& m) { return m.params ? one(m, Variant::int32(42)) : Arguments{}; }, S_OK,
       std::nullopt},
      {"text by variant reference", single(textByVariantReference), S_OK, std::nullopt},
      {"text by text reference", single(textByTextReference), S_OK, std::nullopt},
      {"text named by its parameter",
       [](const Member& m) -> std::optional<Arguments> {
         if (m.params != 1 || isPut(m)) return std::nullopt;
         Arguments args;
         args.values.push_back(text(u"Missing"));
         args.names.push_back(0);
         return args;
       },
       S_OK, std::nullopt},
  };
  return shapes;
}

// Closes, and counts, every window the test's thread shows while it lives.
class WindowWatch {
 public:
  WindowWatch() : thread_(GetCurrentThreadId()), watcher_([this] { watch(); }) {}
  ~WindowWatch() {
    done_ = true;
    watcher_.join();
  }
  int seen() const { return seen_; }

 private:
  static BOOL CALLBACK closeShown(HWND window, LPARAM self) {
    if (IsWindowVisible(window)) {
      ++reinterpret_cast<WindowWatch*>(self)->seen_;
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
  }
  void watch() {
    while (!done_) {
      EnumThreadWindows(thread_, closeShown, reinterpret_cast<LPARAM>(this));
      Sleep(20);
    }
  }
  DWORD thread_;
  std::atomic<bool> done_{false};
  std::atomic<int> seen_{0};
  std::thread watcher_;
};

class ArgumentShapes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(openWithCommand(page_, editor_, command_));
    data_ = createByProgId(L"VelmoCls.Class1");
    ASSERT_TRUE(data_);
    LateBound(data_).put(u"URL", text(u"url before"));
    LateBound(data_).put(u"description", text(u"description before"));
  }
  void TearDown() override {
    if (editor_) tryCall(editor_.Get(), u"ClosePage");
  }

  IDispatch* objectOf(const Member& member) {
    return member.class1 ? data_.Get() : static_cast<IDispatch*>(command_.Get());
  }
  // What a call could change: the page file and the properties.
  std::string state() {
    return page_.bytes() + "|" + narrow(LateBound(data_).get(u"URL").toText()) + "|" +
           narrow(LateBound(data_).get(u"description").toText());
  }
  HRESULT invoke(const Member& member, Arguments& args, UINT& argError) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(member.name)};
    DISPID id = DISPID_UNKNOWN;
    IDispatch* object = objectOf(member);
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    DISPPARAMS params{args.values.data(), args.names.data(), static_cast<UINT>(args.values.size()),
                      static_cast<UINT>(args.names.size())};
    Variant result;
    EXCEPINFO exception{};
    argError = 0xDEAD;
    const HRESULT hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, member.flags, &params,
                       isPut(member) ? nullptr : result.put(), &exception, &argError);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
  }

  TempPage page_{kOneLineDatePage};
  ComPtr<IDispatch> editor_;
  ComPtr<_clstestt> command_;
  ComPtr<IDispatch> data_;
};

std::string traceOf(const Shape& shape, const Member& member) {
  return std::string(shape.what) + " -> " +
         narrow(std::u16string(member.name, member.name + wcslen(member.name))) +
         (isPut(member) ? " (put)" : "");
}

TEST_F(ArgumentShapes, RefusedShapesChangeNothingAndSayWhichArgument) {
  WindowWatch windows;
  int calls = 0;
  for (const Shape& shape : refusedShapes()) {
    for (const Member& member : kMembers) {
      std::optional<Arguments> args = shape.build(member);
      if (!args) continue;
      SCOPED_TRACE(traceOf(shape, member));
      ++calls;
      const std::string before = state();
      setErrorInfo(IID_IDispatch, u"stale", u"stale description");
      UINT argError = 0;
      EXPECT_EQ(invoke(member, *args, argError), shape.expected);
      if (shape.argError) {
        EXPECT_EQ(argError, *shape.argError);
      }
      EXPECT_EQ(takeErrorDescription(), u"") << "no earlier description is left";
      EXPECT_EQ(state(), before);
    }
  }
  EXPECT_GE(calls, 60);
  EXPECT_EQ(windows.seen(), 0) << "a refused call opened a dialog";
}

TEST_F(ArgumentShapes, AcceptedShapesReachTheMember) {
  for (const Shape& shape : acceptedShapes()) {
    for (const Member& member : kMembers) {
      if (member.dialog) continue;
      std::optional<Arguments> args = shape.build(member);
      if (!args) continue;
      SCOPED_TRACE(traceOf(shape, member));
      UINT argError = 0;
      EXPECT_EQ(invoke(member, *args, argError), S_OK) << narrow(takeErrorDescription());
    }
  }
  // The values arrived: the last put left its text, the page got the script blocks.
  EXPECT_EQ(LateBound(data_).get(u"URL").toText(), u"Missing");
  EXPECT_NE(page_.bytes().find("Missing"), std::string::npos);
  EXPECT_NE(page_.bytes().find("V_Date"), std::string::npos) << "no bot named Missing";
}

}  // namespace
}  // namespace velmo::win::test
