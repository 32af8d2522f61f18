// Which settings file the stand-in reads for this run.
#ifndef KORRIN_TOOL_SETTINGS_H
#define KORRIN_TOOL_SETTINGS_H

#include <optional>
#include <string>

namespace alerttool {

// Points KORRIN_SETTINGS at the settings for this run: the --settings file
// (which must be readable: std::runtime_error otherwise), else what the environment
// already names, else the built-in defaults written to a private temporary
// file that lives as long as this object.
class SettingsFile {
public:
    explicit SettingsFile(const std::optional<std::string>& given);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::string& path() const { return m_path; }
    bool builtIn() const { return m_builtIn; }

    // The built-in settings as the file holds them.
    static std::string defaults(const std::string& focus);

private:
    void writeDefaults();

    std::string m_path;
    bool m_builtIn = false;
};

}  // namespace alerttool

#endif  // KORRIN_TOOL_SETTINGS_H
