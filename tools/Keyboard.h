// Standard input's terminal during the message-box wait: what was typed
// before the wait began is discarded, so that no key pressed ahead answers a
// request the operator has not seen, and keys typed during the wait are not
// echoed into the countdown. Line input and the signal keys stay: Enter
// still ends a line, Ctrl-D the input, Ctrl-C still signals.
#ifndef KORRIN_TOOL_KEYBOARD_H
#define KORRIN_TOOL_KEYBOARD_H

#include <signal.h>

namespace alerttool {

// While alive, standard input's terminal is quiet as said above. Its modes
// are as they were when the object ends, whichever way the wait ended (an
// exception included); Ctrl-Z puts them back before the process stops, and
// continuing in the foreground quietens them again and discards what was
// typed meanwhile (the handlers for SIGTSTP and SIGCONT are this object's
// while it lives; an ignored SIGTSTP stays ignored). Nothing is touched
// unless take is true and standard input is a terminal in the foreground.
// One at a time, on the thread that waits.
class QuietKeyboard {
public:
    explicit QuietKeyboard(bool take);
    ~QuietKeyboard();
    QuietKeyboard(const QuietKeyboard&) = delete;
    QuietKeyboard& operator=(const QuietKeyboard&) = delete;

    // Whether the object took the terminal: standard input is one, and was
    // in the foreground when the object began.
    bool taken() const { return m_taken; }

private:
    bool m_taken = false;
    bool m_stopCaught = false;
    struct sigaction m_previousStop {};
    struct sigaction m_previousContinue {};
};

}  // namespace alerttool

#endif  // KORRIN_TOOL_KEYBOARD_H
