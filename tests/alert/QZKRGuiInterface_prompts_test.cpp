// The media prompts and notices: texts, codes and event arguments.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "AlertTestSupport.h"
#include "QZKRGuiInterface.h"

namespace {

using namespace testkit;
using Kind = standin::Record::Kind;

// A catalogue code with an error text.
int knownErrorCode() {
    for (const auto& entry : standin::catalogue()) {
        if (entry.errorText[0] != '\0') return entry.code;
    }
    return 0;
}

class PromptTest : public AlertTest {
protected:
    void SetUp() override {
        AlertTest::SetUp();
        setenv("TZ", "UTC", 1);
        tzset();
    }
    // The arguments the next raising takes: raise and read them back.
    Event streamed(QZKRGuiInterface& alert) {
        standin::Journal::clear();
        alert.displayPopupAndEventMsgInGUI(log, false, false);
        const auto records = postings();
        return records.empty() ? Event{} : records.at(0).arguments;
    }
    void expectTexts(const QZKRGuiInterface& alert, const std::string& message,
                     const std::string& eventText) {
        EXPECT_EQ(alert.getMessageText(), message);
        EXPECT_EQ(alert.getGumMessage(), eventText);
        EXPECT_EQ(alert.getLogText(), oneLine(eventText));
    }
};

// ---------------------------------------------------------------- required medium

struct ImportCase {
    const char* name;
    const char *mediaName, *identifier, *location, *library, *drive;
    bool newMediaAllowed, driveMediaInUse;
    std::string message, eventText;
    int code;
    Event arguments;
};

const std::string kPlain = "Please insert the required media [M1] for JobID [42]";
const std::string kEject =
    "The media in the drive is already in use by Brennith or it could be a cleaning media. Please "
    "eject this media\nThen insert the required media [M1] for JobID [42]";
const std::string kImportTail = " and then click OK button to continue.";

TEST_F(PromptTest, ImportMessageForEachPieceCombination) {
    const Event opening = event({text("M1"), job(42)});
    const ImportCase cases[] = {
        {"all absent", "M1", nullptr, nullptr, nullptr, nullptr, false, false, kPlain + kImportTail,
         kPlain + ".", qzkr::kMsgInsertRequiredMedia,
         event({opening, absent(), absent(), absent(), absent()})},
        {"identifier", "M1", "ID1", nullptr, nullptr, nullptr, false, false,
         kPlain + " with identifier [ID1]" + kImportTail, kPlain + " with identifier [ID1]\n.",
         qzkr::kMsgInsertRequiredMedia,
         event({opening, piece(qzkr::kPieceIdentifier, {"ID1"}), absent(), absent(), absent()})},
        {"location", "M1", nullptr, "Vault 7", nullptr, nullptr, false, false,
         kPlain + " from location [Vault 7]" + kImportTail, kPlain + " from location [Vault 7].",
         qzkr::kMsgInsertRequiredMedia,
         event({opening, absent(), piece(qzkr::kPieceLocation, {"Vault 7"}), absent(), absent()})},
        {"new media", "M1", nullptr, nullptr, nullptr, nullptr, true, false,
         kPlain + " OR a new media" + kImportTail, kPlain + " OR a new media.",
         qzkr::kMsgInsertRequiredMedia,
         event({opening, absent(), absent(), code(qzkr::kPieceNewMedia), absent()})},
        {"library", "M1", nullptr, nullptr, "LIB", "DRV", false, false,
         kPlain + " into the library [LIB] drive [DRV]" + kImportTail,
         kPlain + " into the library [LIB] drive [DRV].", qzkr::kMsgInsertRequiredMedia,
         event({opening, absent(), absent(), absent(),
                piece(qzkr::kPieceLibraryAndDrive, {"LIB", "DRV"})})},
        {"drive without library", "M1", nullptr, nullptr, nullptr, "DRV", false, false,
         kPlain + kImportTail, kPlain + ".", qzkr::kMsgInsertRequiredMedia,
         event({opening, absent(), absent(), absent(), absent()})},
        {"in use without new media", "M1", nullptr, nullptr, nullptr, nullptr, false, true,
         kPlain + kImportTail, kPlain + ".", qzkr::kMsgInsertRequiredMedia,
         event({opening, absent(), absent(), absent(), absent()})},
        {"eject opening", "M1", nullptr, nullptr, nullptr, nullptr, true, true,
         kEject + " OR a new media" + kImportTail, kEject + " OR a new media.",
         qzkr::kMsgEjectThenInsertMedia,
         event({opening, absent(), absent(), code(qzkr::kPieceNewMedia), absent()})},
        {"all present", "M1", "ID1", "Vault 7", "LIB", "DRV", true, true,
         kEject +
             " with identifier [ID1] from location [Vault 7] OR a new media into the library "
             "[LIB] drive [DRV]" +
             kImportTail,
         kEject + " with identifier [ID1]\n from location [Vault 7] OR a new media into the "
                  "library [LIB] drive [DRV].",
         qzkr::kMsgEjectThenInsertMedia,
         event({opening, piece(qzkr::kPieceIdentifier, {"ID1"}),
                piece(qzkr::kPieceLocation, {"Vault 7"}), code(qzkr::kPieceNewMedia),
                piece(qzkr::kPieceLibraryAndDrive, {"LIB", "DRV"})})},
        {"empty strings count as present", "M1", "", "", "", "", false, false,
         kPlain + " with identifier [] from location [] into the library [] drive []" + kImportTail,
         kPlain + " with identifier []\n from location [] into the library [] drive [].",
         qzkr::kMsgInsertRequiredMedia,
         event({opening, piece(qzkr::kPieceIdentifier, {""}), piece(qzkr::kPieceLocation, {""}),
                absent(), piece(qzkr::kPieceLibraryAndDrive, {"", ""})})},
    };
    for (const ImportCase& c : cases) {
        SCOPED_TRACE(c.name);
        QZKRGuiInterface alert(log, 42);
        EXPECT_FALSE(alert.DisplayImportMessage(c.mediaName, c.identifier, c.location, c.library,
                                                c.drive, 42, c.newMediaAllowed, c.driveMediaInUse,
                                                log));
        expectTexts(alert, c.message, c.eventText);
        EXPECT_EQ(alert.getEventMessageCode(), c.code);
        EXPECT_EQ(streamed(alert), c.arguments);
    }
}

TEST_F(PromptTest, ImportLineFeedsLeaveDoubleSpacesInTheLogText) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("M1", "ID1", "L", nullptr, nullptr, 42, true, true, log);
    EXPECT_NE(std::string(alert.getLogText()).find("media Then insert"), std::string::npos);
    EXPECT_NE(std::string(alert.getLogText()).find("[ID1]  from location"), std::string::npos);
    EXPECT_EQ(std::string(alert.getMessageText()).find("[ID1]\n"), std::string::npos);
    alert.DisplayImportMessage("M1", "ID1", nullptr, nullptr, nullptr, 42, false, false, log);
    EXPECT_EQ(std::string(alert.getLogText()), kPlain + " with identifier [ID1] .");
}

TEST_F(PromptTest, ImportTakesMissingRequiredTextsAsEmpty) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage(nullptr, nullptr, nullptr, "LIB", nullptr, -4, false, false, log);
    EXPECT_STREQ(
        alert.getGumMessage(),
        "Please insert the required media [] for JobID [-4] into the library [LIB] drive [].");
    EXPECT_EQ(alert.getJobId(), -4);
}

// ---------------------------------------------------------------- wrong medium

const std::string kWrongOpening =
    "The Media in the library [LIB] drive [DRV] for JobID [42] is not correct.\n\nPlease insert "
    "the media ";

TEST_F(PromptTest, WrongMediaForEachPiece) {
    struct Case {
        const char* name;
        const char *barcode, *location, *mediaName;
        long lastWriteTime;
        std::string pieces, eventPieces;
        Event groups;
    };
    const std::string time = "with last write-time=\"Sun Sep  9 01:46:40 2001\" ";
    const Case cases[] = {
        {"all absent", nullptr, nullptr, nullptr, 0, "", "",
         event({absent(), absent(), absent(), absent()})},
        {"media name", nullptr, nullptr, "M1", 0, "[M1] ", "[M1] ",
         event({piece(qzkr::kPieceMediaName, {"M1"}), absent(), absent(), absent()})},
        {"barcode", "BC1", nullptr, nullptr, 0, "with barcode [BC1] ", "with barcode [BC1] \n",
         event({absent(), piece(qzkr::kPieceBarcode, {"BC1"}), absent(), absent()})},
        {"location", nullptr, "Vault", nullptr, -5, "from the location [Vault] ",
         "from the location [Vault] ",
         event({absent(), absent(), piece(qzkr::kPieceLocation, {"Vault"}), absent()})},
        {"last write time", nullptr, nullptr, nullptr, 1000000000, time, time,
         event({absent(), absent(), absent(),
                piece(qzkr::kPieceLastWriteTime, {"Sun Sep  9 01:46:40 2001"})})},
        {"all present", "BC1", "Vault", "M1", 1000000000,
         "[M1] with barcode [BC1] from the location [Vault] " + time,
         "[M1] with barcode [BC1] \nfrom the location [Vault] " + time,
         event({piece(qzkr::kPieceMediaName, {"M1"}), piece(qzkr::kPieceBarcode, {"BC1"}),
                piece(qzkr::kPieceLocation, {"Vault"}),
                piece(qzkr::kPieceLastWriteTime, {"Sun Sep  9 01:46:40 2001"})})},
        {"empty strings", "", "", "", 0, "[] with barcode [] from the location [] ",
         "[] with barcode [] \nfrom the location [] ",
         event({piece(qzkr::kPieceMediaName, {""}), piece(qzkr::kPieceBarcode, {""}),
                piece(qzkr::kPieceLocation, {""}), absent()})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QZKRGuiInterface alert(log, 42);
        standin::Calls::reset();
        EXPECT_FALSE(alert.DisplayWrongMediaInDriveMessage(c.barcode, c.location, c.lastWriteTime,
                                                           "LIB", "DRV", c.mediaName, 42, log));
        EXPECT_EQ(standin::Calls::count(standin::Call::Ctime), c.lastWriteTime > 0 ? 1u : 0u);
        expectTexts(alert, kWrongOpening + c.pieces + "and then click OK to continue.",
                    kWrongOpening + c.eventPieces + ".");
        EXPECT_EQ(alert.getEventMessageCode(), qzkr::kMsgWrongMediaInDrive);
        const Event arguments = streamed(alert);
        EXPECT_EQ(arguments.size(), 11u);
        EXPECT_EQ(arguments, event({text("LIB"), text("DRV"), job(42), c.groups}));
    }
}

TEST_F(PromptTest, WrongMediaLogTextSpacing) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayWrongMediaInDriveMessage("BC1", nullptr, 0, "LIB", "DRV", nullptr, 42, log);
    EXPECT_STREQ(
        alert.getLogText(),
        "The Media in the library [LIB] drive [DRV] for JobID [42] is not correct.  Please "
        "insert the media with barcode [BC1]  .");
}

TEST_F(PromptTest, WrongMediaWithoutLibraryOnlyStoresTheJobId) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("M1", nullptr, nullptr, nullptr, nullptr, 42, false, false, log);
    const std::string message = alert.getMessageText(), eventText = alert.getGumMessage();
    standin::Calls::reset();
    EXPECT_FALSE(alert.DisplayWrongMediaInDriveMessage("BC", "L", 5, nullptr, "DRV", "M", 77, log));
    EXPECT_EQ(alert.getJobId(), 77);
    expectTexts(alert, message, eventText);
    EXPECT_EQ(alert.getEventMessageCode(), qzkr::kMsgInsertRequiredMedia);
    EXPECT_EQ(standin::Calls::total(), 0u);
    EXPECT_EQ(streamed(alert),
              event({text("M1"), job(42), absent(), absent(), absent(), absent()}));
}

TEST_F(PromptTest, WrongMediaFailedTimeFormattingGivesAnEmptyTime) {
    QZKRGuiInterface alert(log, 42);
    standin::Calls::faultNext(standin::Call::Ctime, standin::Fault::Fail);
    alert.DisplayWrongMediaInDriveMessage(nullptr, nullptr, 10, "LIB", nullptr, nullptr, 42, log);
    EXPECT_EQ(std::string(alert.getGumMessage()),
              "The Media in the library [LIB] drive [] for JobID [42] is not correct.\n\nPlease "
              "insert the media with last write-time=\"\" .");
}

// ---------------------------------------------------------------- new or active medium

const std::string kNewRequest =
    "Please insert a new media into the library [LIB] drive [DRV] for JobID [42]";
const std::string kActiveRequest =
    "Please insert the active media or a new media into the library [LIB] drive [DRV] for JobID "
    "[42]";
const std::string kBoxTail = " and then click OK to continue.";

TEST_F(PromptTest, ImportNewMediaRunsItsCycleLogFirst) {
    QZKRGuiInterface alert(log, 42);
    standin::Journal::clear();
    EXPECT_FALSE(alert.DisplayImportNewMediaMessage("LIB", "DRV", 42, log, true));
    expectTexts(alert, kNewRequest + kBoxTail, kNewRequest + ".");
    const auto records = postings();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgNewMedia, true));
    EXPECT_EQ(records[0].arguments, event({text("LIB"), text("DRV"), job(42)}));
    EXPECT_EQ(records[1].params, clearParams(qzkr::kMsgNewMedia));
    EXPECT_EQ(states(), (std::vector<long long>{3, 1}));
    EXPECT_EQ(workerLines(), std::vector<std::string>{kNewRequest + "."});
    EXPECT_EQ(FakeSleep::calls(), 1);

    // The log line is written before the raising: a raising that throws finds it there.
    standin::DebugLog::clear();
    standin::Calls::faultNext(standin::Call::Raise, standin::Fault::Throw);
    EXPECT_THROW(alert.DisplayImportNewMediaMessage("LIB", "DRV", 42, log, false),
                 standin::InjectedFault);
    EXPECT_EQ(workerLines(), std::vector<std::string>{kNewRequest + "."});
    EXPECT_FALSE(standin::Journal::isPending(42));
}

TEST_F(PromptTest, NewMediaPromptsAnswerWhatTheBoxAnswers) {
    writeSettings("[Korrin]\nsQNHOSTNAME = quorvane.test\nnKRMSGBOXOPTION = 1\n");
    QZKRGuiInterface alert(log, 42);
    EXPECT_TRUE(alert.DisplayImportNewMediaMessage("LIB", "DRV", 42, log, false));
    EXPECT_TRUE(alert.DisplayWrongNewMediaMessage("LIB", "DRV", 0, 42, log, false));
}

TEST_F(PromptTest, WrongNewMediaWithoutErrorPostsLikeTheNewMediaPrompt) {
    QZKRGuiInterface alert(log, 42);
    standin::Journal::clear();
    EXPECT_FALSE(alert.DisplayWrongNewMediaMessage("LIB", "DRV", 0, 42, log, false));
    expectTexts(alert, kActiveRequest + kBoxTail, kActiveRequest + ".");
    const auto records = postings();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgNewMedia, false));
    EXPECT_EQ(records[0].arguments, event({text("LIB"), text("DRV"), job(42)}));
}

TEST_F(PromptTest, WrongNewMediaPutsTheCatalogueErrorInFront) {
    for (const auto& entry : standin::catalogue()) {
        const std::string errorText = std::string(entry.errorText) + entry.advice;
        SCOPED_TRACE(entry.code);
        QZKRGuiInterface alert(log, 42);
        standin::Journal::clear();
        alert.DisplayWrongNewMediaMessage("LIB", "DRV", entry.code, 42, log, false);
        const auto raising = postings().at(0);
        if (errorText.empty()) {
            expectTexts(alert, kActiveRequest + kBoxTail, kActiveRequest + ".");
            EXPECT_EQ(raising.params, raiseParams(qzkr::kMsgNewMedia, false));
            EXPECT_EQ(raising.arguments, event({text("LIB"), text("DRV"), job(42)}));
        } else {
            expectTexts(alert, errorText + "\n\n" + kActiveRequest + kBoxTail,
                        errorText + "\n\n" + kActiveRequest + ".");
            EXPECT_EQ(raising.params, raiseParams(qzkr::kMsgMediaErrorActiveOrNew, false));
            EXPECT_EQ(raising.arguments,
                      event({integer(entry.eventErrorId), text("LIB"), text("DRV"), job(42)}));
        }
    }
}

TEST_F(PromptTest, WrongNewMediaUnknownCodeBehavesLikeNoError) {
    QZKRGuiInterface alert(log, 42);
    standin::Journal::clear();
    alert.DisplayWrongNewMediaMessage("LIB", "DRV", 424242, 42, log, false);
    EXPECT_EQ(alert.getEventMessageCode(), qzkr::kMsgNewMedia);
    EXPECT_EQ(std::string(alert.getGumMessage()), kActiveRequest + ".");
}

TEST_F(PromptTest, WrongNewMediaWithoutLibraryConsultsTheCatalogueAndNothingElse) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("M1", nullptr, nullptr, nullptr, nullptr, 42, false, false, log);
    const std::string message = alert.getMessageText(), eventText = alert.getGumMessage();
    standin::Calls::reset();
    standin::Journal::clear();
    const int code = knownErrorCode();
    EXPECT_FALSE(alert.DisplayWrongNewMediaMessage(nullptr, "DRV", code, 51, log, true));
    EXPECT_EQ(alert.getJobId(), 51);
    expectTexts(alert, message, eventText);
    EXPECT_EQ(standin::Calls::count(standin::Call::ErrorCatalogueCtor), 1u);
    EXPECT_EQ(standin::Calls::count(standin::Call::ErrorString), 1u);
    EXPECT_EQ(standin::Calls::count(standin::Call::Advise), 1u);
    EXPECT_EQ(standin::Calls::total(), 3u);
    EXPECT_TRUE(journal().empty());
    EXPECT_TRUE(debugLines().empty());
    EXPECT_EQ(FakeSleep::calls(), 0);
    // With no error code the catalogue object is made and asked nothing.
    standin::Calls::reset();
    alert.DisplayWrongNewMediaMessage(nullptr, "DRV", 0, 51, log, true);
    EXPECT_EQ(standin::Calls::total(), 1u);
    // Nor does a null library on the new-media prompt do anything.
    standin::Calls::reset();
    EXPECT_FALSE(alert.DisplayImportNewMediaMessage(nullptr, "DRV", 52, log, true));
    EXPECT_EQ(standin::Calls::total(), 0u);
    EXPECT_EQ(alert.getJobId(), 52);
}

// ---------------------------------------------------------------- CRC notices

TEST_F(PromptTest, CrcNoticeForAJob) {
    QZKRGuiInterface alert(log, 42);
    standin::Journal::clear();
    writeSettings("[Korrin]\nnKRMSGBOXOPTION = 1\n");  // a cancel changes nothing
    EXPECT_FALSE(alert.DisplayCRCErrorMessage("LIB", "DRV", 42, log, true));
    expectTexts(alert,
                "A CRC error was encountered when trying to read the tape for\nJobID [42] in "
                "Standalone Library [LIB] Drive [DRV]. This could be due to: \n\n    1. The tape "
                "was written with a higher recording format,\n    2. Drive needs cleaning,\n    3. "
                "Media imperfections. \n\nPlease take appropriate action and re-run the job",
                "A CRC error was encountered when trying to read the tape for \nJobID [42] in the "
                "Standalone Library [LIB] Drive [DRV]. This could be due to:\n\n    1. The tape "
                "was written with a higher recording format,\n    2. Drive needs cleaning,\n    3. "
                "Media imperfections.\n\nPlease take appropriate action and re-run the job.");
    EXPECT_NE(std::string(alert.getLogText()).find("tape for  JobID"), std::string::npos);
    const auto records = postings();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgCrcErrorJob, true));
    EXPECT_EQ(records[0].arguments, event({job(42), text("LIB"), text("DRV")}));
    EXPECT_EQ(records[1].params, clearParams(qzkr::kMsgCrcErrorJob));
    EXPECT_EQ(workerLines(), std::vector<std::string>{alert.getLogText()});
}

TEST_F(PromptTest, CrcNoticeWhileStamping) {
    for (long long jobId : {0LL, -3LL}) {
        QZKRGuiInterface alert(log, jobId);
        standin::Calls::reset();
        standin::DebugLog::clear();
        EXPECT_FALSE(alert.DisplayCRCErrorMessage("LIB", "DRV", jobId, log, false));
        expectTexts(
            alert,
            "Failed to Stamp Media. A CRC error was encountered when trying to read the tape in "
            "Standalone Library [LIB] Drive [DRV]. This could be due to: \n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections. \n\nPlease take appropriate action and re-run the operation.",
            "Failed to Stamp Media. A CRC error was encountered when trying to read the\ntape in "
            "the Standalone Library [LIB] Drive [DRV]. This could be due to:\n\n    1. The tape "
            "was written with a higher recording format,\n    2. Drive needs cleaning,\n    3. "
            "Media imperfections.\n\nPlease take appropriate action and re-run the operation.");
        EXPECT_EQ(alert.getEventMessageCode(), qzkr::kMsgCrcErrorStamping);
        EXPECT_EQ(standin::Calls::count(standin::Call::AddArgument), 2u);
        EXPECT_TRUE(postings().empty());
        EXPECT_EQ(workerLines().at(0), alert.getLogText());
        EXPECT_EQ(FakeSleep::calls(), jobId == 0 ? 1 : 2);
    }
}

// ---------------------------------------------------------------- read error

const std::string kBlockSizeMessage =
    "A read error occured for JobID [42] for the tape in Library [LIB] Drive [DRV]. Tape volume "
    "block size encountered is different from Brennith standard.\n\nPlease insert a new tape or "
    "erase the data on this tape and re-run the job.";

TEST_F(PromptTest, BlockSizeNoticeShowsAMessageBoxInsteadOfWaiting) {
    QZKRGuiInterface alert(log, 42);
    standin::Journal::clear();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(
        alert.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "LIB", "DRV", 42, log, true));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Job 42: " + kBlockSizeMessage + "\n");
    expectTexts(alert, kBlockSizeMessage,
                "A read error occured for JobID [42] for the tape in Library [LIB] Drive [DRV].\n"
                "Tape volume block size encountered is different from Brennith standard.\n\n"
                "Please insert a new tape or erase the data on this tape and re-run the job.");
    const auto records = postings();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgBlockSizeError, true));
    EXPECT_EQ(records[0].arguments, event({job(42), text("LIB"), text("DRV")}));
    EXPECT_EQ(records[1].params, clearParams(qzkr::kMsgBlockSizeError));
    EXPECT_EQ(FakeSleep::calls(), 0);
    EXPECT_EQ(workerLines(), std::vector<std::string>{alert.getLogText()});
}

TEST_F(PromptTest, UnknownReadErrorEmptiesTheTextsAndDoesNothingElse) {
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("M1", nullptr, nullptr, nullptr, nullptr, 42, false, false, log);
    const std::string logText = alert.getLogText();
    for (int code : {0, 762, 764}) {
        standin::Calls::reset();
        EXPECT_FALSE(alert.DisplayMediaErrorMessage(code, "LIB", "DRV", 43, log, false));
        EXPECT_STREQ(alert.getMessageText(), "");
        EXPECT_STREQ(alert.getGumMessage(), "");
        EXPECT_EQ(alert.getLogText(), logText);
        EXPECT_EQ(alert.getEventMessageCode(), qzkr::kMsgInsertRequiredMedia);
        EXPECT_EQ(alert.getJobId(), 43);
        EXPECT_EQ(standin::Calls::total(), 0u);
    }
}

// ---------------------------------------------------------------- identification

const std::string kBoxRequest =
    "Media used by JobID [42] in standalone library \"LIB\" drive \"DRV\" has not been identified. "
    "Please enter a media identifier and location to which the media would be stored.";
const std::string kEventRequest =
    "Please provide the location and identifier for the media\nwith Unique ID [U1] used by JobID "
    "[42]\nin Standalone library [LIB] drive [DRV].\n";

TEST_F(PromptTest, IdentifyWithoutPrefaceOnTheConsoleDialog) {
    char empty[] = "";
    for (char* preface : {static_cast<char*>(nullptr), empty}) {
        QZKRGuiInterface alert(log, 42);
        standin::Journal::clear();
        char location[256] = "keep";
        char barcode[256] = "";
        testing::internal::CaptureStdout();
        EXPECT_TRUE(alert.DisplayIdentifyMediaMessage(preface, location, barcode, "U1", -3, "LIB",
                                                      "DRV", 42, log, false));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Job 42: " + kBoxRequest + ", media: [U1], volume: [-3]\n");
        expectTexts(alert, kBoxRequest, kEventRequest);
        EXPECT_EQ(std::string(alert.getLogText()).back(), ' ');
        EXPECT_STREQ(location, "keep");
        EXPECT_STREQ(barcode, "");
        const auto records = postings();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgIdentifyMedia, false));
        EXPECT_EQ(records[0].arguments, event({text("U1"), job(42), text("LIB"), text("DRV")}));
        EXPECT_EQ(records[1].params, clearParams(qzkr::kMsgIdentifyMedia));
        EXPECT_EQ(FakeSleep::calls(), 0);
    }
}

TEST_F(PromptTest, IdentifyWithAPreface) {
    QZKRGuiInterface alert(log, 42);
    standin::Journal::clear();
    char preface[] = "Tape is full\nexport it";
    testing::internal::CaptureStdout();
    alert.DisplayIdentifyMediaMessage(preface, nullptr, nullptr, "U1", 7, "LIB", "DRV", 42, log,
                                      true);
    testing::internal::GetCapturedStdout();
    expectTexts(alert, std::string(preface) + "\n\n" + kBoxRequest,
                std::string(preface) + "\n\n" + kEventRequest);
    EXPECT_EQ(std::string(alert.getLogText()).rfind("Tape is full export it  Please provide", 0),
              0u);
    const auto records = postings();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].params, raiseParams(qzkr::kMsgIdentifyMediaWithPreface, true));
    EXPECT_EQ(records[0].arguments,
              event({text(preface), text("U1"), job(42), text("LIB"), text("DRV")}));
}

// ---------------------------------------------------------------- across prompts

TEST_F(PromptTest, APromptNeverPostedLeavesNothingForTheNext) {
    QZKRGuiInterface alert(log, 42);
    // Job 0: the cycle posts nothing, and the prompt's arguments stay unposted.
    alert.DisplayImportMessage("M0", "I0", nullptr, nullptr, nullptr, 0, false, false, log);
    alert.popupDialogBox(log, false, false);
    alert.DisplayCRCErrorMessage("OLD", "D0", 0, log, false);
    standin::Journal::clear();
    alert.DisplayImportNewMediaMessage("LIB", "DRV", 42, log, false);
    EXPECT_EQ(postings().at(0).arguments, event({text("LIB"), text("DRV"), job(42)}));
}

// ---------------------------------------------------------------- long texts

TEST_F(PromptTest, LongAndMultiByteNamesStayInsideTheTexts) {
    const std::string ascii(5000, 'n');
    std::string multi;
    while (multi.size() < 5000) multi += "\xE2\x82\xAC\xC3\xA9\xF0\x9F\x98\x80";
    for (std::size_t shift = 0; shift < 4; ++shift) {
        const std::string name = std::string(shift, 'x') + multi;
        for (const std::string* value : {&ascii, &name}) {
            const char* v = value->c_str();
            QZKRGuiInterface alert(log, 42);
            char preface[64] = "P";
            char location[256] = "";
            char barcode[256] = "";
            auto check = [&](const char* what) {
                for (const char* t :
                     {alert.getMessageText(), static_cast<const char*>(alert.getGumMessage()),
                      alert.getLogText()}) {
                    const std::size_t length = std::strlen(t);
                    EXPECT_LT(length, QZKRGuiInterface::kTextSize) << what;
                    EXPECT_TRUE(isValidUtf8(t)) << what << " shift " << shift;
                }
                EXPECT_EQ(std::string(alert.getLogText()).find('\n'), std::string::npos) << what;
            };
            alert.DisplayImportMessage(v, v, v, v, v, 42, true, true, log);
            check("import");
            alert.DisplayWrongMediaInDriveMessage(v, v, 1, v, v, v, 42, log);
            check("wrong media");
            alert.DisplayImportNewMediaMessage(v, v, 42, log, false);
            check("new media");
            alert.DisplayWrongNewMediaMessage(v, v, knownErrorCode(), 42, log, false);
            check("wrong new media");
            alert.DisplayCRCErrorMessage(v, v, 42, log, false);
            check("crc");
            testing::internal::CaptureStdout();
            alert.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, v, v, 42, log, false);
            alert.DisplayIdentifyMediaMessage(preface, location, barcode, v, 1, v, v, 42, log,
                                              false);
            testing::internal::GetCapturedStdout();
            check("identify");
            alert.DisplayErrorMessageLocally(v, 42);
            check("local");
            EXPECT_FALSE(standin::Journal::isPending(42));
        }
    }
}

// ---------------------------------------------------------------- platform texts

// A platform may cut a text it hands over inside a character; the library
// cuts it back to a whole one before any text, log line or argument has it.
TEST_F(PromptTest, PlatformTextsCutInsideACharacterEndOnAWholeOne) {
    // Two bytes short of the buffer, then a 4-byte character: the platform's
    // cut keeps only its first byte.
    const auto overlong = [](std::size_t bufferSize) {
        return std::string(bufferSize - 2, 'x') + "\xF0\x9F\x98\x80";
    };
    using standin::Call;
    standin::Calls::textNext(Call::HostName, overlong(QZKRGuiInterface::kHostNameSize));
    standin::Calls::faultNext(Call::Init, standin::Fault::Fail);
    QZKRGuiInterface{log, 42};  // logs its failed binding with the host name
    standin::Calls::textNext(Call::HostName, overlong(QZKRGuiInterface::kHostNameSize));
    QZKRGuiInterface alert(log, 42);
    const auto expectWholeTexts = [&] {
        for (const char* t :
             {alert.getMessageText(), static_cast<const char*>(alert.getGumMessage()),
              alert.getLogText()}) {
            EXPECT_TRUE(isValidUtf8(t)) << t;
        }
    };
    standin::Calls::textNext(Call::Ctime, overlong(1024));
    alert.DisplayWrongMediaInDriveMessage(nullptr, nullptr, 5, "LIB", "DRV", nullptr, 42, log);
    alert.popupDialogBox(log, false, false);
    expectWholeTexts();
    standin::Calls::textNext(Call::ErrorString, overlong(QZKRGuiInterface::kTextSize));
    alert.DisplayWrongNewMediaMessage("LIB", "DRV", knownErrorCode(), 42, log, false);
    expectWholeTexts();
    EXPECT_EQ(std::string(alert.getGumMessage()).rfind(std::string(2046, 'x'), 0), 0u);

    std::vector<std::string> handedOn;  // every host, text argument and log line
    for (const auto& record : journal()) {
        if (record.kind == Kind::Init) handedOn.push_back(record.host);
        for (const auto& argument : record.arguments) handedOn.push_back(argument.text);
    }
    for (const auto& line : debugLines()) handedOn.push_back(line.message);
    EXPECT_EQ(handedOn.at(0), std::string(1022, 'x'));
    EXPECT_NE(std::find(handedOn.begin(), handedOn.end(), std::string(1022, 'x')), handedOn.end());
    for (const auto& text : handedOn) EXPECT_TRUE(isValidUtf8(text)) << text;
}

}  // namespace
