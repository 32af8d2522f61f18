// The job-manager client: binds to the job manager on the control server for
// one job and posts pending causes, critical events and job states. The
// client is also the event record (EvEvent) of its next posting.
//
// Not thread-safe: one client serves one thread at a time.
#ifndef QZ_JOB_CLIENT_H
#define QZ_JOB_CLIENT_H

#include <vector>

#include "EvEvent.h"

// Unscoped enums with a fixed underlying int: every number a caller passes
// with static_cast is a valid value. The names are the platform's.
enum QZS_PLATFORMTYPE : int { QZS_PLATFORM_UNIX = 2 };
enum EvMessageType : int { EV_MESSAGE_OPERATOR_ALERT = 300 };
enum JMGUIAlertColorLevel : int { JM_ALERT_COLOR_CRITICAL = 40 };
enum JMPendingCauseFlags : int { JM_PENDING_NONE = 0, JM_PENDING_SET = 1, JM_PENDING_CLEAR = 2 };
enum QZJobState : int { QZ_JOB_RUNNING = 1, QZ_JOB_PENDING = 3 };

class QZJobClient : public EvEvent {
public:
    QZJobClient();
    ~QZJobClient();
    QZJobClient(const QZJobClient&) = delete;
    QZJobClient& operator=(const QZJobClient&) = delete;

    // Binds the client to `jobId` on the job manager at `controlServerHost`.
    // False when the host name is null or empty or the job manager refuses;
    // an unbound client answers every later call with false and no harm.
    bool init(const char* controlServerHost, long long jobId, QZS_PLATFORMTYPE platformType);

    // Each posting call takes the arguments appended since the previous
    // posting call, in order, as its event's arguments; the next event
    // starts with none.
    bool setPendingCauseAndCriticalEvent(int messageCode, int, bool, EvMessageType, bool,
                                         JMGUIAlertColorLevel, JMPendingCauseFlags, unsigned int,
                                         unsigned int);
    bool setPendingCause(int pendingCauseCode, const std::vector<long long>*, bool, EvMessageType,
                         int, int, int, bool, JMGUIAlertColorLevel, JMPendingCauseFlags,
                         unsigned int, unsigned int);
    bool setJobState(QZJobState state, const std::vector<long long>*, bool);
};

#endif  // QZ_JOB_CLIENT_H
