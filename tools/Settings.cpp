#include "Settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "QZPlatformInfo.h"
#include "Standin.h"
#include "Terminal.h"
#include "Wording.h"

namespace alerttool {

namespace {

constexpr const char kDefaultFocus[] = "Korrin";
// The library's own setting: section, key, and the value that waits.
constexpr const char kBoxSection[] = "Korrin";
constexpr const char kBoxOption[] = "nKRMSGBOXOPTION";
constexpr unsigned long kBoxWaits = 2;
constexpr unsigned long kBoxCancels = 1;

std::string focus() {
    const char* chosen = std::getenv("KORRIN_FOCUS");
    return chosen != nullptr && *chosen != '\0' ? chosen : kDefaultFocus;
}

// Points variable at the option's file, when given, and opens what it names.
void openFile(const std::optional<std::string>& given, const char* option, const char* variable,
              std::string (*open)()) {
    if (given) setenv(variable, given->c_str(), 1);
    const std::string problem = open();
    if (!problem.empty()) {
        const char* source = given ? option : std::getenv(variable) ? variable : "debug log";
        throw std::runtime_error(std::string(source) + ": " + problem);
    }
}

}  // namespace

std::string SettingsFile::defaults(const std::string& focus) {
    std::string text =
        "; korrin-alert's built-in settings\n"
        "[Korrin]\n"
        "sQNHOSTNAME = quorvane.local\n"
        "nKRMSGBOXOPTION = 2\n";
    // The host name is read from the focus section.
    if (focus != kDefaultFocus) text += "[" + focus + "]\nsQNHOSTNAME = quorvane.local\n";
    return text;
}

SettingsFile::SettingsFile(const std::optional<std::string>& given) {
    const char* configured = std::getenv("KORRIN_SETTINGS");
    if (given) {
        m_path = *given;
        m_source = "--settings";
        setenv("KORRIN_SETTINGS", m_path.c_str(), 1);
    } else if (configured != nullptr && *configured != '\0') {
        m_path = configured;
    } else {
        m_source = "built-in settings";
        writeDefaults();
        setenv("KORRIN_SETTINGS", m_path.c_str(), 1);
    }
}

void SettingsFile::writeDefaults() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/korrin-alert-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw std::runtime_error("cannot write the built-in settings to " + quoted(pattern) + ": " +
                                 standin::systemText(errno));
    }
    m_path = pattern;
    m_builtIn = true;
    const std::string text = defaults(focus());
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
        std::remove(m_path.c_str());
        throw std::runtime_error("cannot write the built-in settings to " + quoted(m_path));
    }
}

SettingsFile::~SettingsFile() {
    if (m_builtIn) std::remove(m_path.c_str());
}

void checkRunFiles(const Request& request, const SettingsFile& settings) {
    const std::string problem = standin::Settings::problem();
    if (!problem.empty()) throw std::runtime_error(std::string(settings.source()) + ": " + problem);
    openFile(request.journal, "--journal", "KORRIN_JOURNAL", standin::Journal::open);
    openFile(request.debugLog, "--debug-log", "KORRIN_DEBUG_LOG", standin::DebugLog::open);
}

bool checkMessageBoxOption(std::vector<std::string>& notices) {
    const auto text = standin::Settings::entry(kBoxSection, kBoxOption);
    if (!text) return false;
    // Read as the library reads it.
    unsigned long value = 0;
    QZPlatformInfo reader;
    const std::string named = std::string(kBoxOption) + " = \"" + *text + "\"";
    if (reader.getNumber(kBoxSection, kBoxOption, &value) == 0) {
        tell(notices, "warning: " + named +
                          " is not a number the settings reader takes: the library counts it as "
                          "not set and waits, as with 2");
        return false;
    }
    if (value != kBoxWaits && value != kBoxCancels) {
        tell(notices, "warning: " + named +
                          " is neither 1 nor 2: the library answers cancel at once, without a "
                          "wait or a log line");
    }
    return value != kBoxWaits;
}

}  // namespace alerttool
