#include "QZJobClient.h"

#include "StandinTest.h"

using standin::Argument;
using standin::Journal;
using standin::Record;

namespace {

bool raise(QZJobClient& client, int code) {
    return client.setPendingCauseAndCriticalEvent(code, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                                  JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET,
                                                  static_cast<unsigned int>(code), 0);
}

bool clear(QZJobClient& client, const std::vector<long long>* list = nullptr) {
    return client.setPendingCause(0x19000025, list, true, EV_MESSAGE_OPERATOR_ALERT, 0, 0, 0, false,
                                  JM_ALERT_COLOR_CRITICAL, JM_PENDING_CLEAR, 0x19000027, 0);
}

void addInt(QZJobClient& client, int value) { client.addArgument(&value, standin::kTagInt); }

}  // namespace

class JobClientTest : public testkit::StandinTest {};

TEST_F(JobClientTest, EachPostingTakesTheArgumentsSinceThePreviousOne) {
    QZJobClient client;
    ASSERT_TRUE(client.init("qn.example", 42, QZS_PLATFORM_UNIX));
    addInt(client, 1);
    addInt(client, 2);
    EXPECT_TRUE(raise(client, 0x19000027));
    addInt(client, 3);
    client.discardArguments();
    addInt(client, 4);
    EXPECT_TRUE(clear(client));
    EXPECT_TRUE(raise(client, 0x19000020));

    const auto records = Journal::records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].kind, Record::Kind::Init);
    EXPECT_EQ(records[0].host, "qn.example");
    EXPECT_EQ(records[0].params, (standin::Params{42, 2}));
    EXPECT_EQ(records[1].arguments, (std::vector<Argument>{Argument::Int(1), Argument::Int(2)}));
    EXPECT_EQ(records[1].params, (standin::Params{0x19000027, 0, 1, 300, 0, 40, 1, 0x19000027, 0}));
    EXPECT_EQ(records[2].arguments, std::vector<Argument>{Argument::Int(4)});
    EXPECT_EQ(records[2].params,
              (standin::Params{0x19000025, 0, 1, 300, 0, 0, 0, 0, 40, 2, 0x19000027, 0}));
    EXPECT_TRUE(records[3].arguments.empty());
    EXPECT_EQ(records[3].jobId, 42);
    EXPECT_LT(records[2].seq, records[3].seq);
}

TEST_F(JobClientTest, RefusedPostingStillTakesItsArguments) {
    QZJobClient client;
    ASSERT_TRUE(client.init("qn", 9, QZS_PLATFORM_UNIX));
    addInt(client, 1);
    standin::Calls::faultNext(standin::Call::Raise, standin::Fault::Fail);
    EXPECT_FALSE(raise(client, 0x19000027));
    EXPECT_TRUE(raise(client, 0x19000027));
    const auto records = Journal::records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_FALSE(records[1].accepted);
    EXPECT_EQ(records[1].arguments, std::vector<Argument>{Argument::Int(1)});
    EXPECT_TRUE(records[2].arguments.empty());
}

TEST_F(JobClientTest, UnboundClientAnswersFalseAndDropsItsArguments) {
    QZJobClient never;
    QZJobClient nullHost;
    QZJobClient emptyHost;
    EXPECT_FALSE(nullHost.init(nullptr, 5, QZS_PLATFORM_UNIX));
    EXPECT_FALSE(emptyHost.init("", 5, QZS_PLATFORM_UNIX));
    for (QZJobClient* client : {&never, &nullHost, &emptyHost}) {
        addInt(*client, 1);
        EXPECT_FALSE(raise(*client, 0x19000027));
        EXPECT_FALSE(clear(*client));
        EXPECT_FALSE(client->setJobState(QZ_JOB_PENDING, nullptr, false));
    }
    for (const auto& record : Journal::records()) {
        EXPECT_FALSE(record.accepted);
        EXPECT_EQ(record.jobId, 0);
        EXPECT_TRUE(record.arguments.empty());
    }
    EXPECT_FALSE(Journal::isPending(5));
    EXPECT_EQ(Journal::lastState(5), 0);
    EXPECT_LT(Journal::records().front().client, Journal::records().back().client);
}

TEST_F(JobClientTest, TracksPendingAndStatePerJob) {
    QZJobClient a;
    QZJobClient b;
    ASSERT_TRUE(a.init("qn", 1, QZS_PLATFORM_UNIX));
    ASSERT_TRUE(b.init("qn", 2, QZS_PLATFORM_UNIX));
    EXPECT_TRUE(raise(a, 0x19000027));
    EXPECT_TRUE(a.setJobState(QZ_JOB_PENDING, nullptr, false));
    EXPECT_TRUE(raise(b, 0x19000027));
    const std::vector<long long> list{1};
    EXPECT_TRUE(clear(b, &list));
    EXPECT_TRUE(b.setJobState(QZ_JOB_RUNNING, &list, true));
    standin::Calls::faultNext(standin::Call::Clear, standin::Fault::Fail);
    EXPECT_FALSE(clear(a));  // refused: stays pending

    EXPECT_TRUE(Journal::isPending(1));
    EXPECT_FALSE(Journal::isPending(2));
    EXPECT_EQ(Journal::lastState(1), QZ_JOB_PENDING);
    EXPECT_EQ(Journal::lastState(2), QZ_JOB_RUNNING);
    EXPECT_EQ(Journal::records()[6].params, (standin::Params{1, 1, 1}));
    EXPECT_EQ(Journal::records()[5].params.at(1), 1);
    Journal::clear();
    EXPECT_FALSE(Journal::isPending(1));
    EXPECT_EQ(Journal::lastState(1), 0);
}
