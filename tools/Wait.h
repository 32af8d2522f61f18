// Ends the library's message-box wait early, without touching the library:
// the wait is one plain sleep(3), which a signal cuts short.
#ifndef KORRIN_TOOL_WAIT_H
#define KORRIN_TOOL_WAIT_H

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <thread>

namespace alerttool {

struct WaitOptions {
    std::optional<unsigned> answerAfter;  // seconds after the wait began
    bool enterAnswers = false;            // a line on standard input answers at once
    bool countdown = false;               // show the seconds left on standard error
};

// Made on the thread that will run the operation (the one that sleeps). A
// watcher thread follows the debug log for the start and end of the wait
// and, when the answer is due, sends SIGALRM to the sleeping thread, whose
// handler is installed without SA_RESTART. Destroying the object stops the
// watcher and restores the previous handler.
class WaitEnder {
public:
    explicit WaitEnder(const WaitOptions& options);
    ~WaitEnder();
    WaitEnder(const WaitEnder&) = delete;
    WaitEnder& operator=(const WaitEnder&) = delete;

    // Whether a wait was ended early.
    bool answered() const { return m_answered; }

private:
    void watch();

    WaitOptions m_options;
    pthread_t m_sleeper;
    std::size_t m_linesBefore;  // debug lines written before this run
    struct sigaction m_previous {};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_answered{false};
    std::thread m_watcher;
};

}  // namespace alerttool

#endif  // KORRIN_TOOL_WAIT_H
