// The transcript driver of the alert tests: steps written as data, run
// against the stand-in, and everything a step did written down as lines.
// The executable links HeapCount.cpp: a step's transcript says how many heap
// blocks the alert code took (only the dialogs may take any, to copy their texts).
//
// A step is one line: an operation and its arguments, e.g.
//   import media=M1 library="Lib 1" drive=D1 job=42 new-media
// A word without '=' is a flag. A value may be quoted; in it \n \r \t \\ \"
// and \{ stand for their characters, and {N} repeats the character before
// it N times (n{5000}). An argument left out is a null pointer, 0 or false.
// The operations and conditions are listed in tests/alert/golden/README.md.
#ifndef KORRIN_ALERT_TRANSCRIPT_H
#define KORRIN_ALERT_TRANSCRIPT_H

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

#include "FakeSleep.h"
#include "Golden.h"
#include "HeapCount.h"
#include "MMDebug.h"
#include "QZKRDialogs.h"
#include "QZKREventStream.h"
#include "QZKRGuiInterface.h"
#include "StandinConsole.h"
#include "StandinTest.h"
#include "StandinText.h"

namespace golden {

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
            if (line[at] == '{') {  // the last character again, N - 1 times
                const std::string repeated = value.substr(unit);
                const std::size_t close = line.find('}', at);
                for (int n = std::stoi(line.substr(at + 1, close - at - 1)); n > 1; --n)
                    value += repeated;
                at = close + 1;
                continue;
            }
            unit = value.size();
            const bool escaped = line[at] == '\\';
            const char c = line[at += escaped];
            value += !escaped ? c : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
            while ((line[++at] & 0xC0) == 0x80) value += line[at];  // the rest of a character
        }
        at += quoted;
    }
    return step;
}

// Bytes as a transcript shows them: quoted, escaped as a step's values are
// (escapeControls, and \{), a character repeated four times or more as c{N}.
inline std::string escape(std::string_view bytes) {
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

inline std::string number(long long value) {
    return value < 0x1000000 ? std::to_string(value) : standin::hex(value);
}

// A job-client call: kind, result, job, parameters (codes in hex) and arguments.
inline std::string describe(const standin::Record& record) {
    std::string line = standin::kindName(record.kind) +
                       std::string(record.accepted ? " accepted" : " refused") + " job " +
                       std::to_string(record.jobId);
    if (record.kind == standin::Record::Kind::Init) line += " host " + escape(record.host);
    const char* separator = " [";
    for (const long long value : record.params) line += separator + number(value), separator = " ";
    line += "]";
    for (const auto& argument : record.arguments) {
        line += (&argument == &record.arguments[0] ? ": " : ", ") +
                (argument.tag == qzkr::kTagText ? "text " + escape(argument.text)
                                                : standin::describe(argument));
    }
    return line;
}

// A debug line: MMDebug's numbers, module and job, EvDebug's level, the
// format and the message, whose source line number changes with every edit.
inline std::string describe(const standin::DebugLine& line) {
    std::string message = line.message;
    const std::size_t end = message.find_first_not_of("0123456789", 17);
    if (message.rfind("QZKRGuiInterface:", 0) == 0 && end > 17) message.replace(17, end - 17, "#");
    const char* source[] = {"MM", "EV level", "EV job"};
    return source[static_cast<int>(line.source)] + (" " + std::to_string(line.first)) + " " +
           std::to_string(line.second) + " " + std::to_string(line.fifth) + " " +
           std::to_string(line.level) + " " + escape(line.module) + " " +
           std::to_string(line.jobId) + " " + escape(line.format) + " " + escape(message);
}

// A platform function by its name as standin::callName gives it.
inline standin::Call callNamed(const std::string& name) {
    for (int i = 0; i <= static_cast<int>(standin::Call::EndianULongLong); ++i) {
        if (standin::callName(static_cast<standin::Call>(i)) == name)
            return static_cast<standin::Call>(i);
    }
    throw std::invalid_argument("no platform call " + name);
}

// Caller buffers of the identification prompt: null unless the step names
// them; the two answer buffers are 300 bytes of '#' after the given text, so
// that a write past the library's 256 bytes shows.
struct Buffers {
    explicit Buffers(const Step& step) {
        for (auto [buffer, key] :
             {std::pair{&location, "location-buffer"}, {&barcode, "barcode-buffer"}}) {
            const char* text = step.text(key);
            if (text) buffer->assign(std::max<std::size_t>(strlen(text) + 1, 300), '#');
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
        const auto time = static_cast<long>(step.number("time"));
        return alert.DisplayWrongMediaInDriveMessage(text("barcode"), text("location"), time,
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
        const int volume = static_cast<int>(step.number("volume"));
        // The preface is read only, though not declared so.
        char* preface = const_cast<char*>(text("preface"));
        return alert.DisplayIdentifyMediaMessage(preface, Buffers::get(buffers.location),
                                                 Buffers::get(buffers.barcode), text("unique"),
                                                 volume, library, drive, job, log, pending);
    }
    if (op == "popup") return alert.popupDialogBox(log, step.flag("first"), pending);
    if (op == "post") return alert.displayPopupAndEventMsgInGUI(log, pending, step.flag("clear"));
    if (op == "local") return alert.DisplayErrorMessageLocally(text("text"), job);
    if (op != "box") throw std::invalid_argument("no operation " + op);
    // The box must set the error code: one it left alone shows in the result.
    unsigned int errorCode = 77;
    const long long answer = alert.ShowMessageBox(text("text"), job, errorCode, pending);
    return errorCode == 0 ? answer : -1000 - errorCode;
}

// The fixture: a fresh stand-in whose settings name the control server
// "quorvane.test", the fake sleep reset, TZ=UTC, and no alert object.
class AlertTest : public testkit::StandinTest {
protected:
    AlertTest() { restart(); }

    // Starts a case afresh.
    void restart() {
        alert.reset();
        testkit::useStandinDefaults();
        write(settingsPath, "[Korrin]\nsQNHOSTNAME = quorvane.test\n");
        setenv("KORRIN_SETTINGS", settingsPath.c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
        standin::Journal::clear();
        standin::DebugLog::clear();
        standin::Calls::reset();
        testkit::FakeSleep::reset();
#if KORRIN_SCRIPTED_DIALOGS
        DialogScript::current() = DialogScript{};
#endif
    }

    // Sets the condition a step names for the steps after it; false for a
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
            if (op == "fault" && key != "sleep") standin::Calls::faultNext(callNamed(key), fault);
            if (op == "text" && key != "unterminated") {
                (step.flag("unterminated") ? standin::Calls::unterminatedTextNext
                                           : standin::Calls::textNext)(callNamed(key), value);
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

    // Runs a step and returns its transcript.
    std::vector<std::string> run(const std::string& line) {
        const Step step = parse(line);
        if (setCondition(step)) return {};
        standin::Journal::clear();  // what the step posts stays there for the caller
        const std::vector<std::string> before = fields();
        Buffers buffers(step);
        const int sleeps = testkit::FakeSleep::calls();
        const auto converted = conversions();
        std::vector<std::string> out;
        const auto say = [&out](bool when, const std::string& what) {
            if (when) out.push_back(what);
        };
        int allocations = 0;
        testing::internal::CaptureStdout();
        try {
            const auto job = static_cast<unsigned long>(step.number("job"));
            const char* text = step.text("text");
            const bool dialog = step.op == "message-box" || step.op == "export-dialog";
            if (step.op == "new")
                alert = std::make_unique<QZKRGuiInterface>(log, step.number("job"));
            if (step.op == "message-box")
                say(true, "returned " + std::to_string(QZKRMessageBox(text, job, 0, 0).DoModal()));
            if (step.op == "export-dialog") {
                MediaExportDlg box(step.text("media"), step.text("volume"), text, job, false);
                say(true, "returned " + std::to_string(box.DoModal()));
                say(true,
                    "answers " + escape(box.getExportLocation()) + " " + escape(box.getBarcode()));
            }
            const bool counted = step.op != "new" && !dialog && alert;
            if (counted) heapcount::start();
            const long long result = counted ? invoke(*alert, log, step, buffers) : 0;
            allocations = heapcount::stop();
            say(step.op != "new" && !dialog, "returned " + std::to_string(result));
        } catch (const std::exception& error) {
            allocations = heapcount::stop();
            say(true, "threw " + escape(error.what()));
        }
        const std::string printed = testing::internal::GetCapturedStdout();
        say(!printed.empty(), "stdout " + escape(printed));
        for (const auto& record : standin::Journal::records()) {
            say(true, describe(record));
            // The console renders a raising from its code and arguments alone.
            const std::string rendering = testkit::oneLine(standin::renderPosting(record));
            const bool same = alert && rendering == alert->getLogText();
            say(record.kind == standin::Record::Kind::Raise,
                same ? "console as the log text" : "console " + escape(rendering));
        }
        for (const auto& debugLine : standin::DebugLog::lines()) say(true, describe(debugLine));
        standin::DebugLog::clear();
        say(allocations > 0, "allocated " + std::to_string(allocations));
        // Every number streamed goes through the platform's little-endian conversion.
        say(conversions() > converted, "converted " + std::to_string(conversions() - converted));
        const int slept = testkit::FakeSleep::calls() - sleeps;
        say(slept > 0, "slept " + std::to_string(testkit::FakeSleep::lastSeconds()) + " x" +
                           std::to_string(slept));
        const std::vector<std::string> after = fields();
        for (std::size_t i = 0; i < after.size(); ++i)
            say(i >= before.size() || before[i] != after[i], after[i]);
        for (auto [name, bytes] : {std::pair{"location-buffer ", &buffers.location},
                                   {"barcode-buffer ", &buffers.barcode}})
            say(!bytes->empty(), name + escape({bytes->data(), bytes->size()}));
        return out;
    }

    // Runs every step of a golden file, comparing each transcript with the
    // file's, or rewriting the file when KORRIN_UPDATE_GOLDEN is set.
    void checkGoldenFile(const std::string& name) {
        const std::string path = std::string(KORRIN_GOLDEN_DIR) + "/" + name;
        restart();
        std::string expected, actual;
        for (const std::string& line : readLines(path)) {
            expected += line + "\n";
            if (line.rfind("  ", 0) == 0) continue;  // a transcript line
            actual += line + "\n";
            if (line.empty()) restart();
            if (line.rfind("> ", 0) != 0) continue;
            for (const auto& said : run(line.substr(2))) actual += "  " + said + "\n";
        }
        ASSERT_FALSE(expected.empty()) << path;
        expectFile(path, actual);
    }

    MMDebug log;
    std::unique_ptr<QZKRGuiInterface> alert;
    const std::string settingsPath = file("korrin.ini");

private:
    // The object's fields; the texts bounded by their size, whatever the library left in them.
    std::vector<std::string> fields() const {
        if (!alert) return {};
        const auto text = [](const char* name, const char* bytes) {
            return name + escape({bytes, strnlen(bytes, QZKRGuiInterface::kTextSize)});
        };
        return {text("message ", alert->getMessageText()), text("event ", alert->getGumMessage()),
                text("log ", alert->getLogText()), "code " + number(alert->getEventMessageCode()),
                "job " + std::to_string(alert->getJobId())};
    }
    static std::uint64_t conversions() {
        std::uint64_t made = 0;
        for (auto call : {standin::Call::EndianInt, standin::Call::EndianLongLong,
                          standin::Call::EndianULongLong})
            made += standin::Calls::count(call);
        return made;
    }
};

}  // namespace golden

#endif  // KORRIN_ALERT_TRANSCRIPT_H
