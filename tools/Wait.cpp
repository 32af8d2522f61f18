#include "Wait.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Standin.h"

namespace alerttool {

namespace {

using Clock = std::chrono::steady_clock;

// The library's wait writes these at debug levels 1 and 5 right before and
// right after its sleep.
constexpr const char kWaitBegins[] = "nKRMSGBOXOPTION key is set to 2";
constexpr const char kWaitEnded[] = "Sleep Completed.";
// The length of that sleep, for the countdown.
constexpr unsigned kWaitSeconds = 180;

constexpr int kTickMilliseconds = 50;
// A signal that lands between the wait's first line and its sleep is lost:
// it goes again until the wait reports its end.
constexpr auto kResend = std::chrono::milliseconds(200);

void onAnswer(int) {}

// Waits up to one tick for input; true when a line was entered. Clears
// watching at the end of the input.
bool linePending(bool& watching) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, kTickMilliseconds) <= 0) return false;
    char bytes[256];
    const ssize_t got = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (got <= 0) {
        watching = false;
        return false;
    }
    return std::memchr(bytes, '\n', static_cast<std::size_t>(got)) != nullptr;
}

void clearCountdown() { std::fputs("\r\033[K", stderr); }

}  // namespace

WaitEnder::WaitEnder(const WaitOptions& options)
    : m_options(options),
      m_sleeper(pthread_self()),
      m_linesBefore(standin::DebugLog::lines().size()) {
    if (!options.answerAfter && !options.enterAnswers && !options.countdown) return;
    struct sigaction action {};
    action.sa_handler = onAnswer;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the sleep must end, not go on
    sigaction(SIGALRM, &action, &m_previous);
    m_watcher = std::thread([this] { watch(); });
}

WaitEnder::~WaitEnder() {
    if (!m_watcher.joinable()) return;
    m_stop = true;
    m_watcher.join();
    sigaction(SIGALRM, &m_previous, nullptr);
}

void WaitEnder::watch() {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);

    std::size_t seen = m_linesBefore;
    bool watchingInput = m_options.enterAnswers;
    bool waiting = false;
    bool answerNow = false;
    bool sent = false;
    Clock::time_point began, lastSent;
    long shown = -1;  // the seconds the countdown shows; -1: none shown
    while (!m_stop) {
        const std::vector<standin::DebugLine> lines = standin::DebugLog::lines();
        if (seen > lines.size()) seen = lines.size();
        for (; seen < lines.size(); ++seen) {
            const standin::DebugLine& line = lines[seen];
            if (line.source != standin::DebugLine::Source::Lvl) continue;
            if (line.message.rfind(kWaitBegins, 0) == 0) {
                waiting = true;
                sent = false;
                began = Clock::now();
            } else if (line.message == kWaitEnded) {
                waiting = false;
                answerNow = false;
            }
        }

        if (watchingInput) {
            answerNow = linePending(watchingInput) || answerNow;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kTickMilliseconds));
        }

        if (!waiting) {
            if (shown >= 0) clearCountdown();
            shown = -1;
            continue;
        }
        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - began).count();
        const bool due = answerNow || (m_options.answerAfter &&
                                       elapsed >= static_cast<long>(*m_options.answerAfter));
        if (due && (!sent || now - lastSent >= kResend)) {
            // Set before the signal: the woken thread may read it at once.
            m_answered = true;
            pthread_kill(m_sleeper, SIGALRM);
            sent = true;
            lastSent = now;
        }
        const long total = m_options.answerAfter ? static_cast<long>(*m_options.answerAfter)
                                                 : static_cast<long>(kWaitSeconds);
        const long left = elapsed < total ? total - elapsed : 0;
        if (m_options.countdown && left != shown) {
            std::fprintf(stderr, "\rWaiting for the operator: %s %ld s%s \033[K",
                         m_options.answerAfter ? "answering in" : "wait ends in", left,
                         m_options.enterAnswers ? " (Enter answers now)" : "");
            shown = left;
        }
    }
    if (shown >= 0) clearCountdown();
}

}  // namespace alerttool
