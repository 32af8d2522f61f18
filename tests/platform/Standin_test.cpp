// The stand-in's own logic where the alert library's and the tool's tests do
// not reach: settings parsing, fault plans and planted texts, the debug log's
// and the journal's lines and files, the console's rendering of what the
// library never sends.
#include <regex>
#include <thread>

#include "EvDebug.h"
#include "MMDebug.h"
#include "QZJobClient.h"
#include "QZKREventStream.h"
#include "QZPlatformInfo.h"
#include "StandinConsole.h"
#include "StandinTest.h"
#include "StandinText.h"

namespace {

using namespace standin;
namespace fs = std::filesystem;
using Standin = testkit::StandinTest;

// A line that is neither a section nor an entry is named by its number in
// the file (a long line is one line) and skipped. getNumber takes unsigned
// decimal, 0x hex and 0 octal numbers. An empty focus is refused.
TEST_F(Standin, SettingsAsTheReaderReadsThem) {
    write(file("s.ini"),
          ";" + std::string(300, 'c') + "\n[Korrin]\nsQNHOSTNAME = first\nbad\n" +
              "nA = -1\nnB = +1\nnC = 0x\nnD = 09\nnE =\nnF = 010\nnG = 0x1F\nnH = 10\n");
    Settings::use(file("s.ini"));
    EXPECT_EQ(Settings::problem(),
              '"' + file("s.ini") + "\" line 4 is neither a [section] nor a key = value");
    QZPlatformInfo reader;
    std::string read;
    unsigned long value = 0;
    for (const char* key : {"nA", "nB", "nC", "nD", "nE", "nF", "nG", "nH"})
        read += reader.getNumber("Korrin", key, &value) ? std::to_string(value) + " " : "- ";
    EXPECT_EQ(read, "- - - - - 8 31 10 ");
    EXPECT_EQ(reader.setFocus(""), 0);
}

// Plans add up, each counted from now; a later plan for a kind replaces an
// earlier one; where two meet, throwing wins; another thread sees none of
// them. A planted text goes with the next call of its kind, in place of a
// failure's "" too; planted without its NUL, a shorter text still ends in
// one; a buffer of no bytes takes nothing. Outside a call, no thread is
// inside one.
TEST_F(Standin, FaultPlansAndPlantedTexts) {
    QZJobClient client;
    Calls::faultAt(2, Fault::Throw);
    Calls::faultNext(Call::Init, Fault::Throw);
    Calls::faultNext(Call::Init, Fault::Fail);
    EXPECT_FALSE(client.init("qn", 1, QZS_PLATFORM_UNIX));
    EXPECT_THROW(client.init("qn", 1, QZS_PLATFORM_UNIX), InjectedFault);
    Calls::faultAt(1, Fault::Fail);
    Calls::faultNext(Call::JobClientCtor, Fault::Throw);
    std::thread other([] { EXPECT_NO_THROW(QZJobClient{}); });
    EXPECT_THROW(QZJobClient{}, InjectedFault);
    other.join();
    EXPECT_FALSE(Calls::inside());

    QZPlatformInfo reader;
    const std::tuple<bool, bool, int, const char*> plants[] = {
        {true, false, 3, "2 pl"}, {false, true, 3, "2 pl"}, {false, false, 0, "0 ???"}};
    for (const auto& [fail, unterminated, size, expected] : plants) {
        if (fail) Calls::faultNext(Call::HostName, Fault::Fail);
        (unterminated ? Calls::unterminatedTextNext : Calls::textNext)(Call::HostName, "pl");
        char buffer[] = "???";
        const int length = reader.getKorrinQNHostName(buffer, size);
        EXPECT_EQ(std::to_string(length) + ' ' + buffer, expected) << size;
    }
}

// One line a call in the debug log, its control characters and stray bytes
// escaped, by default in the user's state folder made the owner's alone
// ($XDG_STATE_HOME when absolute, else ~/.local/state); "off" names no file.
// One JSON line a record in the journal, a file of the owner's alone. The
// console shows what the library never sends: an error ID the catalogue
// lacks, stray values, a code it does not know.
TEST_F(Standin, DebugLogJournalAndConsoleLines) {
    EXPECT_EQ(DebugLog::path(), "");  // the fixture's "off"
    unsetenv("KORRIN_DEBUG_LOG");
    setenv("XDG_STATE_HOME", "relative", 1);
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", file("home").c_str(), 1);
    setenv("KORRIN_JOURNAL", file("journal").c_str(), 1);
    MMDebug().DebugMM(1, 2, "WORKER  ", -1, 3, "%s:%d: %s", "QZKRGuiInterface", 42, "a\n\xc2\x9b");
    EvDebug(nullptr).debugLvl(5, "waited %d s", 180);
    EvDebug(nullptr).DebugJob("QZKRMessageBox", 7, "%s", "box\x80\xc3(");

    QZJobClient client;
    client.init("qn.example", 42, QZS_PLATFORM_UNIX);
    char text[] = "%s\"\n\xff";
    client << 0 << text;
    for (int tag : {qzkr::kTagText, qzkr::kTagLongLong}) client.addArgument(nullptr, tag);
    client << 0 << ~0ul;
    client.addArgument(text, 3);
    text[0] = 1;  // the caller's storage may change before the posting
    client.setPendingCauseAndCriticalEvent(0x1900002f, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                           JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET, 0x1900002f, 0);
    EXPECT_EQ(Journal::records().front().platform(), QZS_PLATFORM_UNIX);  // as the tool reports it
    std::string written = read(file("home/.local/state/korrin/korrin-debug.log")) +
                          read(file("journal")) +
                          escapeControls(renderPosting(Journal::records().back())) + consoleName(0);
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_STATE_HOME");
    written = std::regex_replace(written, std::regex(R"(\d{4}-\d\d-\d\dT[\d:.]+Z)"), "T");
    written = std::regex_replace(
        written, std::regex(R"x((pid=|tid=|"seq":|"client":|"pid":|"run":")[0-9a-f]+)x"), "$1N");
    EXPECT_EQ(written,
              R"(T pid=N tid=N MM 1 2 "WORKER  " -1 3 QZKRGuiInterface:42: a\n\x9b
T pid=N tid=N EV lvl=5 waited 180 s
T pid=N tid=N EV job module=QZKRMessageBox job=7 box\x80\xc3(
{"seq":N,"time":"T","client":N,"job":42,"call":"init","accepted":true,"host":"qn.example",)"
              R"("params":[42,2],"arguments":[],"pid":N,"run":"N"}
{"seq":N,"time":"T","client":N,"job":42,"call":"raise","accepted":true,)"
              R"("params":[419430447,0,1,300,0,40,1,419430447,0],"arguments":[)"
              R"({"tag":5,"value":0},{"tag":11,"text":"%s\"\n�"},{"tag":11,"text":""},)"
              R"({"tag":9},{"tag":5,"value":0},{"tag":10,"value":18446744073709551615},)"
              R"({"tag":3}],"pid":N,"run":"N"}
[media-management error 0x00000000]\n\nPlease insert the active media or a new media into )"
              R"(the library [%s"\n\xff] drive [] for JobID [].[int 0][0xffffffff: tag 3]unknown)");
    EXPECT_EQ(fs::status(file("journal")).permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(file("home/.local/state/korrin")).permissions(), fs::perms(0700));
}

}  // namespace
