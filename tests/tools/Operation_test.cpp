// Every subcommand run as a subprocess: the operation it runs, what was
// posted, the console's rendering and the exit status, read back from the
// JSON document and the text report; and the statuses beyond the answer.
#include <algorithm>
#include <set>

#include <nlohmann/json.hpp>

#include "Operation.h"
#include "Report.h"
#include "Signals.h"
#include "ToolRunner.h"

namespace {

using nlohmann::json;
using testkit::oneLine;

std::vector<std::string> calls(const json& document) {
    std::vector<std::string> names;
    for (const auto& posting : document["postings"]) names.push_back(posting["call"]);
    return names;
}

class Operation : public tooltest::ToolTest {};

const std::vector<std::string> kCycle = {"init", "raise", "state", "clear", "state"};

TEST_F(Operation, EachSubcommandRunsItsOperation) {
    struct Case {
        std::vector<std::string> args;
        std::string code;
        int status;
        std::size_t consoleLines;
        std::string wait;
    };
    // --answer-after 0 answers each real wait as soon as it begins.
    const std::vector<Case> cases = {
        {{"import", "--job", "42", "--media", "LTO-1", "--identifier", "ID", "--library", "L1",
          "--drive", "D1", "--new-media-allowed", "--drive-media-in-use", "--pending",
          "--answer-after", "0"},
         "0x19000026",
         0,
         0,
         "answer-after"},
        {{"wrong-media", "--job", "42", "--library", "L1", "--drive", "D1", "--barcode", "B7",
          "--last-write-time", "1700000000", "--answer-after", "0"},
         "0x19000020",
         0,
         0,
         "answer-after"},
        {{"new-media", "--job", "42", "--library", "L1", "--drive", "D1", "--answer-after", "0"},
         "0x1900001b",
         0,
         0,
         "answer-after"},
        {{"wrong-new-media", "--job", "42", "--library", "L1", "--drive", "D1", "--error", "2017",
          "--answer-after", "0"},
         "0x1900002f",
         0,
         0,
         "answer-after"},
        {{"crc-error", "--job", "42", "--library", "L1", "--drive", "D1", "--answer-after", "0"},
         "0x1900001d",
         0,
         0,
         "answer-after"},
        {{"media-error", "--job", "42", "--error", "763", "--library", "L1", "--drive", "D1"},
         "0x1900001f",
         0,
         3,
         "none"},
        {{"identify", "--job", "42", "--unique-id", "U9", "--volume", "3", "--library", "L1",
          "--drive", "D1", "--barcode", "KEEP"},
         "0x19000019",
         1,
         1,
         "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> args = {"--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = run(args);
        ASSERT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.err, "");  // no countdown, no request: standard error is no terminal
        const json document = json::parse(result.out);
        EXPECT_EQ(document["operation"], c.args.front());
        EXPECT_EQ(document["exit_status"], c.status);
        EXPECT_EQ(document["answer"]["returned"], c.status == 1);
        EXPECT_EQ(document["code"]["hex"], c.code);
        EXPECT_EQ(document["wait"]["ended"], c.wait);
        EXPECT_EQ(calls(document), kCycle);
        const auto& raise = document["postings"][1];
        EXPECT_EQ(raise["params"][0], document["code"]["value"]);
        EXPECT_EQ(raise["accepted"], true);
        EXPECT_EQ(oneLine(raise["rendering"]), document["texts"]["log"]);
        EXPECT_EQ(document["postings"][3]["rendering"], "");
        EXPECT_EQ(document["console"].size(), c.consoleLines);
        EXPECT_EQ(journalLines().size(), kCycle.size());
        std::filesystem::remove(journalPath());
    }
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(Operation, DecodedArgumentsAndTextsThatAreNotUtf8) {
    const auto result = run({"--json", "--answer-after", "0", "import", "--job", "42", "--media",
                             "LTO-1", "--location", "Vault\xff", "--pending"});
    ASSERT_EQ(result.status, 0) << result.err;
    const json document = json::parse(result.out);
    EXPECT_EQ(document["postings"][1]["params"][6], 1);  // the raising's flags
    const auto& segments = document["arguments"];
    ASSERT_EQ(segments.size(), 5u);
    EXPECT_EQ(segments[0]["name"], "insert-required-media");
    EXPECT_EQ(segments[0]["values"],
              json::parse(R"([{"tag":11,"text":"LTO-1"},{"tag":9,"value":42}])"));
    EXPECT_EQ(segments[1]["name"], "empty");
    EXPECT_EQ(segments[2]["name"], "location");
    EXPECT_EQ(segments[2]["values"][0]["text"], "Vault\xef\xbf\xbd");
}

TEST_F(Operation, TheTextReportShowsItsSectionsInOrder) {
    const auto result = run(
        {"--answer-after", "1", "crc-error", "--job", "42", "--library", "L1", "--drive", "D\a"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::size_t at = 0;
    for (const char* heading :
         {"korrin-alert crc-error, job 42",
          "Message text:",
          "Event text:",
          "Log text:",
          "Message code 0x1900001d crc-error-job, event arguments (3):",
          "opening                                   tag 9 ll 42, tag 11 text \"L1\"",
          "Postings and job states:",
          "#2 raise accepted",
          "#3 state accepted  job state 3",
          "#4 clear accepted  0x19000025 empty, clears 0x1900001d",
          "#5 state accepted  job state 1",
          "Console (",
          "#2 raise:",
          "        A CRC error was encountered",
          "#4 clear: (empty",
          "Wait: answered early by --answer-after after 1 of 180 s",
          "Answer: confirmed: the operation returned false (exit status 0)",
          "Debug log: ",
          "Journal: ",
          "Settings: "}) {
        const auto found = result.out.find(heading, at);
        ASSERT_NE(found, std::string::npos) << heading << "\n" << result.out;
        at = found;
    }
    const std::string run = json::parse(journalLines().front())["run"];
    EXPECT_NE(result.out.find("Journal: " + journalPath() + " (this run's lines: \"run\":\"" + run),
              std::string::npos);
    EXPECT_NE(result.out.find("(built-in defaults, removed at exit)"), std::string::npos);
    // A script gets the bytes as given; only a terminal gets them escaped.
    EXPECT_NE(result.out.find("Drive [D\a]"), std::string::npos);
}

TEST_F(Operation, RunsSharingAJournalCanBeToldApart) {
    const std::vector<std::string> args = {"--answer-after", "0", "new-media", "--job", "7",
                                           "--library",      "L", "--drive",   "D"};
    ASSERT_EQ(run(args).status, 0);
    ASSERT_EQ(run(args).status, 0);
    std::set<std::pair<long long, std::string>> runs;
    for (const auto& line : journalLines()) {
        const json record = json::parse(line);
        runs.insert({record["pid"].get<long long>(), record["run"].get<std::string>()});
    }
    EXPECT_EQ(journalLines().size(), 2 * kCycle.size());
    EXPECT_EQ(runs.size(), 2u);
}

// A new-media request run in this process against a settings file in dir.
class InProcess : public tooltest::ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        setenv("KORRIN_SETTINGS", writeFile("s.ini", "[Korrin]\nsQNHOSTNAME = qn\n").c_str(), 1);
        setenv("KORRIN_DEBUG_LOG", "off", 1);
        unsetenv("KORRIN_JOURNAL");
        request.operation = "new-media";
        request.job = 42;
        request.library = "L";
        request.drive = "D";
    }
    void TearDown() override {
        standin::Calls::reset();
        unsetenv("KORRIN_SETTINGS");
        ToolTest::TearDown();
    }
    alerttool::Outcome run(const alerttool::WaitOptions& wait) {
        alerttool::Outcome outcome;
        alerttool::runOperation(request, *alerttool::findSubcommand(request.operation), wait, false,
                                outcome);
        return outcome;
    }
    alerttool::Request request;
};

TEST_F(InProcess, ASignalBeforeTheWaitEndsItAtOnceAndTheCycleStillClears) {
    alerttool::SignalCatcher catcher;
    raise(SIGHUP);
    const auto outcome = run({});  // no --answer-after: only the signal ends the wait
    EXPECT_EQ(outcome.wait.end, alerttool::WaitEnd::Signal);
    EXPECT_EQ(outcome.wait.seconds, 180u);
    ASSERT_EQ(outcome.records.size(), kCycle.size());
    EXPECT_TRUE(outcome.records[3].accepted);  // the clearing
    EXPECT_EQ(alerttool::SignalCatcher::caught(), SIGHUP);
}

TEST_F(InProcess, ARefusedCallExitsThreeWhateverTheAnswer) {
    alerttool::WaitOptions wait;
    wait.answerAfter = 0;
    for (const auto call : {standin::Call::Raise, standin::Call::Clear, standin::Call::JobState}) {
        SCOPED_TRACE(standin::callName(call));
        standin::Calls::faultNext(call, standin::Fault::Fail);
        alerttool::Outcome outcome = run(wait);
        EXPECT_EQ(alerttool::exitStatus(outcome), 3);
        std::ostringstream report;
        alerttool::printText(report, request, outcome, {});
        EXPECT_NE(report.str().find("Answer: confirmed: the operation returned false; the job "
                                    "client refused a call (exit status 3)"),
                  std::string::npos)
            << report.str();
        outcome.signal = SIGTERM;
        EXPECT_EQ(alerttool::exitStatus(outcome), 143);  // a signal outranks a refusal
    }
}

}  // namespace
