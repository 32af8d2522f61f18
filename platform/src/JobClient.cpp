#include "QZJobClient.h"

#include <atomic>
#include <utility>

#include "Internal.h"

using standin::Call;
using standin::Record;

namespace {

std::atomic<std::uint64_t> g_lastSerial{0};

// A posting takes the pending arguments whatever its outcome; an unbound
// client drops them unrecorded, since nothing would have reached a job manager.
bool post(EvEventState& state, Record&& record, bool failed) {
    record.client = state.client;
    record.jobId = state.jobId;
    if (state.bound) record.arguments = std::move(state.pending);
    state.pending.clear();
    record.accepted = state.bound && !failed;
    const bool accepted = record.accepted;
    standin::detail::journal(std::move(record));
    return accepted;
}

long long given(const void* pointer) { return pointer ? 1 : 0; }

}  // namespace

QZJobClient::QZJobClient() {
    // Nothing to fail: a Fail plan leaves the client as usual.
    const standin::detail::ContractCall call(Call::JobClientCtor);
    m_state->client = ++g_lastSerial;
}

QZJobClient::~QZJobClient() = default;

bool QZJobClient::init(const char* controlServerHost, long long jobId,
                       QZS_PLATFORMTYPE platformType) {
    const standin::detail::ContractCall call(Call::Init);
    const bool bound = !call.failed() && controlServerHost && *controlServerHost;
    m_state->bound = bound;
    m_state->jobId = bound ? jobId : 0;

    Record record;
    record.kind = Record::Kind::Init;
    record.client = m_state->client;
    record.jobId = m_state->jobId;
    record.accepted = bound;
    record.host = controlServerHost ? controlServerHost : "";
    record.params = {jobId, platformType};
    standin::detail::journal(std::move(record));
    return bound;
}

bool QZJobClient::setPendingCauseAndCriticalEvent(int messageCode, int p2, bool p3,
                                                  EvMessageType messageType, bool p5,
                                                  JMGUIAlertColorLevel colorLevel,
                                                  JMPendingCauseFlags flags, unsigned int p8,
                                                  unsigned int p9) {
    const standin::detail::ContractCall call(Call::Raise);
    Record record;
    record.kind = Record::Kind::Raise;
    record.params = {messageCode, p2, p3, messageType, p5, colorLevel, flags, p8, p9};
    return post(*m_state, std::move(record), call.failed());
}

bool QZJobClient::setPendingCause(int pendingCauseCode, const std::vector<long long>* list, bool p3,
                                  EvMessageType messageType, int p5, int p6, int p7, bool p8,
                                  JMGUIAlertColorLevel colorLevel, JMPendingCauseFlags flags,
                                  unsigned int p11, unsigned int p12) {
    const standin::detail::ContractCall call(Call::Clear);
    Record record;
    record.kind = Record::Kind::Clear;
    record.params = {pendingCauseCode, given(list), p3,  messageType, p5, p6, p7, p8,
                     colorLevel,       flags,       p11, p12};
    return post(*m_state, std::move(record), call.failed());
}

bool QZJobClient::setJobState(QZJobState state, const std::vector<long long>* list, bool p3) {
    const standin::detail::ContractCall call(Call::JobState);
    Record record;
    record.kind = Record::Kind::JobState;
    record.client = m_state->client;
    record.jobId = m_state->jobId;
    record.accepted = m_state->bound && !call.failed();
    record.params = {state, given(list), p3};
    const bool accepted = record.accepted;
    standin::detail::journal(std::move(record));
    return accepted;
}
