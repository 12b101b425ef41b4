// The server in a process of many threads: dialogs opened by several threads at once, edits of
// one page from several threads, and an offers window whose thread ends.

#include <VelmoCls_h.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/ui_driver.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {
namespace {

ComPtr<_clstestt> newCommand() {
  ComPtr<_clstestt> command;
  EXPECT_EQ(CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command)),
            S_OK);
  return command;
}

// The test's thread holds the stand-in editor with the page open, and serves the calls of the
// other threads to it.
class ManyThreads : public ::testing::Test {
 protected:
  PageInEditor page_{"<html><head><title>t</title></head><body><p>x</p></body></html>"};
};

// Each thread's command object shows the date dialog on its own thread, and returns when that
// window is closed. Before dialogs were kept per thread, two threads shared one dialog and its
// window map, and the process died or hung in one round of two or three.
TEST_F(ManyThreads, TwoThreadsOpenTheirDialogsAtOnce) {
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    std::atomic<int> ready{0};
    HRESULT shown[2] = {E_FAIL, E_FAIL};
    runInApartmentsServing(COINIT_APARTMENTTHREADED, 2, [&](int i) {
      const ComPtr<_clstestt> command = newCommand();
      if (!command) return;
      // Only this thread's windows are closed: a dialog shown on another thread would leave
      // this call hanging.
      std::atomic<bool> ended{false};
      std::thread user([&, thread = GetCurrentThreadId()] { closeEverything(thread, ended); });
      for (++ready; ready < 2;) std::this_thread::yield();
      shown[i] = command->CurDate();
      ended = true;
      user.join();
    });
    EXPECT_EQ(shown[0], S_OK);
    EXPECT_EQ(shown[1], S_OK);
  }
}

// Two threads append script blocks to one page: every edit that answered S_OK is in the page.
TEST_F(ManyThreads, TwoThreadsEditingOnePageLoseNoEdit) {
  constexpr int kEdits = 60;
  std::vector<std::string> confirmed[2];
  runInApartmentsServing(COINIT_APARTMENTTHREADED, 2, [&](int i) {
    const ComPtr<_clstestt> command = newCommand();
    if (!command) return;
    for (int k = 0; k < kEdits; ++k) {
      const std::string code = "edit" + std::to_string(i) + "_" + std::to_string(k) + ";";
      Bstr text(asText(std::wstring(code.begin(), code.end())));
      BSTR slot = text.get();
      Variant result;
      if (command->scriptHead2(&slot, result.put()) == S_OK) confirmed[i].push_back(code);
    }
  });
  const std::string page = page_.bytes();
  for (const auto& edits : confirmed) {
    EXPECT_EQ(edits.size(), static_cast<std::size_t>(kEdits));
    for (const std::string& code : edits) {
      EXPECT_NE(page.find(">\r\n" + code + "\r\n<"), std::string::npos) << code << " is lost";
    }
  }
}

// A thread shows the offers window and ends: the window goes with it, the next thread's ads
// shows it again, and once that thread has ended too the DLL may be unloaded.
TEST_F(ManyThreads, TheOffersWindowEndsWithItsThread) {
  ServerModule server;
  for (int thread = 0; thread < 2; ++thread) {
    SCOPED_TRACE(thread);
    HRESULT hr = E_FAIL;
    bool shown = false;
    runInApartmentServing(COINIT_APARTMENTTHREADED, [&] {
      const ComPtr<_clstestt> command = newCommand();
      if (!command) return;
      hr = command->ads();
      const HWND window = FindWindowW(L"VelmoForm", L"Offers");
      shown = window && IsWindowVisible(window);
    });
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(FindWindowW(L"VelmoForm", L"Offers")) << "the window outlived its thread";
  }
  EXPECT_EQ(server.canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace velmo::win::test
