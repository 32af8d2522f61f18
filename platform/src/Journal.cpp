#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include <nlohmann/json.hpp>

#include "Internal.h"

namespace standin {

namespace {

struct JournalState {
    std::mutex mutex;
    // Oldest first: the newest kKept and at most an eighth more (see journal()).
    std::vector<Record> records;
    // Per job: whether its last accepted posting was a raising, and the
    // last job state set.
    std::unordered_map<long long, std::pair<bool, int>> jobs;
    std::uint64_t lastSeq = 0;
    detail::LineFile file;
};

// Never destroyed: job clients may still post from static destructors or
// from threads that outlive main.
JournalState& journalState() {
    static auto* state = new JournalState;
    return *state;
}

const char* journalPath() {
    const char* path = std::getenv("KORRIN_JOURNAL");
    return path ? path : "";
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
    case kTagInt:
    case kTagLongLong:
        if (!argument.bytes.empty()) out["value"] = argument.number();
        break;
    case kTagCode:
        if (!argument.bytes.empty())
            out["value"] = static_cast<unsigned long long>(argument.number());
        break;
    case kTagText: out["text"] = argument.text; break;
    default: break;
    }
    return out;
}

}  // namespace

namespace {

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

}  // namespace

Params::Params(std::initializer_list<long long> values) : m_size(values.size()) {
    if (values.size() > m_values.size()) throw std::length_error("more than twelve parameters");
    std::copy(values.begin(), values.end(), m_values.begin());
}

long long Params::at(std::size_t index) const {
    if (index >= m_size) throw std::out_of_range("no parameter " + std::to_string(index));
    return m_values[index];
}

bool operator==(const Params& a, const Params& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

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
    std::lock_guard<std::mutex> lock(state.mutex);
    const auto kept = static_cast<std::ptrdiff_t>(std::min(state.records.size(), kKept));
    return {state.records.end() - kept, state.records.end()};
}

std::vector<Record> Journal::take() {
    auto& state = journalState();
    std::lock_guard<std::mutex> lock(state.mutex);
    std::vector<Record> taken;
    taken.swap(state.records);
    if (taken.size() > kKept) taken.erase(taken.begin(), taken.end() - std::ptrdiff_t{kKept});
    return taken;
}

void Journal::clear() {
    auto& state = journalState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.records.clear();
    state.jobs.clear();
}

bool Journal::isPending(long long jobId) {
    auto& state = journalState();
    std::lock_guard<std::mutex> lock(state.mutex);
    const auto found = state.jobs.find(jobId);
    return found != state.jobs.end() && found->second.first;
}

int Journal::lastState(long long jobId) {
    auto& state = journalState();
    std::lock_guard<std::mutex> lock(state.mutex);
    const auto found = state.jobs.find(jobId);
    return found == state.jobs.end() ? 0 : found->second.second;
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
    out["params"] = std::vector<long long>(record.params.begin(), record.params.end());
    auto arguments = nlohmann::ordered_json::array();
    for (const auto& argument : record.arguments) arguments.push_back(argumentJson(argument));
    out["arguments"] = std::move(arguments);
    out["pid"] = static_cast<long long>(::getpid());
    out["run"] = Journal::runId();
    // Texts are whatever bytes the caller streamed, not necessarily UTF-8.
    return out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string Journal::toJson(const Argument& argument) {
    return argumentJson(argument).dump(-1, ' ', false,
                                       nlohmann::ordered_json::error_handler_t::replace);
}

std::string Journal::path() { return journalPath(); }

std::string Journal::open() {
    const std::string path = journalPath();
    auto& state = journalState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.file.open(path);
}

const std::string& Journal::runId() {
    static const std::string id = makeRunId();
    return id;
}

void detail::journal(Record&& record) {
    const std::string path = journalPath();
    auto& state = journalState();
    std::lock_guard<std::mutex> lock(state.mutex);
    record.seq = ++state.lastSeq;
    record.timeMs = nowMs();
    if (record.accepted) {
        switch (record.kind) {
        case Record::Kind::Raise: state.jobs[record.jobId].first = true; break;
        case Record::Kind::Clear: state.jobs[record.jobId].first = false; break;
        case Record::Kind::JobState:
            state.jobs[record.jobId].second = static_cast<int>(record.state());
            break;
        case Record::Kind::Init: break;
        }
    }
    if (!path.empty()) state.file.write(path, Journal::toJson(record));
    // The oldest go an eighth of kKept at a time, so that a record moves
    // eight times on average instead of being pushed off one by one.
    if (state.records.size() >= kKept + kKept / 8) {
        state.records.erase(state.records.begin(), state.records.end() - std::ptrdiff_t{kKept - 1});
    }
    // Room again after take() handed the records over, for a few calls.
    if (state.records.capacity() == 0) state.records.reserve(4);
    state.records.push_back(std::move(record));
}

}  // namespace standin
