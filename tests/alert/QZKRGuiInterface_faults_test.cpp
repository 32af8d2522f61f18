// Every platform call of every operation, made to fail and then to throw, one
// call at a time: k = 1, 2, ... until the operation no longer reaches call k.
// Each run must end without a crash or leak, hand a thrown fault to the
// caller, clear every raising it made, and leave an object that still works.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "AlertTestSupport.h"
#include "QZKRGuiInterface.h"
#include "QuietStdout.h"

namespace {

using namespace testkit;
using standin::Call;
using standin::Calls;
using standin::Fault;
using Kind = standin::Record::Kind;

constexpr long long kJob = 42;
const char kFailure[] = "QZJobClient::setPendingCauseAndCriticalEvent returned failure...";

using Alert = std::unique_ptr<QZKRGuiInterface>;
using Step = void (*)(Alert&, MMDebug&);

struct Operation {
    const char* name;
    Step prepare;  // brings a fresh object to the operation; never faulted
    Step run;
};

void construct(Alert& alert, MMDebug& log) {
    alert = std::make_unique<QZKRGuiInterface>(log, kJob);
}
void importMessage(Alert& alert, MMDebug& log) {
    alert->DisplayImportMessage("M1", "I1", "L1", "Lib1", "D1", kJob, true, false, log);
}
void wrongMedia(Alert& alert, MMDebug& log) {
    alert->DisplayWrongMediaInDriveMessage("B1", "L1", 1700000000L, "Lib1", "D1", "M1", kJob, log);
}
void popup(Alert& alert, MMDebug& log) { alert->popupDialogBox(log, false, true); }

const Operation kOperations[] = {
    {"Constructor", nullptr, construct},
    {"ImportMessage", nullptr, importMessage},
    {"PopupAfterImportMessage", importMessage, popup},
    {"WrongMediaInDriveMessage", nullptr, wrongMedia},
    {"PopupAfterWrongMediaInDriveMessage", wrongMedia, popup},
    {"ImportNewMediaMessage", nullptr,
     [](Alert& alert, MMDebug& log) {
         alert->DisplayImportNewMediaMessage("Lib1", "D1", kJob, log, true);
     }},
    {"WrongNewMediaMessage", nullptr,
     [](Alert& alert, MMDebug& log) {
         alert->DisplayWrongNewMediaMessage("Lib1", "D1", 2017, kJob, log, false);
     }},
    {"CRCErrorMessage", nullptr,
     [](Alert& alert, MMDebug& log) {
         alert->DisplayCRCErrorMessage("Lib1", "D1", kJob, log, true);
     }},
    {"CRCErrorMessageWhileStamping", nullptr,
     [](Alert& alert, MMDebug& log) {
         alert->DisplayCRCErrorMessage("Lib1", "D1", 0, log, false);
     }},
    {"MediaErrorMessage", nullptr,
     [](Alert& alert, MMDebug& log) {
         alert->DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "Lib1", "D1", kJob, log, true);
     }},
    {"IdentifyMediaMessage", nullptr,
     [](Alert& alert, MMDebug& log) {
         char preface[] = "Export";
         char location[QZKRGuiInterface::kExportLocationSize] = "";
         char barcode[QZKRGuiInterface::kBarcodeSize] = "";
         alert->DisplayIdentifyMediaMessage(preface, location, barcode, "U1", 3, "Lib1", "D1", kJob,
                                            log, false);
     }},
    {"ShowMessageBox", nullptr,
     [](Alert& alert, MMDebug&) {
         unsigned int errorCode = 0;
         alert->ShowMessageBox("text", kJob, errorCode, false);
     }},
    {"ErrorMessageLocally", nullptr,
     [](Alert& alert, MMDebug&) { alert->DisplayErrorMessageLocally("Drive offline", kJob); }},
};

void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

// What one faulted run left behind.
struct Outcome {
    std::uint64_t calls = 0;  // platform calls the operation made, the faulted one included
    std::uint64_t clearings = 0;
    std::string thrown;  // what() of the InjectedFault that reached the caller
};

class FaultSweepTest : public AlertTest, public ::testing::WithParamInterface<Operation> {
protected:
    Outcome runWithFault(Alert& alert, std::uint64_t k, Fault fault) {
        standin::Journal::clear();
        standin::DebugLog::clear();
        Calls::reset();
        FakeSleep::reset();
        if (GetParam().run != construct) construct(alert, log);
        if (GetParam().prepare != nullptr) GetParam().prepare(alert, log);
        standin::Journal::clear();
        standin::DebugLog::clear();
        Calls::reset();

        Outcome outcome;
        Calls::faultAt(k, fault);
        try {
            const QuietStdout quiet;
            GetParam().run(alert, log);
        } catch (const standin::InjectedFault& error) {
            outcome.thrown = error.what();
        }
        outcome.calls = Calls::total();
        outcome.clearings = Calls::count(Call::Clear);
        Calls::reset();
        return outcome;
    }

    // Once a raising is in the journal, its clearing follows, unless the
    // fault hit the clearing itself.
    void expectEveryRaisingCleared(const Outcome& outcome, std::uint64_t k, Fault fault) {
        const auto records = journal();
        for (const auto& record : records) {
            if (record.kind != Kind::Clear) continue;
            // A clearing carries its own empty text, never what a raising cut
            // short left in the client.
            EXPECT_TRUE(record.arguments == text("") ||
                        (fault == Fault::Fail && record.arguments.empty()))
                << record.arguments.size() << " arguments";
        }
        std::size_t raise = 0;
        while (raise < records.size() && records[raise].kind != Kind::Raise) ++raise;
        if (raise == records.size()) return;
        std::size_t clear = raise + 1;
        while (clear < records.size() && records[clear].kind != Kind::Clear) ++clear;

        if (clear < records.size()) {
            EXPECT_EQ(records[clear].clearedCode(),
                      static_cast<unsigned int>(records[raise].code()))
                << "the clearing names the raised code";
            if (records[clear].accepted || !records[raise].accepted) {
                EXPECT_FALSE(standin::Journal::isPending(kJob));
            } else {
                // The job manager refused the clearing: only a failed call
                // does that to a bound client, the job stays raised and the
                // refusal is logged.
                EXPECT_EQ(fault, Fault::Fail);
                EXPECT_TRUE(standin::Journal::isPending(kJob));
                const auto lines = workerLines();
                ASSERT_FALSE(lines.empty());
                EXPECT_EQ(lines.back(), kFailure);
            }
            return;
        }
        // No clearing record: the clearing was attempted and the thrown call
        // was its own, either setPendingCause itself or the streaming of its
        // empty text just before; the fault then went straight to the caller.
        ASSERT_EQ(fault, Fault::Throw) << "a raising was left without a clearing";
        const bool clearingThrew =
            outcome.thrown == "injected fault in QZJobClient::setPendingCause" &&
            outcome.clearings == 1;
        const bool clearingTextThrew =
            outcome.thrown == "injected fault in EvEvent::addArgument" && outcome.clearings == 0;
        EXPECT_TRUE(clearingThrew || clearingTextThrew) << outcome.thrown;
        EXPECT_EQ(outcome.calls, k) << "nothing may run after the clearing threw";
        EXPECT_EQ(standin::Journal::isPending(kJob), records[raise].accepted);
    }

    void expectTextsBounded(const QZKRGuiInterface& alert) {
        for (const char* text :
             {alert.getMessageText(), alert.getGumMessage(), alert.getLogText()}) {
            EXPECT_NE(std::memchr(text, '\0', QZKRGuiInterface::kTextSize), nullptr);
        }
    }

    // After any fault the object takes the next prompt as if nothing had
    // happened: it posts that prompt's own arguments and clears it.
    void expectStillWorks(Alert& alert) {
        if (!alert) construct(alert, log);
        standin::Journal::clear();
        alert->DisplayImportNewMediaMessage("LibR", "DR", kJob, log, false);
        const auto records = postings();
        ASSERT_EQ(records.size(), 2u);
        ASSERT_EQ(records[0].kind, Kind::Raise);
        ASSERT_EQ(records[1].kind, Kind::Clear);
        // A faulted binding leaves the client unbound: refused postings,
        // without arguments.
        if (records[0].accepted) {
            EXPECT_EQ(records[0].arguments, event({text("LibR"), text("DR"), job(kJob)}));
            EXPECT_EQ(records[1].arguments, text(""));
        }
        EXPECT_FALSE(standin::Journal::isPending(kJob));
    }

    // Returns the number of fault points: the calls k that the operation reached.
    std::uint64_t sweep(Fault fault) {
        for (std::uint64_t k = 1;; ++k) {
            SCOPED_TRACE(std::string(fault == Fault::Fail ? "fail" : "throw") + " at call " +
                         std::to_string(k));
            Alert alert;
            const Outcome outcome = runWithFault(alert, k, fault);
            if (outcome.calls < k) {
                EXPECT_EQ(outcome.thrown, "");
                return k - 1;
            }
            if (fault == Fault::Fail) {
                EXPECT_EQ(outcome.thrown, "") << "a failed call throws nothing";
            } else {
                EXPECT_NE(outcome.thrown, "") << "a thrown fault reaches the caller";
            }
            expectEveryRaisingCleared(outcome, k, fault);
            if (alert) expectTextsBounded(*alert);
            expectStillWorks(alert);
            if (HasFailure()) return k;
        }
    }
};

TEST_P(FaultSweepTest, EveryCallFailsThenThrows) {
    const std::uint64_t failed = sweep(Fault::Fail);
    const std::uint64_t thrown = sweep(Fault::Throw);
    EXPECT_GT(failed, 0u);
    EXPECT_GT(thrown, 0u);
    RecordProperty("fail_points", static_cast<int>(failed));
    RecordProperty("throw_points", static_cast<int>(thrown));
    std::printf("[  SWEEP   ] %s: %llu fault points failed, %llu thrown\n", GetParam().name,
                static_cast<unsigned long long>(failed), static_cast<unsigned long long>(thrown));
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweepTest, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<Operation>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
