// SIGINT, SIGTERM and SIGHUP during a run: never an exit from a handler, so
// that the library always finishes its cycle (a raised job is cleared) and
// the tool's destructors remove its temporary files.
#ifndef KORRIN_TOOL_SIGNALS_H
#define KORRIN_TOOL_SIGNALS_H

#include <signal.h>

namespace alerttool {

// While alive, a handler for each of the three signals notes the signal
// and writes one byte to a pipe whose read end a wait can poll; both are
// async-signal-safe and nothing else happens in the handler. Handlers are
// installed with SA_RESTART, so that only a wait that polls the pipe ends
// early. SIGPIPE is ignored meanwhile, so that a reader that went away
// fails a write instead of ending the tool. One object at a time; the
// constructor throws std::runtime_error when the pipe or a handler cannot be
// set up, the destructor restores the previous handlers.
class SignalCatcher {
public:
    SignalCatcher();
    ~SignalCatcher();
    SignalCatcher(const SignalCatcher&) = delete;
    SignalCatcher& operator=(const SignalCatcher&) = delete;

    // The last signal the living catcher caught, 0 while none was.
    static int caught();
    // Readable once a signal was caught; -1 without a catcher.
    static int wakeFd();
    // "SIGINT", "SIGTERM", "SIGHUP", or "a signal".
    static const char* name(int signal);

private:
    struct sigaction m_previous[4]{};
};

}  // namespace alerttool

#endif  // KORRIN_TOOL_SIGNALS_H
