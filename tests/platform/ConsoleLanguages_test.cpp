// Every posting the alert library makes, rendered from its codes and values
// alone in English, in each translation and in a language without one: in
// English it reads as the library's log text; in every language each text and
// number the posting streamed shows exactly once, no placeholder is left and
// no entry is missing; every code the console knows is posted.
#include <map>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "StandinConsole.h"
#include "StandinStdout.h"
#include "StandinTest.h"
#include "StandinText.h"

namespace {

using ConsoleLanguages = testkit::StandinTest;

TEST_F(ConsoleLanguages, EveryPostingShowsEachValueOnceInEveryLanguage) {
    // Option 1 answers at once: no waits.
    write(file("s.ini"), "[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = 1\n");
    setenv("KORRIN_SETTINGS", file("s.ini").c_str(), 1);
    // Values that no template and no other value contains.
    const long long job = 7340101;
    const char *media = "MEDIA-q1", *library = "LIBRARY-q4", *drive = "DRIVE-q5";
    char preface[] = "PREFACE-q8\nsecond line", none[] = "", location[256], barcode[256];
    MMDebug log;
    std::vector<std::pair<standin::Record, std::string>> raisings;  // with the log text left
    std::unique_ptr<QZKRGuiInterface> alert;
    const auto next = [&] {  // keeps the raisings of the last alert object, makes a new one
        for (auto& record : standin::Journal::take()) {
            if (record.kind == standin::Record::Kind::Raise)
                raisings.emplace_back(std::move(record), alert->getLogText());
        }
        alert = std::make_unique<QZKRGuiInterface>(log, job);
        return alert.get();
    };
    auto quiet = std::make_unique<standin::StdoutCapture>(standin::StdoutCapture::kDrop);
    for (int m = 0; m < 32; ++m) {  // the media prompts in every combination of their pieces
        next()->DisplayImportMessage(media, m & 1 ? "IDENT-q2" : nullptr,
                                     m & 2 ? "PLACE-q3" : nullptr, m & 4 ? library : nullptr, drive,
                                     job, m & 8, m & 16, log);
        alert->popupDialogBox(log, false, false);
        next()->DisplayWrongMediaInDriveMessage(m & 1 ? "BARCODE-q6" : nullptr,
                                                m & 2 ? "PLACE-q3" : 0, m & 4 ? 1700000000 : 0,
                                                library, drive, m & 8 ? media : nullptr, job, log);
        alert->popupDialogBox(log, false, false);
        next()->DisplayIdentifyMediaMessage(m & 1 ? preface : none, location, barcode, "UNIQUE-q7",
                                            3, library, drive, job, log, false);
    }
    // Without an error text it posts the new-media message, which does not
    // read as its own log text.
    for (const auto& error : standin::catalogue())
        if (*error.errorText)
            next()->DisplayWrongNewMediaMessage(library, drive, error.code, job, log, 0);
    next()->DisplayImportNewMediaMessage(library, drive, job, log, false);
    next()->DisplayCRCErrorMessage(library, drive, job, log, false);
    next()->DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, library, drive, job, log, false);
    // The stamping notice goes with the next raising of a valid job.
    next()->DisplayCRCErrorMessage(library, drive, 0, log, false);
    alert->DisplayWrongMediaInDriveMessage(nullptr, nullptr, 0, nullptr, nullptr, nullptr, job,
                                           log);
    alert->displayPopupAndEventMsgInGUI(log, false, false);
    next();
    quiet.reset();  // before a failure is told

    std::map<std::string, std::string> faults;  // each fault once, with a rendering that shows it
    for (const auto& message : standin::consoleMessages())
        faults.emplace(standin::hex(message.code) + " was not posted", "");
    std::istringstream languages("en xx " KORRIN_LANGUAGES);  // no catalogue for xx: English
    standin::setConsoleLocaleDir(KORRIN_BUILD_LOCALEDIR);
    for (std::string language; languages >> language;) {
        standin::setConsoleLanguage(language);
        const bool english = language == "en" || language == "xx";
        for (const auto& [record, logText] : raisings) {
            const auto rendering = standin::translatePosting(record);
            const auto& text = rendering.text;
            ASSERT_EQ(rendering.language, english ? "en" : language) << KORRIN_BUILD_LOCALEDIR;
            const auto fault = [&](const std::string& what) {
                faults.emplace(language + ": " + what, text);
            };
            for (const auto& context : rendering.untranslated) fault("no entry " + context);
            if (text.find('%') != std::string::npos) fault("a placeholder is left");
            if ((text == standin::renderPosting(record)) != english)
                fault(english ? "differs from English" : "reads as English");
            if (english && testkit::oneLine(text) != logText)
                fault("differs from the log text \"" + logText + "\"");
            for (const auto& segment : standin::decodePosting(record))
                faults.erase(standin::hex(segment.code) + " was not posted");
            for (const auto& value : record.arguments) {
                if (value.tag != qzkr::kTagText && value.tag != qzkr::kTagLongLong) continue;
                const auto shown =
                    value.tag == qzkr::kTagText ? value.text : std::to_string(value.number());
                if (!shown.empty() &&
                    (text.find(shown) == text.npos || text.find(shown) != text.rfind(shown)))
                    fault("does not show \"" + shown + "\" once");
            }
        }
    }
    for (const auto& [fault, example] : faults) ADD_FAILURE() << fault << ", in:\n" << example;
}

}  // namespace
