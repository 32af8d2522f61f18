// The alert object: the golden transcripts of every operation, every
// platform call made to fail and to throw, and several workers at once.
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
TEST_F(AlertTest, GoldenTranscripts) {
    for (const auto& entry : std::filesystem::directory_iterator(KORRIN_GOLDEN_DIR)) {
        const std::string name = entry.path().filename().string();
        const bool scripted = name.rfind("scripted", 0) == 0;
        if (entry.path().extension() != ".txt" || scripted != KORRIN_SCRIPTED_DIALOGS) continue;
        checkGoldenFile(name);
    }
}

// The catalogue's error text and advice are the platform's: each is cut back
// to its last whole character, wherever it ends.
TEST_F(AlertTest, CatalogueTextsEndOnAWholeCharacter) {
    run("new job=42");
    Calls::textNext(standin::Call::ErrorString, "Fehler \xC3");
    Calls::textNext(standin::Call::Advise, "Rat \xE7\xA3");
    run("wrong-new-media library=L drive=D error=2017 job=42");
    EXPECT_EQ(std::string(alert->getGumMessage()).substr(0, 19), "Fehler Rat \n\nPlease");
}

// Every platform call of every operation (tests/alert/fault-sweep.txt), made
// to fail and then to throw, one call at a time: k = 1, 2, ... until the
// operation no longer reaches call k. A thrown fault reaches the caller,
// every raising is cleared, and the object still works.
std::vector<std::vector<std::string>> sweptOperations() {
    std::vector<std::vector<std::string>> operations;
    std::ifstream in(KORRIN_FAULT_SWEEP);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t name = line.find(' '), prepare = line.find(" | ");
        operations.push_back({line.substr(0, name), line.substr(name + 1, prepare - name - 1),
                              prepare == std::string::npos ? "" : line.substr(prepare + 3)});
    }
    return operations;
}

class FaultSweep : public AlertTest,
                   public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(FaultSweep, EveryPlatformCallFailsThenThrows) {
    for (const Fault fault : {Fault::Fail, Fault::Throw}) {
        std::uint64_t k = 1;
        for (; !HasFailure(); ++k) {
            SCOPED_TRACE((fault == Fault::Fail ? "fail " : "throw ") + std::to_string(k));
            restart();
            if (GetParam()[1].rfind("new ", 0) != 0) run("new job=42");
            if (!GetParam()[2].empty()) run(GetParam()[2]);
            Calls::reset();
            Calls::faultAt(k, fault);
            std::string thrown;
            for (const std::string& said : run(GetParam()[1])) {
                if (said.rfind("threw ", 0) == 0) thrown = said;
            }
            if (Calls::total() < k) break;
            EXPECT_EQ(thrown.rfind("threw \"injected fault in ", 0) == 0, fault == Fault::Throw)
                << thrown;
            // The raising is followed by its clearing, which names the raised
            // code and carries only its own empty text, unless the clearing threw.
            const auto records = standin::Journal::records();
            const auto raise = std::find_if(records.begin(), records.end(),
                                            [](const auto& r) { return r.kind == Kind::Raise; });
            const auto clear = std::find_if(raise, records.end(),
                                            [](const auto& r) { return r.kind == Kind::Clear; });
            if (raise != records.end() && clear == records.end()) {
                EXPECT_EQ(fault, Fault::Throw) << "a raising was left without a clearing";
                EXPECT_TRUE(thrown == R"(threw "injected fault in QZJobClient::setPendingCause")" ||
                            thrown == R"(threw "injected fault in EvEvent::addArgument")")
                    << thrown;
                EXPECT_EQ(Calls::total(), k) << "nothing may run after the clearing threw";
            } else if (raise != records.end()) {
                EXPECT_EQ(clear->clearedCode(), static_cast<unsigned int>(raise->code()));
                EXPECT_EQ(standin::Journal::isPending(42), raise->accepted && !clear->accepted);
            }
        }
        EXPECT_GT(k, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, testing::ValuesIn(sweptOperations()),
                         [](const auto& info) { return info.param[0]; });

// Several job workers at once, each with its own object and job, all posting
// through the one stand-in: each job's journal reads as it does when the
// workers run one after another. Run under
// ThreadSanitizer by the tsan preset.
TEST_F(AlertTest, ThreadsOfWorkersOnSeparateObjectsKeepToTheirOwnJobs) {
    const auto operations = sweptOperations();
    const auto work = [&operations](int w) {  // the sweep's operations, 30 times, for job 1001 + w
        MMDebug workerLog;
        QZKRGuiInterface workerAlert(workerLog, 1001 + w);
        for (std::size_t i = 0; i < 60 * operations.size(); ++i) {
            std::string line = operations[i / 2 % operations.size()][2 - i % 2];  // prepare, run
            const std::size_t job = line.find("=42");
            if (job != std::string::npos) line.replace(job + 1, 2, std::to_string(1001 + w));
            const golden::Step step = golden::parse(line);
            golden::Buffers buffers(step);
            if (!line.empty() && step.op != "new")
                golden::invoke(workerAlert, workerLog, step, buffers);
        }
    };
    const auto journalByJob = [] {
        std::map<long long, std::vector<std::string>> journal;
        for (const auto& record : standin::Journal::take())
            journal[record.jobId].push_back(golden::describe(record));
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
