// One run of a subcommand's operation on a new alert object, as a job
// worker runs it, and everything the run produced.
#ifndef KORRIN_TOOL_RUN_H
#define KORRIN_TOOL_RUN_H

#include <string>
#include <vector>

#include "Command.h"
#include "Standin.h"
#include "Wait.h"

namespace alerttool {

struct Outcome {
    std::string messageText, eventText, logText;
    int code = 0;       // the event message code afterwards
    Returned returned;  // what the operation gave back
    WaitRecord wait;    // the message-box wait, when one began
    // Every job-client call of the run, in order: binding, postings, states.
    std::vector<standin::Record> records;
    // What the console dialogs printed, when standard output was captured.
    std::vector<std::string> console;

    // Filled by the caller around the run.
    int signal = 0;                    // caught during the run; 0: none
    std::vector<std::string> notices;  // the lines told on standard error
};

// Whether the job client refused a call of the run.
bool anyRefused(const Outcome& outcome);

// The exit status: 128+signal when a signal was caught, else 3 when the job
// client refused a call, else 0 confirmed, 1 not confirmed.
int exitStatus(const Outcome& outcome);

// Runs request's subcommand, adding to outcome. The message-box wait runs
// under wait (its message text is set here). With captureConsole, what the
// library writes to standard output during the run is kept in
// Outcome::console instead of reaching it.
void runSubcommand(const Request& request, WaitOptions wait, bool captureConsole, Outcome& outcome);

}  // namespace alerttool

#endif  // KORRIN_TOOL_RUN_H
