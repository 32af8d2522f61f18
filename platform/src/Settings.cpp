#include "QZPlatformInfo.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <ini.h>

#include "Internal.h"

using standin::Call;

namespace {

constexpr const char* kDefaultFocus = "Korrin";

using Sections = std::map<std::string, std::map<std::string, std::string>>;
using SharedSections = std::shared_ptr<const Sections>;

struct Reader {
    SharedSections settings;
    std::string focus = kDefaultFocus;
};

// The contract gives QZPlatformInfo no room for state of its own, so each
// live reader's settings and focus are kept here, by the object. Readers
// live for a call or two and few live at once: a list that keeps its room
// serves them without allocating.
struct Readers {
    std::mutex mutex;
    std::vector<std::pair<const QZPlatformInfo*, Reader>> live;

    // The object's reader; the caller holds the lock.
    Reader* find(const QZPlatformInfo* object) {
        for (auto& [owner, reader] : live)
            if (owner == object) return &reader;
        return nullptr;
    }
};

Readers& readers() {
    static auto* all = new Readers;
    return *all;
}

// What tells one content of a file from the next: a rewrite changes the
// size, the times or, when the file was replaced, the inode.
struct Version {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;

    explicit Version(const struct stat& status)
        : device(status.st_dev),
          inode(status.st_ino),
          size(status.st_size),
          modified(status.st_mtim),
          changed(status.st_ctim) {}
    bool operator==(const Version& other) const {
        const auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return device == other.device && inode == other.inode && size == other.size &&
               same(modified, other.modified) && same(changed, other.changed);
    }
};

// Settings files as last read, so that a reader of an unchanged file parses
// nothing: an agent constructs a reader for every prompt.
struct Cache {
    std::mutex mutex;
    std::map<std::string, std::pair<Version, SharedSections>, std::less<>> byPath;
};
constexpr std::size_t kCachedFiles = 16;

Cache& cache() {
    static auto* files = new Cache;
    return *files;
}

// A file changed a moment ago may change again without a new time: file
// systems stamp times by a clock tick, some by the whole second. Such a file
// is read again until its last change lies further back than that: a tenth
// of a second, or two seconds where the times carry no fraction.
bool settled(const struct stat& status) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const timespec& changed = status.st_ctim;
    if (changed.tv_nsec == 0 && status.st_mtim.tv_nsec == 0)
        return now.tv_sec >= changed.tv_sec + 2;
    const long long age =
        (now.tv_sec - changed.tv_sec) * 1000000000LL + now.tv_nsec - changed.tv_nsec;
    return age >= 100000000LL;
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

// Parses the file, giving each entry to handler; returns the number of the
// first line that is neither a [section] nor a key = value, 0 for none.
int parse(std::FILE* file, ini_handler handler, void* user) {
    const int badLine = ini_parse_stream(readLine, file, handler, user);
    return badLine > 0 ? badLine : 0;
}

// The settings of the file KORRIN_SETTINGS names: none for no file.
SharedSections load() {
    static const auto* none = new SharedSections(std::make_shared<const Sections>());
    const char* path = std::getenv("KORRIN_SETTINGS");
    struct stat status {};
    if (!path || !*path || ::stat(path, &status) != 0) return *none;
    auto& files = cache();
    {
        std::lock_guard<std::mutex> lock(files.mutex);
        const auto found = files.byPath.find(path);
        if (found != files.byPath.end() && found->second.first == Version(status))
            return found->second.second;
    }
    std::FILE* file = std::fopen(path, "re");
    if (!file) return *none;
    auto settings = std::make_shared<Sections>();
    const bool known = ::fstat(fileno(file), &status) == 0;
    // A file with a malformed line still yields the entries inih could read.
    parse(file, onEntry, settings.get());
    std::fclose(file);
    if (known && settled(status)) {
        std::lock_guard<std::mutex> lock(files.mutex);
        if (files.byPath.size() >= kCachedFiles) files.byPath.clear();
        files.byPath.insert_or_assign(path, std::make_pair(Version(status), settings));
    }
    return settings;
}

// Whether the reader has the entry; copies it out under the lock.
bool lookup(const QZPlatformInfo* object, const char* section, const char* key,
            std::string& value) {
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    const Reader* reader = all.find(object);
    if (!reader) return false;
    const Sections& settings = *reader->settings;
    const auto found = settings.find(section ? std::string(section) : reader->focus);
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
    all.live.emplace_back(this, std::move(reader));
}

QZPlatformInfo::~QZPlatformInfo() {
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    const auto mine = std::find_if(all.live.begin(), all.live.end(),
                                   [this](const auto& live) { return live.first == this; });
    if (mine == all.live.end()) return;
    *mine = std::move(all.live.back());
    all.live.pop_back();
}

int QZPlatformInfo::setFocus(const char* focus) {
    const standin::detail::Entry entry(Call::SetFocus);
    if (entry.failed() || !focus || !*focus) return 0;
    auto& all = readers();
    std::lock_guard<std::mutex> lock(all.mutex);
    if (Reader* reader = all.find(this)) reader->focus = focus;
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
    const std::string named = "\"" + file + "\"";
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0)
        return "cannot read " + named + ": " + systemText(errno);
    if (S_ISDIR(status.st_mode)) return "cannot read " + named + ": " + systemText(EISDIR);
    std::FILE* readable = std::fopen(file.c_str(), "re");
    if (!readable) return "cannot read " + named + ": " + systemText(errno);
    // The reader skips such a line; a file of another format would serve
    // nothing of what it seems to say.
    const int badLine = parse(
        readable, [](void*, const char*, const char*, const char*) { return 1; }, nullptr);
    std::fclose(readable);
    if (badLine > 0) {
        return named + " line " + std::to_string(badLine) +
               " is neither a [section] nor a key = value";
    }
    const char* chosen = std::getenv("KORRIN_FOCUS");
    const std::string focus = chosen && *chosen ? chosen : kDefaultFocus;
    const auto host = entry(focus, "sQNHOSTNAME");
    if (!host || host->empty()) {
        return named + " names no control-server host (sQNHOSTNAME in section [" + focus + "])";
    }
    return {};
}

std::optional<std::string> Settings::entry(const std::string& section, const std::string& key) {
    const SharedSections settings = load();
    const auto found = settings->find(section);
    if (found == settings->end()) return std::nullopt;
    const auto value = found->second.find(key);
    if (value == found->second.end()) return std::nullopt;
    return value->second;
}

}  // namespace standin
