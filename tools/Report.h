// What korrin-alert prints: the outcome of one run as text for a reader or
// as one JSON document.
#ifndef KORRIN_TOOL_REPORT_H
#define KORRIN_TOOL_REPORT_H

#include <optional>
#include <ostream>
#include <string>

#include "Command.h"
#include "Run.h"

namespace alerttool {

// Where the run's settings came from and its records went.
struct Files {
    std::string settings;
    bool settingsBuiltIn = false;
    std::string debugLog;  // "" when off
    std::string journal;   // "" when none
    std::string run;       // the run identity the journal's lines carry
};

// In this order: the three texts, the message code with the event's
// arguments decoded, every posting and job state, the console's rendering
// of each posting in the operator's language (standin::translatePosting),
// the identify buffers, how the wait ended, the answer, and the files.
void printText(std::ostream& out, const Request& request, const Outcome& outcome,
               const Files& files);

// The same content as one JSON document.
void printJson(std::ostream& out, const Request& request, const Outcome& outcome,
               const Files& files);

}  // namespace alerttool

#endif  // KORRIN_TOOL_REPORT_H
