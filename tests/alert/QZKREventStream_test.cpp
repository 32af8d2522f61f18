// The four stream operators: tag, bytes and order of what reaches addArgument.
#include <gtest/gtest.h>

#include <vector>

#include "AlertTestSupport.h"
#include "QZJobClient.h"
#include "QZKRCast.h"
#include "QZKREventStream.h"

namespace {

using testkit::AlertTest;
using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const standin::Argument& argument) {
    return {argument.bytes.begin(), argument.bytes.end()};
}

class EventStreamTest : public AlertTest {
protected:
    // Posts what was streamed into a bound client and returns the arguments
    // the posting took.
    std::vector<standin::Argument> posted(QZJobClient& client) {
        client.setPendingCause(qzkr::kMsgEmpty, nullptr, true, static_cast<EvMessageType>(300), 0,
                               0, 0, false, static_cast<JMGUIAlertColorLevel>(40),
                               static_cast<JMPendingCauseFlags>(2), 0, 0);
        return postings().back().arguments;
    }
    QZJobClient client;
    void SetUp() override {
        AlertTest::SetUp();
        ASSERT_TRUE(client.init("quorvane.test", 7, static_cast<QZS_PLATFORMTYPE>(2)));
    }
};

TEST_F(EventStreamTest, EachOperatorHandsOverItsTagAndLittleEndianBytes) {
    client << 0x19000025UL << -1 << -1LL << 0x0102030405060708LL << "tape";
    const auto arguments = posted(client);
    ASSERT_EQ(arguments.size(), 5u);
    EXPECT_EQ(arguments[0].tag, standin::kTagCode);
    EXPECT_EQ(bytesOf(arguments[0]), (Bytes{0x25, 0x00, 0x00, 0x19, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(arguments[1].tag, standin::kTagInt);
    EXPECT_EQ(bytesOf(arguments[1]), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(arguments[2].tag, standin::kTagLongLong);
    EXPECT_EQ(bytesOf(arguments[2]), Bytes(8, 0xFF));
    EXPECT_EQ(bytesOf(arguments[3]), (Bytes{0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(arguments[4].tag, standin::kTagText);
    EXPECT_EQ(arguments[4].text, "tape");
}

TEST_F(EventStreamTest, EmptyTextIsStreamedNotSkipped) {
    client << "";
    EXPECT_EQ(posted(client), testkit::text(""));
}

TEST_F(EventStreamTest, ChainAppendsLeftToRightToTheSameEvent) {
    EvEvent& returned = (client << 0x19000028UL << "ID-1" << 42LL);
    EXPECT_EQ(&returned, static_cast<EvEvent*>(&client));
    EXPECT_EQ(posted(client),
              testkit::event({testkit::piece(qzkr::kPieceIdentifier, {"ID-1"}), testkit::job(42)}));
}

TEST_F(EventStreamTest, StreamedTextMayGoAwayBeforeThePosting) {
    {
        char scratch[8] = "Mon 1";
        client << scratch;
        scratch[0] = 'X';
    }
    EXPECT_EQ(posted(client), testkit::text("Mon 1"));
}

TEST(QzcastTest, LargestUnsignedLongIsMinusOne) {
    EXPECT_EQ(qzcast::lld(~0UL), -1);
    EXPECT_EQ(qzcast::lld(0x8000000000000000UL),
              static_cast<long long>(-9223372036854775807LL - 1));
    EXPECT_EQ(qzcast::lld(42UL), 42);
}

}  // namespace
