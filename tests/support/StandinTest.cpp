#include "StandinTest.h"

#include <fstream>
#include <sstream>

namespace testkit {

StandinTest::StandinTest() {
    useStandinDefaults();
    standin::Journal::clear();
    standin::DebugLog::clear();
    standin::Calls::reset();
}

StandinTest::~StandinTest() {
    useStandinDefaults();
    standin::Calls::reset();
}

void StandinTest::write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}

std::string StandinTest::read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> StandinTest::readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace testkit
