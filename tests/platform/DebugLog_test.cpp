#include <regex>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "EvDebug.h"
#include "MMDebug.h"
#include "StandinTest.h"

using standin::DebugLine;
using standin::DebugLog;

class DebugLogTest : public testkit::StandinTest {};

TEST_F(DebugLogTest, KeepsLinesAndWritesThemToTheFile) {
    const std::string path = file("debug.log");
    setenv("KORRIN_DEBUG_LOG", path.c_str(), 1);
    ASSERT_EQ(DebugLog::path(), path);
    MMDebug mm;
    mm.DebugMM(1, 2, "WORKER  ", -1, -1, "%s:%d: %s", "QZKRGuiInterface", 42, "two\nlines");
    EvDebug ev(nullptr);
    ev.debugLvl(5, "waited %d s", 180);
    ev.DebugJob("QZKRMessageBox", 7, "%s", std::string(5000, 'x').c_str());

    const auto lines = DebugLog::lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].source, DebugLine::Source::MM);
    EXPECT_EQ(lines[0].module, "WORKER  ");
    EXPECT_EQ(lines[0].jobId, -1);
    EXPECT_EQ(lines[0].format, "%s:%d: %s");
    EXPECT_EQ(lines[0].message, "QZKRGuiInterface:42: two\nlines");
    EXPECT_EQ(lines[1].source, DebugLine::Source::Lvl);
    EXPECT_EQ(lines[1].level, 5);
    EXPECT_EQ(lines[2].source, DebugLine::Source::Job);
    EXPECT_EQ(lines[2].message.size(), 5000u);  // never truncated

    const auto written = readLines(path);
    ASSERT_EQ(written.size(), 3u);
    const std::regex layout(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z pid=(\d+) tid=(\d+) )");
    std::vector<std::string> tails;
    for (const auto& line : written) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_search(line, parts, layout, std::regex_constants::match_continuous))
            << line;
        EXPECT_EQ(parts[1], std::to_string(getpid()));
        EXPECT_NE(parts[2], "0");
        tails.push_back(parts.suffix());
    }
    EXPECT_EQ(tails[0], "MM 1 2 \"WORKER  \" -1 -1 QZKRGuiInterface:42: two\\nlines");
    EXPECT_EQ(tails[1], "EV lvl=5 waited 180 s");
    EXPECT_EQ(tails[2], "EV job module=QZKRMessageBox job=7 " + std::string(5000, 'x'));

    DebugLog::keepLines(false);
    mm.DebugMM(1, 2, "WORKER  ", -1, -1, "written, not kept");
    DebugLog::keepLines(true);
    EXPECT_EQ(readLines(path).size(), 4u);
    EXPECT_EQ(DebugLog::lines().size(), 3u);

    setenv("KORRIN_DEBUG_LOG", "off", 1);
    EXPECT_EQ(DebugLog::path(), "");
    mm.DebugMM(1, 2, "WORKER  ", -1, -1, "after");
    EXPECT_EQ(readLines(path).size(), 4u);
    EXPECT_EQ(DebugLog::lines().size(), 4u);
    DebugLog::clear();
    EXPECT_TRUE(DebugLog::lines().empty());
}

TEST_F(DebugLogTest, DefaultFileIsTheUsersOwnAndNoLinkIsFollowed) {
    const auto keep = [](const char* name) {
        const char* value = std::getenv(name);
        return std::make_pair(name, value ? std::optional<std::string>(value) : std::nullopt);
    };
    const auto saved = {keep("XDG_STATE_HOME"), keep("HOME")};
    unsetenv("KORRIN_DEBUG_LOG");
    setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(DebugLog::path(), "/home/op/.local/state/korrin/korrin-debug.log");
    setenv("XDG_STATE_HOME", file("state").c_str(), 1);
    EXPECT_EQ(DebugLog::open(), "");
    struct stat folder {};
    ASSERT_EQ(stat(file("state/korrin").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    struct stat log {};
    ASSERT_EQ(stat(file("state/korrin/korrin-debug.log").c_str(), &log), 0);
    EXPECT_EQ(log.st_mode & 0777, 0600u);

    ASSERT_EQ(symlink(file("target").c_str(), file("planted").c_str()), 0);
    setenv("KORRIN_DEBUG_LOG", file("planted").c_str(), 1);
    EXPECT_NE(DebugLog::open().find("symbolic link"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file("target")));
    for (const auto& [name, value] : saved) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
}

TEST_F(DebugLogTest, ConcurrentWritersProduceWholeLines) {
    const std::string path = file("concurrent.log");
    setenv("KORRIN_DEBUG_LOG", path.c_str(), 1);
    const std::string payload(300, 'p');
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &payload] {
            MMDebug mm;
            for (int i = 0; i < 500; ++i)
                mm.DebugMM(1, 2, "WORKER  ", -1, -1, "%d %d %s", t, i, payload.c_str());
        });
    for (auto& thread : threads) thread.join();

    const auto lines = readLines(path);
    ASSERT_EQ(lines.size(), 2000u);
    std::vector<int> next(4, 0);
    for (const auto& line : lines) {
        int t = -1;
        int i = -1;
        char rest[400] = {};
        const char* message = line.c_str() + line.find("-1 -1 ") + 6;
        ASSERT_EQ(std::sscanf(message, "%d %d %399s", &t, &i, rest), 3) << line;
        ASSERT_EQ(std::string(rest), payload);
        ASSERT_EQ(i, next.at(static_cast<std::size_t>(t))++);  // each thread's lines in order
    }
    EXPECT_EQ(DebugLog::lines().size(), 2000u);
}
