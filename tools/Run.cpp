#include "Run.h"

#include <algorithm>
#include <optional>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "StandinStdout.h"

namespace alerttool {

bool anyRefused(const Outcome& outcome) {
    return std::any_of(outcome.records.begin(), outcome.records.end(),
                       [](const standin::Record& record) { return !record.accepted; });
}

int exitStatus(const Outcome& outcome) {
    if (outcome.signal != 0) return 128 + outcome.signal;
    if (anyRefused(outcome)) return 3;
    return outcome.returned.value ? 1 : 0;
}

void runSubcommand(const Request& request, WaitOptions wait, bool captureConsole,
                   Outcome& outcome) {
    standin::Journal::clear();
    MMDebug log;
    QZKRGuiInterface alert(log, request.job);
    {
        std::optional<standin::StdoutCapture> capture;
        if (captureConsole) capture.emplace();
        wait.messageText = alert.getMessageText();
        WaitScope scope(wait, outcome.notices);
        outcome.returned = request.subcommand->run(request, alert, log);
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
