// The command line and the checks before a run: every bad input refused
// with its status and one line naming it, nothing posted; warnings that
// say what the library will do; help that a person can follow.
#include "CommandLine.h"

#include <fstream>
#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "ToolRunner.h"

namespace {

using alerttool::Request;
using alerttool::Stop;
using nlohmann::json;

std::variant<Request, Stop> parse(std::vector<std::string> words) {
    std::vector<const char*> args{"korrin-alert"};
    for (const auto& word : words) args.push_back(word.c_str());
    return alerttool::parseCommandLine(static_cast<int>(args.size()), args.data());
}

class BadInput : public tooltest::ToolTest {};

TEST_F(BadInput, EachIsOneLineNamingItExitTwoAndNothingPosted) {
    const std::string missing = (dir / "missing.ini").string();
    const std::string noHost = writeFile("nohost.ini", "[Korrin]\nnKRMSGBOXOPTION = 2\n");
    std::filesystem::create_symlink(dir / "elsewhere", dir / "planted");
    const std::vector<std::string> job = {"new-media", "--job",   "1", "--library",
                                          "L",         "--drive", "D"};
    struct Row {
        std::vector<std::string> args;
        std::string problem;
        std::pair<std::string, std::string> variable{};
    };
    const auto with = [&](std::vector<std::string> front) {
        front.insert(front.end(), job.begin(), job.end());
        return front;
    };
    const std::vector<Row> rows = {
        {{}, "a subcommand is required"},
        {{"frobnicate", "--job", "1"}, "\"frobnicate\" is not a subcommand"},
        {{"--bogus", "import", "--job", "42"}, "--bogus is not an option"},
        {{"--media", "M", "import", "--job", "42"}, "--media goes after the subcommand"},
        {{"import", "--job", "--media", "M"}, "--job needs a value"},
        {{"import", "--job", "1", "--media", "M", "--colour", "red"},
         "--colour is not an option of import"},
        {{"import", "--job", "1", "--media", "M", "stray"}, "\"stray\" is not an option of import"},
        {{"import", "--job", "1", "--job", "2", "--media", "M"}, "--job is given twice"},
        {{"import", "--job", "1", "--media", "M", "--pending=yes"}, "--pending takes no value"},
        {{"new-media", "--library", "L", "--drive", "D"}, "--job is required for new-media"},
        {{"import", "--job", "1"}, "--media is required for import"},
        {{"import", "--job", "1", "--media", "M", "--library", "L"}, "--library needs --drive"},
        {{"new-media", "--job", "1", "--drive", "D"}, "--drive needs --library"},
        {{"--lang=", "new-media", "--job", "1"}, "--lang needs a language"},
        {{"media-error", "--job", "1", "--error", "763", "--library", "L", "--drive", "D",
          "--answer-after", "1"},
         "--answer-after: media-error has no wait to end"},
        {{"--answer-after=1", "identify", "--job", "1", "--unique-id", "U", "--volume", "1",
          "--library", "L", "--drive", "D"},
         "--answer-after: identify has no wait to end"},
        {{"new-media", "--job", "forty-two"}, "--job: \"forty-two\" is not a whole number"},
        {{"new-media", "--job", "9223372036854775808"}, "is out of range"},
        {{"wrong-media", "--job", "1", "--last-write-time", "1e9"}, "is not a whole number"},
        {{"identify", "--job", "1", "--unique-id", "U", "--volume", "3000000000"},
         "--volume: \"3000000000\" is out of range"},
        {{"--answer-after", "-1", "new-media", "--job", "1"}, "--answer-after: \"-1\" is out of"},
        {with({"--settings", missing}), "--settings: cannot read \"" + missing + "\""},
        {with({"--settings", dir.string()}), "it is a directory"},
        {with({"--settings", noHost}),
         "names no control-server host (sQNHOSTNAME in section [Korrin])"},
        {job, "KORRIN_SETTINGS: cannot read", {"KORRIN_SETTINGS", missing}},
        {job,
         "names no control-server host (sQNHOSTNAME in section [Other])",
         {"KORRIN_FOCUS", "Other"}},
        {with({"--settings", noHost, "--journal", (dir / "none" / "j").string()}),
         "--settings: \"" + noHost + "\" names no"},
        {with({"--journal", (dir / "none" / "j").string()}), "--journal: cannot open"},
        {job,
         "KORRIN_DEBUG_LOG: cannot open \"" + dir.string() + "\" for appending",
         {"KORRIN_DEBUG_LOG", dir.string()}},
        {with({"--debug-log", (dir / "planted").string()}), "it is a symbolic link"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.problem);
        const auto saved = env;
        if (!row.variable.first.empty()) env[row.variable.first] = row.variable.second;
        if (row.variable.first == "KORRIN_FOCUS") env["KORRIN_SETTINGS"] = noHost;
        auto args = row.args;
        const auto plain = run(args);
        args.push_back("--json");
        const auto scripted = run(args);
        env = saved;
        EXPECT_EQ(plain.status, 2);
        EXPECT_EQ(plain.out, "");
        EXPECT_NE(plain.err.find(row.problem), std::string::npos) << plain.err;
        EXPECT_EQ(std::count(plain.err.begin(), plain.err.end(), '\n'), 1) << plain.err;
        EXPECT_EQ(scripted.status, 2);
        EXPECT_EQ(scripted.err, plain.err);
        const json error = json::parse(scripted.out);
        EXPECT_NE(error["error"].get<std::string>().find(row.problem), std::string::npos);
        EXPECT_EQ(error["status"], 2);
        EXPECT_TRUE(journalLines().empty());
        EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));
    }
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(BadInput, WarningsSayWhatTheLibraryWillDo) {
    struct Row {
        std::string option;  // nKRMSGBOXOPTION's text; "-" leaves the key out
        std::vector<std::string> args;
        int status;
        std::string wait;  // how the wait ended
        std::string err;   // all of standard error
    };
    const std::vector<std::string> newMedia = {"new-media", "--job",   "42", "--library",
                                               "L",         "--drive", "D"};
    const auto unread = [](const std::string& value) {
        return "korrin-alert: warning: nKRMSGBOXOPTION = \"" + value +
               "\" is not a number the settings reader takes: the library counts it as not set "
               "and waits, as with 2\n";
    };
    const std::string noWait =
        "korrin-alert: notice: --answer-after has no wait to end: nKRMSGBOXOPTION answers at "
        "once\n";
    const std::vector<Row> rows = {
        {"banana", newMedia, 0, "answer-after", unread("banana")},
        {"1x", newMedia, 0, "answer-after", unread("1x")},
        {"-1", newMedia, 0, "answer-after", unread("-1")},
        {"", newMedia, 0, "answer-after", unread("")},
        {"7", newMedia, 1, "cancelled-by-setting",
         "korrin-alert: warning: nKRMSGBOXOPTION = \"7\" is neither 1 nor 2: the library "
         "answers cancel at once, without a wait or a log line\n" +
             noWait},
        {"1", newMedia, 1, "cancelled-by-setting", noWait},
        {"0x2", newMedia, 0, "answer-after", ""},
        {"-",
         {"new-media", "--job", "0", "--library", "L", "--drive", "D"},
         0,
         "answer-after",
         "korrin-alert: notice: job 0 is not a valid job ID (1 or more): nothing reaches the job "
         "manager\n"},
        {"-", {"crc-error", "--job", "0", "--library", "L", "--drive", "D"}, 0, "answer-after", ""},
        {"-", {"local-error", "--job", "0"}, 0, "answer-after", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.option + " " + row.args[0] + " " + row.args[2]);
        env["KORRIN_SETTINGS"] = writeFile(
            "box.ini", "[Korrin]\nsQNHOSTNAME = qn\n" +
                           (row.option == "-" ? "" : "nKRMSGBOXOPTION = " + row.option + "\n"));
        auto args = row.args;
        args.insert(args.end(), {"--json", "--answer-after", "0"});
        const auto result = run(args);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_EQ(json::parse(result.out)["wait"]["ended"], row.wait);
        EXPECT_EQ(result.err, row.err);
    }
}

TEST(CommandLine, HelpOnEveryLevelShowsTheGlobalsTheEnvironmentAndARunnableExample) {
    const std::vector<std::string> everywhere = {"--settings FILE",
                                                 "--journal FILE",
                                                 "--debug-log FILE",
                                                 "--json",
                                                 "--answer-after SECONDS",
                                                 "KORRIN_SETTINGS",
                                                 "KORRIN_FOCUS",
                                                 "KORRIN_DEBUG_LOG",
                                                 "KORRIN_JOURNAL",
                                                 "XDG_STATE_HOME",
                                                 "HOME",
                                                 "TMPDIR",
                                                 "Exit status"};
    std::vector<std::vector<std::string>> asks = {{"--help"}, {"-h"}};
    for (const auto& subcommand : alerttool::subcommands()) {
        asks.push_back({subcommand.name, "--help"});
    }
    for (const auto& ask : asks) {
        SCOPED_TRACE(ask[0]);
        const auto parsed = parse(ask);
        ASSERT_TRUE(std::holds_alternative<Stop>(parsed));
        const std::string help = std::get<Stop>(parsed).out;
        for (const auto& part : everywhere) EXPECT_NE(help.find(part), std::string::npos) << part;
        std::smatch example;
        ASSERT_TRUE(std::regex_search(help, example, std::regex("Example: korrin-alert ([^\n]+)")));
        std::vector<std::string> words;
        std::regex word(R"("([^"]*)\"|(\S+))");
        const std::string line = example[1];
        for (auto it = std::sregex_iterator(line.begin(), line.end(), word);
             it != std::sregex_iterator(); ++it) {
            words.push_back((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
        }
        EXPECT_TRUE(std::holds_alternative<Request>(parse(words))) << line;
    }
    const auto version = parse({"--version"});
    ASSERT_TRUE(std::holds_alternative<Stop>(version));
    EXPECT_TRUE(std::regex_match(std::get<Stop>(version).out,
                                 std::regex("korrin-alert [0-9]+\\.[0-9]+\\.[0-9]+\n")));
}

// The README's table of subcommands names the tool's subcommands and their
// options, no more and no fewer.
TEST(CommandLine, TheReadmeTableMatchesTheSubcommands) {
    std::ifstream readme(KORRIN_README);
    std::map<std::string, std::set<std::string>> documented;
    const std::regex row(R"(^\| `([a-z-]+)` \|.*\|(.*)\|$)");
    const std::regex option("--[a-z-]+");
    for (std::string line; std::getline(readme, line);) {
        std::smatch cells;
        if (!std::regex_match(line, cells, row)) continue;
        const std::string options = cells[2];
        auto& names = documented[cells[1]];
        for (auto it = std::sregex_iterator(options.begin(), options.end(), option);
             it != std::sregex_iterator(); ++it) {
            names.insert(it->str());
        }
    }
    std::map<std::string, std::set<std::string>> tool;
    for (const auto& subcommand : alerttool::subcommands()) {
        auto& names = tool[subcommand.name];
        for (const auto& option : subcommand.options) {
            if (std::string(option.name) != "--job") names.insert(option.name);
        }
    }
    EXPECT_EQ(documented, tool);
}

}  // namespace
