// The tool as a person meets it in a terminal: the request in view, a
// countdown that fits, the keys it offers, and signals that end the wait
// but never the clearing.
#include <regex>

#include <nlohmann/json.hpp>

#include "ToolRunner.h"
#include "Wait.h"

namespace {

using tooltest::Terminal;

class InTerminal : public tooltest::ToolTest {
protected:
    std::vector<std::string> calls() const {
        std::vector<std::string> names;
        for (const auto& line : journalLines())
            names.push_back(nlohmann::json::parse(line)["call"]);
        return names;
    }
};

const std::vector<std::string> kCycle = {"init", "raise", "state", "clear", "state"};
const std::string kCountdown = "Waiting for the operator: ";

TEST_F(InTerminal, ASignalEndsTheWaitThenTheCycleClearsAndTheToolExits128PlusIt) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(journalPath());
        const auto terminal =
            runInTerminal({"new-media", "--job", "42", "--library", "L1", "--drive", "D1"}, 40);
        // The request first, then a countdown from the wait the library asked for.
        ASSERT_TRUE(terminal->waitFor("Please insert a new media")) << terminal->screen();
        ASSERT_TRUE(terminal->waitFor(kCountdown.substr(0, 20))) << terminal->screen();
        EXPECT_EQ(calls(), std::vector<std::string>(kCycle.begin(), kCycle.begin() + 3));
        if (signal == SIGINT) {
            terminal->type("\x03");
        } else {
            terminal->signal(signal);
        }
        EXPECT_EQ(terminal->finish(), 128 + signal) << terminal->screen();
        EXPECT_EQ(calls(), kCycle);
        EXPECT_TRUE(leftovers().empty());
        EXPECT_NE(
            terminal->screen().find(": the wait was ended, the library finished its cycle and "
                                    "the pending cause was cleared"),
            std::string::npos)
            << terminal->screen();
        // Every state of the countdown fits the 40 columns.
        const std::string screen = terminal->screen();
        for (std::size_t at = 0;
             (at = screen.find("\r" + kCountdown.substr(0, 10), at)) != std::string::npos; ++at) {
            EXPECT_LT(screen.find("\x1b[K", at) - at - 1, 40u) << screen.substr(at, 80);
        }
    }
}

TEST_F(InTerminal, EnterAnswersUntilTheInputEnds) {
    const auto terminal =
        runInTerminal({"local-error", "--job", "4", "--text", "Tape \x1b[31mred"});
    ASSERT_TRUE(terminal->waitFor("180 s left; Enter answers OK now")) << terminal->screen();
    terminal->type("\r");
    EXPECT_EQ(terminal->finish(), 0);
    EXPECT_NE(terminal->screen().find("\nWait: answered early with Enter"), std::string::npos);
    // A value's escape sequence is shown, not obeyed.
    EXPECT_NE(terminal->screen().find("Tape \\e[31mred"), std::string::npos);
    EXPECT_EQ(terminal->screen().find("\x1b[31m"), std::string::npos);

    const auto ended = runInTerminal({"local-error", "--job", "4", "--text", "Gone"});
    ASSERT_TRUE(ended->waitFor("Enter answers OK now"));
    ended->type("\x04");
    ASSERT_TRUE(ended->waitFor("input has ended, Enter no longer answers")) << ended->screen();
    ended->type("\r");
    ASSERT_TRUE(ended->waitFor("input has ended"));
    ended->type("\x03");
    EXPECT_EQ(ended->finish(), 130);
    EXPECT_EQ(ended->after("input has ended").find("Enter answers OK now"), std::string::npos);
    EXPECT_NE(ended->screen().find("interrupted by SIGINT: the wait was ended, nothing had been "
                                   "raised"),
              std::string::npos);
}

TEST(WaitScope, AnAnswerBeyondTheWaitIsCappedAndSaidSo) {
    std::vector<std::string> notices;
    alerttool::WaitOptions options;
    options.answerAfter = 5;
    alerttool::WaitScope scope(options, notices);
    EXPECT_EQ(scope.wait(1), 0u);
    EXPECT_EQ(scope.record().end, alerttool::WaitEnd::RanOut);
    EXPECT_EQ(scope.record().seconds, 1u);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0],
              "--answer-after 5 is beyond the 1 s wait the library started: the "
              "wait runs out first");
}

}  // namespace
