#include "RunFiles.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "Standin.h"
#include "StandinText.h"
#include "Wording.h"

namespace alerttool {

namespace {

// Tells the stand-in the option's file, when given, and opens the file it uses.
void openFile(const std::optional<std::string>& given, const char* option, const char* variable,
              void (*use)(const std::string&), std::optional<std::string> (*open)()) {
    if (given) use(*given);
    if (const auto problem = open()) {
        const char* source = given ? option : std::getenv(variable) ? variable : "debug log";
        throw std::runtime_error(std::string(source) + ": " + *problem);
    }
}

// The built-in settings as the file holds them.
std::string builtInSettings() {
    return "; korrin-alert's built-in settings\n[" + standin::Settings::focus() +
           "]\nsQNHOSTNAME = quorvane.local\n";
}

}  // namespace

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
        writeBuiltIn();
        standin::Settings::use(m_path);
    }
}

void SettingsFile::writeBuiltIn() {
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
    const std::string text = builtInSettings();
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

}  // namespace alerttool
