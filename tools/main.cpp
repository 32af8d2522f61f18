// korrin-alert: runs one operation of the operator-alert library against the
// platform stand-in and shows everything it produced.
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <iostream>
#include <sstream>
#include <variant>

#include <nlohmann/json.hpp>

#include "CommandLine.h"
#include "Language.h"
#include "Report.h"
#include "Run.h"
#include "RunFiles.h"
#include "Signals.h"
#include "Standin.h"
#include "StandinText.h"
#include "Terminal.h"

namespace {

using namespace alerttool;

constexpr int kBadUsage = 2;

// One line on standard error naming the problem and, under --json, one
// JSON object on standard output for a script; returns status.
int refuse(const std::string& problem, bool json, const std::string& hint, int status = kBadUsage) {
    std::cerr << "korrin-alert: " << standin::escapeControls(problem) << hint << '\n';
    if (json) {
        std::cout << nlohmann::json{{"error", problem}, {"status", status}}.dump(
                         -1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    }
    return status;
}

// The one line that tells what a signal did to the run.
std::string interruption(const Outcome& outcome) {
    std::string line = std::string("interrupted by ") + SignalCatcher::name(outcome.signal) + ": ";
    const bool raised = std::any_of(
        outcome.records.begin(), outcome.records.end(), [](const standin::Record& record) {
            return record.kind == standin::Record::Kind::Raise && record.accepted;
        });
    if (outcome.wait.end == WaitEnd::Signal) line += "the wait was ended, ";
    if (!raised) return line + "nothing had been raised";
    if (standin::Journal::isPending(outcome.records.front().jobId)) {
        return line + "the pending cause is still raised: its clearing was refused";
    }
    return line + "the library finished its cycle and the pending cause was cleared";
}

// Warnings about the settings and the request, and notices of what the run
// will not do that the command line did not say.
void tellBeforeRun(const Request& request, Outcome& outcome) {
    for (const auto& warning : standin::Settings::warnings()) {
        tell(outcome.notices, "warning: " + warning);
    }
    const Subcommand& subcommand = *request.subcommand;
    if (subcommand.warns) {
        if (auto warning = subcommand.warns(request)) tell(outcome.notices, "warning: " + *warning);
    }
    if (subcommand.has(kPosts) && !subcommand.has(kJobZeroMeant) && request.job <= 0) {
        tell(outcome.notices, "notice: job " + std::to_string(request.job) +
                                  " is not a valid job ID (1 or more): nothing reaches the job "
                                  "manager");
    }
}

// What the run did not do that the command line asked for.
void tellAfterRun(const Request& request, Outcome& outcome) {
    if (request.answerAfter && outcome.wait.end == WaitEnd::None) {
        tell(outcome.notices,
             "notice: --answer-after had nothing to end: the library began no wait");
    }
}

void printReport(const Request& request, const Outcome& outcome, const SettingsFile& settings) {
    Files files;
    files.settings = settings.path();
    files.settingsBuiltIn = settings.builtIn();
    files.debugLog = standin::DebugLog::path();
    files.journal = standin::Journal::path();
    files.run = standin::Journal::runId();
    std::ostringstream report;
    if (request.json) {
        printJson(report, request, outcome, files);
    } else {
        printText(report, request, outcome, files);
    }
    // The texts hold whatever bytes the options gave.
    std::cout << (!request.json && isTerminal(STDOUT_FILENO)
                      ? standin::escapeControls(report.str(), standin::kKeepLineFeeds)
                      : report.str())
              << std::flush;
    if (!std::cout) std::cerr << "korrin-alert: the report could not be written in full\n";
}

int run(const Request& request) {
    SignalCatcher signals;
    SettingsFile settings(request.settings);
    checkRunFiles(request, settings);
    Outcome outcome;
    chooseConsoleLanguage(request, outcome.notices);
    tellBeforeRun(request, outcome);
    if (const int signal = SignalCatcher::caught()) {
        return refuse(std::string("interrupted by ") + SignalCatcher::name(signal) +
                          " before anything was posted",
                      request.json, "", 128 + signal);
    }

    WaitOptions wait;
    wait.answerAfter = request.answerAfter;
    wait.enterAnswers = isTerminal(STDIN_FILENO);
    wait.display = isTerminal(STDERR_FILENO);
    runSubcommand(request, wait, request.json, outcome);
    outcome.signal = SignalCatcher::caught();
    tellAfterRun(request, outcome);

    printReport(request, outcome, settings);
    if (outcome.signal != 0) std::cerr << "korrin-alert: " << interruption(outcome) << '\n';
    return exitStatus(outcome);
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = parseCommandLine(argc, argv);
    if (const auto* stop = std::get_if<Stop>(&parsed)) {
        std::cout << stop->out;
        if (!stop->error) return stop->status;
        return refuse(*stop->error, stop->json, " (" + stop->help + " for usage)");
    }
    const auto& request = std::get<Request>(parsed);
    try {
        return run(request);
    } catch (const std::exception& error) {
        return refuse(error.what(), request.json, "");
    }
}
