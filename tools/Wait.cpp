#include "Wait.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Keyboard.h"
#include "Layout.h"
#include "Signals.h"
#include "StandinSleep.h"
#include "StandinText.h"
#include "Terminal.h"

namespace alerttool {

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<WaitScope*> g_scope{nullptr};

// The library's sleep() call, while a scope is alive.
unsigned scopedWait(unsigned seconds) {
    WaitScope* scope = g_scope;
    return scope ? scope->wait(seconds) : standin::systemSleep(seconds);
}

// Reads what standard input has; true when it holds a whole line. Sets
// ended when the input has ended.
bool lineEntered(bool& ended) {
    char bytes[256];
    const ssize_t got = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return false;
    if (got <= 0) {
        ended = true;
        return false;
    }
    return std::memchr(bytes, '\n', static_cast<std::size_t>(got)) != nullptr;
}

// One line on standard error, rewritten in place and never longer than the
// terminal is wide, so that it never wraps; erased when the wait ends,
// whichever way, since the report then says how it ended.
class Countdown {
public:
    explicit Countdown(bool on) : m_on(on) {}
    ~Countdown() {
        if (m_shown) std::fputs("\r\033[K", stderr);
    }
    Countdown(const Countdown&) = delete;
    Countdown& operator=(const Countdown&) = delete;

    void show(const std::string& line) {
        if (!m_on) return;
        const std::string shown = cut(line, terminalWidth(STDERR_FILENO) - 1);
        std::fprintf(stderr, "\r%s\033[K", shown.c_str());
        std::fflush(stderr);
        m_shown = true;
    }

private:
    bool m_on;
    bool m_shown = false;
};

// What ending the wait early with a signal does to the answer.
constexpr char kCtrlC[] = "Ctrl-C ends the wait, the library then answers OK";

// What the countdown says, the seconds first, so that a narrow terminal
// keeps them. Ctrl-C reaches only a process in the terminal's foreground.
std::string countdownText(long left, bool answering, bool enterAnswers, bool inputEnded) {
    std::string text = std::to_string(left) + " s left";
    if (answering) text += " before --answer-after answers OK";
    if (enterAnswers) text += " · Enter answers OK";
    if (inputEnded) text += " · input has ended, Enter no longer answers";
    if (inForeground(STDERR_FILENO)) text += std::string(" · ") + kCtrlC;
    return text;
}

// The request, each line wrapped to the terminal's width under its indent,
// and before the wait begins, what Ctrl-C will do to the answer.
void showRequest(const char* messageText, unsigned seconds) {
    const std::size_t width = terminalWidth(STDERR_FILENO);
    std::string shown;
    const auto add = [&](const std::string& line, const std::string& indent) {
        for (const std::string& piece : wrap(line, width - std::min(indent.size(), width - 1)))
            shown += indent + piece + '\n';
    };
    add("Message box (the library waits " + std::to_string(seconds) + " s for the operator):", "");
    std::istringstream lines(
        standin::escapeControls(messageText ? messageText : "", standin::kKeepLineFeeds));
    for (std::string line; std::getline(lines, line);) add(line, "    ");
    if (inForeground(STDERR_FILENO)) {
        add(std::string(kCtrlC) + ", and korrin-alert exits " + std::to_string(128 + SIGINT) + ".",
            "");
    }
    std::fputs(shown.c_str(), stderr);
}

}  // namespace

WaitScope::WaitScope(const WaitOptions& options, std::vector<std::string>& notices)
    : m_options(options), m_notices(notices) {
    g_scope = this;
    standin::setSleepHandler(scopedWait);
}

WaitScope::~WaitScope() {
    standin::setSleepHandler(nullptr);
    g_scope = nullptr;
}

unsigned WaitScope::wait(unsigned seconds) {
    m_record = WaitRecord{};
    m_record.seconds = seconds;
    const bool answering = m_options.answerAfter && *m_options.answerAfter <= seconds;
    if (m_options.answerAfter && !answering) {
        tell(m_notices, "--answer-after " + std::to_string(*m_options.answerAfter) +
                            " is beyond the " + std::to_string(seconds) +
                            " s wait the library started: the wait runs out first");
    }
    // Quiet before the request shows: what was typed before it is discarded.
    const QuietKeyboard keyboard(m_options.enterAnswers);
    if (m_options.display) showRequest(m_options.messageText, seconds);
    bool inputEnded = false;
    const auto start = Clock::now();
    const auto deadline =
        start + std::chrono::seconds(answering ? *m_options.answerAfter : seconds);
    {
        Countdown countdown(m_options.display);
        for (;;) {
            const auto left = deadline - Clock::now();
            if ((m_record.signal = SignalCatcher::caught()) != 0) {
                m_record.end = WaitEnd::Signal;
                break;
            }
            if (left <= Clock::duration::zero()) {
                m_record.end = answering ? WaitEnd::AnswerAfter : WaitEnd::RanOut;
                break;
            }
            // The seconds shown, and the time until the next one is due.
            const auto shown = std::chrono::ceil<std::chrono::seconds>(left);
            const auto tick = std::chrono::ceil<std::chrono::milliseconds>(
                left - (shown - std::chrono::seconds(1)));
            // Read only in the foreground: a read from the background stops
            // the process.
            const bool watching = keyboard.taken() && !inputEnded && inForeground(STDIN_FILENO);
            countdown.show(
                countdownText(shown.count(), answering, watching, keyboard.taken() && inputEnded));
            pollfd ready[2] = {{SignalCatcher::wakeFd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
            if (::poll(ready, watching ? 2 : 1, static_cast<int>(tick.count())) > 0 &&
                ready[1].revents != 0 && lineEntered(inputEnded)) {
                m_record.end = WaitEnd::Enter;
                break;
            }
        }
    }
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start);
    m_record.waited = static_cast<unsigned>(std::min<long long>(waited.count(), seconds));
    return m_record.end == WaitEnd::RanOut ? 0 : seconds - m_record.waited;
}

}  // namespace alerttool
