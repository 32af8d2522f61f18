// Shared pieces of the stand-in's sources; not installed, not seen by callers.
#ifndef KORRIN_STANDIN_INTERNAL_H
#define KORRIN_STANDIN_INTERNAL_H

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Standin.h"

// Behind EvEvent::m_state: the event being built and, for a QZJobClient, its
// binding. A bare EvEvent keeps client 0 and is never bound.
struct EvEventState {
    std::vector<standin::Argument> pending;
    std::uint64_t client = 0;
    bool bound = false;
    long long jobId = 0;
};

namespace standin::detail {

// Marks the calling thread as inside a contract call while it lives
// (Calls::inside); nests. Neither copied nor moved (the deleted move takes
// the copies with it), so that each mark is taken off once.
class Inside {
public:
    Inside();
    ~Inside();
    Inside(Inside&&) = delete;
};

// The first statement of every contract entry point, alive for the whole
// call: marks the thread as inside, counts the call for this thread and
// applies its fault plan. Throws InjectedFault when the call must throw;
// failed() tells that it must fail. Not copied, as its mark is not.
class ContractCall {
public:
    explicit ContractCall(Call call);

    bool failed() const { return m_failed; }

private:
    Inside m_inside;  // first: marks the thread before anything of the call runs
    bool m_failed;
};

// Copies what a call hands over into the caller's buffer: the text planted
// for the call with Calls::textNext, else `text`, cut byte by byte to
// bufferSize - 1 bytes and NUL-terminated (a text planted with
// Calls::unterminatedTextNext: cut to bufferSize bytes, NUL-terminated only
// when shorter). Returns the length copied (0 for a null buffer or a size
// below 1).
int handOver(Call call, const char* text, char* buffer, int bufferSize);

// Keeps an argument for Calls::takeStreamed.
void noteStreamed(const Argument& argument);

// Takes the text planted for the call with Calls::textNext into `text`;
// false, leaving `text` alone, when none was planted.
bool takePlanted(Call call, std::string& text);

// Now, in milliseconds since 1970-01-01T00:00:00Z, and such a time in UTC as
// "2026-12-06T11:33:11.123Z" (IsoTime.cpp).
long long nowMs();
std::string isoTime(long long ms = nowMs());

// Appends the record to the journal (and its file) after stamping its
// sequence number and time, and notes whether its job is pending.
void journal(Record&& record);

// The path of a file that the API may name (use()), else the environment
// variable: the one home of that precedence for the settings, the journal
// and the debug log. Thread-safe.
class ChosenPath {
public:
    explicit ChosenPath(const char* variable) : m_variable(variable) {}

    void use(const std::string& path);
    // The path use() named, else the variable's value; nothing when neither is set.
    std::optional<std::string> get() const;

private:
    const char* m_variable;
    mutable std::mutex m_mutex;
    std::optional<std::string> m_used;
};

// A line-oriented append-only file that stays open while its path stays the
// same (LineFile.cpp). Not synchronised: the owner holds its own lock around
// each call.
class LineFile {
public:
    LineFile() = default;
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;
    ~LineFile();

    // Makes path the open file unless it already is: opened for appending,
    // created 0600, never through a symbolic link. Returns why it cannot be
    // opened, in one line naming the path; nothing when it is open or path is
    // empty (nothing to open). A path that cannot be opened is not tried
    // again until the path changes.
    std::optional<std::string> open(const std::string& path);

    // Writes line and a line feed to path (opened as open() does) in one
    // write and flushes; an empty path writes nothing.
    void write(const std::string& path, const std::string& line);

    // The path last opened or tried.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::optional<std::string> m_problem;  // why m_path is not open
    std::FILE* m_file = nullptr;
};

}  // namespace standin::detail

#endif  // KORRIN_STANDIN_INTERNAL_H
