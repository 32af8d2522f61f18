// The console dialogs: one line on standard output, the same in the debug log.
#include "QZKRDialogs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "AlertTestSupport.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;
using testkit::AlertTest;

class DialogTest : public AlertTest {
protected:
    standin::DebugLine onlyJobLine() {
        const auto lines = debugLines();
        EXPECT_EQ(lines.size(), 1u);
        return lines.empty() ? standin::DebugLine{} : lines[0];
    }
};

TEST_F(DialogTest, MessageBoxPrintsAndLogsItsText) {
    QZKRMessageBox box("Tape error\nsecond line", 42, true, false);
    CaptureStdout();
    EXPECT_EQ(box.DoModal(), 0);
    EXPECT_EQ(GetCapturedStdout(), "Job 42: Tape error\nsecond line\n");
    const auto line = onlyJobLine();
    EXPECT_EQ(line.source, standin::DebugLine::Source::Job);
    EXPECT_EQ(line.module, "QZKRMessageBox");
    EXPECT_EQ(line.jobId, 42);
    EXPECT_EQ(line.format, "%s");
    EXPECT_EQ(line.message, "Tape error\nsecond line");
}

TEST_F(DialogTest, EmptyTextPercentSignsAndLargeJobIds) {
    QZKRMessageBox empty("", 0, false, false);
    CaptureStdout();
    empty.DoModal();
    EXPECT_EQ(GetCapturedStdout(), "Job 0: \n");

    QZKRMessageBox percent("100%s done %n", ~0UL, false, false);
    CaptureStdout();
    EXPECT_EQ(percent.DoModal(), 0);
    EXPECT_EQ(GetCapturedStdout(), "Job -1: 100%s done %n\n");
    EXPECT_EQ(debugLines().back().jobId, -1);

    // Called again, it prints again.
    CaptureStdout();
    empty.DoModal();
    EXPECT_EQ(GetCapturedStdout(), "Job 0: \n");
}

TEST_F(DialogTest, ExportDialogPrintsTheRequestAndAnswersNothing) {
    MediaExportDlg dialog("U1", "-3", "Identify %s", 0x8000000000000000UL, true);
    EXPECT_STREQ(dialog.getExportLocation(), "");
    EXPECT_STREQ(dialog.getBarcode(), "");
    CaptureStdout();
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_EQ(GetCapturedStdout(),
              "Job -9223372036854775808: Identify %s, media: [U1], volume: [-3]\n");
    const auto line = onlyJobLine();
    EXPECT_EQ(line.module, "MediaExportDlg");
    EXPECT_EQ(line.format, "%s, media: [%s], volume: [%s]");
    EXPECT_EQ(line.message, "Identify %s, media: [U1], volume: [-3]");
    ASSERT_NE(dialog.getExportLocation(), nullptr);
    EXPECT_STREQ(dialog.getExportLocation(), "");
    EXPECT_STREQ(dialog.getBarcode(), "");
}

TEST_F(DialogTest, TextsAreCopiedAtConstruction) {
    char text[] = "before";
    QZKRMessageBox box(text, 1, false, false);
    text[0] = 'X';
    CaptureStdout();
    box.DoModal();
    EXPECT_EQ(GetCapturedStdout(), "Job 1: before\n");
}

TEST_F(DialogTest, NullTextsAreRejected) {
    EXPECT_THROW(QZKRMessageBox(nullptr, 1, false, false), std::invalid_argument);
    EXPECT_THROW(MediaExportDlg(nullptr, "1", "t", 1, false), std::invalid_argument);
    EXPECT_THROW(MediaExportDlg("m", nullptr, "t", 1, false), std::invalid_argument);
    EXPECT_THROW(MediaExportDlg("m", "1", nullptr, 1, false), std::logic_error);
}

TEST_F(DialogTest, AFailingLogPassesItsExceptionAndPrintsNothing) {
    QZKRMessageBox box("x", 1, false, false);
    standin::Calls::faultNext(standin::Call::DebugJob, standin::Fault::Throw);
    CaptureStdout();
    EXPECT_THROW(box.DoModal(), standin::InjectedFault);
    EXPECT_EQ(GetCapturedStdout(), "");
}

}  // namespace
