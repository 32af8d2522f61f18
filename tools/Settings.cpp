#include "Settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "QZPlatformInfo.h"
#include "Standin.h"
#include "StandinText.h"
#include "Terminal.h"
#include "Wording.h"

namespace alerttool {

namespace {

// The library's own setting: section, key, and the value that waits.
constexpr const char kBoxSection[] = "Korrin";
constexpr const char kBoxOption[] = "nKRMSGBOXOPTION";
constexpr unsigned long kBoxWaits = 2;
constexpr unsigned long kBoxCancels = 1;

// Tells the stand-in the option's file, when given, and opens the file it uses.
void openFile(const std::optional<std::string>& given, const char* option, const char* variable,
              void (*use)(const std::string&), std::optional<std::string> (*open)()) {
    if (given) use(*given);
    if (const auto problem = open()) {
        const char* source = given ? option : std::getenv(variable) ? variable : "debug log";
        throw std::runtime_error(std::string(source) + ": " + *problem);
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
    if (focus != kBoxSection) text += "[" + focus + "]\nsQNHOSTNAME = quorvane.local\n";
    return text;
}

SettingsFile::SettingsFile(const std::optional<std::string>& given) {
    const std::string configured = standin::Settings::path();
    if (given) {
        m_path = *given;
        m_source = "--settings";
        standin::Settings::use(m_path);
    } else if (!configured.empty()) {
        m_path = configured;
    } else {
        m_source = "built-in settings";
        writeDefaults();
        standin::Settings::use(m_path);
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
    const std::string text = defaults(standin::Settings::focus());
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
    if (const auto problem = standin::Settings::problem())
        throw std::runtime_error(std::string(settings.source()) + ": " + *problem);
    openFile(request.journal, "--journal", "KORRIN_JOURNAL", standin::Journal::use,
             standin::Journal::open);
    openFile(request.debugLog, "--debug-log", "KORRIN_DEBUG_LOG", standin::DebugLog::use,
             standin::DebugLog::open);
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
