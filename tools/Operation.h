// Runs one operation of the alert object as a job worker would and collects
// everything it produced.
#ifndef KORRIN_TOOL_OPERATION_H
#define KORRIN_TOOL_OPERATION_H

#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Standin.h"
#include "Wait.h"

namespace alerttool {

struct Outcome {
    std::string messageText, eventText, logText;
    int code = 0;                // the event message code afterwards
    bool returned = false;       // what the operation returned: true is "not confirmed"
    bool answeredEarly = false;  // the wait was ended before its time
    // Every job-client call of the run, in order: binding, postings, states.
    std::vector<standin::Record> records;
    // What the console dialogs printed, when standard output was captured.
    std::vector<std::string> console;
    // identify: the caller's buffers afterwards.
    std::optional<std::string> exportLocation, barcode;
};

// The exit status for an outcome: 0 confirmed, 1 not confirmed.
inline int exitStatus(const Outcome& outcome) { return outcome.returned ? 1 : 0; }

// Runs request's operation on a new alert object. With captureConsole, what
// the library writes to standard output during the run is kept in
// Outcome::console instead of reaching it.
Outcome runOperation(const Request& request, const WaitOptions& wait, bool captureConsole);

}  // namespace alerttool

#endif  // KORRIN_TOOL_OPERATION_H
