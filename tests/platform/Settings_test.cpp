#include "QZPlatformInfo.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "StandinTest.h"

class SettingsTest : public testkit::StandinTest {
protected:
    void useSettings(const std::string& text) {
        const std::string path = file("settings.ini");
        write(path, text);
        setenv("KORRIN_SETTINGS", path.c_str(), 1);
    }
};

TEST_F(SettingsTest, NoFileMeansNoSettings) {
    setenv("KORRIN_SETTINGS", file("absent.ini").c_str(), 1);
    QZPlatformInfo info;
    char host[16] = "junk";
    EXPECT_EQ(info.getKorrinQNHostName(host, sizeof host), 0);
    EXPECT_STREQ(host, "");
    unsigned long value = 77;
    EXPECT_EQ(info.getNumber("Korrin", "nKRMSGBOXOPTION", &value), 0);
    EXPECT_EQ(value, 77u);
}

TEST_F(SettingsTest, ReadsKeysOfTheFocusedSection) {
    useSettings(
        "[Korrin]\nsQNHOSTNAME = qn.example.com\nnKRMSGBOXOPTION = 0x10\n"
        "word = ten\nsigned = -1\nempty =\n"
        "[Second]\nsQNHOSTNAME = other\nnKRMSGBOXOPTION = 3\n");
    QZPlatformInfo info;
    char host[32];
    EXPECT_EQ(info.getKorrinQNHostName(host, sizeof host), 14);
    EXPECT_STREQ(host, "qn.example.com");
    char tiny[5] = "????";
    EXPECT_EQ(info.getKorrinQNHostName(tiny, sizeof tiny), 4);
    EXPECT_STREQ(tiny, "qn.e");
    EXPECT_EQ(info.getKorrinQNHostName(tiny, 0), 0);
    EXPECT_STREQ(tiny, "qn.e");

    unsigned long value = 77;
    EXPECT_NE(info.getNumber("Korrin", "nKRMSGBOXOPTION", &value), 0);
    EXPECT_EQ(value, 16u);
    value = 77;
    for (const char* key : {"word", "signed", "empty", "missing"})
        EXPECT_EQ(info.getNumber("Korrin", key, &value), 0) << key;
    EXPECT_EQ(info.getNumber("korrin", "nKRMSGBOXOPTION", &value), 0);
    EXPECT_EQ(value, 77u);

    EXPECT_NE(info.setFocus("Second"), 0);
    EXPECT_EQ(info.getKorrinQNHostName(host, sizeof host), 5);
    EXPECT_STREQ(host, "other");
    EXPECT_NE(info.getNumber("Korrin", "nKRMSGBOXOPTION", &value), 0);  // section as given
    EXPECT_EQ(value, 16u);
    EXPECT_NE(info.setFocus("Nowhere"), 0);
    EXPECT_EQ(info.getKorrinQNHostName(host, sizeof host), 0);
}

// A reader keeps what it read; a new one sees the file as it is, also when a
// rewrite keeps its size and comes right after the reading, or once the file
// had been still long enough to be kept.
TEST_F(SettingsTest, EachReaderSeesTheFileAsItIs) {
    const auto host = [](QZPlatformInfo& info) {
        char text[16] = "";
        info.getKorrinQNHostName(text, sizeof text);
        return std::string(text);
    };
    useSettings("[Korrin]\nsQNHOSTNAME = first\n");
    QZPlatformInfo before;
    useSettings("[Korrin]\nsQNHOSTNAME = other\n");
    QZPlatformInfo after;
    EXPECT_EQ(host(before), "first");
    EXPECT_EQ(host(after), "other");

    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // long enough to be kept
    QZPlatformInfo settled;
    EXPECT_EQ(host(settled), "other");
    write(file("settings.ini"), "[Korrin]\nsQNHOSTNAME = third\n");
    QZPlatformInfo rewritten;
    EXPECT_EQ(host(rewritten), "third");
}

TEST_F(SettingsTest, FocusComesFromTheEnvironment) {
    EXPECT_STREQ(QZPI_Focus::getFocus(), "Korrin");
    setenv("KORRIN_FOCUS", "Agent2", 1);
    const char* focus = QZPI_Focus::getFocus();
    setenv("KORRIN_FOCUS", "Agent3", 1);
    EXPECT_STREQ(QZPI_Focus::getFocus(), "Agent3");
    EXPECT_STREQ(focus, "Agent2");  // an earlier answer stays valid
    setenv("KORRIN_FOCUS", "", 1);
    EXPECT_STREQ(QZPI_Focus::getFocus(), "Korrin");
}
