// The stand-in's own logic where the alert library's and the tool's tests do
// not reach: settings parsing, fault plans and planted texts, the debug log's
// and the journal's lines and files, the console's rendering of what the
// library never sends, standard output taken aside, many threads at once.
#include <regex>
#include <thread>

#include "EvDebug.h"
#include "MMDebug.h"
#include "QZJobClient.h"
#include "QZKREventStream.h"
#include "QZPlatformInfo.h"
#include "StandinConsole.h"
#include "StandinStdout.h"
#include "StandinTest.h"
#include "StandinText.h"

namespace {

using namespace standin;
namespace fs = std::filesystem;
using Standin = testkit::StandinTest;

std::string host(QZPlatformInfo& reader) {
    char text[64] = "";
    reader.getKorrinQNHostName(text, sizeof text);
    return text;
}

// A line that is neither a section nor an entry is named by its number in
// the file (a long line is one line) and skipped. getNumber takes unsigned
// decimal, 0x hex and 0 octal numbers; a numeric key's other values are
// warned of. The host name is the focus section's. The file named through
// the API outranks KORRIN_SETTINGS.
TEST_F(Standin, SettingsAsTheReaderReadsThem) {
    write(file("s.ini"), ";" + std::string(300, 'c') + "\n[Korrin]\nsQNHOSTNAME = first\nbad\n" +
                             "nA = -1\nnB = +1\nnC = 0x\nnD = 09\nnE =\nnF = 010\nnG = 0x1F\n" +
                             "nH = 10\n[Second]\nsQNHOSTNAME = second\n");
    setenv("KORRIN_SETTINGS", "/nonexistent", 1);
    Settings::use(file("s.ini"));
    const std::string named = '"' + file("s.ini") + '"';
    EXPECT_EQ(Settings::problem(), named + " line 4 is neither a [section] nor a key = value");
    QZPlatformInfo reader;
    std::string read;
    for (const char* key : {"nA", "nB", "nC", "nD", "nE", "nF", "nG", "nH"}) {
        unsigned long value = 0;
        read += reader.getNumber("Korrin", key, &value) ? std::to_string(value) + " " : "- ";
    }
    EXPECT_EQ(read, "- - - - - 8 31 10 ");
    EXPECT_EQ(Settings::warnings().size(), 5u);
    EXPECT_EQ(Settings::warnings().at(0), named + " [Korrin] nA = \"-1\" is not a number the " +
                                              "settings reader takes; it reads as not set");
    EXPECT_EQ(reader.setFocus(""), 0);
    EXPECT_EQ(reader.setFocus("Second"), 1);
    EXPECT_EQ(host(reader), "second");
}

// Plans add up, each counted from now; a later plan for a kind replaces an
// earlier one; where two meet, throwing wins; a thrown call leaves no
// record; another thread sees none of them. A planted text goes with the
// next call of its kind, in place of a failure's "" too, cut byte by byte to
// the buffer, without its NUL when planted so.
TEST_F(Standin, FaultPlansAndPlantedTexts) {
    QZJobClient client;
    Calls::faultAt(1, Fault::Fail);
    Calls::faultAt(2, Fault::Throw);
    Calls::faultNext(Call::Init, Fault::Throw);
    Calls::faultNext(Call::Init, Fault::Fail);
    EXPECT_FALSE(client.init("qn", 1, QZS_PLATFORM_UNIX));
    EXPECT_THROW(client.init("qn", 1, QZS_PLATFORM_UNIX), InjectedFault);
    EXPECT_TRUE(client.init("qn", 1, QZS_PLATFORM_UNIX));
    EXPECT_EQ(Calls::total(), 4u);
    EXPECT_EQ(Journal::records().size(), 2u);
    Calls::faultAt(1, Fault::Fail);
    Calls::faultNext(Call::JobClientCtor, Fault::Throw);
    EXPECT_THROW(QZJobClient{}, InjectedFault);
    Calls::faultAt(1, Fault::Throw);
    std::thread([] { EXPECT_NO_THROW(QZJobClient{}); }).join();
    Calls::reset();

    QZPlatformInfo reader;
    const std::tuple<bool, bool, const char*, int, const char*> plants[] = {
        {false, false, "h\xc3\xa9llo", 3, "h\xc3"}, {true, false, "planted", 9, "planted"},
        {false, true, "abcdef", 3, "abc?????"},     {false, true, "ab", 3, "ab"},
        {false, false, "x", 0, "????????"},
    };
    for (const auto& [fail, unterminated, planted, size, expected] : plants) {
        if (fail) Calls::faultNext(Call::HostName, Fault::Fail);
        (unterminated ? Calls::unterminatedTextNext : Calls::textNext)(Call::HostName, planted);
        char buffer[] = "????????";
        const int length = reader.getKorrinQNHostName(buffer, size);
        EXPECT_EQ(buffer, std::string(expected)) << planted;
        EXPECT_EQ(length, static_cast<int>(strnlen(buffer, size))) << planted;
    }
    EXPECT_EQ(host(reader), "");  // the plants went with their calls
}

// One line a call in the debug log, its control characters escaped; "off"
// keeps the lines but writes none. One JSON line a record in the journal.
// Neither file is opened through a symbolic link; each is the owner's alone.
// The console shows what the library never sends: an error ID the catalogue
// lacks, stray values, a code it does not know.
TEST_F(Standin, DebugLogJournalAndConsoleLines) {
    fs::create_symlink(file("elsewhere"), file("planted"));
    setenv("KORRIN_JOURNAL", file("planted").c_str(), 1);
    EXPECT_EQ(Journal::open(),
              "cannot open \"" + file("planted") + "\" for appending: is a symbolic link");
    setenv("KORRIN_DEBUG_LOG", file("debug.log").c_str(), 1);
    setenv("KORRIN_JOURNAL", file("journal").c_str(), 1);
    MMDebug().DebugMM(1, 2, "WORKER  ", -1, 3, "%s:%d: %s", "QZKRGuiInterface", 42, "a\n\xc2\x9b");
    EvDebug(nullptr).debugLvl(5, "waited %d s", 180);
    EvDebug(nullptr).DebugJob("QZKRMessageBox", 7, "%s", std::string(5000, 'x').c_str());
    setenv("KORRIN_DEBUG_LOG", "off", 1);
    EXPECT_EQ(DebugLog::path(), "");
    EvDebug(nullptr).debugLvl(1, "kept, not written");
    EXPECT_EQ(DebugLog::lines().at(0).message + DebugLog::lines().at(3).message,
              "QZKRGuiInterface:42: a\n\xc2\x9bkept, not written");

    QZJobClient client;
    client.init("qn.example", 42, QZS_PLATFORM_UNIX);
    char text[] = "%s\"\n\xff";
    client << 0 << text;
    client.addArgument(nullptr, qzkr::kTagText);
    client.addArgument(nullptr, qzkr::kTagLongLong);
    client << 0 << ~0ul;
    client.addArgument(text, 3);
    text[0] = 1;  // the caller's storage may change before the posting
    client.setPendingCauseAndCriticalEvent(0x1900002f, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                           JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET, 0x1900002f, 0);
    EXPECT_EQ(Journal::records().front().platform(), QZS_PLATFORM_UNIX);  // as the tool reports it
    std::string written = read(file("debug.log")) + read(file("journal")) +
                          escapeControls(renderPosting(Journal::records().back()));
    const std::string pid = std::to_string(getpid());
    for (const auto& [pattern, placeholder] :
         std::initializer_list<std::pair<std::string, std::string>>{
             {R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)", "T"},
             {" pid=" + pid + " tid=" + pid, ""},  // the main thread
             {"x{5000}", "x*5000"},
             {R"x("(seq|client)":\d+)x", R"("$1":N)"},
             {R"("pid":)" + pid + R"(,"run":")" + Journal::runId(), R"("pid":P,"run":"R)"}})
        written = std::regex_replace(written, std::regex(pattern), placeholder);
    EXPECT_EQ(written,
              R"(T MM 1 2 "WORKER  " -1 3 QZKRGuiInterface:42: a\n\x9b
T EV lvl=5 waited 180 s
T EV job module=QZKRMessageBox job=7 x*5000
{"seq":N,"time":"T","client":N,"job":42,"call":"init","accepted":true,"host":"qn.example",)"
              R"("params":[42,2],"arguments":[],"pid":P,"run":"R"}
{"seq":N,"time":"T","client":N,"job":42,"call":"raise","accepted":true,)"
              R"("params":[419430447,0,1,300,0,40,1,419430447,0],"arguments":[)"
              R"({"tag":5,"value":0},{"tag":11,"text":"%s\"\n�"},{"tag":11,"text":""},)"
              R"({"tag":9},{"tag":5,"value":0},{"tag":10,"value":18446744073709551615},)"
              R"({"tag":3}],"pid":P,"run":"R"}
[media-management error 0x00000000]\n\nPlease insert the active media or a new media into )"
              R"(the library [%s"\n\xff] drive [] for JobID [].[int 0][0xffffffff: tag 3])");
    for (const char* name : {"debug.log", "journal"})
        EXPECT_EQ(fs::status(file(name)).permissions(), fs::perms(0600)) << name;
    EXPECT_FALSE(fs::exists(file("elsewhere")));
}

// The default debug log is in the user's state folder, made the owner's alone.
TEST_F(Standin, TheDefaultDebugLogIsTheUsersOwn) {
    unsetenv("KORRIN_DEBUG_LOG");
    setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(DebugLog::path(), "/home/op/.local/state/korrin/korrin-debug.log");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_STATE_HOME", file("state").c_str(), 1);
    EXPECT_EQ(DebugLog::open(), std::nullopt);
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(fs::status(file("state/korrin")).permissions(), fs::perms(0700));
    EXPECT_EQ(fs::status(file("state/korrin/korrin-debug.log")).permissions(), fs::perms(0600));
}

// Each call is named as the contract's headers declare it: a member as
// Class::member, a function by its name. Standard output taken aside gives
// back its lines.
TEST_F(Standin, CallNamesAndStandardOutput) {
    std::string headers;
    for (const auto& header : fs::directory_iterator(KORRIN_PLATFORM_HEADERS))
        headers += read(header.path());
    for (int call = 0; call <= static_cast<int>(Call::EndianULongLong); ++call) {
        const std::string name = callName(static_cast<Call>(call));
        const auto declared =
            std::regex_replace(name, std::regex("(\\w+)::"), "class $1\\b[^}]*\\b");
        EXPECT_TRUE(std::regex_search(headers, std::regex(declared + "\\("))) << name;
    }
    StdoutCapture capture;
    std::printf("one\n\ntwo");
    EXPECT_EQ(capture.finish(), (std::vector<std::string>{"one", "", "two"}));
}

// Four workers at once: every line of the debug log whole.
TEST_F(Standin, ConcurrentWorkersKeepTheirLinesWhole) {
    setenv("KORRIN_DEBUG_LOG", file("debug.log").c_str(), 1);
    std::vector<std::thread> workers(4);
    for (auto& worker : workers) {
        worker = std::thread([] {
            for (int i = 0; i < 200; ++i) MMDebug().DebugMM(1, 2, "W", 0, 3, "%0300d", i);
        });
    }
    for (auto& worker : workers) worker.join();
    const auto lines = readLines(file("debug.log"));
    EXPECT_EQ(lines.size(), 800u);
    const std::regex whole(R"(.* MM 1 2 "W" 0 3 \d{300})");
    for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, whole)) << line;
}

}  // namespace
