// One message-box wait with the real sleep(3), ended after a second by
// SIGALRM, to look at under strace:
//
//   KORRIN_DEBUG_LOG=off strace -f -c build/bench/bench/wait_probe
//   KORRIN_DEBUG_LOG=off strace -f build/bench/bench/wait_probe
//
// "wait begins" and "wait ended" go to standard error (one write each) on
// either side of ShowMessageBox, so that the full trace shows what the wait
// itself asks of the kernel.
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"

namespace {
void onAlarm(int) {}
}  // namespace

int main() {
    struct sigaction action {};
    action.sa_handler = onAlarm;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);

    MMDebug log;
    QZKRGuiInterface alert(log, 0);  // no job: nothing to bind
    unsigned int errorCode = 0;
    alarm(1);
    (void)std::fputs("wait begins\n", stderr);
    const long long answer = alert.ShowMessageBox("", 0, errorCode, false);
    (void)std::fputs("wait ended\n", stderr);
    std::printf("answer %lld, error code %u\n", answer, errorCode);
    return answer == QZKRGuiInterface::kAnswerOK ? 0 : 1;
}
