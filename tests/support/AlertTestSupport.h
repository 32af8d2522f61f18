// Helpers for the alert tests: expected event argument lists that read like
// the message tables, a fixture that gives every test a fresh stand-in, and
// control of the replaced sleep(3).
#ifndef KORRIN_ALERT_TEST_SUPPORT_H
#define KORRIN_ALERT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "MMDebug.h"
#include "QZKRMessageCodes.h"
#include "Standin.h"

namespace standin {
inline void PrintTo(const Argument& argument, std::ostream* out) { *out << describe(argument); }
}  // namespace standin

namespace alerttest {

using Event = std::vector<standin::Argument>;

inline Event text(const std::string& value) { return {standin::Argument::Text(value)}; }
inline Event job(long long value) { return {standin::Argument::LongLong(value)}; }
inline Event integer(int value) { return {standin::Argument::Int(value)}; }
inline Event code(int value) {
    return {standin::Argument::Code(static_cast<unsigned long>(static_cast<unsigned int>(value)))};
}
// A present piece: its code, then its values as texts.
Event piece(int pieceCode, std::initializer_list<std::string> values);
// An absent piece: the empty sub-message.
inline Event absent() { return piece(qzkr::kMsgEmpty, {""}); }
// The arguments of one event, in streaming order.
Event event(std::initializer_list<Event> parts);

// The posting parameters after the code, as the job client receives them.
std::vector<long long> raiseParams(int code, bool pendingFlag);
std::vector<long long> clearParams(int clearedCode);

// True when `text` is well-formed UTF-8 (no truncated or stray sequence).
bool isValidUtf8(const std::string& text);

// The replaced sleep(3).
struct FakeSleep {
    static int calls();
    static unsigned int lastSeconds();
    // The next call throws std::runtime_error("sleep interrupted by test").
    static void throwNext();
    // Forward to the C library's sleep (a signal can then end it early).
    static void useRealSleep(bool real);
    static void reset();
};

// A fresh stand-in for every test: settings in a temporary file naming the
// control server "quorvane.test", no debug-log file, an empty journal and
// debug log, counts and fault plans cleared, and the fake sleep reset.
class AlertTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the settings file's text.
    void writeSettings(const std::string& ini);

    std::vector<standin::Record> journal() const { return standin::Journal::records(); }
    // Only the raisings and clearings.
    std::vector<standin::Record> postings() const;
    // The job states set, in order.
    std::vector<long long> states() const;
    // The formatted texts of the MMDebug lines, without the "file:line: " prefix.
    std::vector<std::string> workerLines() const;
    std::vector<standin::DebugLine> debugLines() const { return standin::DebugLog::lines(); }

    MMDebug log;
    std::string dir;
    std::string settingsPath;
};

}  // namespace alerttest

#endif  // KORRIN_ALERT_TEST_SUPPORT_H
