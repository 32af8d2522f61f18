#include "TestKit.h"

#include <stdlib.h>

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "Standin.h"

namespace testkit {

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

ScratchDirectory::ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korrin-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch directory like " + pattern);
    m_path = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void useStandinDefaults() {
    setenv("KORRIN_DEBUG_LOG", "off", 1);
    unsetenv("KORRIN_JOURNAL");
    unsetenv("KORRIN_SETTINGS");
    unsetenv("KORRIN_FOCUS");
    standin::Journal::clear();
    standin::DebugLog::clear();
    standin::Calls::reset();
}

}  // namespace testkit
