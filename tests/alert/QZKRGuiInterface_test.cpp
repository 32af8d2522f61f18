// The alert object: the golden transcripts of every operation, every
// platform call made to fail and to throw, and several workers at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "QuietStdout.h"
#include "Transcript.h"

namespace {

using golden::AlertTest;
using golden::Step;
using standin::Calls;
using standin::Fault;
using Kind = standin::Record::Kind;

// Each file of tests/alert/golden but the scripted dialogs' is one test.
std::vector<std::string> goldenFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(KORRIN_GOLDEN_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".txt" && name.rfind("scripted", 0) != 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Golden : public AlertTest, public testing::WithParamInterface<std::string> {};

TEST_P(Golden, TranscriptsMatch) { checkGoldenFile(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Alert, Golden, testing::ValuesIn(goldenFiles()), [](const auto& info) {
    std::string name = info.param.substr(0, info.param.find('.'));
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

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

class FaultSweep : public AlertTest, public testing::WithParamInterface<std::vector<std::string>> {
protected:
    // Runs the operation with call k faulted; returns what was thrown ("" for nothing).
    std::string runWithFault(std::uint64_t k, Fault fault) {
        restart();
        const Step step = golden::parse(GetParam()[1]);
        if (step.op != "new") run("new job=42");
        if (!GetParam()[2].empty()) run(GetParam()[2]);
        standin::Journal::clear();
        Calls::reset();
        Calls::faultAt(k, fault);
        golden::Buffers buffers(step);
        try {
            const testkit::QuietStdout quiet;
            if (step.op == "new") alert = std::make_unique<QZKRGuiInterface>(log, 42);
            if (step.op != "new") golden::invoke(*alert, log, step, buffers);
        } catch (const standin::InjectedFault& error) {
            return error.what();
        }
        return "";
    }

    // The raising is followed by its clearing, which names the raised code
    // and carries only its own empty text; unless the clearing itself threw.
    void expectTheRaisingCleared(const std::string& thrown, std::uint64_t k, Fault fault) {
        const auto records = standin::Journal::records();
        const auto raise = std::find_if(records.begin(), records.end(), [](const auto& record) {
            return record.kind == Kind::Raise;
        });
        const auto clear = std::find_if(
            raise, records.end(), [](const auto& record) { return record.kind == Kind::Clear; });
        if (raise == records.end()) return;
        if (clear == records.end()) {
            ASSERT_EQ(fault, Fault::Throw) << "a raising was left without a clearing";
            EXPECT_TRUE(thrown == "injected fault in QZJobClient::setPendingCause" ||
                        thrown == "injected fault in EvEvent::addArgument")
                << thrown;
            EXPECT_EQ(Calls::total(), k) << "nothing may run after the clearing threw";
            return;
        }
        EXPECT_EQ(clear->clearedCode(), static_cast<unsigned int>(raise->code()));
        if (!(fault == Fault::Fail && clear->arguments.empty())) {  // an unbound client takes none
            EXPECT_EQ(clear->arguments, std::vector{standin::Argument::Text("")});
        }
        EXPECT_EQ(standin::Journal::isPending(42), raise->accepted && !clear->accepted);
    }

    // After any fault the object takes the next prompt as if nothing had happened.
    void expectStillWorks() {
        if (!alert) run("new job=42");
        standin::Journal::clear();
        const Step next = golden::parse("new-media library=LibR drive=DR job=42");
        golden::Buffers buffers(next);
        golden::invoke(*alert, log, next, buffers);
        const auto records = standin::Journal::records();
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[0].arguments.size(), records[0].accepted ? 3u : 0u);
        EXPECT_EQ(records[2].kind, Kind::Clear);
        EXPECT_FALSE(standin::Journal::isPending(42));
    }
};

TEST_P(FaultSweep, EveryPlatformCallFailsThenThrows) {
    for (const Fault fault : {Fault::Fail, Fault::Throw}) {
        std::uint64_t k = 1;
        for (; !HasFailure(); ++k) {
            SCOPED_TRACE((fault == Fault::Fail ? "fail " : "throw ") + std::to_string(k));
            const std::string thrown = runWithFault(k, fault);
            if (Calls::total() < k) break;
            EXPECT_EQ(thrown.empty(), fault == Fault::Fail) << thrown;
            expectTheRaisingCleared(thrown, k, fault);
            if (const QZKRGuiInterface* after = alert.get()) {
                for (const char* text :
                     {after->getMessageText(), after->getGumMessage(), after->getLogText()}) {
                    EXPECT_LT(strnlen(text, QZKRGuiInterface::kTextSize),
                              QZKRGuiInterface::kTextSize);
                }
            }
            Calls::reset();
            expectStillWorks();
        }
        EXPECT_GT(k, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, testing::ValuesIn(sweptOperations()),
                         [](const auto& info) { return info.param[0]; });

// Several job workers at once, each with its own object and job, all posting
// through the one stand-in: each job's journal reads as it does when the
// workers run one after another, and no debug line is lost. Run under
// ThreadSanitizer by the tsan preset.
class ThreadsTest : public AlertTest {};

TEST_F(ThreadsTest, WorkersOnSeparateObjectsKeepToTheirOwnJobs) {
    constexpr int kWorkers = 4;
    std::vector<std::vector<Step>> steps(kWorkers);
    for (int w = 0; w < kWorkers; ++w) {
        for (int round = 0; round < 30; ++round) {
            // The sweep's operations, each of this worker's round tagged.
            for (const auto& operation : sweptOperations()) {
                for (std::string line : {operation[2], operation[1]}) {
                    const std::string tag = "w" + std::to_string(w) + "-" + std::to_string(round);
                    for (std::size_t at = 0; (at = line.find("1 ", at)) != std::string::npos;)
                        at = line.replace(at, 1, tag).find(' ', at);
                    const std::size_t job = line.find("=42");
                    if (job != std::string::npos)
                        line.replace(job + 1, 2, std::to_string(1001 + w));
                    if (!line.empty() && line.rfind("new ", 0) != 0)
                        steps[w].push_back(golden::parse(line));
                }
            }
        }
    }
    const auto work = [&steps](int w) {
        MMDebug workerLog;
        QZKRGuiInterface workerAlert(workerLog, 1001 + w);
        for (const Step& step : steps[w]) {
            golden::Buffers buffers(step);
            golden::invoke(workerAlert, workerLog, step, buffers);
        }
    };
    const auto journalOf = [](const std::vector<standin::Record>& records, long long jobId) {
        std::vector<std::string> lines;
        for (const auto& record : records) {
            if (record.jobId == jobId) lines.push_back(golden::describe(record));
        }
        return lines;
    };
    const testkit::QuietStdout quiet;
    for (int w = 0; w < kWorkers; ++w) work(w);
    const auto alone = standin::Journal::take();
    const std::size_t lines = standin::DebugLog::lines().size();
    standin::DebugLog::clear();
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) workers.emplace_back(work, w);
    for (auto& worker : workers) worker.join();
    const auto together = standin::Journal::take();
    for (int w = 0; w < kWorkers; ++w) {
        EXPECT_EQ(journalOf(together, 1001 + w), journalOf(alone, 1001 + w)) << "worker " << w;
    }
    EXPECT_EQ(standin::DebugLog::lines().size(), lines);
}

}  // namespace
