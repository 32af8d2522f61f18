// What the tests, the fuzz target and the benchmarks share besides the
// fake sleep (FakeSleep.h): the log text's one-line form, a scratch
// directory and the stand-in's defaults.
#ifndef KORRIN_TEST_KIT_H
#define KORRIN_TEST_KIT_H

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "Standin.h"

namespace testkit {

// `text` with each line feed turned into a space: what the log text is to
// the event text.
inline std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// A fresh directory of its own in the system's temporary directory ($TMPDIR,
// else /tmp), removed with everything in it when the object goes. Throws
// std::runtime_error when it cannot be made.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korrin-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a scratch directory like " + pattern);
        m_path = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The path of a file called `name` in the directory.
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Sets this process's environment so that the stand-in writes no debug-log
// file and no journal file, reads no settings file and uses the default
// settings focus; empties the journal and the debug lines, and forgets this
// thread's call counts and fault plans.
inline void useStandinDefaults() {
    setenv("KORRIN_DEBUG_LOG", "off", 1);
    unsetenv("KORRIN_JOURNAL");
    unsetenv("KORRIN_SETTINGS");
    unsetenv("KORRIN_FOCUS");
    standin::Journal::clear();
    standin::DebugLog::clear();
    standin::Calls::reset();
}

}  // namespace testkit

#endif  // KORRIN_TEST_KIT_H
