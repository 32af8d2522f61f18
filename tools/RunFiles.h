// The files of a run: the settings file the stand-in reads, the journal and
// the debug log, each checked before anything is posted.
#ifndef KORRIN_TOOL_RUN_FILES_H
#define KORRIN_TOOL_RUN_FILES_H

#include <optional>
#include <string>

#include "Command.h"

namespace alerttool {

// Tells the stand-in the settings for this run: the --settings file, else
// what the environment already names, else built-in settings (a host name
// in the focus section and nothing else, so that the library takes its own
// defaults) written to a private temporary file that lives as long as this
// object. Throws std::runtime_error when that file cannot be written.
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

private:
    void writeBuiltIn();

    std::string m_path;
    bool m_builtIn = false;
    const char* m_source = "KORRIN_SETTINGS";
};

// Tells the stand-in the --journal and --debug-log files, then makes sure
// that the settings can serve and that the journal and debug log can be
// opened for appending. Throws std::runtime_error naming the setting or file
// at fault otherwise.
void checkRunFiles(const Request& request, const SettingsFile& settings);

}  // namespace alerttool

#endif  // KORRIN_TOOL_RUN_FILES_H
