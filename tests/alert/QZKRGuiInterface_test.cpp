// The alert object: binding to the job, the pop-up cycle and the message box.
#include "QZKRGuiInterface.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "AlertTestSupport.h"

namespace {

using namespace testkit;
using Kind = standin::Record::Kind;

const char kRefusal[] = "Valid Job ID was not specified when constructing QZKRGuiInterface object.";
const char kFailure[] = "QZJobClient::setPendingCauseAndCriticalEvent returned failure...";
const char kWaitLine[] =
    "nKRMSGBOXOPTION key is set to 2(default behavior). Wait for 3 Mins for user to take required "
    "media action ...";
const char kCancelLine[] =
    "nKRMSGBOXOPTION key is set to 1. Making the job go pending as if user clicked cancel on KR "
    "Msg Box ...";

class GuiInterfaceTest : public AlertTest {
protected:
    // The EvDebug lines as "level:text".
    std::vector<std::string> levelLines() const {
        std::vector<std::string> result;
        for (const auto& line : debugLines()) {
            if (line.source == standin::DebugLine::Source::Lvl) {
                result.push_back(std::to_string(line.level) + ":" + line.message);
            }
        }
        return result;
    }
};

// ---------------------------------------------------------------- construction

TEST_F(GuiInterfaceTest, ConstructionBindsAValidJobToTheConfiguredHost) {
    QZKRGuiInterface alert(log, 42);
    const auto records = journal();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, Kind::Init);
    EXPECT_EQ(records[0].host, "quorvane.test");
    EXPECT_EQ(records[0].params, (standin::Params{42, 2}));
    EXPECT_TRUE(workerLines().empty());
    EXPECT_EQ(alert.getJobId(), 42);
    // Nothing is prepared yet.
    EXPECT_STREQ(alert.getMessageText(), "");
    EXPECT_STREQ(alert.getGumMessage(), "");
    EXPECT_STREQ(alert.getLogText(), "");
    EXPECT_EQ(alert.getEventMessageCode(), 0);
    EXPECT_EQ(alert.getGumMessage(), alert.getGumMessage());
}

TEST_F(GuiInterfaceTest, NoValidJobMeansNoBindingAndNoLine) {
    for (long long jobId : {0LL, -5LL}) {
        QZKRGuiInterface alert(log, jobId);
        EXPECT_EQ(alert.getJobId(), jobId);
    }
    EXPECT_TRUE(journal().empty());
    EXPECT_TRUE(debugLines().empty());
}

TEST_F(GuiInterfaceTest, FailedBindingWritesOneLineNamingTheHost) {
    standin::Calls::faultNext(standin::Call::Init, standin::Fault::Fail);
    QZKRGuiInterface alert(log, 42);
    ASSERT_EQ(workerLines(),
              std::vector<std::string>{
                  "ERROR! Could not init with Job Manager on Quorvane quorvane.test"});
    const auto line = debugLines().at(0);
    EXPECT_EQ(line.format, "%s:%d: ERROR! Could not init with Job Manager on Quorvane %s");
    EXPECT_EQ(line.module, "WORKER  ");
    EXPECT_EQ(line.first, 1);
    EXPECT_EQ(line.second, 2);
    EXPECT_EQ(line.jobId, -1);
    EXPECT_EQ(line.fifth, -1);
    EXPECT_EQ(line.message.rfind("QZKRGuiInterface:", 0), 0u);
    // Still usable: a later cycle posts nothing but runs.
    EXPECT_FALSE(alert.popupDialogBox(log, false, false));
}

TEST_F(GuiInterfaceTest, NoHostConfiguredGivesAnEmptyHostAndAFailedBinding) {
    writeSettings("[Korrin]\n");
    QZKRGuiInterface alert(log, 9);
    EXPECT_EQ(journal().at(0).host, "");
    EXPECT_EQ(workerLines(),
              std::vector<std::string>{"ERROR! Could not init with Job Manager on Quorvane "});
}

TEST_F(GuiInterfaceTest, TheFocusChoosesTheSectionOfTheHostName) {
    writeSettings("[Korrin]\nsQNHOSTNAME = main\n[KorrinB]\nsQNHOSTNAME = second\n");
    setenv("KORRIN_FOCUS", "KorrinB", 1);
    QZKRGuiInterface alert(log, 9);
    EXPECT_EQ(journal().at(0).host, "second");
}

TEST_F(GuiInterfaceTest, DestructionPostsAndLogsNothing) {
    { QZKRGuiInterface alert(log, 42); }
    EXPECT_EQ(journal().size(), 1u);
    EXPECT_TRUE(debugLines().empty());
}

// ---------------------------------------------------------------- the cycle

class CycleTest : public GuiInterfaceTest {
protected:
    // A prepared prompt whose arguments are known.
    void prepare(QZKRGuiInterface& alert, long long jobId) {
        alert.DisplayImportMessage("M1", nullptr, nullptr, nullptr, nullptr, jobId, false, false,
                                   log);
    }
    Event preparedArguments(long long jobId) {
        return event({text("M1"), job(jobId), absent(), absent(), absent(), absent()});
    }
};

TEST_F(CycleTest, FullCycleRaisesWaitsClearsAndAnswers) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    standin::Journal::clear();
    EXPECT_FALSE(alert.popupDialogBox(log, false, true));

    const auto records = journal();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].kind, Kind::Raise);
    EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgInsertRequiredMedia, true));
    EXPECT_EQ(records[0].arguments, preparedArguments(42));
    EXPECT_EQ(records[1].kind, Kind::JobState);
    EXPECT_EQ(records[1].params, (standin::Params{3, 0, 0}));
    EXPECT_EQ(records[2].kind, Kind::Clear);
    EXPECT_EQ(records[2].params, clearParams(qzkr::kMsgInsertRequiredMedia));
    EXPECT_EQ(records[2].arguments, text(""));
    EXPECT_EQ(records[3].params, (standin::Params{1, 0, 0}));
    EXPECT_FALSE(standin::Journal::isPending(42));

    EXPECT_EQ(workerLines(), std::vector<std::string>{alert.getLogText()});
    EXPECT_EQ(debugLines().at(0).format, "%s:%d: %s");
    EXPECT_EQ(FakeSleep::calls(), 1);
    EXPECT_EQ(FakeSleep::lastSeconds(), 180u);
}

TEST_F(CycleTest, ThePendingFlagChoosesTheRaisingFlagsOnlyAndTheFirstBoolNothing) {
    QZKRGuiInterface alert(log, 42);
    for (bool first : {false, true}) {
        for (bool pending : {false, true}) {
            prepare(alert, 42);
            standin::Journal::clear();
            alert.popupDialogBox(log, first, pending);
            const auto records = postings();
            ASSERT_EQ(records.size(), 2u);
            EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgInsertRequiredMedia, pending));
            EXPECT_EQ(records[1].params, clearParams(qzkr::kMsgInsertRequiredMedia));
        }
    }
}

TEST_F(CycleTest, NoValidJobIsRefusedAtBothEndsButTheWaitStillRuns) {
    QZKRGuiInterface alert(log, 0);
    prepare(alert, 0);
    EXPECT_FALSE(alert.popupDialogBox(log, false, false));
    EXPECT_TRUE(journal().empty());
    EXPECT_EQ(workerLines(), (std::vector<std::string>{kRefusal, alert.getLogText(), kRefusal}));
    EXPECT_EQ(debugLines().at(0).format, std::string("%s:%d: ") + kRefusal);
    EXPECT_EQ(FakeSleep::calls(), 1);
}

TEST_F(CycleTest, RefusedPostingsAreLoggedAndTheStatesStillSet) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    standin::Journal::clear();
    standin::Calls::faultNext(standin::Call::Raise, standin::Fault::Fail);
    standin::Calls::faultNext(standin::Call::Clear, standin::Fault::Fail);
    EXPECT_FALSE(alert.popupDialogBox(log, false, false));
    EXPECT_EQ(workerLines(), (std::vector<std::string>{kFailure, alert.getLogText(), kFailure}));
    EXPECT_EQ(states(), (std::vector<long long>{3, 1}));
    // The clearing names the cleared code and carries only "" after a refused raising too.
    const auto records = postings();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].params, clearParams(qzkr::kMsgInsertRequiredMedia));
    EXPECT_EQ(records[1].arguments, text(""));
}

TEST_F(CycleTest, DisplayPopupReportsWhatHappened) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    EXPECT_TRUE(alert.displayPopupAndEventMsgInGUI(log, true, false));
    standin::Calls::faultNext(standin::Call::Clear, standin::Fault::Fail);
    EXPECT_FALSE(alert.displayPopupAndEventMsgInGUI(log, true, true));
    QZKRGuiInterface invalid(log, -1);
    EXPECT_FALSE(invalid.displayPopupAndEventMsgInGUI(log, true, false));
}

TEST_F(CycleTest, AnExceptionFromTheWaitStillClearsTheJob) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    FakeSleep::throwNext();
    EXPECT_THROW(alert.popupDialogBox(log, false, false), std::runtime_error);
    EXPECT_EQ(states().back(), 1);
    EXPECT_EQ(postings().back().kind, Kind::Clear);
    EXPECT_EQ(postings().back().arguments, text(""));
    EXPECT_FALSE(standin::Journal::isPending(42));
}

TEST_F(CycleTest, AnExceptionFromTheLogLineStillClearsTheJob) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    standin::Calls::faultNext(standin::Call::DebugMM, standin::Fault::Throw);
    EXPECT_THROW(alert.popupDialogBox(log, false, false), standin::InjectedFault);
    EXPECT_EQ(FakeSleep::calls(), 0);
    EXPECT_FALSE(standin::Journal::isPending(42));
    EXPECT_EQ(states().back(), 1);
}

TEST_F(CycleTest, AClearingThatThrowsWhileAnotherPassesIsLoggedNotTerminating) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    FakeSleep::throwNext();
    standin::Calls::faultNext(standin::Call::Clear, standin::Fault::Throw);
    try {
        alert.popupDialogBox(log, false, false);
        FAIL() << "the wait's exception must reach the caller";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "sleep interrupted by test");
    }
    const auto lines = workerLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("Clearing the pending cause failed"), std::string::npos);
}

TEST_F(CycleTest, AnExceptionFromTheRaisingLeavesNoArgumentsForTheClearing) {
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    standin::Journal::clear();
    standin::Calls::faultNext(standin::Call::Raise, standin::Fault::Throw);
    EXPECT_THROW(alert.popupDialogBox(log, false, false), standin::InjectedFault);
    const auto records = postings();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, Kind::Clear);
    EXPECT_EQ(records[0].arguments, text(""));
}

// ---------------------------------------------------------------- message box

TEST_F(GuiInterfaceTest, MessageBoxWaitsByDefault) {
    QZKRGuiInterface alert(log, 42);
    unsigned int errorCode = 77;
    EXPECT_EQ(alert.ShowMessageBox("ignored", 5, errorCode, true), 1);
    EXPECT_EQ(errorCode, 0u);
    EXPECT_EQ(FakeSleep::calls(), 1);
    EXPECT_EQ(FakeSleep::lastSeconds(), 180u);
    EXPECT_EQ(levelLines(),
              (std::vector<std::string>{std::string("1:") + kWaitLine, "5:Sleep Completed."}));
}

TEST_F(GuiInterfaceTest, MessageBoxOptionChoosesTheBehaviour) {
    struct Case {
        const char* setting;
        long long answer;
        int sleeps;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"nKRMSGBOXOPTION = 2\n", 1, 1, {std::string("1:") + kWaitLine, "5:Sleep Completed."}},
        {"nKRMSGBOXOPTION = 1\n", 0, 0, {std::string("1:") + kCancelLine}},
        {"nKRMSGBOXOPTION = 0\n", 0, 0, {}},
        {"nKRMSGBOXOPTION = 7\n", 0, 0, {}},
    };
    QZKRGuiInterface alert(log, 42);
    for (const Case& c : cases) {
        writeSettings(std::string("[Korrin]\n") + c.setting);
        standin::DebugLog::clear();
        FakeSleep::reset();
        unsigned int errorCode = 9;
        EXPECT_EQ(alert.ShowMessageBox("", 42, errorCode, false), c.answer) << c.setting;
        EXPECT_EQ(errorCode, 0u);
        EXPECT_EQ(FakeSleep::calls(), c.sleeps) << c.setting;
        EXPECT_EQ(levelLines(), c.lines) << c.setting;
    }
}

TEST_F(CycleTest, CancelledBoxMakesTheCycleReportNotConfirmed) {
    writeSettings("[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = 1\n");
    QZKRGuiInterface alert(log, 42);
    prepare(alert, 42);
    EXPECT_TRUE(alert.popupDialogBox(log, false, false));
    EXPECT_EQ(states(), (std::vector<long long>{3, 1}));
}

void onAlarm(int) {}

TEST_F(GuiInterfaceTest, ASignalEndsTheRealWaitEarlyWithOK) {
    FakeSleep::useRealSleep(true);
    struct sigaction action {};
    action.sa_handler = onAlarm;
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
    QZKRGuiInterface alert(log, 42);
    const auto start = std::chrono::steady_clock::now();
    alarm(1);
    unsigned int errorCode = 0;
    const long long answer = alert.ShowMessageBox("", 42, errorCode, false);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_EQ(answer, 1);
    EXPECT_LT(elapsed, std::chrono::seconds(30));
    EXPECT_EQ(levelLines().back(), "5:Sleep Completed.");
}

// ---------------------------------------------------------------- local display

TEST_F(GuiInterfaceTest, LocalErrorWaitsOnItsOwnTextsAndTouchesNothingElse) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("M1", "I1", nullptr, nullptr, nullptr, 42, false, false, log);
    const std::string logText = alert.getLogText();
    standin::Journal::clear();
    standin::Calls::reset();

    EXPECT_FALSE(alert.DisplayErrorMessageLocally("Drive offline", 99));
    EXPECT_STREQ(alert.getMessageText(),
                 "Drive offline\nPress OK after the media is imported or CANCEL to abort");
    EXPECT_STREQ(alert.getGumMessage(), "Drive offline");
    EXPECT_EQ(alert.getJobId(), 42);
    EXPECT_EQ(alert.getLogText(), logText);
    EXPECT_EQ(alert.getEventMessageCode(), qzkr::kMsgInsertRequiredMedia);
    EXPECT_EQ(standin::Calls::count(standin::Call::AddArgument), 0u);
    EXPECT_EQ(standin::Calls::count(standin::Call::DiscardArguments), 0u);
    EXPECT_TRUE(journal().empty());
    EXPECT_TRUE(workerLines().empty());
    EXPECT_EQ(FakeSleep::calls(), 1);
    // The prepared prompt's arguments are still there for its posting.
    alert.displayPopupAndEventMsgInGUI(log, false, false);
    EXPECT_EQ(postings().at(0).arguments,
              event({text("M1"), job(42), piece(qzkr::kPieceIdentifier, {"I1"}), absent(), absent(),
                     absent()}));
}

TEST_F(GuiInterfaceTest, LocalErrorWithEmptyOrNullTextAndTheAnswer) {
    QZKRGuiInterface alert(log, 42);
    EXPECT_FALSE(alert.DisplayErrorMessageLocally("", 42));
    EXPECT_STREQ(alert.getMessageText(),
                 "\nPress OK after the media is imported or CANCEL to abort");
    EXPECT_STREQ(alert.getGumMessage(), "");
    EXPECT_FALSE(alert.DisplayErrorMessageLocally(nullptr, 42));
    EXPECT_STREQ(alert.getGumMessage(), "");
    writeSettings("[Korrin]\nnKRMSGBOXOPTION = 1\n");
    EXPECT_TRUE(alert.DisplayErrorMessageLocally("x", 42));
}

TEST_F(GuiInterfaceTest, LocalErrorCutsALongTextInsideTheFields) {
    QZKRGuiInterface alert(log, 42);
    const std::string longText(5000, 'e');
    alert.DisplayErrorMessageLocally(longText.c_str(), 42);
    EXPECT_EQ(std::strlen(alert.getMessageText()), 2047u);
    EXPECT_EQ(std::strlen(alert.getGumMessage()), 2047u);
}

}  // namespace
