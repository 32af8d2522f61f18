// The stand-in's own logic: settings parsing, fault plans and planted
// texts, the lines of the debug log and the journal, the default folder,
// and many threads at once. What the alert library and the tool
// make of it is tested with them.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "EvDebug.h"
#include "Golden.h"
#include "MMDebug.h"
#include "QZJobClient.h"
#include "QZKREventStream.h"
#include "QZPlatformInfo.h"
#include "StandinTest.h"

namespace {

using standin::Call;
using standin::Calls;
using standin::Fault;

bool raise(QZJobClient& client, int code) {
    return client.setPendingCauseAndCriticalEvent(code, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                                  JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET,
                                                  static_cast<unsigned>(code), 0);
}

class Standin : public testkit::StandinTest {
protected:
    void useSettings(const std::string& text) {
        write(file("s.ini"), text);
        setenv("KORRIN_SETTINGS", file("s.ini").c_str(), 1);
    }
    // The host name a reader hands over into a buffer of `size` bytes.
    static std::string host(QZPlatformInfo& info, int size = 64) {
        std::vector<char> text(static_cast<std::size_t>(size), '?');
        const int length = info.getKorrinQNHostName(text.data(), size);
        EXPECT_EQ(length, static_cast<int>(std::strlen(text.data())));
        return text.data();
    }
};

// A reader reads the host name from the section of its focus, and keeps
// what it read; a new one sees the file as it is. A number getNumber does
// not take is warned of.
TEST_F(Standin, EachNewReaderSeesTheSettingsFileAsItIs) {
    useSettings("[Korrin]\nsQNHOSTNAME = first\nn = 1\n[Second]\nsQNHOSTNAME = second\n");
    QZPlatformInfo before;
    EXPECT_EQ(before.setFocus(""), 0);
    EXPECT_EQ(before.setFocus("Second"), 1);
    unsigned long value = 0;
    EXPECT_EQ(before.getNumber("Korrin", "n", &value), 1);  // a section named is the one read
    EXPECT_EQ(before.getNumber("korrin", "n", &value), 0);  // names are case-sensitive
    useSettings("[Korrin]\nsQNHOSTNAME = other\nn = 1\n[Second]\nsQNHOSTNAME = second\n");
    QZPlatformInfo after;
    EXPECT_EQ(host(before), "second");
    EXPECT_EQ(host(after), "other");
    useSettings("[Korrin]\nsQNHOSTNAME = third\nnBOX = 0x\n[Second]\nsQNHOSTNAME = second\n");
    QZPlatformInfo rewritten;
    EXPECT_EQ(host(rewritten), "third");
    EXPECT_EQ(standin::Settings::warnings(),
              std::vector<std::string>{"\"" + file("s.ini") +
                                       "\" [Korrin] nBOX = \"0x\" is not a number the settings "
                                       "reader takes; it reads as not set"});
}

TEST_F(Standin, FaultPlansHitTheirCallsOnTheirThreadOnly) {
    QZJobClient client;
    Calls::faultAt(1, Fault::Fail);
    Calls::faultAt(4, Fault::Fail);  // plans add up, each counted from now
    Calls::faultNext(Call::JobState, Fault::Fail);
    Calls::faultNext(Call::JobState, Fault::Throw);  // replaces the plan above
    EXPECT_FALSE(client.init("qn", 1, QZS_PLATFORM_UNIX));
    EXPECT_TRUE(client.init("qn", 1, QZS_PLATFORM_UNIX));
    EXPECT_THROW(client.setJobState(QZ_JOB_PENDING, nullptr, false), standin::InjectedFault);
    EXPECT_FALSE(client.setJobState(QZ_JOB_PENDING, nullptr, false));
    EXPECT_TRUE(client.setJobState(QZ_JOB_PENDING, nullptr, false));
    EXPECT_EQ(Calls::count(Call::JobState), 3u);
    EXPECT_EQ(Calls::total(), 6u);  // the constructor counted too
    const auto records = standin::Journal::records();
    ASSERT_EQ(records.size(), 4u);  // a thrown call leaves no record
    EXPECT_FALSE(records[0].accepted || records[2].accepted);
    // Where two plans meet, throwing wins.
    Calls::faultAt(1, Fault::Fail);
    Calls::faultNext(Call::JobClientCtor, Fault::Throw);
    EXPECT_THROW(QZJobClient{}, standin::InjectedFault);
    useSettings("[Korrin]\nsQNHOSTNAME = qn\nn = 1\n");
    QZPlatformInfo info;
    unsigned long value = 0;
    Calls::faultNext(Call::GetNumber, Fault::Fail);
    EXPECT_EQ(info.getNumber("Korrin", "n", &value), 0);
    Calls::faultNext(Call::HostName, Fault::Fail);
    EXPECT_EQ(host(info), "");
    Calls::faultNext(Call::SetFocus, Fault::Fail);
    EXPECT_EQ(info.setFocus("Other"), 0);
    EXPECT_EQ(host(info), "qn");  // the focus kept
    // A planted text is handed over once, cut byte by byte as a foreign
    // platform may cut it, also in place of a failure's "".
    Calls::textNext(Call::HostName, "h\xc3\xa9llo");
    EXPECT_EQ(host(info, 3), "h\xc3");
    Calls::faultNext(Call::HostName, Fault::Fail);
    Calls::textNext(Call::HostName, "planted");
    EXPECT_EQ(host(info), "planted");
    Calls::textNext(Call::HostName, "x");
    EXPECT_EQ(info.getKorrinQNHostName(nullptr, 0), 0);
    EXPECT_EQ(host(info), "qn");  // the plant went with that call

    Calls::faultAt(1, Fault::Throw);
    std::uint64_t otherTotal = 0;
    std::thread([&otherTotal] {
        QZJobClient elsewhere;
        otherTotal = Calls::total();
    }).join();
    EXPECT_EQ(otherTotal, 1u);
    Calls::reset();
    EXPECT_EQ(Calls::total(), 0u);
    EXPECT_NO_THROW(QZJobClient{});
}

// One line a call in the debug log and in the journal file; every posting
// takes the arguments streamed since the previous one, also when refused;
// an unbound client takes none.
TEST_F(Standin, DebugLogAndJournalLines) {
    setenv("KORRIN_DEBUG_LOG", file("debug.log").c_str(), 1);
    setenv("KORRIN_JOURNAL", file("journal").c_str(), 1);
    MMDebug mm;
    EvDebug ev(nullptr);
    mm.DebugMM(1, 2, "WORKER  ", -1, 3, "%s:%d: %s", "QZKRGuiInterface", 42, "two\nlines\r");
    ev.debugLvl(5, "waited %d s", 180);
    ev.DebugJob("QZKRMessageBox", 7, "%s", std::string(5000, 'x').c_str());
    ev.debugLvl(1, "written, not kept");

    QZJobClient client;
    ASSERT_TRUE(client.init("qn.example", 42, QZS_PLATFORM_UNIX));
    int small = -1;
    char text[] = "a\"\n\xff";
    client.addArgument(&small, qzkr::kTagInt);
    client.addArgument(text, qzkr::kTagText);
    client.addArgument(nullptr, qzkr::kTagText);
    client.addArgument(nullptr, qzkr::kTagLongLong);
    client.addArgument(&small, 3);
    small = text[0] = 0;  // the caller's storage may change before the posting
    EXPECT_TRUE(client.setJobState(QZ_JOB_PENDING, nullptr, false));  // no posting: keeps them
    EXPECT_TRUE(raise(client, 0x19000027));
    client.addArgument(&small, qzkr::kTagInt);
    client.discardArguments();
    client.addArgument("", qzkr::kTagText);
    Calls::faultNext(Call::Clear, Fault::Fail);
    const std::vector<long long> list{1};
    EXPECT_FALSE(client.setPendingCause(0x19000025, &list, true, EV_MESSAGE_OPERATOR_ALERT, 0, 0, 0,
                                        false, JM_ALERT_COLOR_CRITICAL, JM_PENDING_CLEAR,
                                        0x19000027, 0));
    EXPECT_TRUE(standin::Journal::isPending(42));  // a refused clearing clears nothing
    EXPECT_TRUE(raise(client, 1));
    QZJobClient unbound;
    EXPECT_FALSE(unbound.init(nullptr, 5, QZS_PLATFORM_UNIX));
    unbound.addArgument(&small, qzkr::kTagInt);
    EXPECT_FALSE(raise(unbound, 1));
    EXPECT_FALSE(unbound.setJobState(QZ_JOB_PENDING, &list, true));

    const auto serial = std::to_string(standin::Journal::records().front().client);
    golden::expectFile(
        KORRIN_GOLDEN_DIR "/standin.txt",
        golden::placeholders(
            read(file("debug.log")) + read(file("journal")),
            {{R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)", "TIME"},
             {" pid=" + std::to_string(getpid()) + " tid=" + std::to_string(syscall(SYS_gettid)),
              " pid=PID tid=TID"},
             {"x{5000}", "x*5000"},
             {R"("seq":\d+)", R"("seq":S)"},  // numbered per process: see the tool's reports
             {R"("client":)" + serial + ",", R"("client":C,)"},
             {R"("client":)" + std::to_string(std::stoull(serial) + 1) + ",", R"("client":C+1,)"},
             {R"("pid":)" + std::to_string(getpid()) + R"(,"run":")" + standin::Journal::runId(),
              R"("pid":PID,"run":"RUN)"}}));
    standin::Journal::clear();
    EXPECT_FALSE(standin::Journal::isPending(42));

    setenv("KORRIN_DEBUG_LOG", "off", 1);
    ev.debugLvl(1, "kept, not written");
    const auto lines = standin::DebugLog::lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].message, "QZKRGuiInterface:42: two\nlines\r");
    EXPECT_EQ(lines[4].message, "kept, not written");
    standin::DebugLog::clear();
    EXPECT_TRUE(standin::DebugLog::lines().empty());
}

TEST_F(Standin, TheDefaultDebugLogIsTheUsersOwn) {
    unsetenv("KORRIN_DEBUG_LOG");
    setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(standin::DebugLog::path(), "/home/op/.local/state/korrin/korrin-debug.log");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_STATE_HOME", file("state").c_str(), 1);
    EXPECT_EQ(standin::DebugLog::open(), std::nullopt);
    unsetenv("XDG_STATE_HOME");
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(file("state/korrin")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(file("state/korrin/korrin-debug.log")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

// Four workers, each with its own job, through the one stand-in: every line
// whole, each worker's lines in its order, every call in the journal.
TEST_F(Standin, ConcurrentWorkersKeepTheirOwnLinesAndRecords) {
    setenv("KORRIN_DEBUG_LOG", file("debug.log").c_str(), 1);
    setenv("KORRIN_JOURNAL", file("journal").c_str(), 1);
    const std::string payload(300, 'p');
    std::vector<std::thread> workers;
    for (int t = 1; t <= 4; ++t) {
        workers.emplace_back([t, &payload] {
            MMDebug mm;
            QZJobClient client;
            client.init("qn", t, QZS_PLATFORM_UNIX);
            for (int i = 0; i < 200; ++i) {
                mm.DebugMM(1, 2, "WORKER  ", t, 3, "%d %s", i, payload.c_str());
                client.addArgument(&i, qzkr::kTagInt);
                raise(client, t);
            }
        });
    }
    for (auto& worker : workers) worker.join();
    // Each line whole: the worker, its count, the payload; nothing else.
    std::istringstream written(golden::placeholders(
        read(file("debug.log")), {{R"(.* MM 1 2 "WORKER  " (\d) 3 (\d+) p{300}\n)", "$1 $2 "}}));
    std::vector<std::size_t> next(5, 0);
    for (std::size_t t, i; written >> t >> i;) EXPECT_EQ(i, next.at(t)++);
    EXPECT_TRUE(written.eof());
    EXPECT_EQ(next, (std::vector<std::size_t>{0, 200, 200, 200, 200}));
    EXPECT_EQ(readLines(file("journal")).size(), 804u);
}

}  // namespace
