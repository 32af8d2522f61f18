// The console's rendering against the alert library: for every prompt and
// notice, what the console makes of the posting's code and arguments reads
// exactly as the library's log text, so the posting carries everything the
// text says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "StandinConsole.h"
#include "StandinTest.h"

namespace {

using standin::Argument;
using standin::Record;
using testkit::oneLine;

constexpr long long kJob = 42;

class ConsoleTest : public testkit::StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        // Option 1 answers at once: no 180-second waits here.
        write(file("settings.ini"), "[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = 1\n");
        setenv("KORRIN_SETTINGS", file("settings.ini").c_str(), 1);
        setenv("TZ", "UTC", 1);
    }

    // Runs one operation on a fresh object for kJob and returns the
    // rendering of its raising next to the object's log text.
    struct Outcome {
        std::string rendering;
        std::string logText;
    };
    Outcome run(const std::function<void(QZKRGuiInterface&)>& operation) {
        standin::Journal::clear();
        QZKRGuiInterface alert(log, kJob);
        operation(alert);
        const auto records = standin::Journal::records();
        const auto raise = std::find_if(records.begin(), records.end(), [](const Record& r) {
            return r.kind == Record::Kind::Raise;
        });
        if (raise == records.end()) {
            ADD_FAILURE() << "nothing was raised";
            return {};
        }
        return {oneLine(standin::renderPosting(*raise)), alert.getLogText()};
    }

    MMDebug log;
};

// A raising as the journal would record it.
Record raising(int code, std::vector<Argument> arguments) {
    Record record;
    record.kind = Record::Kind::Raise;
    record.params = {code};
    record.arguments = std::move(arguments);
    return record;
}

// A value that looks like a placeholder must come out as it is.
const char kTrickyName[] = "LTO %2 [%e1]";

TEST_F(ConsoleTest, ImportPromptInEveryCombinationOfPiecesAndFlags) {
    for (int mask = 0; mask < 32; ++mask) {
        const char* identifier = mask & 1 ? "ID-7" : nullptr;
        const char* location = mask & 2 ? "Vault B" : nullptr;
        const char* library = mask & 4 ? "L1" : nullptr;
        const bool newMediaAllowed = (mask & 8) != 0;
        const bool driveMediaInUse = (mask & 16) != 0;
        SCOPED_TRACE("combination " + std::to_string(mask));
        const auto outcome = run([&](QZKRGuiInterface& alert) {
            alert.DisplayImportMessage(kTrickyName, identifier, location, library, "D1", kJob,
                                       newMediaAllowed, driveMediaInUse, log);
            alert.popupDialogBox(log, false, false);
        });
        EXPECT_EQ(outcome.rendering, outcome.logText);
    }
}

TEST_F(ConsoleTest, WrongMediaPromptInEveryCombinationOfPieces) {
    for (int mask = 0; mask < 16; ++mask) {
        const char* mediaName = mask & 1 ? kTrickyName : nullptr;
        const char* barcode = mask & 2 ? "BC0001" : nullptr;
        const char* location = mask & 4 ? "" : nullptr;
        const long lastWriteTime = mask & 8 ? 1700000000L : 0L;
        SCOPED_TRACE("combination " + std::to_string(mask));
        const auto outcome = run([&](QZKRGuiInterface& alert) {
            alert.DisplayWrongMediaInDriveMessage(barcode, location, lastWriteTime, "L1", "D1",
                                                  mediaName, kJob, log);
            alert.popupDialogBox(log, false, true);
        });
        EXPECT_EQ(outcome.rendering, outcome.logText);
    }
}

TEST_F(ConsoleTest, PromptsAndNoticesThatRunTheirOwnCycle) {
    char preface[] = "Volume 3 of the set\nwas moved";
    char noPreface[] = "";
    char location[QZKRGuiInterface::kExportLocationSize] = "";
    char barcode[QZKRGuiInterface::kBarcodeSize] = "";
    const std::vector<std::pair<const char*, std::function<void(QZKRGuiInterface&)>>> cases = {
        {"new media",
         [&](QZKRGuiInterface& a) {
             a.DisplayImportNewMediaMessage("L1", "D1", kJob, log, false);
         }},
        {"crc error for a job",
         [&](QZKRGuiInterface& a) { a.DisplayCRCErrorMessage("L1", "D1", kJob, log, false); }},
        {"block size",
         [&](QZKRGuiInterface& a) {
             a.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "L1", "D1", kJob, log, false);
         }},
        {"identify with preface",
         [&](QZKRGuiInterface& a) {
             a.DisplayIdentifyMediaMessage(preface, location, barcode, "UID-9", 3, "L1", "D1", kJob,
                                           log, false);
         }},
        {"identify without preface",
         [&](QZKRGuiInterface& a) {
             a.DisplayIdentifyMediaMessage(noPreface, location, barcode, "UID-9", -1, "L1", "D1",
                                           kJob, log, true);
         }},
    };
    for (const auto& [name, operation] : cases) {
        SCOPED_TRACE(name);
        const auto outcome = run(operation);
        EXPECT_EQ(outcome.rendering, outcome.logText);
    }
}

TEST_F(ConsoleTest, WrongNewMediaWithEveryErrorOfTheCatalogue) {
    int errors = 0;
    for (const auto& entry : standin::catalogue()) {
        if (entry.errorText[0] == '\0') continue;
        ++errors;
        SCOPED_TRACE("error " + std::to_string(entry.code));
        const auto outcome = run([&](QZKRGuiInterface& alert) {
            alert.DisplayWrongNewMediaMessage("L1", "D1", entry.code, kJob, log, false);
        });
        EXPECT_EQ(outcome.rendering, outcome.logText);
    }
    EXPECT_GT(errors, 0);
}

// Without an error text the library posts the new-media message with the
// same arguments as the plain new-media prompt, while its own text asks for
// "the active media or a new media": the posting cannot carry that wording,
// so the console shows the new-media request.
TEST_F(ConsoleTest, WrongNewMediaWithoutErrorTextShowsTheNewMediaRequest) {
    const auto wrongNew = run([&](QZKRGuiInterface& alert) {
        alert.DisplayWrongNewMediaMessage("L1", "D1", 0, kJob, log, false);
    });
    const auto plainNew = run([&](QZKRGuiInterface& alert) {
        alert.DisplayImportNewMediaMessage("L1", "D1", kJob, log, false);
    });
    EXPECT_EQ(wrongNew.rendering, plainNew.logText);
    EXPECT_NE(wrongNew.rendering, wrongNew.logText);
}

// The stamping notice belongs to no job and is never posted. Its streamed
// arguments stay with the job client; storing a valid job afterwards (a
// wrong-media prompt without a library stores only the job ID) lets a
// raising carry them to the console.
TEST_F(ConsoleTest, CrcErrorWhileStamping) {
    const auto outcome = run([&](QZKRGuiInterface& alert) {
        alert.DisplayCRCErrorMessage("L1", "D1", 0, log, false);
        const std::string logText = alert.getLogText();
        alert.DisplayWrongMediaInDriveMessage(nullptr, nullptr, 0, nullptr, nullptr, nullptr, kJob,
                                              log);
        ASSERT_EQ(alert.getLogText(), logText);
        alert.displayPopupAndEventMsgInGUI(log, false, false);
    });
    EXPECT_EQ(outcome.rendering, outcome.logText);
}

TEST_F(ConsoleTest, ClearingRendersNothing) {
    standin::Journal::clear();
    QZKRGuiInterface alert(log, kJob);
    alert.DisplayImportNewMediaMessage("L1", "D1", kJob, log, false);
    int clearings = 0;
    for (const auto& record : standin::Journal::records()) {
        if (record.kind != Record::Kind::Clear) continue;
        ++clearings;
        EXPECT_EQ(standin::renderPosting(record), "");
        ASSERT_EQ(standin::decodePosting(record).size(), 1u);
        EXPECT_STREQ(standin::decodePosting(record).front().message->name, "empty");
    }
    EXPECT_EQ(clearings, 1);
}

TEST_F(ConsoleTest, UnknownCodesAndStrayValuesStillShowWhatWasSent) {
    const Record record =
        raising(0x19000099, {Argument::Text("a"), Argument::LongLong(5), Argument::Code(0x19000021),
                             Argument::Text("LTO"), Argument::Int(-3), Argument::Code(0x190000aa)});

    const auto segments = standin::decodePosting(record);
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].message, nullptr);
    EXPECT_EQ(segments[0].values.size(), 2u);
    EXPECT_STREQ(segments[1].message->name, "media-name");
    EXPECT_EQ(segments[2].code, 0);
    EXPECT_EQ(segments[3].code, 0x190000aa);
    EXPECT_EQ(standin::renderPosting(record),
              "[0x19000099: text \"a\", ll 5][LTO] [int -3][0x190000aa]");
}

TEST_F(ConsoleTest, AnOpeningWithoutACodeStillShowsItsCode) {
    EXPECT_EQ(standin::renderPosting(raising(0, {})), "[0x00000000]");
}

TEST_F(ConsoleTest, ValuesMissingFromAShortStreamRenderEmpty) {
    EXPECT_EQ(standin::renderPosting(raising(0x19000027, {Argument::Text("LTO")})),
              "Please insert the required media [LTO] for JobID [].");
}

TEST_F(ConsoleTest, AnErrorIdTheCatalogueDoesNotKnowIsShownAsANumber) {
    const Record record = raising(0x1900002f, {Argument::Int(0x1a0fffff), Argument::Text("L1"),
                                               Argument::Text("D1"), Argument::LongLong(7)});
    EXPECT_EQ(standin::renderPosting(record).rfind("[media-management error 0x1a0fffff]\n\n", 0),
              0u);
}

}  // namespace
