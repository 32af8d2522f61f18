#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "EvDebug.h"
#include "Internal.h"
#include "MMDebug.h"

namespace standin {

namespace {

constexpr std::size_t kKept = 100000;

struct DebugState {
    std::mutex mutex;
    std::deque<DebugLine> lines;
    detail::LineFile file;
};

DebugState& debugState() {
    static auto* state = new DebugState;
    return *state;
}

long threadId() {
    thread_local const long id = static_cast<long>(::syscall(SYS_gettid));
    return id;
}

__attribute__((format(printf, 1, 0))) std::string vformat(const char* format, va_list values) {
    if (!format) return {};
    va_list measure;
    va_copy(measure, values);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, values);
    return text;
}

// A message with line feeds must still make one line of the file.
void appendOneLine(std::string& out, const std::string& message) {
    for (const char c : message) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
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

void emit(DebugLine line, const std::string& head) {
    const std::string path = DebugLog::path();
    std::string text = detail::isoTime();
    text += " pid=" + std::to_string(::getpid());
    text += " tid=" + std::to_string(threadId());
    text += ' ';
    text += head;
    text += ' ';
    appendOneLine(text, line.message);

    auto& state = debugState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (path != state.file.path()) makeFolder(path);
    state.file.write(path, text);
    state.lines.push_back(std::move(line));
    if (state.lines.size() > kKept) state.lines.pop_front();
}

}  // namespace

std::vector<DebugLine> DebugLog::lines() {
    auto& state = debugState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return {state.lines.begin(), state.lines.end()};
}

void DebugLog::clear() {
    auto& state = debugState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.lines.clear();
}

std::string DebugLog::path() {
    const char* configured = std::getenv("KORRIN_DEBUG_LOG");
    if (configured && *configured) {
        if (std::strcmp(configured, "off") == 0) return {};
        return configured;
    }
    return defaultFolder() + "/korrin-debug.log";
}

std::string DebugLog::open() {
    const std::string path = DebugLog::path();
    auto& state = debugState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (path != state.file.path()) makeFolder(path);
    return state.file.open(path);
}

}  // namespace standin

using standin::Call;
using standin::DebugLine;

MMDebug::MMDebug() = default;
MMDebug::~MMDebug() = default;

void MMDebug::DebugMM(int a, int b, const char* module, long long jobId, int c, const char* format,
                      ...) {
    const standin::detail::Entry entry(Call::DebugMM);
    if (entry.failed()) return;
    DebugLine line;
    line.source = DebugLine::Source::MM;
    line.a = a;
    line.b = b;
    line.module = module ? module : "";
    line.jobId = jobId;
    line.c = c;
    line.format = format ? format : "";
    va_list values;
    va_start(values, format);
    line.message = standin::vformat(format, values);
    va_end(values);
    const std::string head = "MM " + std::to_string(a) + ' ' + std::to_string(b) + " \"" +
                             line.module + "\" " + std::to_string(jobId) + ' ' + std::to_string(c);
    standin::emit(std::move(line), head);
}

EvDebug::EvDebug(EvDebugFileInstance*) {
    // Nothing to fail: a Fail plan leaves the writer as usual.
    const standin::detail::Entry entry(Call::EvDebugCtor);
}

EvDebug::~EvDebug() = default;

void EvDebug::debugLvl(int level, const char* format, ...) {
    const standin::detail::Entry entry(Call::DebugLvl);
    if (entry.failed()) return;
    DebugLine line;
    line.source = DebugLine::Source::Lvl;
    line.a = level;
    line.format = format ? format : "";
    va_list values;
    va_start(values, format);
    line.message = standin::vformat(format, values);
    va_end(values);
    standin::emit(std::move(line), "EV lvl=" + std::to_string(level));
}

void EvDebug::DebugJob(const char* module, long long jobId, const char* format, ...) {
    const standin::detail::Entry entry(Call::DebugJob);
    if (entry.failed()) return;
    DebugLine line;
    line.source = DebugLine::Source::Job;
    line.module = module ? module : "";
    line.jobId = jobId;
    line.format = format ? format : "";
    va_list values;
    va_start(values, format);
    line.message = standin::vformat(format, values);
    va_end(values);
    const std::string head = "EV job module=" + line.module + " job=" + std::to_string(jobId);
    standin::emit(std::move(line), head);
}
