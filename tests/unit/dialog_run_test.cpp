// How a dialog command's run ends: the outcome read from the scripted user's report, and the
// exit status and message velmo gives each outcome through its page run.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/run/dialog_run.h"
#include "tests/support/temp_dir.h"

namespace velmo::cli {
namespace {

using forms::ShowReport;

TEST(DialogRun, TheReportDecidesTheOutcome) {
  const HostError failure(hr::kFail, u"The page cannot be read");
  for (DialogOutcome leftOpen : {DialogOutcome::Cancelled, DialogOutcome::Refused}) {
    EXPECT_EQ(dialogRunOf(std::nullopt, leftOpen).outcome, DialogOutcome::Cancelled);
    EXPECT_EQ(dialogRunOf(ShowReport{.closedByForm = true}, leftOpen).outcome,
              DialogOutcome::Confirmed);
    EXPECT_EQ(dialogRunOf(ShowReport{}, leftOpen).outcome, leftOpen);
    // A failure counts whoever closed the dialog afterwards.
    const DialogRun failed = dialogRunOf(ShowReport{true, failure}, leftOpen);
    EXPECT_EQ(failed.outcome, DialogOutcome::Failed);
    ASSERT_TRUE(failed.failure);
    EXPECT_EQ(failed.failure->description(), failure.description());
  }
}

// Each outcome ends a page run with its exit status, and only a confirmed one writes the page.
TEST(DialogRun, EachOutcomeEndsThePageRunWithItsExitStatus) {
  testing::TempDir dir;
  const auto page = dir.path() / "page.html";
  const struct {
    DialogOutcome outcome;
    Exit status;
  } cases[] = {{DialogOutcome::Confirmed, kDone},
               {DialogOutcome::Refused, kRefused},
               {DialogOutcome::Cancelled, kRefused},
               {DialogOutcome::Failed, kFailed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.outcome));
    std::ofstream(page) << "<html><body></body></html>";
    EXPECT_EQ(exitStatusOf(c.outcome), c.status);
    const DialogRun run{c.outcome, c.outcome == DialogOutcome::Failed
                                       ? std::optional(HostError(hr::kFail, u"broken"))
                                       : std::nullopt};
    PageOptions options;
    options.page = page.string();
    ::testing::internal::CaptureStderr();
    const int status =
        runOnPage(options, [&](file_host::FileHost&, PageRun&) { requireConfirmed(run); });
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, c.status);
    const std::string expected =
        c.outcome == DialogOutcome::Cancelled ? "velmo: the dialog was cancelled\n"
        : c.outcome == DialogOutcome::Failed  ? "velmo: " + page.string() + ": broken\n"
                                              : "";
    EXPECT_EQ(said, expected);
  }
}

}  // namespace
}  // namespace velmo::cli
