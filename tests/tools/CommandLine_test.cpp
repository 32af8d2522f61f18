// The command line: strict numbers, options into a request, help on every
// level, and every kind of bad input refused with one line and no posting.
#include "CommandLine.h"

#include <climits>

#include "ToolRunner.h"

namespace {

using alerttool::parseWhole;
using alerttool::Request;
using alerttool::Stop;

std::variant<Request, Stop> parse(std::vector<const char*> args) {
    args.insert(args.begin(), "korrin-alert");
    return alerttool::parseCommandLine(static_cast<int>(args.size()), args.data());
}

// The arguments of the help text's example, after "korrin-alert".
std::vector<const char*> exampleWords(const std::string& help) {
    static std::vector<std::string> words;
    words.clear();
    const auto start = help.find("Example: korrin-alert ") + 22;
    std::string word;
    bool quoted = false;
    for (std::size_t i = start; i < help.size() && help[i] != '\n'; ++i) {
        if (help[i] == '"') {
            quoted = !quoted;
        } else if (help[i] == ' ' && !quoted) {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += help[i];
        }
    }
    if (!word.empty()) words.push_back(word);
    std::vector<const char*> pointers;
    for (const auto& w : words) pointers.push_back(w.c_str());
    return pointers;
}

TEST(ParseWhole, TakesWholeDecimalNumbersWithinTheType) {
    long long job = 0;
    EXPECT_FALSE(parseWhole("--job", "-5", job));
    EXPECT_EQ(job, -5);
    EXPECT_FALSE(parseWhole("--job", "9223372036854775807", job));
    EXPECT_EQ(job, LLONG_MAX);
    int volume = 1;
    EXPECT_FALSE(parseWhole("--volume", "-2147483648", volume));
    EXPECT_EQ(volume, INT_MIN);
}

TEST(ParseWhole, RefusesAnythingButAWholeNumber) {
    for (const char* text : {"", "-", "+5", " 5", "5 ", "0x10", "1e3", "12x", "1.0"}) {
        long long value = 77;
        const auto error = parseWhole("--job", text, value);
        ASSERT_TRUE(error) << '"' << text << '"';
        EXPECT_EQ(*error, std::string("--job: \"") + text + "\" is not a whole number");
        EXPECT_EQ(value, 77);
    }
}

TEST(ParseWhole, RefusesNumbersOutOfRangeNamingTheRange) {
    int volume = 0;
    EXPECT_EQ(parseWhole("--volume", "2147483648", volume).value_or(""),
              "--volume: \"2147483648\" is out of range (-2147483648 to 2147483647)");
    EXPECT_TRUE(parseWhole("--volume", "-2147483649", volume));
    long long job = 0;
    EXPECT_TRUE(parseWhole("--job", "9223372036854775808", job));
    EXPECT_TRUE(parseWhole("--job", "-99999999999999999999", job));
}

TEST(CommandLine, OptionsFillTheRequestAndAbsentTextsStayAbsent) {
    const auto parsed =
        parse({"import", "--job", "-3", "--media", "LTO", "--library", "L1", "--drive", "D1",
               "--new-media-allowed", "--json", "--answer-after", "4", "--settings", "s.ini"});
    ASSERT_TRUE(std::holds_alternative<Request>(parsed));
    const auto& request = std::get<Request>(parsed);
    EXPECT_EQ(request.operation, "import");
    EXPECT_EQ(request.job, -3);
    EXPECT_EQ(request.media, "LTO");
    EXPECT_EQ(request.library, "L1");
    EXPECT_EQ(request.drive, "D1");
    EXPECT_FALSE(request.identifier);
    EXPECT_FALSE(request.location);
    EXPECT_TRUE(request.newMediaAllowed);
    EXPECT_FALSE(request.driveMediaInUse);
    EXPECT_FALSE(request.pending);
    EXPECT_TRUE(request.json);
    EXPECT_EQ(request.answerAfter, 4u);
    EXPECT_EQ(request.settings, "s.ini");

    const auto identify = parse({"identify", "--job", "1", "--unique-id", "U", "--volume", "-7",
                                 "--library", "L", "--drive", "D", "--preface", "", "--pending"});
    ASSERT_TRUE(std::holds_alternative<Request>(identify));
    EXPECT_EQ(std::get<Request>(identify).volume, -7);
    EXPECT_EQ(std::get<Request>(identify).preface, "");
    EXPECT_TRUE(std::get<Request>(identify).pending);
    EXPECT_FALSE(std::get<Request>(identify).answerAfter);
}

TEST(CommandLine, HelpOnEveryLevelWithAnExample) {
    for (const char* subcommand : {"import", "wrong-media", "new-media", "wrong-new-media",
                                   "crc-error", "media-error", "identify", "local-error"}) {
        const auto parsed = parse({subcommand, "--help"});
        ASSERT_TRUE(std::holds_alternative<Stop>(parsed)) << subcommand;
        const auto& stop = std::get<Stop>(parsed);
        EXPECT_EQ(stop.status, 0);
        EXPECT_NE(stop.out.find(std::string("Example: korrin-alert ") + subcommand),
                  std::string::npos)
            << stop.out;
        const auto words = exampleWords(stop.out);
        EXPECT_TRUE(std::holds_alternative<Request>(parse(words))) << stop.out;
    }
    const auto top = parse({"--help"});
    ASSERT_TRUE(std::holds_alternative<Stop>(top));
    EXPECT_EQ(std::get<Stop>(top).status, 0);
    EXPECT_NE(std::get<Stop>(top).out.find("wrong-new-media"), std::string::npos);
}

class BadInput : public tooltest::ToolTest {};

TEST_F(BadInput, EachCaseNamesTheProblemExitsTwoAndPostsNothing) {
    const std::string missing = (dir / "missing.ini").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "A subcommand is required"},
        {{"frobnicate", "--job", "1"}, "\"frobnicate\" is not a subcommand"},
        {{"import", "--job", "1", "--media", "M", "--colour", "red"}, "--colour"},
        {{"new-media", "--library", "L", "--drive", "D"}, "--job is required"},
        {{"import", "--job", "1"}, "--media is required"},
        {{"import", "--job", "1", "--media", "M", "--library", "L"}, "--library requires --drive"},
        {{"new-media", "--job", "forty-two"}, "--job: \"forty-two\" is not a whole number"},
        {{"new-media", "--job", "9223372036854775808"},
         "--job: \"9223372036854775808\" is out of range"},
        {{"identify", "--job", "1", "--unique-id", "U", "--volume", "3000000000", "--library", "L",
          "--drive", "D"},
         "--volume: \"3000000000\" is out of range"},
        {{"wrong-media", "--job", "1", "--last-write-time", "yesterday"},
         "--last-write-time: \"yesterday\" is not a whole number"},
        {{"wrong-new-media", "--job", "1", "--error", "99999999999"},
         "--error: \"99999999999\" is out of range"},
        {{"media-error", "--job", "1", "--error", "7.5"}, "--error: \"7.5\" is not a whole number"},
        {{"--answer-after", "soon", "new-media", "--job", "1"}, "--answer-after: \"soon\""},
        {{"--settings", missing, "new-media", "--job", "1", "--library", "L", "--drive", "D"},
         "cannot read \"" + missing + "\""},
        {{"--settings", dir.string(), "new-media", "--job", "1"}, "is a directory"},
    };
    for (const auto& [args, problem] : cases) {
        const auto result = run(args);
        SCOPED_TRACE(problem);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(problem), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(journalLines().empty());
    }
    EXPECT_TRUE(leftovers().empty());
}

}  // namespace
