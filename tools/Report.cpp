#include "Report.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include <nlohmann/json.hpp>

#include "QZKREventStream.h"
#include "Signals.h"
#include "StandinConsole.h"
#include "StandinText.h"

namespace alerttool {

namespace {

using Json = nlohmann::ordered_json;
using standin::Record;

// A code in hex: its 32 bits, whatever number holds it.
std::string hex(long long code) { return standin::hex(static_cast<unsigned int>(code)); }

std::string codeName(long long code) {
    return hex(code) + " " + standin::consoleName(static_cast<int>(code));
}

bool isPosting(const Record& record) {
    return record.kind == Record::Kind::Raise || record.kind == Record::Kind::Clear;
}

// The raising whose arguments the operation streamed, or null.
const Record* firstRaise(const Outcome& outcome) {
    const auto found = std::find_if(outcome.records.begin(), outcome.records.end(),
                                    [](const Record& r) { return r.kind == Record::Kind::Raise; });
    return found == outcome.records.end() ? nullptr : &*found;
}

void block(std::ostream& out, const std::string& title, const std::string& text) {
    out << title << ":\n";
    if (text.empty()) {
        out << "    (empty)\n";
        return;
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) out << "    " << line << '\n';
}

// The values of a segment; an event error ID (a code) in hex.
std::string describeValues(const standin::ConsoleSegment& segment) {
    std::string out;
    for (std::size_t i = 0; i < segment.values.size(); ++i) {
        const auto& argument = segment.values[i];
        const bool errorId = segment.message != nullptr &&
                             i < std::strlen(segment.message->values) &&
                             segment.message->values[i] == 'e' && argument.tag == qzkr::kTagInt;
        if (!out.empty()) out += ", ";
        out += "tag " + std::to_string(argument.tag) + " " +
               (errorId ? "int " + hex(argument.number()) : standin::describe(argument));
    }
    return out;
}

void printArguments(std::ostream& out, const Outcome& outcome) {
    const Record* raise = firstRaise(outcome);
    if (outcome.code == 0 && raise == nullptr) {
        out << "Message code: none\n";
        return;
    }
    out << "Message code " << codeName(outcome.code);
    if (raise == nullptr) {
        out << ": nothing was raised, so no event arguments reached the job manager\n";
        return;
    }
    if (raise->arguments.empty()) {
        out << ": the raising #" << raise->seq << " carried no event arguments"
            << (raise->jobId == 0 ? " (the job client is not bound)" : "") << '\n';
        return;
    }
    out << ", event arguments (" << raise->arguments.size() << "):\n";
    bool opening = true;
    for (const auto& segment : standin::decodePosting(*raise)) {
        std::string head = opening             ? "opening"
                           : segment.code != 0 ? "tag " + std::to_string(qzkr::kTagUnsignedLong) +
                                                     " " + codeName(segment.code)
                                               : "(stray value)";
        head.resize(std::max<std::size_t>(head.size() + 1, 42), ' ');
        out << "    " << head << (segment.values.empty() ? "(no values)" : describeValues(segment))
            << '\n';
        opening = false;
    }
}

void printRecords(std::ostream& out, const Outcome& outcome) {
    out << "Postings and job states:\n";
    if (outcome.records.empty()) out << "    (no job-client call)\n";
    for (const auto& record : outcome.records) {
        out << "    #" << record.seq << ' ' << standin::kindName(record.kind) << ' '
            << (record.accepted ? "accepted" : "refused") << "  ";
        switch (record.kind) {
        case Record::Kind::Init:
            out << "job " << record.requestedJobId() << ", host \"" << record.host
                << "\", platform " << record.platform();
            break;
        case Record::Kind::Raise:
            out << codeName(record.code()) << ", flags " << record.flags();
            break;
        case Record::Kind::Clear:
            out << codeName(record.code()) << ", clears " << codeName(record.clearedCode())
                << ", flags " << record.flags();
            break;
        case Record::Kind::JobState: out << "job state " << record.state(); break;
        }
        if (isPosting(record)) {
            out << ", params";
            for (std::size_t i = 0; i < record.params.size(); ++i) {
                out << ' '
                    << (record.holdsCode(i) ? hex(record.params[i])
                                            : std::to_string(record.params[i]));
            }
        }
        out << '\n';
    }
}

std::string languageName(const std::string& language) {
    return language == "en" ? "English" : language;
}

void printRenderings(std::ostream& out, const Outcome& outcome) {
    out << "Console (the job manager's rendering of each posting, in "
        << languageName(standin::consoleLanguage()) << "):\n";
    bool any = false;
    for (const auto& record : outcome.records) {
        if (!isPosting(record)) continue;
        any = true;
        const auto rendering = standin::translatePosting(record);
        out << "    #" << record.seq << ' ' << standin::kindName(record.kind) << ':';
        if (rendering.text.empty()) {
            out << " (empty: the message is taken away)\n";
            continue;
        }
        out << '\n';
        std::istringstream lines(rendering.text);
        for (std::string line; std::getline(lines, line);) out << "        " << line << '\n';
        if (rendering.untranslated.empty()) continue;
        std::string missing;
        for (const auto& context : rendering.untranslated)
            missing += (missing.empty() ? "" : ", ") + context;
        out << "        (in English, missing from the " << rendering.language
            << " catalogue: " << missing << ")\n";
    }
    if (!any) out << "    (nothing was posted)\n";
}

std::string answerText(const Outcome& outcome) {
    std::string text = outcome.returned.value ? "not confirmed: the operation returned true"
                                              : "confirmed: the operation returned false";
    if (anyRefused(outcome)) text += "; the job client refused a call";
    if (outcome.signal != 0)
        text += std::string("; interrupted by ") + SignalCatcher::name(outcome.signal);
    return text + " (exit status " + std::to_string(exitStatus(outcome)) + ")";
}

// How the wait ended, for scripts.
const char* waitEnd(const WaitRecord& wait) {
    switch (wait.end) {
    case WaitEnd::None: return "none";
    case WaitEnd::RanOut: return "ran-out";
    case WaitEnd::Enter: return "enter";
    case WaitEnd::AnswerAfter: return "answer-after";
    case WaitEnd::Signal: return "signal";
    }
    return "none";
}

// How the wait ended, for a reader.
std::string waitText(const WaitRecord& wait) {
    const std::string after =
        " after " + std::to_string(wait.waited) + " of " + std::to_string(wait.seconds) + " s";
    switch (wait.end) {
    case WaitEnd::None: break;
    case WaitEnd::RanOut:
        return "ran out after " + std::to_string(wait.seconds) +
               " s without an answer; the library answers OK by itself";
    case WaitEnd::Enter: return "answered early with Enter" + after;
    case WaitEnd::AnswerAfter: return "answered early by --answer-after" + after;
    case WaitEnd::Signal:
        return std::string("interrupted by ") + SignalCatcher::name(wait.signal) + after;
    }
    return "none: the library answered at once without a wait";
}

// The segments of the streamed event, each with its values as the journal
// writes them.
Json argumentsJson(const Outcome& outcome) {
    Json segments = Json::array();
    const Record* raise = firstRaise(outcome);
    if (raise == nullptr) return segments;
    bool opening = true;
    for (const auto& segment : standin::decodePosting(*raise)) {
        Json values = Json::array();
        for (const auto& value : segment.values) {
            values.push_back(Json::parse(standin::Journal::toJson(value)));
        }
        segments.push_back({{"opening", opening},
                            {"code", segment.code},
                            {"hex", hex(segment.code)},
                            {"name", segment.message ? segment.message->name : nullptr},
                            {"values", std::move(values)}});
        opening = false;
    }
    return segments;
}

}  // namespace

void printText(std::ostream& out, const Request& request, const Outcome& outcome,
               const Files& files) {
    out << "korrin-alert " << request.subcommand->name << ", job " << request.job << "\n\n";
    block(out, "Message text", outcome.messageText);
    block(out, "Event text", outcome.eventText);
    block(out, "Log text", outcome.logText);
    out << '\n';
    printArguments(out, outcome);
    out << '\n';
    printRecords(out, outcome);
    out << '\n';
    printRenderings(out, outcome);
    out << '\n';
    if (const auto& buffers = outcome.returned; buffers.exportLocation) {
        out << "Export location buffer: \"" << *buffers.exportLocation << "\"\n";
        out << "Barcode buffer: \"" << buffers.barcode.value_or("") << "\"\n";
    }
    out << "Wait: " << waitText(outcome.wait) << '\n';
    out << "Answer: " << answerText(outcome) << '\n';
    out << "Debug log: " << (files.debugLog.empty() ? "off" : files.debugLog) << '\n';
    out << "Journal: "
        << (files.journal.empty()
                ? "in memory only (--journal FILE keeps one)"
                : files.journal + " (this run's lines: \"run\":\"" + files.run + "\")")
        << '\n';
    out << "Settings: " << files.settings
        << (files.settingsBuiltIn ? " (built-in defaults, removed at exit)" : "") << '\n';
}

void printJson(std::ostream& out, const Request& request, const Outcome& outcome,
               const Files& files) {
    Json postings = Json::array();
    for (const auto& record : outcome.records) {
        Json posting = Json::parse(standin::Journal::toJson(record));
        if (isPosting(record)) {
            auto rendering = standin::translatePosting(record);
            posting["rendering"] = std::move(rendering.text);
            posting["untranslated"] = std::move(rendering.untranslated);
        }
        postings.push_back(std::move(posting));
    }
    Json document;
    document["operation"] = request.subcommand->name;
    document["job"] = request.job;
    document["texts"] = {
        {"message", outcome.messageText}, {"event", outcome.eventText}, {"log", outcome.logText}};
    document["code"] = {{"value", outcome.code},
                        {"hex", hex(outcome.code)},
                        {"name", standin::consoleName(outcome.code)}};
    document["arguments"] = argumentsJson(outcome);
    document["postings"] = std::move(postings);
    document["language"] = standin::consoleLanguage();
    document["console"] = outcome.console;
    if (const auto& buffers = outcome.returned; buffers.exportLocation) {
        document["buffers"] = {{"export_location", *buffers.exportLocation},
                               {"barcode", buffers.barcode.value_or("")}};
    }
    document["wait"] = {
        {"ended", waitEnd(outcome.wait)},
        {"seconds", outcome.wait.end == WaitEnd::None ? Json() : Json(outcome.wait.seconds)},
        {"waited", outcome.wait.end == WaitEnd::None ? Json() : Json(outcome.wait.waited)}};
    document["answer"] = {{"returned", outcome.returned.value},
                          {"confirmed", !outcome.returned.value}};
    document["refused"] = anyRefused(outcome);
    document["signal"] = outcome.signal != 0 ? Json(SignalCatcher::name(outcome.signal)) : Json();
    document["notices"] = outcome.notices;
    document["files"] = {{"debug_log", files.debugLog.empty() ? Json() : Json(files.debugLog)},
                         {"journal", files.journal.empty() ? Json() : Json(files.journal)},
                         {"run", files.run},
                         {"settings", files.settings},
                         {"settings_built_in", files.settingsBuiltIn}};
    document["exit_status"] = exitStatus(outcome);
    // The texts are whatever bytes the caller gave, not necessarily UTF-8.
    out << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace alerttool
