// The files of a run: which settings file the stand-in reads, and the
// checks that refuse a run before anything is posted.
#ifndef KORRIN_TOOL_SETTINGS_H
#define KORRIN_TOOL_SETTINGS_H

#include <optional>
#include <string>
#include <vector>

#include "Command.h"

namespace alerttool {

// Tells the stand-in the settings for this run: the --settings file, else
// what the environment already names, else the built-in defaults written to
// a private temporary file that lives as long as this object.
// Throws std::runtime_error when the defaults cannot be written.
class SettingsFile {
public:
    explicit SettingsFile(const std::optional<std::string>& given);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::string& path() const { return m_path; }
    bool builtIn() const { return m_builtIn; }
    // Where the path came from: "--settings", "KORRIN_SETTINGS" or
    // "built-in settings".
    const char* source() const { return m_source; }

    // The built-in settings as the file holds them.
    static std::string defaults(const std::string& focus);

private:
    void writeDefaults();

    std::string m_path;
    bool m_builtIn = false;
    const char* m_source = "KORRIN_SETTINGS";
};

// Tells the stand-in the --journal and --debug-log files, then makes
// sure that the settings give a control-server host name and that the
// journal and debug log can be opened for appending. Throws
// std::runtime_error naming the setting or file at fault otherwise.
void checkRunFiles(const Request& request, const SettingsFile& settings);

// Tells (see tell()) what the library will do with a malformed or unusual
// nKRMSGBOXOPTION; returns whether the setting answers without a wait.
bool checkMessageBoxOption(std::vector<std::string>& notices);

}  // namespace alerttool

#endif  // KORRIN_TOOL_SETTINGS_H
