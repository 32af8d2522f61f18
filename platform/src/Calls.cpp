#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "Internal.h"

namespace standin {

namespace {

constexpr std::size_t kKinds = static_cast<std::size_t>(Call::EndianULongLong) + 1;

struct Plan {
    std::uint64_t at;  // the value of `total` at which it fires
    Fault fault;
};

struct ThreadCalls {
    std::uint64_t total = 0;
    std::array<std::uint64_t, kKinds> counts{};
    std::vector<Plan> at;
    std::array<std::optional<Fault>, kKinds> next{};
    std::array<std::optional<std::string>, kKinds> planted{};
    std::array<bool, kKinds> unterminated{};  // the planted text goes without its NUL
    std::vector<Argument> streamed;
};

thread_local ThreadCalls t_calls;
thread_local unsigned t_insideDepth = 0;

std::size_t index(Call call) { return static_cast<std::size_t>(call); }

// Counts the call and applies the thread's plans: true when the call must
// fail; throws when it must throw.
bool enter(Call call) {
    auto& calls = t_calls;
    const std::size_t kind = index(call);
    ++calls.total;
    ++calls.counts[kind];

    std::optional<Fault> fault;
    // When two plans meet on one call, throwing wins.
    const auto take = [&fault](Fault planned) {
        if (!fault || planned == Fault::Throw) fault = planned;
    };
    if (calls.next[kind]) {
        take(*calls.next[kind]);
        calls.next[kind].reset();
    }
    for (auto plan = calls.at.begin(); plan != calls.at.end();) {
        if (plan->at == calls.total) {
            take(plan->fault);
            plan = calls.at.erase(plan);
        } else {
            ++plan;
        }
    }
    if (!fault) return false;
    if (*fault == Fault::Throw)
        throw InjectedFault(std::string("injected fault in ") + callName(call));
    return true;
}

}  // namespace

Call callNamed(const std::string& name) {
    for (std::size_t i = 0; i < kKinds; ++i)
        if (name == callName(static_cast<Call>(i))) return static_cast<Call>(i);
    throw std::invalid_argument("no platform call " + name);
}

const char* callName(Call call) {
    switch (call) {
    case Call::JobClientCtor: return "QZJobClient::QZJobClient";
    case Call::Init: return "QZJobClient::init";
    case Call::Raise: return "QZJobClient::setPendingCauseAndCriticalEvent";
    case Call::Clear: return "QZJobClient::setPendingCause";
    case Call::JobState: return "QZJobClient::setJobState";
    case Call::AddArgument: return "EvEvent::addArgument";
    case Call::DiscardArguments: return "EvEvent::discardArguments";
    case Call::DebugMM: return "MMDebug::DebugMM";
    case Call::EvDebugCtor: return "EvDebug::EvDebug";
    case Call::DebugLvl: return "EvDebug::debugLvl";
    case Call::DebugJob: return "EvDebug::DebugJob";
    case Call::PlatformInfoCtor: return "QZPlatformInfo::QZPlatformInfo";
    case Call::SetFocus: return "QZPlatformInfo::setFocus";
    case Call::GetFocus: return "QZPI_Focus::getFocus";
    case Call::HostName: return "QZPlatformInfo::getKorrinQNHostName";
    case Call::GetNumber: return "QZPlatformInfo::getNumber";
    case Call::Ctime: return "QZ_ctime";
    case Call::ErrorCatalogueCtor: return "MMS2BaseError::MMS2BaseError";
    case Call::ErrorString: return "MMS2BaseError::getErrorStringForCode";
    case Call::Advise: return "MMS2BaseError::getAdvise";
    case Call::ErrorId: return "MMS2BaseError::getEvEventErrorCodeID";
    case Call::EndianInt: return "littleEndianInt";
    case Call::EndianLongLong: return "littleEndianLongLong";
    case Call::EndianULongLong: return "ulittleEndianLongLong";
    }
    return "unknown call";
}

std::uint64_t Calls::total() { return t_calls.total; }

std::uint64_t Calls::count(Call call) {
    return index(call) < kKinds ? t_calls.counts[index(call)] : 0;
}

void Calls::reset() { t_calls = ThreadCalls{}; }

void Calls::faultAt(std::uint64_t k, Fault fault) {
    if (k == 0) return;
    auto& calls = t_calls;
    calls.at.push_back({calls.total + k, fault});
}

void Calls::faultNext(Call call, Fault fault) {
    if (index(call) < kKinds) t_calls.next[index(call)] = fault;
}

void Calls::textNext(Call call, const std::string& text) {
    if (index(call) >= kKinds) return;
    t_calls.planted[index(call)] = text;
    t_calls.unterminated[index(call)] = false;
}

void Calls::unterminatedTextNext(Call call, const std::string& text) {
    textNext(call, text);
    if (index(call) < kKinds) t_calls.unterminated[index(call)] = true;
}

bool detail::takePlanted(Call call, std::string& text) {
    std::optional<std::string> planted;
    planted.swap(t_calls.planted[index(call)]);
    if (planted) text = std::move(*planted);
    return planted.has_value();
}

int detail::handOver(Call call, const char* text, char* buffer, int bufferSize) {
    std::string planted;
    const bool isPlanted = takePlanted(call, planted);
    const bool terminated = !std::exchange(t_calls.unterminated[index(call)], false);
    if (!buffer || bufferSize <= 0) return 0;
    const char* given = isPlanted ? planted.c_str() : text;
    const std::size_t size = static_cast<std::size_t>(bufferSize);
    const std::size_t length = std::min(std::strlen(given), terminated ? size - 1 : size);
    std::memcpy(buffer, given, length);
    if (length < size) buffer[length] = '\0';
    return static_cast<int>(length);
}

bool Calls::inside() { return t_insideDepth > 0; }

std::vector<Argument> Calls::takeStreamed() { return std::exchange(t_calls.streamed, {}); }

void detail::noteStreamed(const Argument& argument) { t_calls.streamed.push_back(argument); }

detail::Inside::Inside() { ++t_insideDepth; }

detail::Inside::~Inside() { --t_insideDepth; }

detail::ContractCall::ContractCall(Call call) : m_failed(enter(call)) {}

}  // namespace standin
