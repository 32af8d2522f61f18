#include "Transcript.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "FakeSleep.h"
#include "QZKRDialogs.h"
#include "Standin.h"
#include "StandinConsole.h"
#include "TestKit.h"

namespace golden {

namespace {

using standin::Record;

// Reads the value that starts at `at`: quoted, or up to the next space.
std::string readValue(const std::string& line, std::size_t& at) {
    const bool quoted = line[at] == '"';
    at += quoted ? 1 : 0;
    std::string value;
    std::size_t unit = 0;  // where the last character began
    while (at < line.size()) {
        char c = line[at++];
        if (c == (quoted ? '"' : ' ')) break;
        if (c == '{') {
            const std::size_t close = line.find('}', at);
            const std::string repeated = value.substr(unit);
            for (int n = std::stoi(line.substr(at, close - at)); n > 1; --n) value += repeated;
            at = close + 1;
            continue;
        }
        unit = value.size();
        if (c == '\\') {
            c = line[at++];
            if (c == 'x') {
                c = static_cast<char>(std::stoi(line.substr(at, 2), nullptr, 16));
                at += 2;
            } else {
                c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
            }
        }
        value += c;
        // A multi-byte character repeats whole.
        while ((c & 0xC0) == 0xC0 && at < line.size() && (line[at] & 0xC0) == 0x80) {
            value += line[at++];
        }
    }
    return value;
}

std::string show(std::string_view unit) {
    const auto byte = static_cast<unsigned char>(unit[0]);
    if (unit.size() > 1) return std::string(unit);
    switch (unit[0]) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    case '\\': case '"': case '{': return std::string("\\") + unit[0];
    default: break;
    }
    if (byte >= 0x20 && byte < 0x7F) return std::string(unit);
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    return hex;
}

// A whole UTF-8 character at `at`, else one byte.
std::size_t unitLength(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return testkit::isValidUtf8(bytes.substr(at, length)) ? length : 1;
}

std::string number(long long value) {
    if (value < 0x1000000) return std::to_string(value);
    char hex[24];
    std::snprintf(hex, sizeof hex, "0x%llx", value);
    return hex;
}

}  // namespace

std::string describe(const Record& record) {
    std::string line = std::string(standin::kindName(record.kind)) +
                       (record.accepted ? " accepted" : " refused") + " job " +
                       std::to_string(record.jobId);
    if (record.kind == Record::Kind::Init) line += " host " + escape(record.host);
    const char* separator = " [";
    for (const long long value : record.params) line += separator + number(value), separator = " ";
    line += "]";
    separator = ": ";
    for (const auto& argument : record.arguments) {
        line += separator;
        line += argument.tag == standin::kTagText ? "text " + escape(argument.text)
                                                  : standin::describe(argument);
        separator = ", ";
    }
    return line;
}

namespace {

// The logging statement's line number changes with every edit of the source.
std::string withoutLineNumber(std::string message) {
    const std::string source = "QZKRGuiInterface:";
    std::size_t end = source.size();
    while (message.rfind(source, 0) == 0 && end < message.size() && std::isdigit(static_cast<unsigned char>(message[end]))) {
        ++end;
    }
    if (end > source.size()) message.replace(source.size(), end - source.size(), "#");
    return message;
}

std::string describe(const standin::DebugLine& line) {
    using Source = standin::DebugLine::Source;
    if (line.source == Source::Lvl) {
        return "EV level " + std::to_string(line.level) + " " + escape(line.message);
    }
    if (line.source == Source::Job) {
        return "EV job " + escape(line.module) + " " + std::to_string(line.jobId) + " " +
               escape(line.format) + " " + escape(line.message);
    }
    return "MM " + std::to_string(line.first) + " " + std::to_string(line.second) + " " +
           escape(line.module) + " " + std::to_string(line.jobId) + " " +
           std::to_string(line.fifth) + " " + escape(line.format) + " " +
           escape(withoutLineNumber(line.message));
}

standin::Call callNamed(const std::string& name) {
    for (int i = 0; i <= static_cast<int>(standin::Call::EndianULongLong); ++i) {
        const std::string full = standin::callName(static_cast<standin::Call>(i));
        const std::size_t colons = full.rfind("::");
        if (full.substr(colons == std::string::npos ? 0 : colons + 2) == name) {
            return static_cast<standin::Call>(i);
        }
    }
    throw std::invalid_argument("no platform call " + name);
}

// One of the object's fields as a transcript line; the texts bounded by
// their size, whatever the library left in them.
std::string field(const char* name, const char* text) {
    const std::string_view bytes(text, strnlen(text, QZKRGuiInterface::kTextSize));
    std::string line = std::string(name) + " " + escape(bytes);
    if (bytes.size() == QZKRGuiInterface::kTextSize) line += " (no NUL)";
    if (!testkit::isValidUtf8(bytes)) line += " (not UTF-8)";
    return line;
}

std::vector<std::string> fieldsOf(const QZKRGuiInterface* alert) {
    if (alert == nullptr) return {};
    return {field("message", alert->getMessageText()), field("event", alert->getGumMessage()),
            field("log", alert->getLogText()), "code " + number(alert->getEventMessageCode()),
            "job " + std::to_string(alert->getJobId())};
}

}  // namespace

const char* Step::text(std::string_view key) const {
    const auto found = args.find(key);
    return found == args.end() ? nullptr : found->second.c_str();
}

long long Step::number(std::string_view key) const {
    const char* value = text(key);
    return value != nullptr ? std::stoll(value, nullptr, 0) : 0;
}

Step parse(const std::string& line) {
    Step step;
    std::size_t at = line.find(' ');
    step.op = line.substr(0, at);
    while (at < line.size()) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t stop = std::min(line.find_first_of("= ", at), line.size());
        std::string& value = step.args[line.substr(at, stop - at)];
        at = stop;
        if (at < line.size() && line[at] == '=') value = readValue(line, ++at);
    }
    return step;
}

std::string escape(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = unitLength(bytes, at);
        const std::string_view unit = bytes.substr(at, length);
        std::size_t repeats = 1;
        while (bytes.substr(at + repeats * length, length) == unit) ++repeats;
        const std::string shown = show(unit);
        if (repeats >= 4) {
            out += shown + "{" + std::to_string(repeats) + "}";
        } else {
            for (std::size_t k = 0; k < repeats; ++k) out += shown;
        }
        at += repeats * length;
    }
    return out + "\"";
}

Buffers::Buffers(const Step& step) {
    if (const char* preface = step.text("preface")) {
        this->preface.assign(preface, preface + std::strlen(preface) + 1);
    }
    for (auto [buffer, key] : {std::pair{&location, "location-buffer"}, {&barcode, "barcode-buffer"}}) {
        if (const char* initial = step.text(key)) {
            buffer->assign(QZKRGuiInterface::kBarcodeSize + 44, '#');
            std::memcpy(buffer->data(), initial, std::strlen(initial) + 1);
        }
    }
}

long long invoke(QZKRGuiInterface& alert, MMDebug& log, const Step& step, Buffers& buffers) {
    const std::string& op = step.op;
    const long long job = step.number("job");
    const bool pending = step.flag("pending");
    const char* library = step.text("library");
    const char* drive = step.text("drive");
    if (op == "import") {
        return alert.DisplayImportMessage(step.text("media"), step.text("identifier"),
                                          step.text("location"), library, drive, job,
                                          step.flag("new-media"), step.flag("in-use"), log);
    }
    if (op == "wrong-media") {
        return alert.DisplayWrongMediaInDriveMessage(
            step.text("barcode"), step.text("location"), static_cast<long>(step.number("time")),
            library, drive, step.text("media"), job, log);
    }
    const int error = static_cast<int>(step.number("error"));
    if (op == "new-media") return alert.DisplayImportNewMediaMessage(library, drive, job, log, pending);
    if (op == "wrong-new-media") {
        return alert.DisplayWrongNewMediaMessage(library, drive, error, job, log, pending);
    }
    if (op == "crc-error") return alert.DisplayCRCErrorMessage(library, drive, job, log, pending);
    if (op == "media-error") {
        return alert.DisplayMediaErrorMessage(error, library, drive, job, log, pending);
    }
    if (op == "identify") {
        return alert.DisplayIdentifyMediaMessage(
            buffers.get(buffers.preface), buffers.get(buffers.location),
            buffers.get(buffers.barcode), step.text("unique"),
            static_cast<int>(step.number("volume")), library, drive, job, log, pending);
    }
    if (op == "popup") return alert.popupDialogBox(log, step.flag("first"), pending);
    if (op == "post") return alert.displayPopupAndEventMsgInGUI(log, pending, step.flag("clear"));
    if (op == "local") return alert.DisplayErrorMessageLocally(step.text("text"), job);
    if (op == "box") {
        // The box must set the error code: one it left alone shows in the result.
        unsigned int errorCode = 77;
        const long long answer = alert.ShowMessageBox(step.text("text"), job, errorCode, pending);
        return errorCode == 0 ? answer : -1000 - errorCode;
    }
    throw std::invalid_argument("no operation " + op);
}

AlertTest::AlertTest() { restart(); }

void AlertTest::restart() {
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
#ifdef KORRIN_SCRIPTED_DIALOGS
    DialogScript::current() = DialogScript{};
#endif
}

std::vector<std::string> AlertTest::run(const Step& step) {
    using testkit::FakeSleep;
    if (step.op == "settings") {
        const std::string box = step.text("box") ? step.text("box") : "";
        write(settingsPath, step.text("ini") ? step.text("ini")
                            : "[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = " + box);
        return {};
    }
    if (step.op == "env" || step.op == "fault" || step.op == "text") {
        for (const auto& [key, value] : step.args) {
            if (step.op == "env") {
                setenv(key.c_str(), value.c_str(), 1);
            } else if (key == "sleep") {
                value == "throw" ? FakeSleep::throwNext() : FakeSleep::interruptNext(60);
            } else if (step.op == "fault") {
                const auto fault = value == "throw" ? standin::Fault::Throw : standin::Fault::Fail;
                standin::Calls::faultNext(callNamed(key), fault);
            } else if (key != "unterminated") {
                (step.flag("unterminated") ? standin::Calls::unterminatedTextNext
                                           : standin::Calls::textNext)(callNamed(key), value);
            }
        }
        return {};
    }
#ifdef KORRIN_SCRIPTED_DIALOGS
    if (step.op == "script") {
        DialogScript& script = DialogScript::current();
        script.result = step.number("result");
        script.fail = step.flag("throw");
        script.nullLocation = step.text("location") == nullptr;
        script.location = script.nullLocation ? "" : step.text("location");
        script.barcode = step.text("barcode") ? step.text("barcode") : "";
        return {};
    }
#endif
    const std::vector<std::string> fieldsBefore = fieldsOf(alert.get());
    Buffers buffers(step);
    const int sleeps = FakeSleep::calls();
    std::vector<std::string> out;
    testing::internal::CaptureStdout();
    try {
        const auto jobId = static_cast<unsigned long>(step.number("job"));
        long long result = 0;
        if (step.op == "new") {
            alert = std::make_unique<QZKRGuiInterface>(log, step.number("job"));
        } else if (step.op == "message-box") {
            result = QZKRMessageBox(step.text("text"), jobId, false, false).DoModal();
        } else if (step.op == "export-dialog") {
            MediaExportDlg dialog(step.text("media"), step.text("volume"), step.text("text"),
                                  jobId, false);
            result = dialog.DoModal();
            out.push_back("answers " + escape(dialog.getExportLocation()) + " " +
                          escape(dialog.getBarcode()));
        } else if (alert) {
            result = invoke(*alert, log, step, buffers);
        }
        if (step.op != "new") out.insert(out.begin(), "returned " + std::to_string(result));
    } catch (const std::exception& error) {
        out.push_back("threw " + escape(error.what()));
    }
    const std::string printed = testing::internal::GetCapturedStdout();
    if (!printed.empty()) out.push_back("stdout " + escape(printed));
    for (const auto& record : standin::Journal::take()) {
        out.push_back(describe(record));
        if (record.kind != Record::Kind::Raise || !alert) continue;
        const std::string rendering = testkit::oneLine(standin::renderPosting(record));
        out.push_back(rendering == alert->getLogText() ? "console as the log text"
                                                        : "console " + escape(rendering));
    }
    for (const auto& line : standin::DebugLog::lines()) out.push_back(describe(line));
    standin::DebugLog::clear();
    if (FakeSleep::calls() > sleeps) {
        out.push_back("slept " + std::to_string(FakeSleep::lastSeconds()) + " x" +
                      std::to_string(FakeSleep::calls() - sleeps));
    }
    const std::vector<std::string> fieldsAfter = fieldsOf(alert.get());
    for (std::size_t i = 0; i < fieldsAfter.size(); ++i) {
        if (i >= fieldsBefore.size() || fieldsBefore[i] != fieldsAfter[i]) {
            out.push_back(fieldsAfter[i]);
        }
    }
    for (auto [buffer, name] : {std::pair{&buffers.location, "location-buffer "},
                                {&buffers.barcode, "barcode-buffer "}}) {
        if (!buffer->empty()) out.push_back(name + escape({buffer->data(), buffer->size()}));
    }
    return out;
}

void AlertTest::checkGoldenFile(const std::string& name) {
    const std::string path = std::string(KORRIN_GOLDEN_DIR) + "/" + name;
    const std::vector<std::string> lines = readLines(path);
    ASSERT_FALSE(lines.empty()) << path;
    std::string expected, actual;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("  ", 0) == 0) {
            expected += line + "\n";
            continue;
        }
        actual += line + "\n";
        expected += line + "\n";
        if (line.empty()) restart();
        if (line.rfind("> ", 0) != 0) continue;
        for (const auto& said : run(line.substr(2))) actual += "  " + said + "\n";
    }
    if (getenv("KORRIN_UPDATE_GOLDEN") != nullptr) {
        write(path, actual);
    } else {
        EXPECT_EQ(actual, expected) << "see tests/alert/golden/README.md to review or regenerate";
    }
}

}  // namespace golden
