// The process's sleep(3). The stand-in defines sleep() and exports it, so
// that in a process linked with the stand-in every call of it, the alert
// library's message-box wait included, comes here in place of the C
// library's; a test or the tool sets what a call does.
#ifndef KORRIN_STANDIN_SLEEP_H
#define KORRIN_STANDIN_SLEEP_H

namespace standin {

// Answers a sleep(seconds) call: returns the seconds not slept.
using SleepHandler = unsigned (*)(unsigned seconds);

// Makes handler answer every sleep() call from now on; null gives the calls
// back to systemSleep. Thread-safe: a call that already began keeps its
// handler.
void setSleepHandler(SleepHandler handler);

// Sleeps as the C library's sleep does: ended early by a caught signal, it
// returns the whole seconds left, else 0.
unsigned systemSleep(unsigned seconds);

}  // namespace standin

#endif  // KORRIN_STANDIN_SLEEP_H
