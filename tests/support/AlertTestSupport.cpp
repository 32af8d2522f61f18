#include "AlertTestSupport.h"

#include <stdlib.h>

namespace testkit {

Event piece(int pieceCode, std::initializer_list<std::string> values) {
    Event result = code(pieceCode);
    for (const auto& value : values) result.push_back(standin::Argument::Text(value));
    return result;
}

Event event(std::initializer_list<Event> parts) {
    Event result;
    for (const auto& part : parts) result.insert(result.end(), part.begin(), part.end());
    return result;
}

standin::Params raiseParams(int code, bool pendingFlag) {
    return {code, 0, 1, 300, 0, 40, pendingFlag ? 1 : 0, static_cast<unsigned int>(code), 0};
}

standin::Params clearParams(int clearedCode) {
    return {
        qzkr::kMsgEmpty, 0, 1, 300, 0, 0, 0, 0, 40, 2, static_cast<unsigned int>(clearedCode), 0};
}

AlertTest::AlertTest() {
    writeSettings("[Korrin]\nsQNHOSTNAME = quorvane.test\n");
    setenv("KORRIN_SETTINGS", settingsPath.c_str(), 1);
    FakeSleep::reset();
}

std::vector<standin::Record> AlertTest::postings() const {
    std::vector<standin::Record> result;
    for (const auto& record : journal()) {
        if (record.kind == standin::Record::Kind::Raise ||
            record.kind == standin::Record::Kind::Clear) {
            result.push_back(record);
        }
    }
    return result;
}

std::vector<long long> AlertTest::states() const {
    std::vector<long long> result;
    for (const auto& record : journal()) {
        if (record.kind == standin::Record::Kind::JobState) result.push_back(record.state());
    }
    return result;
}

std::vector<std::string> AlertTest::workerLines() const {
    std::vector<std::string> result;
    for (const auto& line : debugLines()) {
        if (line.source != standin::DebugLine::Source::MM) continue;
        const auto colon = line.message.find(": ");
        result.push_back(colon == std::string::npos ? line.message
                                                    : line.message.substr(colon + 2));
    }
    return result;
}

}  // namespace testkit
