#include "QZPlatformInfo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include <sys/stat.h>

#include <ini.h>

#include "Internal.h"
#include "StandinText.h"

using standin::Call;

namespace {

constexpr const char* kDefaultFocus = "Korrin";

using Sections = std::map<std::string, std::map<std::string, std::string>>;

struct Reader {
    Sections settings;
    std::string focus = kDefaultFocus;
};

// The contract gives QZPlatformInfo no room for state of its own, so each
// live reader's settings and focus are kept here, by the object.
struct Readers {
    std::mutex mutex;
    std::map<const QZPlatformInfo*, Reader> live;
};

Readers& readers() {
    static auto* all = new Readers;
    return *all;
}

standin::detail::ChosenPath& settingsPath() {
    static auto* path = new standin::detail::ChosenPath("KORRIN_SETTINGS");
    return *path;
}

int onEntry(void* user, const char* section, const char* key, const char* value) {
    (*static_cast<Sections*>(user))[section][key] = value;
    return 1;
}

// Hands the parser one line of the file at a time, cut to its buffer: the
// rest of a longer line (a long comment, say) is dropped, not parsed as a
// line of its own, so that line numbers are the file's.
char* readLine(char* buffer, int size, void* stream) {
    auto* file = static_cast<std::FILE*>(stream);
    if (!std::fgets(buffer, size, file)) return nullptr;
    const std::size_t length = std::strlen(buffer);
    if (length > 0 && buffer[length - 1] != '\n') {
        for (int c = std::getc(file); c != EOF && c != '\n'; c = std::getc(file)) {
        }
    }
    return buffer;
}

// Parses the file into settings (a file with a malformed line still yields
// the entries before and after it); returns the number of the first line
// that is neither a [section] nor a key = value, 0 for none.
int parse(std::FILE* file, Sections& settings) {
    const int badLine = ini_parse_stream(readLine, file, onEntry, &settings);
    return badLine > 0 ? badLine : 0;
}

// The settings of the file the stand-in is told of: none for no file.
Sections load() {
    Sections settings;
    const std::string path = standin::Settings::path();
    std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "re");
    if (!file) return settings;
    parse(file, settings);
    std::fclose(file);
    return settings;
}

// A value as getNumber reads it: an unsigned decimal, 0x hexadecimal or 0
// octal number, with blanks before it; nothing for any other text.
std::optional<unsigned long> number(const std::string& text) {
    const char* start = text.c_str();
    while (*start == ' ' || *start == '\t') ++start;
    if (*start == '\0' || *start == '-' || *start == '+') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(start, &end, 0);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return value;
}

// Whether a key names a number: type letter 'n' before a capital, as in
// nKRMSGBOXOPTION.
bool numeric(const std::string& key) {
    return key.size() > 1 && key[0] == 'n' && key[1] >= 'A' && key[1] <= 'Z';
}

std::optional<std::string> find(const Sections& settings, const std::string& section,
                                const std::string& key) {
    const auto found = settings.find(section);
    if (found == settings.end()) return std::nullopt;
    const auto entry = found->second.find(key);
    if (entry == found->second.end()) return std::nullopt;
    return entry->second;
}

// The reader's entry, when it has it; section null: the reader's focus.
std::optional<std::string> lookup(const QZPlatformInfo* object, const char* section,
                                  const char* key) {
    auto& all = readers();
    const std::lock_guard<std::mutex> lock(all.mutex);
    const auto reader = all.live.find(object);
    if (reader == all.live.end()) return std::nullopt;
    return find(reader->second.settings, section ? section : reader->second.focus, key);
}

}  // namespace

QZPlatformInfo::QZPlatformInfo() {
    // Nothing to fail: a Fail plan leaves the reader as usual.
    const standin::detail::ContractCall call(Call::PlatformInfoCtor);
    Reader reader;
    reader.settings = load();
    auto& all = readers();
    const std::lock_guard<std::mutex> lock(all.mutex);
    all.live.insert_or_assign(this, std::move(reader));
}

QZPlatformInfo::~QZPlatformInfo() {
    auto& all = readers();
    const std::lock_guard<std::mutex> lock(all.mutex);
    all.live.erase(this);
}

int QZPlatformInfo::setFocus(const char* focus) {
    const standin::detail::ContractCall call(Call::SetFocus);
    if (call.failed() || !focus || !*focus) return 0;
    auto& all = readers();
    const std::lock_guard<std::mutex> lock(all.mutex);
    const auto reader = all.live.find(this);
    if (reader != all.live.end()) reader->second.focus = focus;
    return 1;
}

int QZPlatformInfo::getKorrinQNHostName(char* buffer, int bufferSize) {
    const standin::detail::ContractCall call(Call::HostName);
    const auto host = call.failed() ? std::nullopt : lookup(this, nullptr, "sQNHOSTNAME");
    return standin::detail::handOver(Call::HostName, host.value_or("").c_str(), buffer, bufferSize);
}

int QZPlatformInfo::getNumber(const char* section, const char* key, unsigned long* value) {
    const standin::detail::ContractCall call(Call::GetNumber);
    if (call.failed() || !section || !key || !value) return 0;
    const auto text = lookup(this, section, key);
    const auto read = text ? number(*text) : std::nullopt;
    if (!read) return 0;
    *value = *read;
    return 1;
}

const char* QZPI_Focus::getFocus() {
    const standin::detail::ContractCall call(Call::GetFocus);
    if (call.failed()) return "";
    // Callers keep the pointer, so every focus ever returned stays alive.
    static auto* mutex = new std::mutex;
    static auto* seen = new std::set<std::string>;
    const std::lock_guard<std::mutex> lock(*mutex);
    return seen->insert(standin::Settings::focus()).first->c_str();
}

namespace standin {

void Settings::use(const std::string& path) { settingsPath().use(path); }

std::string Settings::path() { return settingsPath().get().value_or(""); }

std::string Settings::focus() {
    const char* chosen = std::getenv("KORRIN_FOCUS");
    return chosen && *chosen ? chosen : kDefaultFocus;
}

std::optional<std::string> Settings::problem() {
    const std::string file = path();
    if (file.empty()) return "no settings file named";
    const std::string named = "\"" + file + "\"";
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0)
        return "cannot read " + named + ": " + systemText(errno);
    if (S_ISDIR(status.st_mode)) return "cannot read " + named + ": " + systemText(EISDIR);
    std::FILE* readable = std::fopen(file.c_str(), "re");
    if (!readable) return "cannot read " + named + ": " + systemText(errno);
    // The reader skips such a line; a file of another format would serve
    // nothing of what it seems to say.
    Sections settings;
    const int badLine = parse(readable, settings);
    std::fclose(readable);
    if (badLine > 0) {
        return named + " line " + std::to_string(badLine) +
               " is neither a [section] nor a key = value";
    }
    const std::string section = focus();
    if (find(settings, section, "sQNHOSTNAME").value_or("").empty()) {
        return named + " names no control-server host (sQNHOSTNAME in section [" + section + "])";
    }
    return std::nullopt;
}

std::optional<std::string> Settings::entry(const std::string& section, const std::string& key) {
    return find(load(), section, key);
}

std::vector<std::string> Settings::warnings() {
    std::vector<std::string> lines;
    for (const auto& [section, entries] : load()) {
        for (const auto& [key, value] : entries) {
            if (!numeric(key) || number(value)) continue;
            lines.push_back("\"" + path() + "\" [" + section + "] " + key + " = \"" + value +
                            "\" is not a number the settings reader takes; it reads as not set");
        }
    }
    return lines;
}

}  // namespace standin
