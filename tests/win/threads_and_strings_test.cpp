// The server under strings no script would send (embedded NULs, lone surrogates, a megabyte,
// empty and null BSTRs) and under calls from other threads: a multithreaded client, and
// references marshalled from the test's apartment to another one.

#include <VelmoCls_h.h>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/common/text.h"
#include "tests/support/pages.h"
#include "tests/win/command_on_page.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

using velmo::testing::kOneLineUtf8DatePage;

std::string withScript(const std::string& code) {
  std::string page = kOneLineUtf8DatePage;
  const std::string block =
      "<script language = \"javascript\">\r\n" + code + "\r\n</script>\r\n\r\n";
  page.insert(page.find("</head>"), block);
  return page;
}

using Handle = std::unique_ptr<void, decltype(&CloseHandle)>;

// Odd strings, each with its length counted as BSTRs count it.
struct OddText {
  const char* what;
  std::u16string text;
  bool null = false;
};

Bstr bstrOf(const OddText& odd) {
  return odd.null ? Bstr() : Bstr(odd.text);
}

const std::vector<OddText>& oddNames() {
  static const std::vector<OddText> names = {
      {"embedded NUL", std::u16string(u"V_Date\0x", 8)},
      {"trailing NUL", std::u16string(u"V_Date\0", 7)},
      {"leading NUL", std::u16string(u"\0V_Date", 7)},
      {"lone high surrogate", u"V_Date\xD800"},
      {"lone low surrogate", u"\xDC00V_Date"},
      {"one megabyte", std::u16string(1 << 20, u'V')},
      {"empty", u""},
      {"null", u"", true},
  };
  return names;
}

class OddStrings : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(openWithCommand(page_, editor_, command_)); }
  void TearDown() override {
    if (editor_) LateBound(editor_).call(u"ClosePage");
  }
  // The page file as it was at the start, open again, with a fresh command object.
  void startAgain() {
    command_.Reset();
    LateBound(editor_).call(u"ClosePage");
    {
      Handle file(CreateFileW(page_.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr),
                  &CloseHandle);
      ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
      DWORD written = 0;
      ASSERT_TRUE(WriteFile(file.get(), kOneLineUtf8DatePage.data(),
                            static_cast<DWORD>(kOneLineUtf8DatePage.size()), &written, nullptr));
    }
    LateBound(editor_).call(u"OpenPage", {Variant::text(asText(page_.path()))});
    ASSERT_EQ(
        CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command_)),
        S_OK);
  }
  // The page as the stand-in reads it from the file again.
  std::u16string reopenedPageText() {
    LateBound(editor_).call(u"ClosePage");
    LateBound(editor_).call(u"OpenPage", {Variant::text(asText(page_.path()))});
    return LateBound(editor_).call(u"PageText").toText();
  }

  TempPage page_{kOneLineUtf8DatePage};
  ComPtr<IDispatch> editor_;
  ComPtr<_clstestt> command_;
};

TEST_F(OddStrings, BotNamesThatCannotMatchFindNothingAndEraseNothing) {
  for (const OddText& odd : oddNames()) {
    SCOPED_TRACE(odd.what);
    Bstr name = bstrOf(odd);
    BSTR slot = name.get();
    VARIANT_BOOL found = 7;
    EXPECT_EQ(command_->botfound(&slot, &found), S_OK);
    EXPECT_EQ(found, VARIANT_FALSE);
    EXPECT_EQ(command_->eraseBot(&slot), S_OK);
    EXPECT_EQ(slot, name.get());
    EXPECT_EQ(name.text(), odd.text) << "the caller's string is not changed";

    // Late-bound, the counted length survives the argument copies: a name cut at its NUL would
    // be "V_Date" and match.
    const CallResult late = tryCall(command_.Get(), u"botfound", {Variant::text(odd.text)});
    EXPECT_EQ(late.hr, S_OK) << narrow(late.description);
    EXPECT_EQ(V_BOOL(&late.value), VARIANT_FALSE);
  }
  EXPECT_EQ(page_.bytes(), kOneLineUtf8DatePage);
  const CallResult exact = tryCall(command_.Get(), u"botfound", {Variant::text(u"V_Date")});
  EXPECT_EQ(V_BOOL(&exact.value), VARIANT_TRUE);
}

TEST_F(OddStrings, ScriptCodeWithANulIsRefusedAndThePageKept) {
  for (const std::u16string& code :
       {std::u16string(u"a();\0b();", 9), std::u16string(u"\0", 1), std::u16string(u"x\0", 2)}) {
    Bstr text(code);
    BSTR slot = text.get();
    Variant result;
    EXPECT_EQ(command_->scriptHead2(&slot, result.put()), E_INVALIDARG);
    EXPECT_EQ(takeErrorDescription(), u"The script code contains a NUL character");
    const CallResult late = tryCall(command_.Get(), u"scriptHead2", {Variant::text(code)});
    EXPECT_EQ(late.hr, E_INVALIDARG);
    EXPECT_EQ(late.description, u"The script code contains a NUL character");
  }
  EXPECT_EQ(page_.bytes(), kOneLineUtf8DatePage);
  EXPECT_EQ(reopenedPageText(), utf8ToUtf16(kOneLineUtf8DatePage));
}

// What the page holds after scriptHead2 with each code: unpaired surrogates are written as
// U+FFFD, so the file stays well-formed UTF-8; everything else is written as given.
TEST_F(OddStrings, ScriptCodeIsWrittenAsWellFormedText) {
  const std::string megabyte(1 << 20, 'm');
  struct Case {
    OddText code;
    std::string written;
  };
  const Case cases[] = {
      {{"lone high surrogate", u"a\xD800z"}, "a\xEF\xBF\xBDz"},
      {{"lone low surrogate", u"\xDC00z"}, "\xEF\xBF\xBDz"},
      {{"reversed pair", u"\xDE00\xD83D"}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {{"pair", u"\xD83D\xDE00"}, "\xF0\x9F\x98\x80"},
      {{"one megabyte", std::u16string(megabyte.begin(), megabyte.end())}, megabyte},
      {{"empty", u""}, ""},
      {{"null", u"", true}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code.what);
    ASSERT_NO_FATAL_FAILURE(startAgain());
    Bstr code = bstrOf(c.code);
    BSTR slot = code.get();
    Variant result = Variant::text(u"not empty");
    ASSERT_EQ(command_->scriptHead2(&slot, result.put()), S_OK) << narrow(takeErrorDescription());
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(code.text(), c.code.text);

    const std::string expected = withScript(c.written);
    EXPECT_TRUE(page_.bytes() == expected) << "the page file holds the block as written";
    EXPECT_TRUE(reopenedPageText() == utf8ToUtf16(expected)) << "the stand-in reads it back";
  }
}

TEST_F(OddStrings, Class1PropertiesKeepEveryCodeUnit) {
  ComPtr<_Class1> object;
  ASSERT_EQ(CoCreateInstance(CLSID_Class1, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
            S_OK);
  for (const OddText& odd : oddNames()) {
    SCOPED_TRACE(odd.what);
    const Bstr value = bstrOf(odd);
    ASSERT_EQ(object->put_URL(value.get()), S_OK);
    ASSERT_EQ(object->put_description(value.get()), S_OK);
    Bstr url;
    Bstr description;
    ASSERT_EQ(object->get_URL(url.put()), S_OK);
    ASSERT_EQ(object->get_description(description.put()), S_OK);
    EXPECT_TRUE(url.text() == odd.text);
    EXPECT_TRUE(description.text() == odd.text);
    EXPECT_NE(url.get(), nullptr) << "an empty value is an empty BSTR, never null";
  }
}

// --- A second thread ---------------------------------------------------------------------------

// What a thread saw of its calls; checked on the test's thread.
struct Tally {
  std::mutex lock;
  std::vector<std::string> failures;
  int calls = 0;
  void record(bool ok, const std::string& what) {
    const std::lock_guard<std::mutex> hold(lock);
    ++calls;
    if (!ok && failures.size() < 10) failures.push_back(what);
  }
};

void findRepeatedly(_clstestt* command, int times, Tally& tally) {
  for (int i = 0; i < times; ++i) {
    for (const auto& [name, expected] :
         {std::pair<std::u16string, bool>{u"V_Date", true}, {u"Missing", false}}) {
      Bstr text(name);
      BSTR slot = text.get();
      VARIANT_BOOL found = 7;
      const HRESULT hr = command->botfound(&slot, &found);
      tally.record(hr == S_OK && found == (expected ? VARIANT_TRUE : VARIANT_FALSE),
                   narrow(name) + ": hr " + std::to_string(hr) + " found " + std::to_string(found));
    }
  }
}

class SecondThread : public OddStrings {
 protected:
  // The test thread's own object still works with the editor afterwards: the editor reference
  // another apartment used is not handed to this one.
  void expectTheTestThreadStillServed() {
    Tally tally;
    findRepeatedly(command_.Get(), 1, tally);
    EXPECT_EQ(tally.failures, std::vector<std::string>{});
    EXPECT_EQ(page_.bytes(), kOneLineUtf8DatePage);
  }
};

TEST_F(SecondThread, TwoThreadsOfAMultithreadedClientShareOneObject) {
  Tally tally;
  HRESULT created = E_FAIL;
  runInApartmentServing(COINIT_MULTITHREADED, [&] {
    ComPtr<_clstestt> command;
    created =
        CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command));
    if (FAILED(created)) return;
    // Both threads join the process's one multithreaded apartment, where the proxy is valid.
    std::thread first([&] {
      Apartment apartment(COINIT_MULTITHREADED);
      findRepeatedly(command.Get(), 20, tally);
    });
    std::thread second([&] {
      Apartment apartment(COINIT_MULTITHREADED);
      findRepeatedly(command.Get(), 20, tally);
    });
    first.join();
    second.join();
  });
  ASSERT_EQ(created, S_OK);
  EXPECT_EQ(tally.calls, 80);
  EXPECT_EQ(tally.failures, std::vector<std::string>{});
  expectTheTestThreadStillServed();
}

// A reference marshalled from the test's apartment: calls reach the object on the test's
// thread, through a proxy, with the same results.
TEST_F(SecondThread, AMarshalledReferenceWorksFromAnotherApartment) {
  for (const auto& [what, model] :
       {std::pair<const char*, DWORD>{"single-threaded", COINIT_APARTMENTTHREADED},
        {"multithreaded", COINIT_MULTITHREADED}}) {
    SCOPED_TRACE(what);
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID__clstestt, command_.Get(), &stream), S_OK);
    Tally tally;
    HRESULT unmarshalled = E_FAIL;
    bool proxy = false;
    Variant added;
    HRESULT scriptHr = E_FAIL;
    runInApartmentServing(model, [&] {
      ComPtr<_clstestt> command;
      unmarshalled = CoGetInterfaceAndReleaseStream(stream, IID_PPV_ARGS(&command));
      if (FAILED(unmarshalled)) return;
      proxy = command.Get() != command_.Get();
      findRepeatedly(command.Get(), 10, tally);
      Bstr code(u"x\xD800;");
      BSTR slot = code.get();
      scriptHr = command->scriptHead2(&slot, added.put());
    });
    ASSERT_EQ(unmarshalled, S_OK);
    EXPECT_TRUE(proxy);
    EXPECT_EQ(tally.calls, 20);
    EXPECT_EQ(tally.failures, std::vector<std::string>{});
    EXPECT_EQ(scriptHr, S_OK);
    EXPECT_TRUE(page_.bytes() == withScript("x\xEF\xBF\xBD;"));
    ASSERT_NO_FATAL_FAILURE(startAgain());  // a fresh object for the next apartment
  }
  expectTheTestThreadStillServed();
}

}  // namespace
}  // namespace velmo::win::test
