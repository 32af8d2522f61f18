// What the tool prints, read as a person or a script would.
#include <nlohmann/json.hpp>

#include "ToolRunner.h"

namespace {

class Report : public tooltest::ToolTest {};

TEST_F(Report, TextShowsTheSectionsInOrder) {
    const auto result = run({"--answer-after", "0", "media-error", "--job", "42", "--error", "763",
                             "--library", "L1", "--drive", "D1"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::size_t at = 0;
    for (const char* heading : {"Job 42: A read error",
                                "Message text:",
                                "Event text:",
                                "Log text:",
                                "Message code 0x1900001f block-size-error, event arguments (3):",
                                "opening",
                                "tag 9 ll 42, tag 11 text \"L1\", tag 11 text \"D1\"",
                                "Postings and job states:",
                                "#2 raise accepted",
                                "#3 state accepted  job state 3",
                                "#4 clear accepted  0x19000025 empty, clears 0x1900001f",
                                "#5 state accepted  job state 1",
                                "Console (",
                                "#2 raise:",
                                "        A read error occured for JobID [42]",
                                "#4 clear: (empty",
                                "Answer: confirmed",
                                "Debug log: ",
                                "Journal: ",
                                "Settings: "}) {
        const auto found = result.out.find(heading, at);
        ASSERT_NE(found, std::string::npos) << heading << "\n" << result.out;
        at = found;
    }
    EXPECT_NE(result.out.find("Debug log: " + (dir / "debug.log").string()), std::string::npos);
    EXPECT_NE(result.out.find("Journal: " + journalPath()), std::string::npos);
    EXPECT_NE(result.out.find("(built-in defaults, removed at exit)"), std::string::npos);
}

TEST_F(Report, AStampingNoticeTellsThatNothingReachedTheJobManager) {
    const auto result =
        run({"--answer-after", "0", "crc-error", "--job", "0", "--library", "L1", "--drive", "D1"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Message code 0x1900001e crc-error-stamping: no event arguments "
                              "reached the job manager"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("(no job-client call)"), std::string::npos);
    EXPECT_NE(result.out.find("(nothing was posted)"), std::string::npos);
    EXPECT_NE(result.out.find("the wait was ended early"), std::string::npos);
}

TEST_F(Report, IdentifyShowsTheCallersBuffers) {
    const auto result = run({"identify", "--job", "4", "--unique-id", "U", "--volume", "1",
                             "--library", "L", "--drive", "D", "--barcode", "KEEP"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.out.find("Export location buffer: \"\"\nBarcode buffer: \"KEEP\"\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Answer: not confirmed: the operation returned true (exit status 1)"),
              std::string::npos);
}

TEST_F(Report, JsonStaysValidForTextsThatAreNotUtf8) {
    const auto result = run({"--json", "--answer-after", "0", "import", "--job", "42", "--media",
                             "LTO\xff\xfe", "--identifier", "\xc3"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto document = nlohmann::json::parse(result.out);
    EXPECT_NE(document["texts"]["log"].get<std::string>().find("LTO\xef\xbf\xbd"),
              std::string::npos);
}

}  // namespace
