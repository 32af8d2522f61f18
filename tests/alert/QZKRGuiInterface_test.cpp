// The alert object: the cases of tests/alert/golden, every platform call
// made to fail and to throw, and several workers at once.
#include <filesystem>
#include <thread>

#include "StandinStdout.h"
#include "Transcript.h"

namespace {

using golden::AlertTest;
using standin::Calls;
using standin::Fault;
using Kind = standin::Record::Kind;

// Each file of tests/alert/golden: the scripted dialogs' in the build against
// them (KORRIN_SCRIPTED_DIALOGS 1), every other in the build against the console's.
TEST_F(AlertTest, GoldenCases) {
    for (const auto& entry : std::filesystem::directory_iterator(KORRIN_GOLDEN_DIR)) {
        const std::string name = entry.path().filename().string();
        const bool scripted = name.rfind("scripted", 0) == 0;
        if (entry.path().extension() != ".txt" || scripted != KORRIN_SCRIPTED_DIALOGS) continue;
        checkGoldenFile(name);
    }
    for (const auto& message : standin::consoleMessages()) {
        EXPECT_TRUE(KORRIN_SCRIPTED_DIALOGS || shownCodes().count(message.code))
            << "no case shows " << standin::hex(message.code);
    }
}

// The catalogue's error text and advice are the platform's: each is cut back
// to its last whole character, wherever it ends.
TEST_F(AlertTest, CatalogueTextsEndOnAWholeCharacter) {
    Calls::textNext(standin::Call::ErrorString, "Fehler \xC3");
    Calls::textNext(standin::Call::Advise, "Rat \xE7\xA3");
    run("wrong-new-media library=L drive=D error=2017 job=42");
    EXPECT_EQ(std::string(alert->getGumMessage()).substr(0, 19), "Fehler Rat \n\nPlease");
}

// The operations of the fault sweep, each on a fresh object for job 42:
// the step, and one that prepares the object first (never faulted).
const std::vector<std::pair<std::string, std::string>> kSwept = {
    {"new job=42", ""},
    {"import media=M1 identifier=I1 location=L1 library=Lib1 drive=D1 job=42 new-media", ""},
    {"popup pending", "import media=M1 identifier=I1 job=42"},
    {"wrong-media barcode=B1 location=L1 time=1700000000 library=Lib1 drive=D1 media=M1 job=42",
     ""},
    {"popup", "wrong-media barcode=B1 time=1700000000 library=Lib1 job=42"},
    {"new-media library=Lib1 drive=D1 job=42 pending", ""},
    {"wrong-new-media library=Lib1 drive=D1 error=2017 job=42", ""},
    {"crc-error library=Lib1 drive=D1 job=42 pending", ""},
    {"crc-error library=Lib1 drive=D1 job=0", ""},
    {"media-error error=763 library=Lib1 drive=D1 job=42 pending", ""},
    {"identify preface=Export1 location-buffer= barcode-buffer= unique=U1 volume=3 library=Lib1 "
     "drive=D1 job=42",
     ""},
    {"box job=42", ""},
    {"local text=Offline1 job=42", ""},
};

// Every platform call of every operation made to fail and then to throw,
// one call at a time: k = 1, 2, ... until the operation no longer reaches
// call k. A thrown fault reaches the caller, every raising is cleared
// (naming the raised code), unless the clearing itself was hit.
class FaultSweep : public AlertTest,
                   public testing::WithParamInterface<std::pair<std::string, std::string>> {};

TEST_P(FaultSweep, EveryPlatformCallFailsThenThrows) {
    const auto& [step, prepare] = GetParam();
    for (const Fault fault : {Fault::Fail, Fault::Throw}) {
        std::uint64_t k = 1;
        for (; !HasFailure(); ++k) {
            SCOPED_TRACE((fault == Fault::Fail ? "fail " : "throw ") + std::to_string(k));
            restart();
            if (!prepare.empty()) run(prepare);
            Calls::reset();
            Calls::faultAt(k, fault);
            const std::string state = run(step)["="];
            if (Calls::total() < k) break;
            const bool threw = state.rfind("= threw \"injected fault in ", 0) == 0;
            EXPECT_EQ(threw, fault == Fault::Throw) << state;
            const auto records = standin::Journal::records();
            const auto raise = std::find_if(records.begin(), records.end(),
                                            [](const auto& r) { return r.kind == Kind::Raise; });
            const auto clear = std::find_if(raise, records.end(),
                                            [](const auto& r) { return r.kind == Kind::Clear; });
            if (raise != records.end() && clear == records.end()) {
                const auto hit = [&state](const char* call) {
                    return state.rfind("= threw \"injected fault in " + std::string(call) + "\"",
                                       0) == 0;
                };
                EXPECT_TRUE(hit("QZJobClient::setPendingCause") || hit("EvEvent::addArgument"))
                    << "a raising was left without a clearing: " << state;
                EXPECT_EQ(Calls::total(), k) << "nothing may run after the clearing threw";
            } else if (raise != records.end()) {
                EXPECT_EQ(clear->clearedCode(), static_cast<unsigned int>(raise->code()));
                EXPECT_EQ(standin::Journal::isPending(42), raise->accepted && !clear->accepted);
            }
        }
        EXPECT_GT(k, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, testing::ValuesIn(kSwept),
                         [](const auto& info) { return std::to_string(info.index); });

// Four job workers at once, each with its own object and job, all posting
// through the one stand-in: each job's journal reads as it does when the
// workers run one after another. Run under ThreadSanitizer by the tsan preset.
TEST_F(AlertTest, ThreadsOfWorkersOnSeparateObjectsKeepToTheirOwnJobs) {
    const auto work = [](int w) {  // the sweep's operations, 30 times, for job 1001 + w
        MMDebug workerLog;
        QZKRGuiInterface workerAlert(workerLog, 1001 + w);
        for (int round = 0; round < 30; ++round) {
            for (const auto& [step, prepare] : kSwept) {
                for (std::string line : {prepare, step}) {
                    const std::size_t job = line.find("=42");
                    if (job != std::string::npos)
                        line.replace(job + 1, 2, std::to_string(1001 + w));
                    const golden::Step parsed = golden::parse(line);
                    golden::Buffers buffers(parsed);
                    if (!line.empty() && parsed.op != "new")
                        golden::invoke(workerAlert, workerLog, parsed, buffers);
                }
            }
        }
    };
    const auto journalByJob = [] {
        std::map<long long, std::vector<std::string>> journal;
        for (const auto& record : standin::Journal::take())
            journal[record.jobId].push_back(std::to_string(static_cast<int>(record.kind)) + " " +
                                            golden::show(record.arguments));
        return journal;
    };
    const standin::StdoutCapture quiet(standin::StdoutCapture::kDrop);
    for (int w = 0; w < 4; ++w) work(w);
    const auto alone = journalByJob();
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) workers.emplace_back(work, w);
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(journalByJob(), alone);
}

}  // namespace
