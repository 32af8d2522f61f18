#include "AlertTestSupport.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace alerttest {

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

bool isValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x06 ? 2
                                   : (lead >> 4) == 0x0E ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::vector<long long> raiseParams(int code, bool pendingFlag) {
    return {code, 0, 1, 300, 0, 40, pendingFlag ? 1 : 0, static_cast<unsigned int>(code), 0};
}

std::vector<long long> clearParams(int clearedCode) {
    return {
        qzkr::kMsgEmpty, 0, 1, 300, 0, 0, 0, 0, 40, 2, static_cast<unsigned int>(clearedCode), 0};
}

void AlertTest::SetUp() {
    char pattern[] = "/tmp/korrin-alert-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    settingsPath = dir + "/korrin.ini";
    writeSettings("[Korrin]\nsQNHOSTNAME = quorvane.test\n");
    setenv("KORRIN_SETTINGS", settingsPath.c_str(), 1);
    setenv("KORRIN_DEBUG_LOG", "off", 1);
    unsetenv("KORRIN_JOURNAL");
    unsetenv("KORRIN_FOCUS");
    standin::Journal::clear();
    standin::DebugLog::clear();
    standin::Calls::reset();
    FakeSleep::reset();
}

void AlertTest::TearDown() {
    standin::Calls::reset();
    std::remove(settingsPath.c_str());
    rmdir(dir.c_str());
}

void AlertTest::writeSettings(const std::string& ini) {
    std::ofstream(settingsPath, std::ios::trunc) << ini;
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
        if (record.kind == standin::Record::Kind::JobState) result.push_back(record.params.at(0));
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

}  // namespace alerttest
