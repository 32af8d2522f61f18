#include "MMS2BaseError.h"

#include <cstring>

#include "StandinTest.h"

class ErrorCatalogueTest : public testkit::StandinTest {};

TEST_F(ErrorCatalogueTest, CatalogueHoldsTheAwkwardCases) {
    bool lineFeedEnd = false;
    bool noSeparator = false;
    bool empty = false;
    for (const auto& entry : standin::catalogue()) {
        const std::string text = entry.errorText;
        const std::string advice = entry.advice;
        lineFeedEnd |= !text.empty() && text.back() == '\n';
        noSeparator |= !text.empty() && std::isalnum(static_cast<unsigned char>(text.back())) &&
                       !advice.empty() && std::isalpha(static_cast<unsigned char>(advice[0]));
        empty |= text.empty() && advice.empty();
    }
    EXPECT_TRUE(lineFeedEnd);
    EXPECT_TRUE(noSeparator);
    EXPECT_TRUE(empty);
}

TEST_F(ErrorCatalogueTest, LooksUpEveryEntryAndNothingElse) {
    MMS2BaseError errors;
    char buffer[256];
    for (const auto& entry : standin::catalogue()) {
        EXPECT_EQ(MMS2BaseError::getErrorStringForCode(entry.code, buffer, sizeof buffer, 0),
                  static_cast<int>(std::strlen(entry.errorText)));
        EXPECT_STREQ(buffer, entry.errorText);
        EXPECT_STREQ(errors.getAdvise(entry.code), entry.advice);
        EXPECT_EQ(MMS2BaseError::getEvEventErrorCodeID(entry.code), entry.eventErrorId);
    }
    std::strcpy(buffer, "junk");
    EXPECT_EQ(MMS2BaseError::getErrorStringForCode(-12345, buffer, sizeof buffer, 0), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_STREQ(errors.getAdvise(-12345), "");
    EXPECT_EQ(MMS2BaseError::getEvEventErrorCodeID(-12345), 0);
}

TEST_F(ErrorCatalogueTest, CutsTheTextToTheBuffer) {
    const auto& entry = standin::catalogue().at(1);
    char small[8] = "???????";
    EXPECT_EQ(MMS2BaseError::getErrorStringForCode(entry.code, small, sizeof small, 0), 7);
    EXPECT_EQ(std::string(small), std::string(entry.errorText, 7));
    EXPECT_EQ(MMS2BaseError::getErrorStringForCode(entry.code, small, 0, 0), 0);
    EXPECT_EQ(std::string(small), std::string(entry.errorText, 7));  // untouched
}
