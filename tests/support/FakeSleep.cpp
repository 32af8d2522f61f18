#include "FakeSleep.h"

#include <atomic>
#include <stdexcept>

#include "StandinSleep.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<unsigned> g_lastSeconds{0};
std::atomic<bool> g_throwNext{false}, g_onlyMarkedThread{false};
thread_local bool t_marked = false;

unsigned fakeSleep(unsigned seconds) {
    if (g_onlyMarkedThread && !t_marked) return standin::systemSleep(seconds);
    ++g_calls;
    g_lastSeconds = seconds;
    if (g_throwNext.exchange(false)) throw std::runtime_error("sleep interrupted by test");
    return 0;
}

[[maybe_unused]] const bool g_installed = (standin::setSleepHandler(fakeSleep), true);

}  // namespace

int testkit::FakeSleep::calls() { return g_calls; }
unsigned testkit::FakeSleep::lastSeconds() { return g_lastSeconds; }
void testkit::FakeSleep::throwNext() { g_throwNext = true; }
void testkit::FakeSleep::fakeOnlyThisThread() { t_marked = g_onlyMarkedThread = true; }
void testkit::FakeSleep::reset() { g_calls = 0, g_throwNext = false; }
