#include "Keyboard.h"

#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "Terminal.h"

namespace alerttool {

namespace {

termios g_before{};  // the modes to give back
termios g_quiet{};   // the same without echo
volatile sig_atomic_t g_quieted = 0;

// Only a process in the foreground sets the modes: a background one would be
// stopped for it, and the shell then owns them. These and the handlers are
// async-signal-safe.
void giveBack() {
    if (inForeground(STDIN_FILENO)) ::tcsetattr(STDIN_FILENO, TCSANOW, &g_before);
}

void handle(int signal, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    action.sa_handler = handler;
    sigaction(signal, &action, previous);
}

// Echo off, and what was typed before discarded: keys typed while the
// process was stopped or in the background were not meant for the wait.
void quieten() {
    if (!inForeground(STDIN_FILENO)) return;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_quiet);
    ::tcflush(STDIN_FILENO, TCIFLUSH);
}

void onContinue(int) {
    const int saved = errno;
    if (g_quieted) quieten();
    errno = saved;
}

// Gives the modes back and stops as SIGTSTP would; on continuing (or at once,
// in an orphaned process group, which is not stopped) quietens them again and
// catches the next Ctrl-Z the same way.
void onStop(int) {
    const int saved = errno;
    if (g_quieted) giveBack();
    handle(SIGTSTP, SIG_DFL, nullptr);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    if (g_quieted) quieten();
    handle(SIGTSTP, onStop, nullptr);
    errno = saved;
}

}  // namespace

QuietKeyboard::QuietKeyboard(bool take) {
    if (!take || !inForeground(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &g_before) != 0) return;
    g_quiet = g_before;
    g_quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    g_quieted = 1;
    sigaction(SIGTSTP, nullptr, &m_previousStop);
    m_stopCaught = m_previousStop.sa_handler != SIG_IGN;
    if (m_stopCaught) handle(SIGTSTP, onStop, &m_previousStop);
    handle(SIGCONT, onContinue, &m_previousContinue);
    quieten();
    m_taken = true;
}

QuietKeyboard::~QuietKeyboard() {
    if (!m_taken) return;
    sigset_t both, previous;
    sigemptyset(&both);
    sigaddset(&both, SIGTSTP);
    sigaddset(&both, SIGCONT);
    pthread_sigmask(SIG_BLOCK, &both, &previous);
    g_quieted = 0;
    giveBack();
    if (m_stopCaught) sigaction(SIGTSTP, &m_previousStop, nullptr);
    sigaction(SIGCONT, &m_previousContinue, nullptr);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace alerttool
