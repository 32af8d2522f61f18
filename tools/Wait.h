// The library's message-box wait as the tool runs it. The wait is the
// library's one sleep(3) call, which reaches the stand-in's sleep seam
// (StandinSleep.h), so its start and length are the call's own. Enter,
// --answer-after and a caught signal end it early.
#ifndef KORRIN_TOOL_WAIT_H
#define KORRIN_TOOL_WAIT_H

#include <optional>
#include <string>
#include <vector>

namespace alerttool {

struct WaitOptions {
    std::optional<unsigned> answerAfter;  // seconds into the wait
    bool enterAnswers = false;            // a line on standard input answers at once
    bool display = false;                 // show the request and a countdown on standard error
    // The text the operator reads, shown when the wait begins; it is the
    // alert object's message text, filled before the wait. Not owned.
    const char* messageText = nullptr;
};

enum class WaitEnd {
    None,         // no wait began
    RanOut,       // the whole wait passed
    Enter,        // a line on standard input
    AnswerAfter,  // --answer-after
    Signal,       // a signal that SignalCatcher caught
};

struct WaitRecord {
    WaitEnd end = WaitEnd::None;
    unsigned seconds = 0;  // the wait the library asked for
    unsigned waited = 0;   // whole seconds it lasted
    int signal = 0;        // WaitEnd::Signal: which
};

// While alive, sleep() in this process is the message-box wait under
// options (otherwise it sleeps as the C library's does). One at a time,
// on the thread that runs the operation. notices receives the lines told
// during the wait (an --answer-after beyond the wait).
class WaitScope {
public:
    WaitScope(const WaitOptions& options, std::vector<std::string>& notices);
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    // The last wait of the scope.
    const WaitRecord& record() const { return m_record; }

    // The wait itself; returns the seconds not waited, as sleep does.
    unsigned wait(unsigned seconds);

private:
    WaitOptions m_options;
    std::vector<std::string>& m_notices;
    WaitRecord m_record;
};

}  // namespace alerttool

#endif  // KORRIN_TOOL_WAIT_H
