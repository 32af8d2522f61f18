// Shared fixture of the stand-in's tests: a fresh temporary directory, no
// debug log file, no journal file, and empty journal, debug lines and plans.
#ifndef KORRIN_STANDIN_TEST_H
#define KORRIN_STANDIN_TEST_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Standin.h"

class StandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "korrin-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        setenv("KORRIN_DEBUG_LOG", "off", 1);
        unsetenv("KORRIN_JOURNAL");
        unsetenv("KORRIN_SETTINGS");
        unsetenv("KORRIN_FOCUS");
        standin::Journal::clear();
        standin::DebugLog::clear();
        standin::Calls::reset();
    }

    void TearDown() override {
        setenv("KORRIN_DEBUG_LOG", "off", 1);
        unsetenv("KORRIN_JOURNAL");
        standin::Calls::reset();
        std::filesystem::remove_all(m_dir);
    }

    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path) << text;
    }

    static std::vector<std::string> readLines(const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    std::filesystem::path m_dir;
};

#endif  // KORRIN_STANDIN_TEST_H
