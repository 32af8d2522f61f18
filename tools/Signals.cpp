#include "Signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "StandinText.h"

namespace alerttool {

namespace {

// The last is ignored instead of caught.
constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
constexpr int kKinds = 4;

volatile sig_atomic_t g_caught = 0;
int g_pipe[2] = {-1, -1};

void onSignal(int signal) {
    const int saved = errno;
    g_caught = signal;
    // Non-blocking: a full pipe already wakes the wait.
    if (::write(g_pipe[1], "!", 1) < 0) {
    }
    errno = saved;
}

}  // namespace

SignalCatcher::SignalCatcher() {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot make the signal pipe: " + standin::systemText(errno));
    }
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kKinds; ++i) {
        action.sa_handler = kCaught[i] == SIGPIPE ? SIG_IGN : onSignal;
        if (sigaction(kCaught[i], &action, &m_previous[i]) != 0) {
            const int error = errno;
            const int failed = kCaught[i];
            while (i-- > 0) sigaction(kCaught[i], &m_previous[i], nullptr);
            ::close(g_pipe[0]);
            ::close(g_pipe[1]);
            g_pipe[0] = g_pipe[1] = -1;
            throw std::runtime_error(std::string("cannot catch ") + name(failed) + ": " +
                                     standin::systemText(error));
        }
    }
}

SignalCatcher::~SignalCatcher() {
    for (int i = 0; i < kKinds; ++i) sigaction(kCaught[i], &m_previous[i], nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_caught = 0;
}

int SignalCatcher::caught() { return g_caught; }

int SignalCatcher::wakeFd() { return g_pipe[0]; }

const char* SignalCatcher::name(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

}  // namespace alerttool
