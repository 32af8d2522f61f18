#include "Settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace alerttool {

namespace {

constexpr const char kDefaultFocus[] = "Korrin";

std::string focus() {
    const char* chosen = std::getenv("KORRIN_FOCUS");
    return chosen != nullptr && *chosen != '\0' ? chosen : kDefaultFocus;
}

void checkReadable(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw std::runtime_error("--settings: \"" + path +
                                 "\" is a directory, not a settings file");
    }
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("--settings: cannot read \"" + path +
                                 "\": " + std::strerror(errno));
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
        checkReadable(*given);
        m_path = *given;
    } else if (configured != nullptr && *configured != '\0') {
        m_path = configured;
        return;
    } else {
        writeDefaults();
    }
    setenv("KORRIN_SETTINGS", m_path.c_str(), 1);
}

void SettingsFile::writeDefaults() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/korrin-alert-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        throw std::runtime_error("cannot write the built-in settings to " + pattern + ": " +
                                 std::strerror(errno));
    }
    m_path = pattern;
    m_builtIn = true;
    const std::string text = defaults(focus());
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written) {
        std::remove(m_path.c_str());
        throw std::runtime_error("cannot write the built-in settings to " + m_path);
    }
}

SettingsFile::~SettingsFile() {
    if (m_builtIn) std::remove(m_path.c_str());
}

}  // namespace alerttool
