// What the tests, the fuzz targets and the benchmarks share besides the
// fake sleep (FakeSleep.h): the log text's one-line form, a scratch
// directory and the stand-in's defaults.
#ifndef KORRIN_TEST_KIT_H
#define KORRIN_TEST_KIT_H

#include <filesystem>
#include <string>

namespace testkit {

// `text` with each line feed turned into a space: what the log text is to
// the event text.
std::string oneLine(std::string text);

// A fresh directory of its own in the system's temporary directory ($TMPDIR,
// else /tmp), removed with everything in it when the object goes. Throws
// std::runtime_error when it cannot be made.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The path of a file called `name` in the directory.
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Sets this process's environment so that the stand-in writes no debug-log
// file and no journal file, reads no settings file and uses the default
// settings focus; empties the journal and the debug lines, and forgets this
// thread's call counts and fault plans.
void useStandinDefaults();

}  // namespace testkit

#endif  // KORRIN_TEST_KIT_H
