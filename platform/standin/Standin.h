// The stand-in's test and tool API: the journal of job-client calls, the
// debug lines, the settings file as the stand-in reads it, call counting and
// fault injection, and the error catalogue. The alert library never includes
// this header. platform/README.md describes the stand-in; the variables it
// reads are described once, in the tool's manual page (doc/korrin-alert.1.scd,
// ENVIRONMENT).
//
// Thread safety: every function here and every contract call of the
// stand-in may be called from several threads at once. Call counts and fault
// plans are per thread: they see and affect only the calling thread.
#ifndef KORRIN_STANDIN_H
#define KORRIN_STANDIN_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin {

// ---------------------------------------------------------------- journal

// One event argument as the job client copied it.
struct Argument {
    int tag = 0;        // as passed to addArgument (qzkr::ArgumentTag), or any other number
    std::string bytes;  // a number's bytes as handed over (4 or 8); otherwise empty
    std::string text;   // tag 11: the text; otherwise empty

    // The number held in `bytes`, read as little-endian; tag 5 sign-extended.
    long long number() const;

    static Argument Text(const std::string& value);
};
bool operator==(const Argument& a, const Argument& b);
// "int 5", "ll -1", "code " and hex(), "text \"...\"" (escapeControls, quoted), "tag 3".
std::string describe(const Argument& argument);

// One call on a job client, as recorded.
struct Record {
    enum class Kind { Init, Raise, Clear, JobState };
    Kind kind = Kind::Init;
    std::uint64_t client = 0;  // serial number of the QZJobClient object (1, 2, ...)
    long long jobId = 0;       // the job the client is bound to; 0 when unbound
    bool accepted = false;     // what the call returned
    std::string host;          // Init: the host name passed ("" for null)
    // Every parameter of the call in order, as numbers: Init: jobId, platform
    // type. Raise: all nine. Clear: all twelve, the list pointer as 0 (null)
    // or 1. JobState: state, list pointer (0/1), the bool.
    std::vector<long long> params;
    // The parameters that have a meaning of their own, by name; 0 for a
    // record whose call has no such parameter.
    long long requestedJobId() const;  // Init: the job ID passed, bound or not
    long long platform() const;        // Init: the platform type
    long long code() const;            // Raise, Clear: the message code
    long long flags() const;           // Raise, Clear: the pending-cause flags
    long long clearedCode() const;     // Clear: the code the clearing names
    long long state() const;           // JobState: the job state set
    // Whether the parameter at index holds a message code: the code of a
    // Raise or Clear, a Raise's code again as unsigned, a Clear's cleared code.
    bool holdsCode(std::size_t index) const;
    // Raise and Clear: the event arguments the posting took (also when
    // refused; empty for an unbound client, which takes nothing).
    std::vector<Argument> arguments;
    // Stamped when the record enters the journal: its sequence number
    // (1, 2, ..., never reused, not reset by Journal::clear) and its time,
    // in milliseconds since 1970-01-01T00:00:00Z.
    std::uint64_t seq = 0;
    long long timeMs = 0;
};
const char* kindName(Record::Kind kind);  // "init", "raise", "clear", "state"

class Journal {
public:
    // The records since the last clear or take, oldest first: a copy, or
    // moved out.
    static std::vector<Record> records();
    static std::vector<Record> take();
    static void clear();  // also forgets which jobs are pending
    // True while the job's last accepted posting was a raising.
    static bool isPending(long long jobId);
    // One record as the JSON line the journal file receives (no line feed):
    // {"seq":3,"time":"2026-12-06T11:33:11.123Z","client":1,"job":7,
    //  "call":"raise","accepted":true,"params":[...],
    //  "arguments":[{"tag":10,"value":419430437},{"tag":11,"text":""}],
    //  "pid":4242,"run":"9f86d081884c7d65"}
    // with "host" after "accepted" for init. Tags 5 and 9 give signed
    // values, tag 10 unsigned; an argument without bytes has no "value".
    // Bytes of a text that are not UTF-8 are replaced by U+FFFD.
    static std::string toJson(const Record& record);
    static std::string toJson(const Argument& argument);  // {"tag":11,"text":"..."}
    // The file each record is also appended to, as toJson's line: the one
    // use() named (for the rest of the process), else KORRIN_JOURNAL's;
    // "" for none.
    static void use(const std::string& path);
    static std::string path();
    // Opens that file now, as the first record would: why it cannot be
    // opened for appending, in one line naming it; nothing when it is open
    // or none is named.
    static std::optional<std::string> open();
    // This process's run identity, which each line carries: 16 hex digits,
    // random, fixed for the process's life.
    static const std::string& runId();
};

// ---------------------------------------------------------------- debug log

struct DebugLine {
    enum class Source { MM, Lvl, Job };  // DebugMM, debugLvl, DebugJob
    Source source = Source::MM;
    // DebugMM's three numbers that the contract leaves unnamed, by their
    // place among its parameters (the module and the job ID stand between).
    int first = 0, second = 0, fifth = 0;
    int level = 0;        // debugLvl: the level
    std::string module;   // DebugMM, DebugJob
    long long jobId = 0;  // DebugMM, DebugJob
    std::string format;   // the format as passed
    std::string message;  // the formatted text (values filled in)
};

class DebugLog {
public:
    static std::vector<DebugLine> lines();  // written since the last clear, oldest first
    static void clear();
    // The file the lines also go to: the one use() named (for the rest of
    // the process), else KORRIN_DEBUG_LOG's, else the default in the user's
    // state folder; "off" names none, and path() then gives "".
    static void use(const std::string& path);
    static std::string path();
    // Opens that file now (making the default's folders), as the first line
    // would: why it cannot be opened for appending, in one line naming it;
    // nothing when it is open or the log is off.
    static std::optional<std::string> open();
};

// ---------------------------------------------------------------- settings

// The settings file as QZPlatformInfo reads it, for a tool that must refuse
// a file before anything is posted.
class Settings {
public:
    // The file: the one use() named (for the rest of the process), else
    // KORRIN_SETTINGS's; "" for none.
    static void use(const std::string& path);
    static std::string path();
    // What QZPI_Focus::getFocus gives: KORRIN_FOCUS, else "Korrin".
    static std::string focus();
    // Why the file cannot serve, in one line naming it: none named, missing,
    // unreadable, a directory, a line that is neither a [section] nor a
    // key = value (the first, by number; the reader skips it), or no
    // sQNHOSTNAME in the focus section. Nothing when it can.
    static std::optional<std::string> problem();
    // The text of an entry of the file as read, when the entry is there.
    static std::optional<std::string> entry(const std::string& section, const std::string& key);
    // One line for each numeric entry (a key of type letter 'n', as
    // nKRMSGBOXOPTION) whose value getNumber does not take, so that it
    // reads as not set.
    static std::vector<std::string> warnings();
};

// ---------------------------------------------------------------- calls and faults

// Every entry point of the contract.
enum class Call {
    JobClientCtor,
    Init,
    Raise,
    Clear,
    JobState,
    AddArgument,
    DiscardArguments,
    DebugMM,
    EvDebugCtor,
    DebugLvl,
    DebugJob,
    PlatformInfoCtor,
    SetFocus,
    GetFocus,
    HostName,
    GetNumber,
    Ctime,
    ErrorCatalogueCtor,
    ErrorString,
    Advise,
    ErrorId,
    EndianInt,
    EndianLongLong,
    EndianULongLong,
};
const char* callName(Call call);  // "QZJobClient::init", ...
// The call of that name; throws std::invalid_argument when none has it.
Call callNamed(const std::string& name);

// Thrown by a call that a fault plan told to throw.
class InjectedFault : public std::runtime_error {
public:
    explicit InjectedFault(const std::string& what) : std::runtime_error(what) {}
};

// What an injected fault does. Fail: init and the postings return false
// (journalled as refused; a failed posting still takes its arguments),
// getNumber and setFocus return 0 (the focus kept), getFocus, the host name,
// QZ_ctime, the error string and advice give "", getEvEventErrorCodeID
// gives 0, a void call does nothing, and a constructor works as usual.
// Throw: the call throws InjectedFault and does nothing else (no journal
// record, no debug line, arguments untouched). Destructors never fail.
enum class Fault { Fail, Throw };

class Calls {
public:
    // Contract calls made by this thread since the last reset, in all and by kind.
    static std::uint64_t total();
    static std::uint64_t count(Call call);
    // Forgets the counts and every plan of this thread.
    static void reset();
    // The k-th contract call from now (k >= 1) on this thread fails or
    // throws. Plans add up; where two meet on one call, Throw wins.
    static void faultAt(std::uint64_t k, Fault fault);
    // The next call of this kind on this thread fails or throws (replacing
    // an earlier plan for the kind that has not fired yet).
    static void faultNext(Call call, Fault fault);
    // The next call of this kind on this thread hands over `text` in place
    // of its own (also in place of a failure's ""). HostName, Ctime and
    // ErrorString copy it into the caller's buffer cut byte by byte, with no
    // regard for characters; Advise returns it whole; other kinds ignore it.
    static void textNext(Call call, const std::string& text);
    // As textNext, but without the NUL: a text at least as long as the
    // caller's buffer fills all of it and leaves no NUL there.
    static void unterminatedTextNext(Call call, const std::string& text);
    // True while this thread is inside a contract call of the stand-in
    // (constructors included), so that a test can tell the caller's own work
    // from the stand-in's (a replaced operator new, say). Allocates nothing.
    static bool inside();
    // The event arguments this thread handed to EvEvent::addArgument since
    // the last call of takeStreamed (or reset), taken out: what a prompt
    // streamed, whether or not a posting took it.
    static std::vector<Argument> takeStreamed();
};

// ---------------------------------------------------------------- error catalogue

struct CatalogueEntry {
    int code;
    const char* errorText;
    const char* advice;
    int eventErrorId;
};
// The built-in catalogue of media-management errors. Codes not in it give
// empty texts and event error ID 0.
const std::vector<CatalogueEntry>& catalogue();

}  // namespace standin

#endif  // KORRIN_STANDIN_H
