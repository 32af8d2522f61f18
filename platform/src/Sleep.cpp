#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "StandinSleep.h"

namespace standin {

namespace {

std::atomic<SleepHandler> g_handler{nullptr};

}  // namespace

void setSleepHandler(SleepHandler handler) { g_handler = handler; }

unsigned systemSleep(unsigned seconds) {
    timespec left{static_cast<std::time_t>(seconds), 0};
    if (::nanosleep(&left, &left) == 0 || errno != EINTR) return 0;
    return static_cast<unsigned>(left.tv_sec);
}

}  // namespace standin

// Exported with the rest of the stand-in, which every executable that uses
// it links ahead of the C library: this definition takes the C library's
// place for the whole process.
extern "C" unsigned int sleep(unsigned int seconds) {
    const standin::SleepHandler handler = standin::g_handler;
    return handler != nullptr ? handler(seconds) : standin::systemSleep(seconds);
}
