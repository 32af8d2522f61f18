#include "Operation.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"

namespace alerttool {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + standin::systemText(errno));
}

// Sends what is written to standard output into a temporary file until
// finish(), so that the dialogs' lines do not mix with a JSON document.
class StdoutCapture {
public:
    StdoutCapture() : m_file(std::tmpfile()) {
        if (m_file == nullptr) fail("capturing standard output");
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        if (m_saved < 0 || ::dup2(::fileno(m_file), STDOUT_FILENO) < 0) {
            const int error = errno;
            if (m_saved >= 0) ::close(m_saved);
            std::fclose(m_file);
            errno = error;
            fail("capturing standard output");
        }
    }
    ~StdoutCapture() { finish(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::vector<std::string> finish() {
        std::vector<std::string> lines;
        if (m_file == nullptr) return lines;
        std::fflush(stdout);
        // Without its standard output back, the tool could print nothing.
        while (::dup2(m_saved, STDOUT_FILENO) < 0 && errno == EINTR) {
        }
        ::close(m_saved);
        std::rewind(m_file);
        char* line = nullptr;
        std::size_t size = 0;
        for (ssize_t length; (length = ::getline(&line, &size, m_file)) >= 0;) {
            if (length > 0 && line[length - 1] == '\n') --length;
            lines.emplace_back(line, static_cast<std::size_t>(length));
        }
        std::free(line);
        std::fclose(m_file);
        m_file = nullptr;
        return lines;
    }

private:
    std::FILE* m_file;
    int m_saved = -1;
};

}  // namespace

bool anyRefused(const Outcome& outcome) {
    return std::any_of(outcome.records.begin(), outcome.records.end(),
                       [](const standin::Record& record) { return !record.accepted; });
}

int exitStatus(const Outcome& outcome) {
    if (outcome.signal != 0) return 128 + outcome.signal;
    if (anyRefused(outcome)) return 3;
    return outcome.returned ? 1 : 0;
}

void runOperation(const Request& request, const Subcommand& subcommand, WaitOptions wait,
                  bool captureConsole, Outcome& outcome) {
    standin::Journal::clear();
    MMDebug log;
    QZKRGuiInterface alert(log, request.job);
    {
        std::optional<StdoutCapture> capture;
        if (captureConsole) capture.emplace();
        wait.messageText = alert.getMessageText();
        WaitScope scope(wait, outcome.notices);
        outcome.returned = subcommand.run(request, alert, log, outcome);
        outcome.wait = scope.record();
        if (capture) outcome.console = capture->finish();
    }
    outcome.messageText = alert.getMessageText();
    outcome.eventText = alert.getGumMessage();
    outcome.logText = alert.getLogText();
    outcome.code = alert.getEventMessageCode();
    outcome.records = standin::Journal::records();
}

}  // namespace alerttool
