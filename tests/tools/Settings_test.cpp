// The settings a run reads: the given file, the environment's, or the
// built-in defaults in a private file that the stand-in reads as it would
// any other.
#include "Settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "QZPlatformInfo.h"
#include "ToolRunner.h"

namespace {

using alerttool::SettingsFile;

class Settings : public tooltest::ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        setenv("TMPDIR", dir.c_str(), 1);
        unsetenv("KORRIN_SETTINGS");
        unsetenv("KORRIN_FOCUS");
    }
    void TearDown() override {
        unsetenv("TMPDIR");
        unsetenv("KORRIN_SETTINGS");
        unsetenv("KORRIN_FOCUS");
        ToolTest::TearDown();
    }

    static std::string hostName() {
        QZPlatformInfo info;
        info.setFocus(QZPI_Focus::getFocus());
        char host[256] = "";
        info.getKorrinQNHostName(host, sizeof host);
        return host;
    }
    static unsigned long boxOption() {
        QZPlatformInfo info;
        unsigned long option = 0;
        info.getNumber("Korrin", "nKRMSGBOXOPTION", &option);
        return option;
    }
};

TEST_F(Settings, BuiltInDefaultsAreReadByTheStandInAndRemovedAfterwards) {
    std::string path;
    {
        SettingsFile settings(std::nullopt);
        EXPECT_TRUE(settings.builtIn());
        path = settings.path();
        EXPECT_EQ(std::filesystem::path(path).parent_path(), dir);
        EXPECT_STREQ(std::getenv("KORRIN_SETTINGS"), path.c_str());
        EXPECT_EQ(hostName(), "quorvane.local");
        EXPECT_EQ(boxOption(), 2u);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Settings, BuiltInDefaultsNameTheHostForAnotherFocus) {
    setenv("KORRIN_FOCUS", "Korrin2", 1);
    SettingsFile settings(std::nullopt);
    EXPECT_EQ(hostName(), "quorvane.local");
    EXPECT_EQ(boxOption(), 2u);
}

TEST_F(Settings, TheEnvironmentsFileIsUsedAndKept) {
    const std::string path = (dir / "env.ini").string();
    std::ofstream(path) << "[Korrin]\nsQNHOSTNAME = from.env\n";
    setenv("KORRIN_SETTINGS", path.c_str(), 1);
    {
        SettingsFile settings(std::nullopt);
        EXPECT_FALSE(settings.builtIn());
        EXPECT_EQ(settings.path(), path);
        EXPECT_EQ(hostName(), "from.env");
    }
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(Settings, AGivenFileWinsAndMustBeReadable) {
    const std::string given = (dir / "given.ini").string();
    std::ofstream(given) << "[Korrin]\nsQNHOSTNAME = given.host\n";
    setenv("KORRIN_SETTINGS", "/elsewhere.ini", 1);
    {
        SettingsFile settings(given);
        EXPECT_EQ(hostName(), "given.host");
    }
    EXPECT_THROW(SettingsFile((dir / "none.ini").string()), std::runtime_error);
    EXPECT_THROW(SettingsFile(dir.string()), std::runtime_error);
    EXPECT_STREQ(std::getenv("KORRIN_SETTINGS"), given.c_str());
}

}  // namespace
