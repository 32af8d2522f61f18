// Control and inspection of the platform stand-in, for tests and tools only.
//
// The stand-in implements the platform contract (platform/include) with a
// recording job-manager client, debug logs written to a file, settings read
// from an INI file, a ctime_r-based time formatter and a small error
// catalogue. This header is what it offers beyond the contract: the journal
// of job-client calls, the debug lines, call counting and fault injection.
// The alert library never includes it.
//
// Configuration (environment variables, read when used, never cached):
//   KORRIN_SETTINGS   path of the settings INI file; unset or missing: no
//                     settings. Keys: [<focus>] sQNHOSTNAME (control-server
//                     host name), [Korrin] nKRMSGBOXOPTION (message box).
//   KORRIN_FOCUS      the agent instance, i.e. the settings focus that
//                     QZPI_Focus::getFocus() returns; default "Korrin".
//   KORRIN_DEBUG_LOG  the debug log file shared by MMDebug and EvDebug;
//                     "off" writes no file. Default
//                     "$XDG_STATE_HOME/korrin/korrin-debug.log" for an
//                     absolute XDG_STATE_HOME, else
//                     "$HOME/.local/state/korrin/korrin-debug.log" (HOME
//                     unset: the user's home folder); the folders of the
//                     default are made on first use, owner-only (0700).
//                     One line per call, <time> pid=<pid> tid=<tid> then:
//                       MM <first> <second> "<module>" <jobId> <fifth> <message>
//                       EV lvl=<level> <message>
//                       EV job module=<module> job=<jobId> <message>
//                     with <time> in UTC like 2026-12-06T11:33:11.123Z; line
//                     feeds and carriage returns inside a message are written
//                     as \n and \r so that each call stays one line.
//   KORRIN_JOURNAL    when set, every journal record is also appended to
//                     this file as one JSON line (follow it with tail -f),
//                     as Journal::toJson gives it.
// The debug log and the journal file are opened for appending, never
// through a symbolic link (the name may have been planted on a shared
// host), and a file made by the stand-in is created 0600. A file that
// cannot be opened is not written; DebugLog::open and Journal::open say
// why beforehand.
//
// Settings (the INI file; section and key names are case-sensitive):
//   [<focus>] sQNHOSTNAME      the control-server host name that
//                              getKorrinQNHostName gives; <focus> is what
//                              setFocus selected, "Korrin" when it was never
//                              called. Unset: no host, so init fails.
//   [Korrin] nKRMSGBOXOPTION   the message-box option (a number, decimal or
//                              0x hexadecimal), read with getNumber.
// getNumber reads any key of any section the same way: an unsigned decimal,
// 0x hexadecimal or 0 octal number; a signed or non-numeric value counts as
// not found. setFocus returns 1, or 0 (focus kept) for a null or empty name.
// The file is read when a QZPlatformInfo is constructed, and read again only
// once it changed (its inode, size or times); a file changed in the last
// tenth of a second (two seconds on a file system that keeps whole seconds)
// is read every time, since a quick second change may bear the same time.
//
// Texts copied into a caller's buffer (host name, QZ_ctime, error string)
// are cut to the buffer and always NUL-terminated; the functions that
// return a length return that of the text written.
//
// Thread safety: every function here and every contract call of the
// stand-in is safe to call from several threads at once. Call counting and
// fault plans are per thread: they see and affect only the calling thread.
#ifndef KORRIN_STANDIN_H
#define KORRIN_STANDIN_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin {

// ---------------------------------------------------------------- arguments

// The tags EvEvent::addArgument takes, each naming what its data points at.
enum Tag : int {
    kTagInt = 5,       // an int: 4 bytes, little-endian
    kTagLongLong = 9,  // a long long: 8 bytes, little-endian
    kTagCode = 10,     // an unsigned long (message codes): 8 bytes, little-endian
    kTagText = 11,     // a NUL-terminated text
};

// One event argument as the job client copied it.
struct Argument {
    int tag = 0;        // a Tag, or whatever else the caller passed
    std::string bytes;  // the bytes handed over (numbers: 4 or 8, as given)
    std::string text;   // kTagText: the text; otherwise empty

    // The number held in `bytes`, read as little-endian; kTagInt sign-extended.
    long long number() const;

    static Argument Int(int value);
    static Argument LongLong(long long value);
    static Argument Code(unsigned long value);
    static Argument Text(const std::string& value);
};
bool operator==(const Argument& a, const Argument& b);
inline bool operator!=(const Argument& a, const Argument& b) { return !(a == b); }
// "int 5", "ll -1", "code 0x19000025", "text \"...\"" (control bytes escaped).
std::string describe(const Argument& argument);

// How many journal records and debug lines are kept in memory: the newest.
constexpr std::size_t kKept = 100000;

// ---------------------------------------------------------------- journal

// The parameters of one job-client call, as numbers: at most twelve, held in
// place so that recording a call allocates nothing for them.
class Params {
public:
    using const_iterator = const long long*;
    using iterator = const_iterator;

    Params() = default;
    Params(std::initializer_list<long long> values);  // at most twelve

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const long long* begin() const { return m_values.data(); }
    const long long* end() const { return m_values.data() + m_size; }
    long long front() const { return m_values[0]; }
    long long operator[](std::size_t index) const { return m_values[index]; }
    long long at(std::size_t index) const;  // throws std::out_of_range past the end

private:
    std::array<long long, 12> m_values{};
    std::size_t m_size = 0;
};
bool operator==(const Params& a, const Params& b);
inline bool operator!=(const Params& a, const Params& b) { return !(a == b); }

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
    Params params;
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
    // A copy of the records kept in memory (the newest kKept), oldest first.
    static std::vector<Record> records();
    // The same, moved out: the journal keeps none of them.
    static std::vector<Record> take();
    static void clear();  // also forgets which jobs are pending
    // True while the job's last accepted posting was a raising.
    static bool isPending(long long jobId);
    // The last job state set for the job by an accepted setJobState, or 0.
    static int lastState(long long jobId);
    // One record as the JSON line the journal file receives (no line feed):
    // {"seq":3,"time":"2026-12-06T11:33:11.123Z","client":1,"job":7,
    //  "call":"raise","accepted":true,"params":[...],
    //  "arguments":[{"tag":10,"value":419430437},{"tag":11,"text":""}],
    //  "pid":4242,"run":"9f86d081884c7d65"}
    // with "host" after "accepted" for init, and the time in UTC. "pid" and
    // "run" are this process's ID and run identity (runId), so that the lines
    // of concurrent runs in one journal file can be told apart. Tags 5 and 9
    // give signed values, tag 10 unsigned; an argument without bytes has no
    // "value". Bytes of a text that are not UTF-8 are replaced by U+FFFD.
    static std::string toJson(const Record& record);
    // One event argument as the journal writes it: {"tag":11,"text":"..."}.
    static std::string toJson(const Argument& argument);
    // The file KORRIN_JOURNAL names, "" when unset.
    static std::string path();
    // Opens that file now, as the journal does before its first line: ""
    // when it is open (or none is named), else one line saying why not.
    static std::string open();
    // This process's run identity: 16 hex digits, random, fixed for the
    // process's life.
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
    // A copy of the lines written since the last clear (the newest kKept).
    static std::vector<DebugLine> lines();
    static void clear();
    // Whether lines() keeps what is written from now on (it does until told
    // otherwise): a process that never reads the lines, a fuzz target say,
    // spares their formatting and copies when no file takes them either.
    // The file is written either way.
    static void keepLines(bool keep);
    // The file lines currently go to ("" when off).
    static std::string path();
    // Opens that file now (making the default's folders), as the first line
    // would: "" when it is open (or the log is off), else one line saying
    // why not.
    static std::string open();
};

// ---------------------------------------------------------------- messages

// The system's text for an errno value as the stand-in's messages give it
// after a colon, and a tool may too: strerror's, its first letter in lower
// case ("no such file or directory").
std::string systemText(int error);

// ---------------------------------------------------------------- settings

// The settings file as QZPlatformInfo will read it, for a tool that must
// refuse a file before anything is posted.
class Settings {
public:
    // The file KORRIN_SETTINGS names, "" when unset.
    static std::string path();
    // Why that file cannot serve, "" when it can: no file named, missing,
    // unreadable, a directory, a line that is neither a [section] nor a
    // key = value (the first such line, by number; QZPlatformInfo would
    // skip it), or no sQNHOSTNAME in the focus section (KORRIN_FOCUS,
    // default "Korrin"). One line naming the file.
    static std::string problem();
    // The text of an entry of that file as read, when the entry is there.
    static std::optional<std::string> entry(const std::string& section, const std::string& key);
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
const char* callName(Call call);

// Thrown by a call that a fault plan told to throw.
class InjectedFault : public std::runtime_error {
public:
    explicit InjectedFault(const std::string& what) : std::runtime_error(what) {}
};

// What an injected failure does: init and the postings return false;
// getNumber returns 0; the host name, QZ_ctime, the error string and advice
// give ""; getEvEventErrorCodeID gives 0; a void call (addArgument, a debug
// line, ...) does nothing. Destructors never fail or throw.
// Also: setFocus returns 0 and keeps the focus; getFocus gives "".
// A failed init leaves the client unbound and is journalled as refused; a
// failed posting takes its arguments and is journalled as refused; a failed
// setJobState is journalled as refused. A constructor has nothing to fail:
// Fail leaves it working as usual, Throw throws from it. A thrown call does
// nothing at all: no journal record, no debug line, arguments untouched.
enum class Fault { Fail, Throw };

class Calls {
public:
    // Contract calls made by this thread since the last reset, in all and by kind.
    static std::uint64_t total();
    static std::uint64_t count(Call call);
    // Forgets the counts and every plan of this thread.
    static void reset();
    // The k-th contract call from now (k >= 1) on this thread fails or throws.
    // Plans add up: faultAt(1, ..) then faultAt(3, ..) hits two calls.
    // When two plans meet on one call, Throw wins.
    static void faultAt(std::uint64_t k, Fault fault);
    // The next call of this kind on this thread fails or throws (replacing
    // an earlier plan for the same kind that has not fired yet).
    static void faultNext(Call call, Fault fault);
    // The next call of this kind on this thread hands over `text` in place of
    // its own (also in place of the "" of a failure). HostName, Ctime and
    // ErrorString copy it into the caller's buffer cut byte by byte, with no
    // regard for characters, as a foreign platform may; Advise returns it
    // whole; other kinds ignore it.
    static void textNext(Call call, const std::string& text);
    // As textNext, but the text goes without its NUL: one at least as long
    // as the caller's buffer fills all of it and leaves no NUL there, as a
    // careless platform may.
    static void unterminatedTextNext(Call call, const std::string& text);
    // True while this thread is inside a contract call of the stand-in
    // (constructors included), so that a test can tell the work of the
    // caller's own code from the stand-in's: a replaced operator new, say.
    // Allocates nothing.
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
