// A minimal job worker: asks the operator, through the alert library, for
// the medium a backup job needs, and reports the answer.
//
//   job_worker JOB-ID MEDIA LIBRARY DRIVE
//
// The platform's settings name the control server (README.md beside this
// file). Prints the prompt's log text and the answer. Exit status: 0
// confirmed, 1 not confirmed, 2 bad usage, 128+N stopped by signal N, after
// the library had cleared the job.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"

namespace {

volatile sig_atomic_t g_stopSignal = 0;

// Notes the signal and nothing else. That a handler is installed is what
// counts: the library's wait (one sleep) then returns early instead of the
// process dying with its job pending; the library answers OK and clears the
// job, and the worker stops afterwards.
void onStopSignal(int signal) { g_stopSignal = signal; }

bool catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    errno = 0;
    const long long jobId = argc == 5 ? std::strtoll(argv[1], &end, 10) : 0;
    if (argc != 5 || *end != '\0' || errno != 0 || jobId <= 0) {
        std::fprintf(stderr, "usage: job_worker JOB-ID MEDIA LIBRARY DRIVE (JOB-ID above 0)\n");
        return 2;
    }
    if (!catchStopSignals()) {
        std::perror("job_worker: sigaction");
        return 2;
    }

    MMDebug debugLog;
    QZKRGuiInterface alert(debugLog, jobId);  // binds to the job on the control server
    alert.DisplayImportMessage(argv[2], nullptr, nullptr, argv[3], argv[4], jobId, false, false,
                               debugLog);
    std::printf("prompt: %s\n", alert.getLogText());
    std::fflush(stdout);

    // Raises the prompt, waits for the operator, clears it.
    const bool notConfirmed = alert.popupDialogBox(debugLog, false, false);
    if (g_stopSignal != 0) {
        // The wait ended early, so the library's OK is not the operator's.
        std::printf("stopped by signal %d during the wait; the job was cleared\n",
                    static_cast<int>(g_stopSignal));
        return 128 + g_stopSignal;
    }
    std::printf("answer: %s\n", notConfirmed ? "not confirmed" : "confirmed");
    return notConfirmed ? 1 : 0;
}
