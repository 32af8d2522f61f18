// Every posting the alert library makes, rendered from its codes and
// arguments alone in English and in each translation: in English it reads
// exactly as the library's log text, in every language each value shows
// exactly once, no placeholder is left, no catalogue lacks an entry, and
// every code the console knows is among them.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "StandinConsole.h"
#include "StandinStdout.h"
#include "StandinTest.h"
#include "StandinText.h"

namespace {

using standin::Record;

// Each value of a posting is one that no template and no other value contains.
constexpr long long kJob = 7340101;
const char* const kMedia = "MEDIA-q1";
const char* const kLibrary = "LIBRARY-q4";
const char* const kDrive = "DRIVE-q5";

std::string hex(int code) { return standin::hex(static_cast<unsigned>(code)); }

// What a value must show as in a rendering; "" for an empty text.
std::string shown(const standin::Argument& value, char kind) {
    if (kind == 's') return value.text;
    for (const auto& entry : standin::catalogue()) {
        if (kind == 'e' && entry.eventErrorId == value.number())
            return std::string(entry.errorText) + entry.advice;
    }
    return std::to_string(value.number());
}

struct Raising {
    Record record;
    std::string logText;
    // Without an error text, wrong-new-media posts the plain new-media
    // message while its own text asks for "the active media or a new media":
    // the one posting whose console wording differs from the log text.
    bool readsAsLogText;
};

class ConsoleLanguages : public testkit::StandinTest {
protected:
    ConsoleLanguages() {
        // Option 1 answers at once: no waits.
        write(file("s.ini"), "[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = 1\n");
        setenv("KORRIN_SETTINGS", file("s.ini").c_str(), 1);
        setenv("TZ", "UTC", 1);
        standin::setConsoleLocaleDir(KORRIN_BUILD_LOCALEDIR);
    }
    ~ConsoleLanguages() override { standin::setConsoleLanguage(""); }

    // Runs the operations on a new object; collect() keeps its raisings.
    void run(const std::function<void(QZKRGuiInterface&)>& operations, bool readsAsLogText = true) {
        standin::Journal::clear();
        QZKRGuiInterface alert(log, kJob);
        operations(alert);
        collect(alert, readsAsLogText);
    }
    void collect(QZKRGuiInterface& alert, bool readsAsLogText = true) {
        for (auto& record : standin::Journal::take()) {
            if (record.kind == Record::Kind::Raise)
                raisings.push_back({std::move(record), alert.getLogText(), readsAsLogText});
        }
    }

    // Every operation, the media prompts in every combination of their pieces.
    void raiseEverything() {
        const standin::StdoutCapture quiet(standin::StdoutCapture::kDrop);  // the dialogs' lines
        static char preface[] = "PREFACE-q8\nsecond line", none[] = "";
        static char location[QZKRGuiInterface::kExportLocationSize];
        static char barcode[QZKRGuiInterface::kBarcodeSize];
        for (int m = 0; m < 32; ++m) {
            run([&](QZKRGuiInterface& a) {
                a.DisplayImportMessage(kMedia, m & 1 ? "IDENT-q2" : nullptr,
                                       m & 2 ? "PLACE-q3" : nullptr, m & 4 ? kLibrary : nullptr,
                                       kDrive, kJob, m & 8, m & 16, log);
                a.popupDialogBox(log, false, false);
            });
            run([&](QZKRGuiInterface& a) {
                a.DisplayWrongMediaInDriveMessage(m & 1 ? "BARCODE-q6" : nullptr,
                                                  m & 2 ? "PLACE-q3" : nullptr,
                                                  m & 4 ? 1700000000L : 0L, kLibrary, kDrive,
                                                  m & 8 ? kMedia : nullptr, kJob, log);
                a.popupDialogBox(log, false, false);
            });
        }
        for (const auto& entry : standin::catalogue()) {
            run(
                [&](QZKRGuiInterface& a) {
                    a.DisplayWrongNewMediaMessage(kLibrary, kDrive, entry.code, kJob, log, false);
                },
                entry.errorText[0] != '\0');
        }
        run([&](QZKRGuiInterface& a) {
            for (char* text : {preface, none}) {
                a.DisplayIdentifyMediaMessage(text, location, barcode, "UNIQUE-q7", 3, kLibrary,
                                              kDrive, kJob, log, false);
                collect(a);
            }
            a.DisplayImportNewMediaMessage(kLibrary, kDrive, kJob, log, false);
            collect(a);
            a.DisplayCRCErrorMessage(kLibrary, kDrive, kJob, log, false);
            collect(a);
            a.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, kLibrary, kDrive, kJob, log,
                                       false);
        });
        // The stamping notice is posted by the next raising of a valid job (a
        // wrong-media prompt without a library stores only the job ID).
        run([&](QZKRGuiInterface& a) {
            a.DisplayCRCErrorMessage(kLibrary, kDrive, 0, log, false);
            a.DisplayWrongMediaInDriveMessage(nullptr, nullptr, 0, nullptr, nullptr, nullptr, kJob,
                                              log);
            a.displayPopupAndEventMsgInGUI(log, false, false);
        });
    }

    MMDebug log;
    std::vector<Raising> raisings;
};

TEST_F(ConsoleLanguages, EveryPostingShowsEachValueOnceInEveryLanguage) {
    raiseEverything();
    // Each fault once, with the first rendering that shows it.
    std::map<std::string, std::string> faults;
    std::set<int> reached;
    for (const auto& raising : raisings) {
        for (const auto& segment : standin::decodePosting(raising.record))
            reached.insert(segment.code);
    }
    for (const auto& message : standin::consoleMessages()) {
        if (!reached.count(message.code)) faults.emplace(hex(message.code) + " was not posted", "");
    }
    // Asked for, and read: a language without a catalogue reads English.
    std::vector<std::pair<std::string, std::string>> languages = {{"en", "en"}, {"xx", "en"}};
    std::istringstream translations(KORRIN_LANGUAGES);
    for (std::string language; translations >> language;)
        languages.emplace_back(language, language);
    for (const auto& [language, read] : languages) {
        standin::setConsoleLanguage(language);
        for (const auto& [raising, logText, readsAsLogText] : raisings) {
            const auto rendering = standin::translatePosting(raising);
            ASSERT_EQ(rendering.language, read) << "no catalogue in " KORRIN_BUILD_LOCALEDIR;
            const auto fault = [&](const std::string& what) {
                faults.emplace(language + ": " + what, rendering.text);
            };
            for (const auto& context : rendering.untranslated) fault("no entry " + context);
            if (rendering.text.find('%') != std::string::npos) fault("a placeholder is left");
            if ((rendering.text == standin::renderPosting(raising)) != (read == "en"))
                fault(read == "en" ? "differs from English" : "reads as English");
            if (language == "en" && readsAsLogText && testkit::oneLine(rendering.text) != logText)
                fault("differs from the log text \"" + logText + "\"");
            for (const auto& segment : standin::decodePosting(raising)) {
                if (segment.message == nullptr)
                    fault(hex(segment.code) + " is not in the template");
                for (std::size_t i = 0; segment.message && i < segment.values.size(); ++i) {
                    const std::string value = shown(segment.values[i], segment.message->values[i]);
                    std::size_t count = 0;
                    for (auto at = rendering.text.find(value); at != std::string::npos;
                         at = rendering.text.find(value, at + 1))
                        ++count;
                    if (!value.empty() && count != 1)
                        fault(hex(segment.code) + " shows its value " + std::to_string(i + 1) +
                              " \"" + value + "\" " + std::to_string(count) + " times");
                }
            }
        }
    }
    for (const auto& [fault, example] : faults) ADD_FAILURE() << fault << ", in:\n" << example;
}

}  // namespace
