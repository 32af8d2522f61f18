#include "QZTime.h"

#include <cstring>
#include <ctime>

#include "StandinTest.h"

class TimeTest : public testkit::StandinTest {};

TEST_F(TimeTest, FormatsLikeCtime) {
    const long when = 1700000000;
    const std::time_t same = when;
    char expected[32];
    ASSERT_NE(ctime_r(&same, expected), nullptr);
    char buffer[64];
    EXPECT_EQ(QZ_ctime(&when, buffer, sizeof buffer), buffer);
    EXPECT_STREQ(buffer, expected);
    EXPECT_EQ(std::string(buffer).size(), 25u);
    EXPECT_EQ(std::string(buffer).back(), '\n');

    char tiny[5] = "????";
    QZ_ctime(&when, tiny, sizeof tiny);
    EXPECT_EQ(std::string(tiny), std::string(expected, 4));
}

TEST_F(TimeTest, LeavesAnEmptyTextWhenItCannotFormat) {
    char buffer[32] = "junk";
    EXPECT_EQ(QZ_ctime(nullptr, buffer, sizeof buffer), buffer);
    EXPECT_STREQ(buffer, "");
    const long tooLate = 1L << 62;
    std::strcpy(buffer, "junk");
    QZ_ctime(&tooLate, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
    const long when = 0;
    std::strcpy(buffer, "junk");
    EXPECT_EQ(QZ_ctime(&when, buffer, 0), buffer);
    EXPECT_STREQ(buffer, "junk");
    EXPECT_EQ(QZ_ctime(&when, nullptr, 32), nullptr);
}
