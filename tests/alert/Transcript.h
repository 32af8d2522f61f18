// The case driver of the alert tests: steps written as data and run against
// the stand-in; each step held to the facets its case writes under it, and
// to what every step must keep.
//
// A case file (tests/alert/golden/*.txt) holds cases; a blank line starts
// the next: a fresh stand-in whose settings name the control server
// "quorvane.test", and an alert object for job 42. `#` begins a comment.
// `> STEP` runs a step (or several, chained with "; ", the case holding the
// last to its facets): an operation with its arguments by name, an argument
// left out being a null pointer, 0 or false (`import media=M1 job=42
// new-media`; see parse and invoke), or a condition for the steps after it:
//   settings box=V | settings ini="..."   rewrites the settings file
//   env NAME=VALUE                        sets a variable
//   fault CALL=fail|throw (sleep=throw)   the next call of a platform function
//   text CALL=TEXT [unterminated]         the text it hands over next
//   script result=N location= barcode= throw   the scripted dialogs' answer
// (CALL as standin::callName names it). Under a step, a line of facets
// separated by " | " (`= 0 | event "..."`) is what the case holds the step
// to; a long one goes on in lines indented four spaces. Write `KIND ?` and
// run with KORRIN_UPDATE_GOLDEN=1 to have a facet filled in, then review it
// as code. The kinds:
//   =          the result (or what it threw), the event message code, and
//              the job ID when the step changed it
//   message, event, log   the object's texts
//   streamed   every event argument the step streamed (`absent`: the empty
//              sub-message and its "")
//   posted     the job-client calls: init, raise (flags 1 `pending`, its
//              argument count), clear, each `refused` when so
//   console    the console's rendering of the step's raising (or of what it
//              streamed, when it posted nothing) where it differs from the
//              event text
//   logged     the debug lines: the agent's by their message (`log text`),
//              the box's level and message (`waited 180`: the whole wait),
//              a dialog's class and job (its message is what it printed),
//              sleeps
//   printed    standard output
//   buffers    the identification prompt's buffers (300 bytes each, '#' after
//              the text given)
// A facet the step does not have reads `KIND -`.
#ifndef KORRIN_ALERT_TRANSCRIPT_H
#define KORRIN_ALERT_TRANSCRIPT_H

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "FakeSleep.h"
#include "MMDebug.h"
#include "QZKRDialogs.h"
#include "QZKRGuiInterface.h"
#include "StandinConsole.h"
#include "StandinTest.h"
#include "StandinText.h"

namespace golden {

using standin::Argument;
using Kind = standin::Record::Kind;

// One step: `import media=M1 job=42 new-media`. A word without '=' is a
// flag; a value may be quoted, holds \n \\ \" \{ for their characters, and
// {N} repeats the character before it N times.
struct Step {
    std::string op;
    std::map<std::string, std::string, std::less<>> args;

    const char* text(std::string_view key) const {  // null when absent
        const auto found = args.find(key);
        return found == args.end() ? nullptr : found->second.c_str();
    }
    long long number(std::string_view key) const {
        return text(key) ? std::stoll(text(key), nullptr, 0) : 0;
    }
    bool flag(std::string_view key) const { return args.count(key) != 0; }
};

inline Step parse(const std::string& line) {
    Step step;
    std::size_t at = line.find(' ');
    step.op = line.substr(0, at);
    while ((at = line.find_first_not_of(' ', at)) != std::string::npos) {
        const std::size_t stop = std::min(line.find_first_of("= ", at), line.size());
        std::string& value = step.args[line.substr(at, stop - at)];
        if ((at = stop) == line.size() || line[at] == ' ') continue;
        const bool quoted = line[++at] == '"';
        std::size_t unit = 0;  // where the last character began
        for (at += quoted; at < line.size() && line[at] != (quoted ? '"' : ' ');) {
            if (line[at] == '{') {
                const std::string repeated = value.substr(unit);
                const std::size_t close = line.find('}', at);
                for (int n = std::stoi(line.substr(at + 1, close - at - 1)); n > 1; --n)
                    value += repeated;
                at = close + 1;
                continue;
            }
            unit = value.size();
            const bool escaped = line[at] == '\\';
            value += escaped && line[at + 1] == 'n' ? '\n' : line[at + escaped];
            at += escaped;
            while ((line[++at] & 0xC0) == 0x80) value += line[at];  // the rest of a character
        }
        at += quoted;
    }
    return step;
}

// Bytes as a case shows them: quoted and escaped as a step's values are
// (escapeControls, and \{), a character repeated four times or more as c{N}.
inline std::string show(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t at = 0, length = 1; at < bytes.size(); at += length) {
        length = standin::characterLength(bytes, at);
        const std::string_view unit = bytes.substr(at, length);
        const std::string shown =
            unit == "{" ? "\\{" : standin::escapeControls(unit, standin::kQuoted);
        std::size_t repeats = 1;
        while (bytes.substr(at + length, length) == unit) ++repeats, at += length;
        out += repeats < 4 ? shown + (repeats > 1 ? shown : "") + (repeats > 2 ? shown : "")
                           : shown + "{" + std::to_string(repeats) + "}";
    }
    return out + "\"";
}

inline std::string hex(long long code) { return standin::hex(static_cast<unsigned int>(code)); }

// Event arguments: texts quoted, codes in hex, an absent piece (the empty
// sub-message and its "") as `absent`. The tags are the event's own
// numbers: 11 a text, 10 a code, 9 a long long.
inline std::string show(const std::vector<Argument>& arguments) {
    std::string out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Argument& a = arguments[i];
        const bool absent = a.tag == 10 && a.number() == qzkr::kMsgEmpty &&
                            i + 1 < arguments.size() && arguments[i + 1].tag == 11 &&
                            arguments[i + 1].text.empty();
        out += out.empty() ? "" : ", ";
        out += absent        ? (++i, "absent")
               : a.tag == 10 ? hex(a.number())
               : a.tag == 11 ? show(a.text)
               : a.tag == 9  ? std::to_string(a.number())
                             : "tag " + std::to_string(a.tag) + " " + std::to_string(a.number());
    }
    return out;
}

// The caller's buffers of the identification prompt: null unless the step
// names them; each 300 bytes of '#' after the given text, so that a write
// past the library's 256 bytes shows.
struct Buffers {
    explicit Buffers(const Step& step) {
        for (auto [buffer, text] : {std::pair{&location, step.text("location-buffer")},
                                    {&barcode, step.text("barcode-buffer")}}) {
            if (text) buffer->assign(300, '#');
            if (text) std::memcpy(buffer->data(), text, strlen(text) + 1);
        }
    }
    static char* get(std::vector<char>& buffer) { return buffer.empty() ? nullptr : buffer.data(); }
    std::vector<char> location, barcode;
};

// Makes the one alert-object call that a step names, and nothing else.
inline long long invoke(QZKRGuiInterface& alert, MMDebug& log, const Step& step, Buffers& buffers) {
    const auto text = [&step](const char* key) { return step.text(key); };
    const std::string& op = step.op;
    const long long job = step.number("job");
    const bool pending = step.flag("pending");
    const char *library = text("library"), *drive = text("drive");
    const int error = static_cast<int>(step.number("error"));
    if (op == "import") {
        return alert.DisplayImportMessage(text("media"), text("identifier"), text("location"),
                                          library, drive, job, step.flag("new-media"),
                                          step.flag("in-use"), log);
    }
    if (op == "wrong-media") {
        return alert.DisplayWrongMediaInDriveMessage(text("barcode"), text("location"),
                                                     static_cast<long>(step.number("time")),
                                                     library, drive, text("media"), job, log);
    }
    if (op == "new-media")
        return alert.DisplayImportNewMediaMessage(library, drive, job, log, pending);
    if (op == "wrong-new-media")
        return alert.DisplayWrongNewMediaMessage(library, drive, error, job, log, pending);
    if (op == "crc-error") return alert.DisplayCRCErrorMessage(library, drive, job, log, pending);
    if (op == "media-error")
        return alert.DisplayMediaErrorMessage(error, library, drive, job, log, pending);
    if (op == "identify") {
        // The preface is only read, though not declared so.
        return alert.DisplayIdentifyMediaMessage(
            const_cast<char*>(text("preface")), Buffers::get(buffers.location),
            Buffers::get(buffers.barcode), text("unique"), static_cast<int>(step.number("volume")),
            library, drive, job, log, pending);
    }
    if (op == "popup") return alert.popupDialogBox(log, false, pending);
    if (op == "post") return alert.displayPopupAndEventMsgInGUI(log, pending, step.flag("clear"));
    if (op == "local") return alert.DisplayErrorMessageLocally(text("text"), job);
    if (op == "message-box")
        return QZKRMessageBox(text("text"), static_cast<unsigned long>(job), 0, 0).DoModal();
    if (op != "box") throw std::invalid_argument("no operation " + op);
    // The box must set the error code: one it left alone shows in the result.
    unsigned int errorCode = 77;
    const long long answer = alert.ShowMessageBox(text("text"), job, errorCode, pending);
    return errorCode == 0 ? answer : -1000 - errorCode;
}

// What a step did, by facet: the text a case writes, after its two spaces.
// A step shows the facets in this order.
using Facets = std::map<std::string, std::string>;
const char* const kFacets[] = {"=",      "message", "event",  "log",     "streamed",
                               "posted", "console", "logged", "printed", "buffers"};

// Adds an item to a facet, after its kind or a separator.
inline void add(Facets& said, const std::string& kind, const std::string& item,
                const char* separator = ", ") {
    std::string& line = said[kind];
    line += (line.empty() ? kind + " " : separator) + item;
}

// The fixture: a fresh stand-in whose settings name the control server
// "quorvane.test", the fake sleep reset, TZ=UTC, and an alert object for
// job 42 made before the case begins.
class AlertTest : public testkit::StandinTest {
protected:
    AlertTest() { restart(); }

    void restart() {
        testkit::useStandinDefaults();
        write(settingsPath, "[Korrin]\nsQNHOSTNAME = quorvane.test\n");
        setenv("KORRIN_SETTINGS", settingsPath.c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
        alert.emplace(log, 42);
        standin::Journal::clear();
        standin::Calls::reset();
        testkit::FakeSleep::reset();
#if KORRIN_SCRIPTED_DIALOGS
        DialogScript::current() = DialogScript{};
#endif
    }

    // Sets what a condition step names for the steps after it; false for a
    // step that is not a condition.
    bool setCondition(const Step& step) {
        const std::string& op = step.op;
        const std::string box = "[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = ";
        if (op == "settings")
            write(settingsPath, step.text("ini") ? step.text("ini") : box + step.text("box"));
        for (const auto& [key, value] : step.args) {
            const auto fault = value == "throw" ? standin::Fault::Throw : standin::Fault::Fail;
            if (op == "env") setenv(key.c_str(), value.c_str(), 1);
            if (op == "fault" && key == "sleep") testkit::FakeSleep::throwNext();
            if (op == "fault" && key != "sleep")
                standin::Calls::faultNext(standin::callNamed(key), fault);
            if (op == "text" && key != "unterminated") {
                (step.flag("unterminated")
                     ? standin::Calls::unterminatedTextNext
                     : standin::Calls::textNext)(standin::callNamed(key), value);
            }
        }
#if KORRIN_SCRIPTED_DIALOGS
        const char *location = step.text("location"), *barcode = step.text("barcode");
        if (op == "script") {
            DialogScript::current() = {step.number("result"), step.flag("throw"), !location,
                                       location ? location : "", barcode ? barcode : ""};
        }
#endif
        return op == "settings" || op == "env" || op == "fault" || op == "text" || op == "script";
    }

    // Runs a step and returns what it did (nothing for a condition); adds to
    // m_broken what every step of a case must keep and this one did not.
    Facets run(const std::string& line) {
        const Step step = parse(line);
        if (setCondition(step)) return {};
        standin::Journal::clear();  // what the step posts stays there for the caller
        standin::DebugLog::clear();
        standin::Calls::takeStreamed();
        const std::uint64_t converted = conversions();
        const int sleeps = testkit::FakeSleep::calls();
        const std::string logBefore = text(alert->getLogText());
        const long long jobBefore = alert->getJobId();
        Buffers buffers(step);
        Facets said;
        testing::internal::CaptureStdout();
        try {
            if (step.op == "new") alert.emplace(log, step.number("job"));
            said["="] = step.op == "new"
                            ? "= made"
                            : "= " + std::to_string(invoke(*alert, log, step, buffers));
        } catch (const std::exception& error) {
            said["="] = "= threw " + show(error.what());
        }
        const std::string printed = testing::internal::GetCapturedStdout();
        if (!alert) return said;  // the constructor threw: no object to read
        said["="] += "; code " + hex(alert->getEventMessageCode());
        if (step.op == "new" || alert->getJobId() != jobBefore)
            said["="] += "; job " + std::to_string(alert->getJobId());
        const std::string event = text(alert->getGumMessage()), logText = text(alert->getLogText());
        said["message"] = "message " + show(text(alert->getMessageText()));
        said["event"] = "event " + show(event);
        said["log"] = "log " + show(logText);
        const auto streamed = standin::Calls::takeStreamed();
        if (!streamed.empty()) add(said, "streamed", show(streamed));
        if (!printed.empty()) add(said, "printed", show(printed));
        for (auto [name, buffer] :
             {std::pair{"location ", &buffers.location}, {"barcode ", &buffers.barcode}}) {
            if (!buffer->empty()) add(said, "buffers", name + show({buffer->data(), 300}), " ");
        }
        describeDebugLines(said, testkit::FakeSleep::calls() - sleeps, printed);
        // The console renders what a raising posted (or, when nothing was
        // posted, what the step streamed) from the codes and values alone as
        // the event text, but for a text cut at its size (the console shows
        // the values whole).
        standin::Record shown;
        shown.kind = Kind::Raise;
        shown.params = {alert->getEventMessageCode()};
        shown.arguments = streamed;
        const bool posted = describePostings(said, shown);
        if ((posted ? shown.accepted : !streamed.empty()) &&
            logText.size() + 1 < QZKRGuiInterface::kTextSize) {
            if (standin::renderPosting(shown) != event)
                add(said, "console", show(standin::renderPosting(shown)));
            for (const auto& segment : standin::decodePosting(shown))
                if (m_strict) shownCodes().insert(segment.code);
        }
        if (logText != logBefore && testkit::oneLine(event) != logText)
            m_broken["log"] = said["log"];
        if (said.count("console")) m_broken["console"] = said["console"];
        const auto numbers = std::count_if(streamed.begin(), streamed.end(),
                                           [](const Argument& a) { return a.tag != 11; });
        if (conversions() - converted != static_cast<std::uint64_t>(numbers))
            m_broken["="] = "a number streamed was not made little-endian";
        return said;
    }

    // Runs every case of a file and holds each step to the facets written
    // under it (`event ?` asks for a facet); with KORRIN_UPDATE_GOLDEN set,
    // rewrites them for review. What no case needs to write holds for every
    // step of a case unless the step writes the facet: a log text written is
    // the event text on one line; the console renders the step's event as
    // the event text (run); every number streamed goes
    // through the platform's little-endian conversion.
    void checkGoldenFile(const std::string& name) {
        const std::string path = std::string(KORRIN_GOLDEN_DIR) + "/" + name;
        restart();
        m_strict = true;
        std::string actual, stepLine, written;  // written: the facets under the step
        const auto endStep = [&] {
            if (stepLine.empty()) return;
            Facets said;  // of the last of the steps the line chains with "; "
            m_broken.clear();
            for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 2)
                said = run(stepLine.substr(at, (end = stepLine.find("; ", at)) - at));
            std::string facets;
            for (const std::string kind : kFacets) {
                const bool ask = (" | " + written).find(" | " + kind + " ") != std::string::npos;
                if (ask)
                    facets += (facets.empty() ? "" : " | ") +
                              (said.count(kind) ? said.at(kind) : kind + " -");
                if (m_broken.count(kind) && (!ask || kind == "="))
                    ADD_FAILURE() << name << ": > " << stepLine << ": " << m_broken[kind];
            }
            if (!facets.empty()) actual += wrap(facets);
            stepLine.clear(), written.clear();
        };
        std::istringstream lines(read(path));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("  ", 0) == 0) {  // the step's facets, or their next line
                written += line.substr(line.rfind("    ", 0) == 0 ? 4 : 2);
                continue;
            }
            endStep();
            actual += line + "\n";
            if (line.empty()) restart();
            if (line.rfind("> ", 0) == 0) stepLine = line.substr(2);
        }
        endStep();
        if (std::getenv("KORRIN_UPDATE_GOLDEN")) std::ofstream(path) << actual;
        EXPECT_EQ(actual, read(path)) << path << ": KORRIN_UPDATE_GOLDEN=1 rewrites it for review";
    }

    // The messages the console knows that the cases showed.
    static std::set<int>& shownCodes() {
        static std::set<int> codes;
        return codes;
    }

    MMDebug log;
    std::optional<QZKRGuiInterface> alert;
    const std::string settingsPath = file("korrin.ini");

private:
    std::map<std::string, std::string> m_broken;  // by facet: what the step did not keep
    bool m_strict = false;                        // a case's step, not a fault's

    // A text of the object, bounded by its size whatever the library left in it.
    static std::string text(const char* bytes) {
        return {bytes, strnlen(bytes, QZKRGuiInterface::kTextSize)};
    }

    // A facet as the lines of a case: two spaces, and past 96 bytes the line
    // goes on after four, cut before a space where it can be.
    static std::string wrap(std::string line) {
        std::string out = "  ";
        while (line.size() > 96) {
            std::size_t cut = line.rfind(' ', 96);
            if (cut == std::string::npos || cut < 48) cut = 96;
            while ((line[cut] & 0xC0) == 0x80) --cut;  // not inside a character
            out += line.substr(0, cut) + "\n    ";
            line.erase(0, cut);
        }
        return out + line + "\n";
    }

    // The step's journal: init, raise (flags 1 as `pending`, its argument
    // count) and clear, each `refused` when so. Every posting passes what
    // the job manager expects and, in a case, is followed by its job state:
    // 3 after a raising, 1 after a clearing. Keeps the raising in `raised`;
    // true when the step posted anything.
    bool describePostings(Facets& said, standin::Record& raised) {
        const auto records = standin::Journal::records();
        const long long code = alert->getEventMessageCode(), empty = qzkr::kMsgEmpty;
        bool posted = false;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const standin::Record& r = records[i];
            const bool raise = r.kind == Kind::Raise;
            if (r.kind == Kind::Init)
                add(said, "posted", "init " + show(r.host) + (r.accepted ? "" : " refused"));
            if (!raise && r.kind != Kind::Clear) continue;  // a job state goes with its posting
            using Params = std::vector<long long>;
            const Params expected = raise ? Params{code, 0, 1, 300, 0, 40, r.flags() == 1, code, 0}
                                          : Params{empty, 0, 1, 300, 0, 0, 0, 0, 40, 2, code, 0};
            EXPECT_EQ(r.params, expected);
            EXPECT_TRUE(raise || r.arguments.empty() || show(r.arguments) == "\"\"");
            const Params state = {raise ? 3 : 1, 0, 0};
            EXPECT_TRUE(!m_strict || (i + 1 < records.size() && records[i + 1].params == state))
                << "job state " << state[0] << " follows a posting";
            if (raise) raised = r;
            posted = true;
            add(said, "posted",
                (raise ? "raise " + hex(r.code()) + (r.flags() ? " pending" : "") + " (" +
                             std::to_string(r.arguments.size()) + ")"
                       : std::string("clear")) +
                    (r.accepted ? "" : " refused"));
        }
        return posted;
    }

    // The step's debug lines. A line of the agent's log is 1, 2, "WORKER  ",
    // -1, -1, then "%s:%d: " filled with this file's name and line; it shows
    // as its message, the log text as `log text`. The box's wait of 180
    // seconds shows as `waited 180`; a dialog's line as its class and job,
    // its message being what the dialog printed after "Job <id>: ".
    void describeDebugLines(Facets& said, int slept, const std::string& printed) {
        const std::string waiting =
            "nKRMSGBOXOPTION key is set to 2(default behavior). Wait for "
            "3 Mins for user to take required media action ...";
        const auto lines = standin::DebugLog::lines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const standin::DebugLine& line = lines[i];
            const std::string job = std::to_string(line.jobId);
            std::string item = "level " + std::to_string(line.level) + " " + show(line.message);
            if (line.source == standin::DebugLine::Source::MM) {
                EXPECT_EQ(std::tie(line.first, line.second, line.module, line.jobId, line.fifth),
                          std::make_tuple(1, 2, "WORKER  ", -1LL, -1));
                EXPECT_EQ(line.format.substr(0, 7) + line.message.substr(0, 17),
                          "%s:%d: QZKRGuiInterface:");
                const std::string message = line.message.substr(line.message.find(": ") + 2);
                item = message == alert->getLogText() ? "log text" : show(message);
            } else if (line.source == standin::DebugLine::Source::Job) {
                item = line.module + " " + job;
                EXPECT_NE(printed.find("Job " + job + ": " + line.message + "\n"),
                          std::string::npos);
            } else if (line.message == waiting && line.level == 1 && i + 1 < lines.size() &&
                       lines[i + 1].message == "Sleep Completed." && lines[i + 1].level == 5 &&
                       slept > 0 && testkit::FakeSleep::lastSeconds() == 180) {
                item = "waited 180", ++i, --slept;
            }
            add(said, "logged", item);
        }
        if (slept > 0) add(said, "logged", "slept " + std::to_string(slept));
    }

    static std::uint64_t conversions() {
        using standin::Call, standin::Calls;
        return Calls::count(Call::EndianInt) + Calls::count(Call::EndianLongLong) +
               Calls::count(Call::EndianULongLong);
    }
};

}  // namespace golden

#endif  // KORRIN_ALERT_TRANSCRIPT_H
