// Ending the library's real message-box wait early: in process, on the
// thread that sleeps, and through the tool's --answer-after.
#include "Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "ToolRunner.h"

namespace {

using alerttool::WaitEnder;
using alerttool::WaitOptions;
using Clock = std::chrono::steady_clock;

class Wait : public tooltest::ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        setenv("KORRIN_DEBUG_LOG", "off", 1);
    }
    void TearDown() override {
        unsetenv("KORRIN_SETTINGS");
        ToolTest::TearDown();
    }

    struct Waited {
        double seconds = 0;
        bool answered = false;  // the ender sent its signal
        long long answer = -1;
    };
    // One message-box wait on this thread under the given option.
    Waited timedWait(int option, unsigned answerAfter) {
        const auto settings =
            writeFile("box.ini", "[Korrin]\nnKRMSGBOXOPTION = " + std::to_string(option) + "\n");
        setenv("KORRIN_SETTINGS", settings.c_str(), 1);
        MMDebug log;
        QZKRGuiInterface alert(log, 0);
        unsigned int errorCode = 7;
        WaitOptions options;
        options.answerAfter = answerAfter;
        Waited waited;
        const auto start = Clock::now();
        {
            WaitEnder ender(options);
            waited.answer = alert.ShowMessageBox("text", 0, errorCode, false);
            waited.answered = ender.answered();
        }
        waited.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return waited;
    }
};

TEST_F(Wait, AnswerAfterEndsTheRealSleepOnThisThread) {
    const Waited waited = timedWait(2, 1);
    EXPECT_TRUE(waited.answered);
    EXPECT_EQ(waited.answer, QZKRGuiInterface::kAnswerOK);
    EXPECT_GE(waited.seconds, 0.9);
    EXPECT_LT(waited.seconds, 30);

    struct sigaction now {};
    sigaction(SIGALRM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST_F(Wait, NothingIsSentWhenThereIsNoWait) {
    const Waited waited = timedWait(1, 0);
    EXPECT_FALSE(waited.answered);
    EXPECT_EQ(waited.answer, QZKRGuiInterface::kAnswerCancel);
    EXPECT_LT(waited.seconds, 5);
}

TEST_F(Wait, TheToolsAnswerAfterEndsTheWaitOfTheBuiltInSettings) {
    env["KORRIN_DEBUG_LOG"] = (dir / "debug.log").string();
    const auto result =
        run({"--answer-after", "1", "new-media", "--job", "3", "--library", "L", "--drive", "D"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_GE(result.seconds, 0.9);
    EXPECT_LT(result.seconds, 30);
    const std::string log = read((dir / "debug.log").string());
    EXPECT_NE(log.find("set to 2(default behavior)"), std::string::npos);
    EXPECT_NE(log.find("Sleep Completed."), std::string::npos);
    EXPECT_NE(result.out.find("the wait was ended early"), std::string::npos);
}

}  // namespace
