#include "EvEvent.h"

#include <cstring>

#include "QZJobClient.h"
#include "StandinTest.h"

using standin::Argument;

class EventTest : public testkit::StandinTest {};

TEST_F(EventTest, AddArgumentCopiesWhatItIsGiven) {
    QZJobClient client;
    ASSERT_TRUE(client.init("qn", 7, QZS_PLATFORM_UNIX));
    int small = -1;
    long long big = -1;
    unsigned long code = 0x19000025;
    char text[16] = "LTO-0042";
    client.addArgument(&small, standin::kTagInt);
    client.addArgument(&big, standin::kTagLongLong);
    client.addArgument(&code, standin::kTagCode);
    client.addArgument(text, standin::kTagText);
    client.addArgument(nullptr, standin::kTagText);
    client.addArgument(&small, 3);
    // The caller's storage may be gone before the posting.
    small = 0;
    std::strcpy(text, "overwritten");
    client.setJobState(QZ_JOB_PENDING, nullptr, false);  // not a posting: keeps them
    ASSERT_TRUE(client.setPendingCauseAndCriticalEvent(1, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                                       JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET, 1,
                                                       0));
    Argument unknown;
    unknown.tag = 3;
    const std::vector<Argument> expected = {Argument::Int(-1),          Argument::LongLong(-1),
                                            Argument::Code(0x19000025), Argument::Text("LTO-0042"),
                                            Argument::Text(""),         unknown};
    EXPECT_EQ(standin::Journal::records().back().arguments, expected);
    EXPECT_EQ(expected[2].bytes, std::string("\x25\x00\x00\x19\x00\x00\x00\x00", 8));
}

TEST_F(EventTest, ArgumentNumbersAndDescriptions) {
    EXPECT_EQ(Argument::Int(-5).number(), -5);
    EXPECT_EQ(Argument::LongLong(-1099511627776LL).number(), -1099511627776LL);
    EXPECT_EQ(Argument::Code(0xffffffffUL).number(), 0xffffffffLL);  // no sign extension

    EXPECT_EQ(standin::describe(Argument::Int(5)), "int 5");
    EXPECT_EQ(standin::describe(Argument::LongLong(-1)), "ll -1");
    EXPECT_EQ(standin::describe(Argument::Code(0x19000025)), "code 0x19000025");
    EXPECT_EQ(standin::describe(Argument::Text("a\"b\\\n\x01")), "text \"a\\\"b\\\\\\n\\x01\"");
    EXPECT_NE(Argument::Int(1), Argument::Code(1));
}
