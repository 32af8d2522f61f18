#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "EvDebug.h"
#include "Internal.h"
#include "MMDebug.h"
#include "StandinText.h"

namespace standin {

namespace {

struct DebugState {
    std::mutex mutex;
    std::vector<DebugLine> lines;
    detail::ChosenPath path{"KORRIN_DEBUG_LOG"};
    detail::LineFile file;
};

DebugState& debugState() {
    static auto* state = new DebugState;
    return *state;
}

// The user's own state folder, as the XDG base directories have it: an
// absolute $XDG_STATE_HOME, else ~/.local/state.
std::string defaultFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/korrin";
    const char* home = std::getenv("HOME");
    passwd entry{};
    passwd* user = nullptr;
    char buffer[4096];
    if ((!home || !*home) && ::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &user) == 0 &&
        user) {
        home = user->pw_dir;
    }
    return std::string(home ? home : "") + "/.local/state/korrin";
}

// Makes the missing folders of the default file, owner-only; a file the
// user named lives where they said or nowhere.
void makeFolder(const std::string& path) {
    const std::string folder = defaultFolder();
    if (path.compare(0, folder.size() + 1, folder + "/") != 0) return;
    for (std::size_t slash = 1; slash != std::string::npos;) {
        slash = folder.find('/', slash + 1);
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    }
}

// What the file's line says after the process and thread IDs, before the
// message.
std::string head(const DebugLine& line) {
    switch (line.source) {
    case DebugLine::Source::MM:
        return "MM " + std::to_string(line.first) + ' ' + std::to_string(line.second) + " \"" +
               line.module + "\" " + std::to_string(line.jobId) + ' ' + std::to_string(line.fifth);
    case DebugLine::Source::Lvl: return "EV lvl=" + std::to_string(line.level);
    case DebugLine::Source::Job:
        return "EV job module=" + line.module + " job=" + std::to_string(line.jobId);
    }
    return {};
}

__attribute__((format(printf, 1, 0))) std::string formatted(const char* format, va_list values) {
    if (!format) return {};
    va_list again;
    va_copy(again, values);
    const int length = std::vsnprintf(nullptr, 0, format, values);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

// The one path of the three writers: fills in the message, writes the line
// to the file (when there is one), each call on one line, and keeps it.
__attribute__((format(printf, 2, 0))) void emit(DebugLine line, const char* format,
                                                va_list values) {
    line.format = format ? format : "";
    line.message = formatted(format, values);
    const std::string path = DebugLog::path();
    std::string text;
    if (!path.empty()) {
        text = detail::isoTime() + " pid=" + std::to_string(::getpid()) +
               " tid=" + std::to_string(::syscall(SYS_gettid)) + ' ' + head(line) + ' ' +
               escapeControls(line.message);
    }
    auto& state = debugState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (path != state.file.path()) makeFolder(path);
    state.file.write(path, text);
    state.lines.push_back(std::move(line));
}

}  // namespace

std::vector<DebugLine> DebugLog::lines() {
    auto& state = debugState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.lines;
}

void DebugLog::clear() {
    auto& state = debugState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.lines.clear();
}

void DebugLog::use(const std::string& path) { debugState().path.use(path); }

std::string DebugLog::path() {
    const auto named = debugState().path.get();
    if (named && *named == "off") return {};
    if (named && !named->empty()) return *named;
    return defaultFolder() + "/korrin-debug.log";
}

std::optional<std::string> DebugLog::open() {
    const std::string path = DebugLog::path();
    auto& state = debugState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (path != state.file.path()) makeFolder(path);
    return state.file.open(path);
}

}  // namespace standin

using standin::Call;
using standin::DebugLine;

MMDebug::MMDebug() = default;
MMDebug::~MMDebug() = default;

void MMDebug::DebugMM(int first, int second, const char* module, long long jobId, int fifth,
                      const char* format, ...) {
    const standin::detail::ContractCall call(Call::DebugMM);
    if (call.failed()) return;
    DebugLine line;
    line.source = DebugLine::Source::MM;
    line.first = first;
    line.second = second;
    line.module = module ? module : "";
    line.jobId = jobId;
    line.fifth = fifth;
    va_list values;
    va_start(values, format);
    standin::emit(std::move(line), format, values);
    va_end(values);
}

EvDebug::EvDebug(EvDebugFileInstance*) {
    // Nothing to fail: a Fail plan leaves the writer as usual.
    const standin::detail::ContractCall call(Call::EvDebugCtor);
}

EvDebug::~EvDebug() = default;

void EvDebug::debugLvl(int level, const char* format, ...) {
    const standin::detail::ContractCall call(Call::DebugLvl);
    if (call.failed()) return;
    DebugLine line;
    line.source = DebugLine::Source::Lvl;
    line.level = level;
    va_list values;
    va_start(values, format);
    standin::emit(std::move(line), format, values);
    va_end(values);
}

void EvDebug::DebugJob(const char* module, long long jobId, const char* format, ...) {
    const standin::detail::ContractCall call(Call::DebugJob);
    if (call.failed()) return;
    DebugLine line;
    line.source = DebugLine::Source::Job;
    line.module = module ? module : "";
    line.jobId = jobId;
    va_list values;
    va_start(values, format);
    standin::emit(std::move(line), format, values);
    va_end(values);
}
