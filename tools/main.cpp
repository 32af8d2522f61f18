// korrin-alert: runs one operation of the operator-alert library against the
// platform stand-in and shows everything it produced.
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <variant>

#include "CommandLine.h"
#include "Operation.h"
#include "Report.h"
#include "Settings.h"
#include "Standin.h"

namespace {

constexpr int kBadUsage = 2;

int run(const alerttool::Request& request) {
    alerttool::SettingsFile settings(request.settings);
    alerttool::WaitOptions wait;
    wait.answerAfter = request.answerAfter;
    wait.enterAnswers = ::isatty(STDIN_FILENO) != 0;
    wait.countdown = ::isatty(STDERR_FILENO) != 0;

    const alerttool::Outcome outcome = alerttool::runOperation(request, wait, request.json);

    alerttool::Files files;
    files.settings = settings.path();
    files.settingsBuiltIn = settings.builtIn();
    files.debugLog = standin::DebugLog::path();
    if (const char* journal = std::getenv("KORRIN_JOURNAL"); journal != nullptr && *journal) {
        files.journal = journal;
    }
    if (request.json) {
        alerttool::printJson(std::cout, request, outcome, files);
    } else {
        alerttool::printText(std::cout, request, outcome, files);
    }
    return alerttool::exitStatus(outcome);
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = alerttool::parseCommandLine(argc, argv);
    if (const auto* stop = std::get_if<alerttool::Stop>(&parsed)) {
        std::cout << stop->out;
        if (!stop->error.empty()) {
            std::cerr << "korrin-alert: " << stop->error << " (korrin-alert --help for usage)\n";
        }
        return stop->status;
    }
    try {
        return run(std::get<alerttool::Request>(parsed));
    } catch (const std::exception& error) {
        std::cerr << "korrin-alert: " << error.what() << '\n';
    }
    return kBadUsage;
}
