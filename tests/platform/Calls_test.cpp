#include <thread>

#include "EvDebug.h"
#include "MMS2BaseError.h"
#include "QZEndian.h"
#include "QZJobClient.h"
#include "QZPlatformInfo.h"
#include "QZTime.h"
#include "StandinTest.h"

using standin::Call;
using standin::Calls;
using standin::Fault;
using standin::InjectedFault;

class CallsTest : public testkit::StandinTest {};

TEST_F(CallsTest, CountsEachEntryPointPerKind) {
    {
        QZJobClient client;
        client.init("qn", 1, QZS_PLATFORM_UNIX);
        int value = 1;
        littleEndianInt(&value);
        client.addArgument(&value, standin::kTagInt);
        client.addArgument(&value, standin::kTagInt);
        EvDebug debug(nullptr);
    }  // destructors are not calls
    EXPECT_EQ(Calls::count(Call::JobClientCtor), 1u);
    EXPECT_EQ(Calls::count(Call::AddArgument), 2u);
    EXPECT_EQ(Calls::count(Call::EndianInt), 1u);
    EXPECT_EQ(Calls::count(Call::Raise), 0u);
    EXPECT_EQ(Calls::total(), 6u);
    Calls::reset();
    EXPECT_EQ(Calls::total(), 0u);
    EXPECT_EQ(Calls::count(Call::AddArgument), 0u);
}

TEST_F(CallsTest, FaultAtCountsFromNow) {
    QZJobClient client;
    Calls::faultAt(3, Fault::Throw);
    Calls::faultAt(1, Fault::Fail);
    EXPECT_FALSE(client.init("qn", 1, QZS_PLATFORM_UNIX));  // 1st: fails
    EXPECT_TRUE(client.init("qn", 1, QZS_PLATFORM_UNIX));   // 2nd
    try {
        client.setJobState(QZ_JOB_PENDING, nullptr, false);  // 3rd: throws
        ADD_FAILURE() << "no fault injected";
    } catch (const InjectedFault& fault) {
        EXPECT_NE(std::string(fault.what()).find("setJobState"), std::string::npos);
    }
    EXPECT_TRUE(client.setJobState(QZ_JOB_PENDING, nullptr, false));
    // The thrown call left nothing behind; the failed one was journalled as refused.
    const auto records = standin::Journal::records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_FALSE(records[0].accepted);
    EXPECT_EQ(records[0].jobId, 0);
    EXPECT_EQ(Calls::count(Call::JobState), 2u);
}

TEST_F(CallsTest, FaultNextWaitsForItsKind) {
    Calls::faultNext(Call::GetNumber, Fault::Fail);
    Calls::faultNext(Call::Advise, Fault::Throw);
    MMS2BaseError errors;
    const int code = standin::catalogue().at(1).code;
    EXPECT_NE(MMS2BaseError::getEvEventErrorCodeID(code), 0);
    EXPECT_THROW(errors.getAdvise(code), InjectedFault);
    EXPECT_STRNE(errors.getAdvise(code), "");

    const std::string path = file("s.ini");
    write(path, "[Korrin]\nn = 1\n");
    setenv("KORRIN_SETTINGS", path.c_str(), 1);
    QZPlatformInfo info;
    unsigned long value = 0;
    EXPECT_EQ(info.getNumber("Korrin", "n", &value), 0);
    EXPECT_EQ(info.getNumber("Korrin", "n", &value), 1);
}

TEST_F(CallsTest, FailGivesTheDocumentedEmptyAnswers) {
    QZJobClient client;
    ASSERT_TRUE(client.init("qn", 1, QZS_PLATFORM_UNIX));
    int value = 1;
    Calls::faultNext(Call::AddArgument, Fault::Fail);
    client.addArgument(&value, standin::kTagInt);
    client.addArgument(&value, standin::kTagInt);
    Calls::faultNext(Call::DiscardArguments, Fault::Fail);
    client.discardArguments();
    EXPECT_TRUE(client.setPendingCauseAndCriticalEvent(1, 0, true, EV_MESSAGE_OPERATOR_ALERT, false,
                                                       JM_ALERT_COLOR_CRITICAL, JM_PENDING_SET, 1,
                                                       0));
    EXPECT_EQ(standin::Journal::records().back().arguments.size(), 1u);

    Calls::faultNext(Call::DebugLvl, Fault::Fail);
    EvDebug(nullptr).debugLvl(1, "dropped");
    EXPECT_TRUE(standin::DebugLog::lines().empty());

    Calls::faultNext(Call::GetFocus, Fault::Fail);
    EXPECT_STREQ(QZPI_Focus::getFocus(), "");
    Calls::faultNext(Call::JobClientCtor, Fault::Fail);
    QZJobClient constructed;  // a constructor has nothing to fail
    EXPECT_TRUE(constructed.init("qn", 2, QZS_PLATFORM_UNIX));
    Calls::faultNext(Call::JobClientCtor, Fault::Throw);
    EXPECT_THROW(QZJobClient{}, InjectedFault);
}

TEST_F(CallsTest, PlansAndCountsBelongToTheirThread) {
    Calls::faultAt(1, Fault::Throw);
    Calls::faultNext(Call::Ctime, Fault::Throw);
    std::uint64_t otherTotal = 99;
    std::thread other([&otherTotal] {
        char buffer[32];
        const long when = 0;
        QZ_ctime(&when, buffer, sizeof buffer);
        otherTotal = Calls::total();
    });
    other.join();
    EXPECT_EQ(otherTotal, 1u);
    EXPECT_EQ(Calls::total(), 0u);
    Calls::reset();
    const long when = 0;
    char buffer[32];
    EXPECT_NO_THROW(QZ_ctime(&when, buffer, sizeof buffer));
}
