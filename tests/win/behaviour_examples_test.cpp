// The behaviour examples through the two Windows front ends: the COM server called in the
// stand-in editor (a user on a helper thread confirming each dialog), and velmo.exe run as a
// program. Both must leave the golden bytes the core and velmo leave.

#include <windows.h>

#include <VelmoCls_h.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/common/text.h"
#include "file_host/files/windows_file.h"
#include "tests/support/behaviour_examples.h"
#include "tests/win/ui_driver.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

using velmo::testing::BehaviourExample;
using velmo::testing::ExampleCommand;

std::wstring wide(const std::string& text) {
  const std::u16string utf16 = utf8ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

// The clstestt call of an example on the page open in the editor; its HRESULT.
HRESULT callThroughCom(_clstestt& command, const BehaviourExample& example) {
  switch (example.command) {
    case ExampleCommand::ScriptHead: {
      Bstr code(utf8ToUtf16(example.text));
      BSTR slot = code.get();
      Variant result;
      return command.scriptHead2(&slot, result.put());
    }
    case ExampleCommand::CurrentDate:
      return command.CurDate();
  }
  return E_UNEXPECTED;
}

TEST(BehaviourExamples, TheComServerInTheStandInEditorLeavesTheGoldenBytes) {
  for (const auto& example : velmo::testing::behaviourExamples()) {
    SCOPED_TRACE(example.name);
    PageInEditor page(example.page);
    if (example.caretAfter) page.select(u"CaretAfter", utf8ToUtf16(example.caretAfter));
    ComPtr<_clstestt> command;
    ASSERT_EQ(
        CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command)),
        S_OK);
    HRESULT hr = E_UNEXPECTED;
    if (example.dialog) {
      const auto& dialog = *example.dialog;
      asUser(
          [&](UiDriver& user) {
            HWND window = user.waitForWindow(wide(dialog.caption));
            user.click(user.control(window, wide(dialog.doItCaption)).hwnd);
            user.waitUntilGone(window);
          },
          [&] { hr = callThroughCom(*command.Get(), example); });
    } else {
      hr = callThroughCom(*command.Get(), example);
    }
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(page.bytes(), example.expected());
  }
}

// One argument of a Windows command line, as the C runtime splits it again.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count only before a quote, where each is doubled.
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

struct ExeRun {
  DWORD status = 0;
  std::string output;  // standard output and error
};

// velmo.exe beside the tests with `arguments`, `input` on its standard input.
ExeRun runVelmoExe(const std::vector<std::string>& arguments, const std::string& input,
                   const TempPage& scratch) {
  const std::filesystem::path inName = std::filesystem::path(scratch.folder()) / L"stdin";
  const std::filesystem::path outName = std::filesystem::path(scratch.folder()) / L"output";
  std::ofstream(inName, std::ios::binary) << input;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const file_host::UniqueHandle in(CreateFileW(inName.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                               &inherited, OPEN_EXISTING, 0, nullptr));
  const file_host::UniqueHandle out(CreateFileW(outName.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                &inherited, CREATE_ALWAYS, 0, nullptr));
  EXPECT_TRUE(in && out);

  const std::wstring program = besideTests(L"velmo.exe");
  std::wstring line = quoted(program);
  for (const auto& argument : arguments) line += L" " + quoted(wide(argument));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = out.get();
  startup.hStdError = out.get();
  PROCESS_INFORMATION process{};
  ExeRun run;
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "velmo.exe did not start: " << GetLastError();
    return run;
  }
  const file_host::UniqueHandle running(process.hProcess), thread(process.hThread);
  EXPECT_EQ(WaitForSingleObject(running.get(), 60000), WAIT_OBJECT_0);
  GetExitCodeProcess(running.get(), &run.status);
  std::ifstream written(outName, std::ios::binary);
  run.output.assign(std::istreambuf_iterator<char>(written), {});
  return run;
}

TEST(BehaviourExamples, VelmoExeLeavesTheGoldenBytes) {
  for (const auto& example : velmo::testing::behaviourExamples()) {
    SCOPED_TRACE(example.name);
    const TempPage page(example.page);
    const auto run = runVelmoExe(
        velmo::testing::velmoArguments(example, narrow(asText(page.path()))), example.text, page);
    EXPECT_EQ(run.status, 0u) << run.output;
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(page.bytes(), example.expected());
  }
}

}  // namespace
}  // namespace velmo::win::test
