#include <sys/random.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "Internal.h"
#include "QZKREventStream.h"

namespace standin {

namespace {

struct JournalState {
    std::mutex mutex;
    std::vector<Record> records;  // oldest first
    std::set<long long> pending;  // the jobs whose last accepted posting was a raising
    std::uint64_t lastSeq = 0;
    detail::ChosenPath path{"KORRIN_JOURNAL"};
    detail::LineFile file;
};

// Never destroyed: job clients may still post from static destructors or
// from threads that outlive main.
JournalState& journalState() {
    static auto* state = new JournalState;
    return *state;
}

// Where the named parameters stand in each call's parameters.
constexpr std::size_t kRequestedJobAt = 0;
constexpr std::size_t kPlatformAt = 1;
constexpr std::size_t kCodeAt = 0;
constexpr std::size_t kRaiseFlagsAt = 6;
constexpr std::size_t kRaiseCodeAgainAt = 7;
constexpr std::size_t kClearFlagsAt = 9;
constexpr std::size_t kClearedCodeAt = 10;
constexpr std::size_t kStateAt = 0;

long long param(const Record& record, Record::Kind kind, std::size_t at) {
    return record.kind == kind && at < record.params.size() ? record.params[at] : 0;
}

std::string makeRunId() {
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        bits = static_cast<std::uint64_t>(std::chrono::nanoseconds(now).count()) ^
               (static_cast<std::uint64_t>(::getpid()) << 40);
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
}

nlohmann::ordered_json argumentJson(const Argument& argument) {
    nlohmann::ordered_json out;
    out["tag"] = argument.tag;
    switch (argument.tag) {
    case qzkr::kTagInt:
    case qzkr::kTagLongLong:
        if (!argument.bytes.empty()) out["value"] = argument.number();
        break;
    case qzkr::kTagUnsignedLong:
        if (!argument.bytes.empty())
            out["value"] = static_cast<unsigned long long>(argument.number());
        break;
    case qzkr::kTagText: out["text"] = argument.text; break;
    default: break;
    }
    return out;
}

// Texts are whatever bytes the caller streamed, not necessarily UTF-8.
std::string dump(const nlohmann::ordered_json& json) {
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

long long Record::requestedJobId() const { return param(*this, Kind::Init, kRequestedJobAt); }

long long Record::platform() const { return param(*this, Kind::Init, kPlatformAt); }

long long Record::code() const {
    return kind == Kind::Raise ? param(*this, Kind::Raise, kCodeAt)
                               : param(*this, Kind::Clear, kCodeAt);
}

long long Record::flags() const {
    return kind == Kind::Raise ? param(*this, Kind::Raise, kRaiseFlagsAt)
                               : param(*this, Kind::Clear, kClearFlagsAt);
}

long long Record::clearedCode() const { return param(*this, Kind::Clear, kClearedCodeAt); }

long long Record::state() const { return param(*this, Kind::JobState, kStateAt); }

bool Record::holdsCode(std::size_t index) const {
    if (index >= params.size()) return false;
    switch (kind) {
    case Kind::Raise: return index == kCodeAt || index == kRaiseCodeAgainAt;
    case Kind::Clear: return index == kCodeAt || index == kClearedCodeAt;
    case Kind::Init:
    case Kind::JobState: break;
    }
    return false;
}

const char* kindName(Record::Kind kind) {
    switch (kind) {
    case Record::Kind::Init: return "init";
    case Record::Kind::Raise: return "raise";
    case Record::Kind::Clear: return "clear";
    case Record::Kind::JobState: return "state";
    }
    return "unknown";
}

std::vector<Record> Journal::records() {
    auto& state = journalState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.records;
}

std::vector<Record> Journal::take() {
    auto& state = journalState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return std::exchange(state.records, {});
}

void Journal::clear() {
    auto& state = journalState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.records.clear();
    state.pending.clear();
}

bool Journal::isPending(long long jobId) {
    auto& state = journalState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.pending.count(jobId) != 0;
}

std::string Journal::toJson(const Record& record) {
    nlohmann::ordered_json out;
    out["seq"] = record.seq;
    out["time"] = detail::isoTime(record.timeMs);
    out["client"] = record.client;
    out["job"] = record.jobId;
    out["call"] = kindName(record.kind);
    out["accepted"] = record.accepted;
    if (record.kind == Record::Kind::Init) out["host"] = record.host;
    out["params"] = record.params;
    auto arguments = nlohmann::ordered_json::array();
    for (const auto& argument : record.arguments) arguments.push_back(argumentJson(argument));
    out["arguments"] = std::move(arguments);
    out["pid"] = static_cast<long long>(::getpid());
    out["run"] = Journal::runId();
    return dump(out);
}

std::string Journal::toJson(const Argument& argument) { return dump(argumentJson(argument)); }

void Journal::use(const std::string& path) { journalState().path.use(path); }

std::string Journal::path() { return journalState().path.get().value_or(""); }

std::optional<std::string> Journal::open() {
    const std::string path = Journal::path();
    auto& state = journalState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.file.open(path);
}

const std::string& Journal::runId() {
    static const std::string id = makeRunId();
    return id;
}

void detail::journal(Record&& record) {
    const std::string path = Journal::path();
    auto& state = journalState();
    const std::lock_guard<std::mutex> lock(state.mutex);
    record.seq = ++state.lastSeq;
    record.timeMs = nowMs();
    if (record.accepted && record.kind == Record::Kind::Raise) state.pending.insert(record.jobId);
    if (record.accepted && record.kind == Record::Kind::Clear) state.pending.erase(record.jobId);
    if (!path.empty()) state.file.write(path, Journal::toJson(record));
    state.records.push_back(std::move(record));
}

}  // namespace standin
