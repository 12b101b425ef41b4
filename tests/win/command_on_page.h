#pragma once
// A test of a dialog command end to end: the stand-in editor holds a small page with the caret
// after its paragraph, and a clstestt object is ready to be called.

#include <VelmoCls_h.h>

#include <string>

#include "tests/support/pages.h"
#include "tests/win/win_test_support.h"

namespace velmo::win::test {

using velmo::testing::kOneLineHelloPage;

// The stand-in editor with `page` open, and a fresh clstestt object to call on it.
inline void openWithCommand(const TempPage& page, ComPtr<IDispatch>& editor,
                            ComPtr<_clstestt>& command) {
  editor = createByProgId(L"FrontPage.Application");
  ASSERT_TRUE(editor);
  LateBound(editor).call(u"OpenPage", {Variant::text(asText(page.path()))});
  ASSERT_EQ(CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command)),
            S_OK);
}

class CommandOnPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(
        CoCreateInstance(CLSID_clstestt, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&command_)),
        S_OK);
    page_.select(u"CaretAfter", u"<p>Hello</p>");
  }

  PageInEditor page_{kOneLineHelloPage};
  ComPtr<_clstestt> command_;
};

}  // namespace velmo::win::test
