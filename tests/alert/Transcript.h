// The transcript driver of the alert tests: steps written as data, run
// against the stand-in, and everything a step did written down as lines.
//
// A step is one line: an operation and its arguments, e.g.
//   import media=M1 library="Lib 1" drive=D1 job=42 new-media
// A word without '=' is a flag. A value may be quoted; in it \n \r \t \\ \"
// \{ and \xNN stand for their bytes, and {N} repeats the character before
// it N times (n{5000}). An argument left out is a null pointer, 0 or false.
//
// The operations: new, import, wrong-media, new-media, wrong-new-media,
// crc-error, media-error, identify, popup, post, box, local (the alert
// object's), message-box and export-dialog (the console dialogs'); and the
// conditions for the steps after them: settings, env, fault, text, script.
// See tests/alert/golden/README.md.
#ifndef KORRIN_ALERT_TRANSCRIPT_H
#define KORRIN_ALERT_TRANSCRIPT_H

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "Standin.h"
#include "StandinTest.h"

namespace golden {

struct Step {
    std::string op;
    std::map<std::string, std::string, std::less<>> args;

    const char* text(std::string_view key) const;  // null when absent
    long long number(std::string_view key) const;  // 0 when absent
    bool flag(std::string_view key) const { return args.count(key) != 0; }
};
Step parse(const std::string& line);

// Bytes as a transcript shows them: quoted, escaped as a step's values are,
// a character repeated four times or more as c{N}.
std::string escape(std::string_view bytes);

// A job-client call as a transcript line: kind, result, job, parameters (a
// code in hex) and event arguments.
std::string describe(const standin::Record& record);

// Caller buffers of the identification prompt: null unless the step names
// them; the two answer buffers are larger than the library's sizes and
// filled with '#', so that a write past those sizes shows.
struct Buffers {
    explicit Buffers(const Step& step);
    std::vector<char> preface, location, barcode;
    char* get(std::vector<char>& buffer) { return buffer.empty() ? nullptr : buffer.data(); }
};

// Makes one alert-object call that a step names, and nothing else: it
// allocates nothing of its own. Returns the call's result.
long long invoke(QZKRGuiInterface& alert, MMDebug& log, const Step& step, Buffers& buffers);

// The fixture: a fresh stand-in whose settings name the control server
// "quorvane.test", the fake sleep reset and TZ=UTC, and no alert object.
class AlertTest : public testkit::StandinTest {
protected:
    AlertTest();
    // Starts a case afresh, as the constructor left things.
    void restart();
    // Runs a step (a condition, or a call on `alert`) and returns its transcript.
    std::vector<std::string> run(const Step& step);
    std::vector<std::string> run(const std::string& line) { return run(parse(line)); }
    // Runs every step of a golden file, comparing each transcript with the
    // file's, or rewriting the file when KORRIN_UPDATE_GOLDEN is set.
    void checkGoldenFile(const std::string& name);

    MMDebug log;
    std::unique_ptr<QZKRGuiInterface> alert;
    const std::string settingsPath = file("korrin.ini");
};

}  // namespace golden

#endif  // KORRIN_ALERT_TRANSCRIPT_H
