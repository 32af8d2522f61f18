// The alert object: the golden transcripts of every operation, every
// platform call made to fail and to throw, and several workers at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

#include "QuietStdout.h"
#include "Transcript.h"

namespace {

using golden::AlertTest;
using golden::Step;
using standin::Call;
using standin::Calls;
using standin::Fault;
using Kind = standin::Record::Kind;

// ---------------------------------------------------------------- golden transcripts

// Each file of tests/alert/golden (but those of the scripted dialogs) is one test.
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

INSTANTIATE_TEST_SUITE_P(Alert, Golden, testing::ValuesIn(goldenFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param.substr(0, info.param.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// ---------------------------------------------------------------- the fault sweep

// Every platform call of every operation, made to fail and then to throw, one
// call at a time: k = 1, 2, ... until the operation no longer reaches call k.
// Each run must end without a crash or leak, hand a thrown fault to the
// caller, clear every raising it made, and leave an object that still works.
struct Swept {
    const char* name;
    const char* prepare;  // never faulted
    const char* run;
};

const Swept kSwept[] = {
    {"Constructor", "", "new job=42"},
    {"Import", "", "import media=M1 identifier=I1 location=L1 library=Lib1 drive=D1 job=42 new-media"},
    {"PopupAfterImport", "import media=M1 identifier=I1 job=42", "popup pending"},
    {"WrongMedia", "",
     "wrong-media barcode=B1 location=L1 time=1700000000 library=Lib1 drive=D1 media=M1 job=42"},
    {"PopupAfterWrongMedia", "wrong-media barcode=B1 time=1700000000 library=Lib1 job=42", "popup"},
    {"NewMedia", "", "new-media library=Lib1 drive=D1 job=42 pending"},
    {"WrongNewMedia", "", "wrong-new-media library=Lib1 drive=D1 error=2017 job=42"},
    {"CrcError", "", "crc-error library=Lib1 drive=D1 job=42 pending"},
    {"CrcErrorStamping", "", "crc-error library=Lib1 drive=D1 job=0"},
    {"MediaError", "", "media-error error=763 library=Lib1 drive=D1 job=42 pending"},
    {"Identify", "",
     "identify preface=Export location-buffer= barcode-buffer= unique=U1 volume=3 library=Lib1 "
     "drive=D1 job=42"},
    {"MessageBox", "", "box job=42"},
    {"LocalError", "", "local text=Offline job=42"},
};

class FaultSweep : public AlertTest, public testing::WithParamInterface<Swept> {
protected:
    // Runs the operation with call k faulted; returns what was thrown ("" for nothing).
    std::string runWithFault(std::uint64_t k, Fault fault) {
        restart();
        const Step step = golden::parse(GetParam().run);
        if (step.op != "new") run("new job=42");
        if (*GetParam().prepare != '\0') run(GetParam().prepare);
        standin::Journal::clear();
        standin::DebugLog::clear();
        Calls::reset();
        Calls::faultAt(k, fault);
        golden::Buffers buffers(step);
        try {
            const testkit::QuietStdout quiet;
            if (step.op == "new") alert = std::make_unique<QZKRGuiInterface>(log, 42);
            else golden::invoke(*alert, log, step, buffers);
        } catch (const standin::InjectedFault& error) {
            return error.what();
        }
        return "";
    }

    // Once a raising is in the journal, its clearing follows, carrying only
    // its own empty text, unless the fault hit the clearing itself.
    void expectEveryRaisingCleared(const std::string& thrown, std::uint64_t k, Fault fault) {
        const auto records = standin::Journal::records();
        for (const auto& record : records) {
            if (record.kind == Kind::Clear && !(fault == Fault::Fail && record.arguments.empty())) {
                ASSERT_EQ(record.arguments.size(), 1u);
                EXPECT_EQ(record.arguments[0], standin::Argument::Text(""));
            }
        }
        auto raise = std::find_if(records.begin(), records.end(),
                                  [](const auto& record) { return record.kind == Kind::Raise; });
        if (raise == records.end()) return;
        auto clear = std::find_if(raise, records.end(),
                                  [](const auto& record) { return record.kind == Kind::Clear; });
        if (clear == records.end()) {
            // The clearing threw: setPendingCause itself or the streaming of its text.
            ASSERT_EQ(fault, Fault::Throw) << "a raising was left without a clearing";
            EXPECT_TRUE(thrown == "injected fault in QZJobClient::setPendingCause" ||
                        thrown == "injected fault in EvEvent::addArgument")
                << thrown;
            EXPECT_EQ(Calls::total(), k) << "nothing may run after the clearing threw";
            EXPECT_EQ(standin::Journal::isPending(42), raise->accepted);
            return;
        }
        EXPECT_EQ(clear->clearedCode(), static_cast<unsigned int>(raise->code()));
        // Only a failed clearing of an accepted raising leaves the job pending.
        const bool refusedClearing = raise->accepted && !clear->accepted;
        EXPECT_EQ(standin::Journal::isPending(42), refusedClearing);
    }

    // After any fault the object takes the next prompt as if nothing had
    // happened: it posts that prompt's own arguments and clears it.
    void expectStillWorks() {
        Calls::reset();
        if (!alert) run("new job=42");
        standin::Journal::clear();
        const Step next = golden::parse("new-media library=LibR drive=DR job=42");
        golden::Buffers buffers(next);
        golden::invoke(*alert, log, next, buffers);
        const auto records = standin::Journal::records();
        ASSERT_EQ(records.size(), 4u);
        EXPECT_EQ(records[0].kind, Kind::Raise);
        EXPECT_EQ(records[2].kind, Kind::Clear);
        if (records[0].accepted) {  // a faulted binding leaves the client unbound
            EXPECT_EQ(records[0].arguments.size(), 3u);
            EXPECT_EQ(records[2].arguments.size(), 1u);
        }
        EXPECT_FALSE(standin::Journal::isPending(42));
    }
};

TEST_P(FaultSweep, EveryPlatformCallFailsThenThrows) {
    for (const Fault fault : {Fault::Fail, Fault::Throw}) {
        std::uint64_t k = 1;
        for (;; ++k) {
            SCOPED_TRACE((fault == Fault::Fail ? "fail at call " : "throw at call ") +
                         std::to_string(k));
            const std::string thrown = runWithFault(k, fault);
            if (Calls::total() < k) {
                EXPECT_EQ(thrown, "");
                break;
            }
            EXPECT_EQ(thrown.empty(), fault == Fault::Fail) << thrown;
            expectEveryRaisingCleared(thrown, k, fault);
            if (const QZKRGuiInterface* after = alert.get()) {
                for (const char* text :
                     {after->getMessageText(), after->getGumMessage(), after->getLogText()}) {
                    EXPECT_LT(strnlen(text, QZKRGuiInterface::kTextSize),
                              QZKRGuiInterface::kTextSize);
                }
            }
            expectStillWorks();
            if (HasFailure()) return;
        }
        EXPECT_GT(k, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, testing::ValuesIn(kSwept),
                         [](const testing::TestParamInfo<Swept>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------- threads

// Several job workers at once, each with its own object and job, all posting
// through the one stand-in: each job's journal reads as it does when the
// workers run one after another, and no debug line is lost. Run under
// ThreadSanitizer by the tsan preset.
TEST_F(AlertTest, WorkersOnSeparateObjectsKeepToTheirOwnJobs) {
    constexpr int kWorkers = 4;
    const char* const kRound[] = {
        "import media=M-T identifier=T library=Lib-T drive=D-T job=J",
        "popup pending",
        "wrong-media barcode=T library=Lib-T drive=D-T media=M-T job=J",
        "popup",
        "new-media library=Lib-T drive=D-T job=J pending",
        "wrong-new-media library=Lib-T drive=D-T error=2021 job=J",
        "crc-error library=Lib-T drive=D-T job=J",
        "media-error error=763 library=Lib-T drive=D-T job=J pending",
        "identify preface=T unique=M-T volume=7 library=Lib-T drive=D-T job=J",
    };
    std::vector<std::vector<Step>> steps(kWorkers);
    for (int w = 0; w < kWorkers; ++w) {
        for (int round = 0; round < 30; ++round) {
            for (std::string line : kRound) {
                const std::string tag = "w" + std::to_string(w) + "-" + std::to_string(round);
                for (std::size_t at; (at = line.find('T')) != std::string::npos;) {
                    line.replace(at, 1, tag);
                }
                const std::size_t job = line.find('J');
                if (job != std::string::npos) line.replace(job, 1, std::to_string(1001 + w));
                steps[w].push_back(golden::parse(line));
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
