#include <unistd.h>

#include <nlohmann/json.hpp>

#include "QZJobClient.h"
#include "StandinTest.h"

using standin::Argument;
using standin::Journal;
using standin::Record;

class JournalTest : public testkit::StandinTest {};

TEST_F(JournalTest, ToJsonGivesOneLine) {
    Record record;
    record.kind = Record::Kind::Raise;
    record.client = 3;
    record.jobId = 7;
    record.accepted = true;
    record.params = {0x19000027, 0};
    record.arguments = {Argument::Code(0x19000025), Argument::Text("a\nb"), Argument::Int(-1),
                        Argument::Text("\xff")};
    record.seq = 12;
    record.timeMs = 1796556791123;
    EXPECT_EQ(Journal::toJson(record),
              R"({"seq":12,"time":"2026-12-06T11:33:11.123Z","client":3,"job":7,"call":"raise",)"
              R"("accepted":true,"params":[419430439,0],"arguments":[{"tag":10,"value":419430437},)"
              R"({"tag":11,"text":"a\nb"},{"tag":5,"value":-1},{"tag":11,"text":")"
              "\xef\xbf\xbd\"}],\"pid\":" +
                  std::to_string(getpid()) + R"(,"run":")" + Journal::runId() + "\"}");

    record.kind = Record::Kind::Init;
    record.host = "qn";
    record.arguments.clear();
    EXPECT_NE(Journal::toJson(record).find(R"("call":"init","accepted":true,"host":"qn",)"),
              std::string::npos);
}

TEST_F(JournalTest, AppendsEachRecordToTheJournalFile) {
    const std::string first = file("first.jsonl");
    const std::string second = file("second.jsonl");
    setenv("KORRIN_JOURNAL", first.c_str(), 1);
    QZJobClient client;
    ASSERT_TRUE(client.init("qn", 7, QZS_PLATFORM_UNIX));
    client.addArgument("", standin::kTagText);
    client.setPendingCauseAndCriticalEvent(1, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                           JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET, 1, 0);
    setenv("KORRIN_JOURNAL", second.c_str(), 1);
    client.setJobState(QZ_JOB_PENDING, nullptr, false);

    const auto lines = readLines(first);
    ASSERT_EQ(lines.size(), 2u);
    const auto records = Journal::records();
    EXPECT_EQ(lines[0], Journal::toJson(records[0]));
    const auto raise = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(raise["call"], "raise");
    EXPECT_EQ(raise["job"], 7);
    EXPECT_EQ(raise["seq"], records[1].seq);
    EXPECT_EQ(raise["arguments"], nlohmann::json::parse(R"([{"tag":11,"text":""}])"));
    EXPECT_EQ(raise["time"].get<std::string>().size(), 24u);
    EXPECT_EQ(raise["pid"], getpid());
    EXPECT_EQ(raise["run"], Journal::runId());
    EXPECT_EQ(Journal::runId().size(), 16u);
    EXPECT_EQ(readLines(second), std::vector<std::string>{Journal::toJson(records[2])});
}
