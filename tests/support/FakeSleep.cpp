#include "FakeSleep.h"

#include <atomic>

#include "StandinSleep.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<unsigned int> g_lastSeconds{0};
std::atomic<bool> g_throwNext{false};
std::atomic<bool> g_onlyMarkedThread{false};
thread_local bool t_marked = false;

unsigned fakeSleep(unsigned seconds) {
    if (g_onlyMarkedThread && !t_marked) return standin::systemSleep(seconds);
    ++g_calls;
    g_lastSeconds = seconds;
    if (g_throwNext.exchange(false)) throw testkit::SleepInterrupted();
    return 0;
}

[[maybe_unused]] const bool g_installed = (standin::setSleepHandler(fakeSleep), true);

}  // namespace

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
