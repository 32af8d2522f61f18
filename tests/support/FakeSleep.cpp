#include "FakeSleep.h"

#include <time.h>

#include <atomic>
#include <cerrno>

namespace {
std::atomic<int> g_calls{0};
std::atomic<unsigned int> g_lastSeconds{0};
std::atomic<bool> g_throwNext{false};
std::atomic<bool> g_onlyMarkedThread{false};
thread_local bool t_marked = false;

unsigned int realSleep(unsigned int seconds) {
    timespec left{static_cast<time_t>(seconds), 0};
    if (nanosleep(&left, &left) == 0 || errno != EINTR) return 0;
    return static_cast<unsigned int>(left.tv_sec);
}
}  // namespace

// Visible to the shared alert library too: the build hides symbols by
// default, and a hidden one would not take the C library's place there.
extern "C" __attribute__((visibility("default"))) unsigned int sleep(unsigned int seconds) {
    if (g_onlyMarkedThread && !t_marked) return realSleep(seconds);
    ++g_calls;
    g_lastSeconds = seconds;
    if (g_throwNext.exchange(false)) throw testkit::SleepInterrupted();
    return 0;
}

namespace testkit {
int FakeSleep::calls() { return g_calls; }
unsigned int FakeSleep::lastSeconds() { return g_lastSeconds; }
void FakeSleep::throwNext() { g_throwNext = true; }
void FakeSleep::fakeOnlyThisThread() {
    t_marked = true;
    g_onlyMarkedThread = true;
}
void FakeSleep::reset() {
    g_calls = 0;
    g_lastSeconds = 0;
    g_throwNext = false;
}
}  // namespace testkit
