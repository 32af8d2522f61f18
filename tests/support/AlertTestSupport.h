// Helpers for the alert tests: expected event argument lists that read like
// the message tables, and the fixture of the tests of the alert object.
#ifndef KORRIN_ALERT_TEST_SUPPORT_H
#define KORRIN_ALERT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "FakeSleep.h"
#include "MMDebug.h"
#include "QZKRMessageCodes.h"
#include "Standin.h"
#include "StandinTest.h"
#include "TestKit.h"

namespace standin {
inline void PrintTo(const Argument& argument, std::ostream* out) { *out << describe(argument); }
}  // namespace standin

namespace testkit {

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
standin::Params raiseParams(int code, bool pendingFlag);
standin::Params clearParams(int clearedCode);

// The stand-in's fixture with settings in the scratch directory that name
// the control server "quorvane.test", and the fake sleep reset.
class AlertTest : public StandinTest {
protected:
    AlertTest();

    // Replaces the settings file's text.
    void writeSettings(const std::string& ini) { write(settingsPath, ini); }

    std::vector<standin::Record> journal() const { return standin::Journal::records(); }
    // Only the raisings and clearings.
    std::vector<standin::Record> postings() const;
    // The job states set, in order.
    std::vector<long long> states() const;
    // The formatted texts of the MMDebug lines, without the "file:line: " prefix.
    std::vector<std::string> workerLines() const;
    std::vector<standin::DebugLine> debugLines() const { return standin::DebugLog::lines(); }

    MMDebug log;
    const std::string settingsPath = file("korrin.ini");
};

}  // namespace testkit

#endif  // KORRIN_ALERT_TEST_SUPPORT_H
