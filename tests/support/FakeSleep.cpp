// Takes the place of the C library's sleep(3) in the test executables, so
// that no test waits 180 seconds and the library needs no switch for tests.
#include <dlfcn.h>

#include <atomic>
#include <stdexcept>

#include "AlertTestSupport.h"

namespace {
std::atomic<int> g_calls{0};
std::atomic<unsigned int> g_lastSeconds{0};
std::atomic<bool> g_throwNext{false};
std::atomic<bool> g_real{false};
}  // namespace

extern "C" unsigned int sleep(unsigned int seconds) {
    ++g_calls;
    g_lastSeconds = seconds;
    if (g_throwNext.exchange(false)) throw std::runtime_error("sleep interrupted by test");
    if (g_real) {
        using SleepFunction = unsigned int (*)(unsigned int);
        static const auto real = reinterpret_cast<SleepFunction>(dlsym(RTLD_NEXT, "sleep"));
        return real(seconds);
    }
    return 0;
}

namespace alerttest {
int FakeSleep::calls() { return g_calls; }
unsigned int FakeSleep::lastSeconds() { return g_lastSeconds; }
void FakeSleep::throwNext() { g_throwNext = true; }
void FakeSleep::useRealSleep(bool real) { g_real = real; }
void FakeSleep::reset() {
    g_calls = 0;
    g_lastSeconds = 0;
    g_throwNext = false;
    g_real = false;
}
}  // namespace alerttest
