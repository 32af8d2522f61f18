// Shared pieces of the stand-in's sources; not installed, not seen by callers.
#ifndef KORRIN_STANDIN_INTERNAL_H
#define KORRIN_STANDIN_INTERNAL_H

#include <cstdint>
#include <cstdio>
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

// The first step of every contract entry point: counts the call for this
// thread and applies its fault plan. Returns true when the call must fail;
// throws InjectedFault when it must throw.
bool enter(Call call);

// Copies what a call hands over into the caller's buffer: the text planted
// for the call with Calls::textNext, else `text`, cut byte by byte to
// bufferSize - 1 bytes and NUL-terminated. Returns the length copied (0 for
// a null buffer or a size below 1).
int handOver(Call call, const char* text, char* buffer, int bufferSize);

// The current UTC time as "2026-12-06T11:33:11.123Z".
std::string isoTime();

// Appends the record to the journal (and its file) after stamping its
// sequence number and time, and updates the per-job state.
void journal(Record record);

// A line-oriented append-only file that stays open while its path stays the
// same. Not synchronised: the owner holds its own lock around write().
class LineFile {
public:
    LineFile() = default;
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;
    ~LineFile();

    // Writes line and a line feed to path in one write and flushes; an empty
    // path writes nothing. A path that cannot be opened is not retried until
    // the path changes.
    void write(const std::string& path, const std::string& line);

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
};

}  // namespace standin::detail

#endif  // KORRIN_STANDIN_INTERNAL_H
