#include "QZPlatformInfo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include <sys/stat.h>

#include <ini.h>

#include "Internal.h"

using standin::Call;

namespace {

constexpr const char* kDefaultFocus = "Korrin";

using Sections = std::map<std::string, std::map<std::string, std::string>>;

struct Reader {
    Sections settings;
    std::string focus = kDefaultFocus;
};

// The contract gives QZPlatformInfo no room for state of its own, so each
// live reader's settings and focus are kept here, keyed by the object.
struct Readers {
    std::mutex mutex;
    std::unordered_map<const QZPlatformInfo*, Reader> byObject;
};

Readers& readers() {
    static auto* all = new Readers;
    return *all;
}

int onEntry(void* user, const char* section, const char* key, const char* value) {
    (*static_cast<Sections*>(user))[section][key] = value;
    return 1;
}

Sections load() {
    Sections settings;
    const char* path = std::getenv("KORRIN_SETTINGS");
    // A file with a malformed line still yields the entries inih could read.
    if (path && *path) ini_parse(path, onEntry, &settings);
    return settings;
}

// Whether the reader has the entry; copies it out under the lock.
bool lookup(const QZPlatformInfo* object, const char* section, const char* key,
            std::string& value) {
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    const auto reader = all.byObject.find(object);
    if (reader == all.byObject.end()) return false;
    const auto& settings = reader->second.settings;
    const auto found = settings.find(section ? std::string(section) : reader->second.focus);
    if (found == settings.end()) return false;
    const auto entry = found->second.find(key);
    if (entry == found->second.end()) return false;
    value = entry->second;
    return true;
}

}  // namespace

QZPlatformInfo::QZPlatformInfo() {
    // Nothing to fail: a Fail plan leaves the reader as usual.
    const standin::detail::Entry entry(Call::PlatformInfoCtor);
    Reader reader;
    reader.settings = load();
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.byObject[this] = std::move(reader);
}

QZPlatformInfo::~QZPlatformInfo() {
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.byObject.erase(this);
}

int QZPlatformInfo::setFocus(const char* focus) {
    const standin::detail::Entry entry(Call::SetFocus);
    if (entry.failed() || !focus || !*focus) return 0;
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.byObject[this].focus = focus;
    return 1;
}

int QZPlatformInfo::getKorrinQNHostName(char* buffer, int bufferSize) {
    const standin::detail::Entry entry(Call::HostName);
    std::string host;
    if (entry.failed() || !lookup(this, nullptr, "sQNHOSTNAME", host)) host.clear();
    return standin::detail::handOver(Call::HostName, host.c_str(), buffer, bufferSize);
}

int QZPlatformInfo::getNumber(const char* section, const char* key, unsigned long* value) {
    const standin::detail::Entry entry(Call::GetNumber);
    if (entry.failed() || !section || !key || !value) return 0;
    std::string text;
    if (!lookup(this, section, key, text)) return 0;
    const char* start = text.c_str();
    while (*start == ' ' || *start == '\t') ++start;
    if (*start == '\0' || *start == '-' || *start == '+') return 0;
    char* end = nullptr;
    errno = 0;
    const unsigned long number = std::strtoul(start, &end, 0);
    if (errno != 0 || *end != '\0') return 0;
    *value = number;
    return 1;
}

const char* QZPI_Focus::getFocus() {
    const standin::detail::Entry entry(Call::GetFocus);
    if (entry.failed()) return "";
    const char* focus = std::getenv("KORRIN_FOCUS");
    if (!focus || !*focus) return kDefaultFocus;
    // Callers keep the pointer, so every focus ever returned stays alive.
    static auto* mutex = new std::mutex;
    static auto* seen = new std::set<std::string>;
    std::lock_guard<std::mutex> lock(*mutex);
    return seen->insert(focus).first->c_str();
}

namespace standin {

std::string Settings::path() {
    const char* path = std::getenv("KORRIN_SETTINGS");
    return path ? path : "";
}

std::string Settings::problem() {
    const std::string file = path();
    if (file.empty()) return "no settings file named";
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = errno;
        return "cannot read \"" + file +
               "\": " + (S_ISDIR(status.st_mode) ? "it is a directory" : std::strerror(error));
    }
    std::FILE* readable = std::fopen(file.c_str(), "r");
    if (!readable) return "cannot read \"" + file + "\": " + std::strerror(errno);
    std::fclose(readable);
    const char* chosen = std::getenv("KORRIN_FOCUS");
    const std::string focus = chosen && *chosen ? chosen : kDefaultFocus;
    const auto host = entry(focus, "sQNHOSTNAME");
    if (!host || host->empty()) {
        return "\"" + file + "\" names no control-server host (sQNHOSTNAME in section [" + focus +
               "])";
    }
    return {};
}

std::optional<std::string> Settings::entry(const std::string& section, const std::string& key) {
    const Sections settings = load();
    const auto found = settings.find(section);
    if (found == settings.end()) return std::nullopt;
    const auto value = found->second.find(key);
    if (value == found->second.end()) return std::nullopt;
    return value->second;
}

}  // namespace standin
