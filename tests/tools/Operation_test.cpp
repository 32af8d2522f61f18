// Every subcommand run as a subprocess with --json: the operation it runs,
// what was posted, the console's rendering, the dialogs' lines and the exit
// status, read back from the document.
#include <nlohmann/json.hpp>

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
    };
    // --answer-after 0 answers each real wait as soon as it begins.
    const std::vector<Case> cases = {
        {{"import", "--job", "42", "--media", "LTO-1", "--identifier", "ID", "--library", "L1",
          "--drive", "D1", "--new-media-allowed", "--drive-media-in-use", "--pending"},
         "0x19000026",
         0,
         0},
        {{"wrong-media", "--job", "42", "--library", "L1", "--drive", "D1", "--barcode", "B7",
          "--last-write-time", "1700000000"},
         "0x19000020",
         0,
         0},
        {{"new-media", "--job", "42", "--library", "L1", "--drive", "D1"}, "0x1900001b", 0, 0},
        {{"wrong-new-media", "--job", "42", "--library", "L1", "--drive", "D1", "--error", "2017"},
         "0x1900002f",
         0,
         0},
        {{"crc-error", "--job", "42", "--library", "L1", "--drive", "D1"}, "0x1900001d", 0, 0},
        {{"media-error", "--job", "42", "--error", "763", "--library", "L1", "--drive", "D1"},
         "0x1900001f",
         0,
         3},
        {{"identify", "--job", "42", "--unique-id", "U9", "--volume", "3", "--library", "L1",
          "--drive", "D1", "--barcode", "KEEP"},
         "0x19000019",
         1,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> args = {"--json", "--answer-after", "0"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = run(args);
        ASSERT_EQ(result.status, c.status) << result.err;
        const json document = json::parse(result.out);
        EXPECT_EQ(document["operation"], c.args.front());
        EXPECT_EQ(document["exit_status"], c.status);
        EXPECT_EQ(document["answer"]["returned"], c.status == 1);
        EXPECT_EQ(document["code"]["hex"], c.code);
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

TEST_F(Operation, PendingFlagAndDecodedArguments) {
    const auto result = run({"--json", "--answer-after", "0", "import", "--job", "42", "--media",
                             "LTO-1", "--location", "Vault", "--pending"});
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
    EXPECT_EQ(segments[2]["values"][0]["text"], "Vault");
}

TEST_F(Operation, LocalErrorWaitsAndPostsNothing) {
    const auto result =
        run({"--json", "--answer-after", "0", "local-error", "--job", "42", "--text", "Gone"});
    ASSERT_EQ(result.status, 0) << result.err;
    const json document = json::parse(result.out);
    EXPECT_EQ(calls(document), std::vector<std::string>{"init"});
    EXPECT_EQ(document["texts"]["event"], "Gone");
    EXPECT_EQ(document["answer"]["answered_early"], true);
}

TEST_F(Operation, CancelFromTheSettingsExitsOne) {
    const auto settings =
        writeFile("cancel.ini", "[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = 1\n");
    const auto result = run({"--settings", settings, "--json", "new-media", "--job", "42",
                             "--library", "L1", "--drive", "D1"});
    EXPECT_EQ(result.status, 1) << result.err;
    const json document = json::parse(result.out);
    EXPECT_EQ(document["postings"][0]["host"], "quorvane.test");
    EXPECT_EQ(document["files"]["settings"], settings);
    EXPECT_EQ(document["files"]["settings_built_in"], false);
}

TEST_F(Operation, WithoutALibraryNothingIsPreparedOrPosted) {
    const auto result = run({"--json", "crc-error", "--job", "42"});
    EXPECT_EQ(result.status, 0) << result.err;
    const json document = json::parse(result.out);
    EXPECT_EQ(calls(document), std::vector<std::string>{"init"});
    EXPECT_EQ(document["texts"]["log"], "");
    EXPECT_TRUE(document["arguments"].empty());
}

}  // namespace
