// The fixture of every test that runs against the stand-in: a fresh scratch
// directory, the stand-in's defaults (no debug-log file, no journal file, no
// settings, the default focus), an empty journal and debug log, and no call
// counts or fault plans left by an earlier test. All of it is set up in the
// constructor, so that a derived fixture's members already find it.
#ifndef KORRIN_STANDIN_TEST_H
#define KORRIN_STANDIN_TEST_H

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Standin.h"
#include "TestKit.h"

namespace testkit {

class StandinTest : public ::testing::Test {
protected:
    StandinTest() { useStandinDefaults(); }

    // The path of a file called `name` in the scratch directory.
    std::string file(const std::string& name) const { return scratch.file(name); }

    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::trunc) << text;
    }
    static std::string read(const std::string& path) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    ScratchDirectory scratch;
};

}  // namespace testkit

#endif  // KORRIN_STANDIN_TEST_H
