// What the prompts that run a dialog do with a dialog that confirms, answers
// or fails. Built against scripted dialogs in place of the console ones.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "AlertTestSupport.h"
#include "QZKRDialogs.h"
#include "QZKRGuiInterface.h"

namespace {

using namespace testkit;

class ScriptedDialogTest : public AlertTest {
protected:
    void SetUp() override {
        AlertTest::SetUp();
        DialogScript::current() = DialogScript{};
    }
    DialogScript& script() { return DialogScript::current(); }
    bool identify(char* location, char* barcode, long long jobId = 42) {
        return alert.DisplayIdentifyMediaMessage(nullptr, location, barcode, "U1", -12, "LIB",
                                                 "DRV", jobId, log, true);
    }
    QZKRGuiInterface alert{log, 42};
};

TEST_F(ScriptedDialogTest, TheDialogIsGivenTheMessageTextAndTheVolumeInDecimal) {
    char location[256] = "";
    char barcode[256] = "";
    identify(location, barcode, -7);
    EXPECT_EQ(script().constructed, 1);
    EXPECT_EQ(script().modalCalls, 1);
    EXPECT_EQ(script().media, "U1");
    EXPECT_EQ(script().volume, "-12");
    EXPECT_EQ(script().text, alert.getMessageText());
    EXPECT_EQ(script().jobId, static_cast<unsigned long>(-7LL));
    EXPECT_TRUE(script().option);
}

TEST_F(ScriptedDialogTest, ConfirmedDialogHandsBackLocationAndBarcode) {
    script().result = kDialogConfirmed;
    script().exportLocation = "Offsite vault";
    script().barcode = "BC0001";
    char location[256];
    std::memset(location, 'z', sizeof location);
    char barcode[256];
    std::memset(barcode, 'q', sizeof barcode);
    barcode[0] = '\0';
    EXPECT_FALSE(identify(location, barcode));
    EXPECT_STREQ(location, "Offsite vault");
    EXPECT_STREQ(barcode, "BC0001");
    for (std::size_t i = std::strlen(barcode); i < sizeof barcode; ++i)
        EXPECT_EQ(barcode[i], 0) << i;
    // The job was raised and cleared around the dialog.
    EXPECT_EQ(states(), (std::vector<long long>{3, 1}));
}

TEST_F(ScriptedDialogTest, ABarcodeGivenOnEntryIsKept) {
    script().result = kDialogConfirmed;
    script().barcode = "NEW";
    char location[256] = "";
    char barcode[256] = "OLD";
    EXPECT_FALSE(identify(location, barcode));
    EXPECT_STREQ(barcode, "OLD");
}

TEST_F(ScriptedDialogTest, LongAnswersAreCutTo255Bytes) {
    script().result = kDialogConfirmed;
    script().exportLocation = std::string(1000, 'L');
    script().barcode = std::string(300, 'B');
    char location[300];
    std::memset(location, '#', sizeof location);
    char barcode[300];
    std::memset(barcode, '#', sizeof barcode);
    barcode[0] = '\0';
    identify(location, barcode);
    EXPECT_EQ(std::string(location), std::string(255, 'L'));
    EXPECT_EQ(location[256], '#');
    EXPECT_EQ(std::string(barcode), std::string(255, 'B'));
    EXPECT_EQ(barcode[256], '#');
}

TEST_F(ScriptedDialogTest, NullBuffersAndANullLocationAreNeverWritten) {
    script().result = kDialogConfirmed;
    script().nullExportLocation = true;
    script().barcode = "B";
    char location[16] = "keep";
    EXPECT_FALSE(identify(location, nullptr));
    EXPECT_STREQ(location, "keep");
    script().nullExportLocation = false;
    EXPECT_FALSE(identify(nullptr, nullptr));
}

TEST_F(ScriptedDialogTest, AnyOtherResultLeavesTheBuffersAlone) {
    for (long long result : {0LL, 2LL, -1LL}) {
        script().result = result;
        script().exportLocation = "X";
        script().barcode = "Y";
        char location[256] = "keep";
        char barcode[256] = "";
        EXPECT_TRUE(identify(location, barcode));
        EXPECT_STREQ(location, "keep");
        EXPECT_STREQ(barcode, "");
    }
}

TEST_F(ScriptedDialogTest, AnExceptionOutOfTheExportDialogStillClearsTheJob) {
    script().throwFromModal = true;
    char location[256] = "keep";
    char barcode[256] = "";
    EXPECT_THROW(identify(location, barcode), std::runtime_error);
    EXPECT_EQ(states(), (std::vector<long long>{3, 1}));
    EXPECT_FALSE(standin::Journal::isPending(42));
    EXPECT_STREQ(location, "keep");
}

TEST_F(ScriptedDialogTest, AnExceptionOutOfTheMessageBoxStillClearsTheJob) {
    script().throwFromModal = true;
    EXPECT_THROW(
        alert.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "LIB", "DRV", 42, log, false),
        std::runtime_error);
    EXPECT_EQ(states(), (std::vector<long long>{3, 1}));
    EXPECT_FALSE(standin::Journal::isPending(42));
}

TEST_F(ScriptedDialogTest, TheBlockSizeNoticeIgnoresTheMessageBoxResult) {
    script().result = kDialogConfirmed;
    EXPECT_FALSE(
        alert.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "LIB", "DRV", 42, log, true));
    EXPECT_EQ(script().text, alert.getMessageText());
    EXPECT_EQ(script().jobId, 42u);
    EXPECT_TRUE(script().option);
}

}  // namespace
