// Several job workers at once, each with its own alert object and job, all
// posting through the one stand-in: each job's journal must read as that
// worker's own prompts, raised and cleared in turn, and no debug line may be
// lost. Run under ThreadSanitizer by the tsan preset.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "AlertTestSupport.h"
#include "QZKRGuiInterface.h"
#include "QuietStdout.h"

namespace {

using namespace testkit;
using Kind = standin::Record::Kind;

constexpr int kWorkers = 4;
constexpr int kPromptsPerWorker = 280;  // 40 rounds of the seven prompts
constexpr long long kFirstJob = 1001;

struct Posted {
    int code;
    Event arguments;
};

int catalogueEventId(int code) {
    for (const auto& entry : standin::catalogue()) {
        if (entry.code == code) return entry.eventErrorId;
    }
    return 0;
}

// Prompt i of a worker, the cycle included; returns what its raising carries.
Posted prompt(QZKRGuiInterface& alert, MMDebug& log, long long jobId, const std::string& tag,
              int i) {
    const std::string library = "Lib-" + tag, drive = "D-" + tag, media = "M-" + tag;
    switch (i % 7) {
    case 0:
        alert.DisplayImportMessage(media.c_str(), tag.c_str(), nullptr, library.c_str(),
                                   drive.c_str(), jobId, false, false, log);
        alert.popupDialogBox(log, false, true);
        return {qzkr::kMsgInsertRequiredMedia,
                event({text(media), job(jobId), piece(qzkr::kPieceIdentifier, {tag}), absent(),
                       absent(), piece(qzkr::kPieceLibraryAndDrive, {library, drive})})};
    case 1:
        alert.DisplayWrongMediaInDriveMessage(tag.c_str(), nullptr, 0, library.c_str(),
                                              drive.c_str(), media.c_str(), jobId, log);
        alert.popupDialogBox(log, false, false);
        return {
            qzkr::kMsgWrongMediaInDrive,
            event({text(library), text(drive), job(jobId), piece(qzkr::kPieceMediaName, {media}),
                   piece(qzkr::kPieceBarcode, {tag}), absent(), absent()})};
    case 2:
        alert.DisplayImportNewMediaMessage(library.c_str(), drive.c_str(), jobId, log, true);
        return {qzkr::kMsgNewMedia, event({text(library), text(drive), job(jobId)})};
    case 3:
        alert.DisplayWrongNewMediaMessage(library.c_str(), drive.c_str(), 2021, jobId, log, false);
        return {qzkr::kMsgMediaErrorActiveOrNew,
                event({integer(catalogueEventId(2021)), text(library), text(drive), job(jobId)})};
    case 4:
        alert.DisplayCRCErrorMessage(library.c_str(), drive.c_str(), jobId, log, false);
        return {qzkr::kMsgCrcErrorJob, event({job(jobId), text(library), text(drive)})};
    case 5:
        alert.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, library.c_str(), drive.c_str(),
                                       jobId, log, true);
        return {qzkr::kMsgBlockSizeError, event({job(jobId), text(library), text(drive)})};
    default: {
        std::vector<char> preface(tag.begin(), tag.end());
        preface.push_back('\0');
        alert.DisplayIdentifyMediaMessage(preface.data(), nullptr, nullptr, media.c_str(), i,
                                          library.c_str(), drive.c_str(), jobId, log, false);
        return {qzkr::kMsgIdentifyMediaWithPreface,
                event({text(tag), text(media), job(jobId), text(library), text(drive)})};
    }
    }
}

class ThreadsTest : public AlertTest {};

TEST_F(ThreadsTest, WorkersOnSeparateObjectsKeepToTheirOwnJobs) {
    std::vector<std::vector<Posted>> posted(kWorkers);
    std::atomic<int> foreignTexts{0};
    {
        const QuietStdout quiet;
        std::atomic<bool> go{false};
        std::vector<std::thread> workers;
        for (int w = 0; w < kWorkers; ++w) {
            workers.emplace_back([&, w] {
                const long long jobId = kFirstJob + w;
                while (!go) std::this_thread::yield();
                MMDebug workerLog;
                QZKRGuiInterface alert(workerLog, jobId);
                for (int i = 0; i < kPromptsPerWorker; ++i) {
                    const std::string tag = "w" + std::to_string(w) + "-" + std::to_string(i);
                    posted[w].push_back(prompt(alert, workerLog, jobId, tag, i));
                    // The object's texts are its own: this prompt's library is in them.
                    const std::string library = "Lib-" + tag + "]";
                    if (std::strstr(alert.getGumMessage(), library.c_str()) == nullptr ||
                        std::strstr(alert.getLogText(), library.c_str()) == nullptr) {
                        ++foreignTexts;
                    }
                }
            });
        }
        go = true;
        for (auto& worker : workers) worker.join();
    }
    EXPECT_EQ(foreignTexts, 0);

    const auto records = journal();
    for (int w = 0; w < kWorkers; ++w) {
        SCOPED_TRACE("worker " + std::to_string(w));
        const long long jobId = kFirstJob + w;
        std::vector<standin::Record> own;
        std::copy_if(records.begin(), records.end(), std::back_inserter(own),
                     [jobId](const standin::Record& record) { return record.jobId == jobId; });
        ASSERT_EQ(own.size(), 1u + 4u * kPromptsPerWorker);
        ASSERT_EQ(own[0].kind, Kind::Init);
        EXPECT_TRUE(own[0].accepted);
        for (int i = 0; i < kPromptsPerWorker; ++i) {
            SCOPED_TRACE("prompt " + std::to_string(i));
            const auto* cycle = &own[1 + 4 * static_cast<std::size_t>(i)];
            ASSERT_EQ(cycle[0].kind, Kind::Raise);
            EXPECT_EQ(cycle[0].code(), posted[w][i].code);
            EXPECT_EQ(cycle[0].arguments, posted[w][i].arguments);
            ASSERT_EQ(cycle[1].kind, Kind::JobState);
            EXPECT_EQ(cycle[1].state(), QZ_JOB_PENDING);
            ASSERT_EQ(cycle[2].kind, Kind::Clear);
            EXPECT_EQ(cycle[2].params, clearParams(posted[w][i].code));
            EXPECT_EQ(cycle[2].arguments, text(""));
            ASSERT_EQ(cycle[3].kind, Kind::JobState);
            EXPECT_EQ(cycle[3].state(), QZ_JOB_RUNNING);
            for (int r = 0; r < 4; ++r) {
                EXPECT_TRUE(cycle[r].accepted);
                EXPECT_EQ(cycle[r].client, own[0].client);
            }
            if (HasFailure()) return;
        }
        EXPECT_FALSE(standin::Journal::isPending(jobId));
        EXPECT_EQ(standin::Journal::lastState(jobId), 1);
    }

    // One log-text line per prompt, each whole.
    std::vector<int> lines(kWorkers, 0);
    for (const auto& line : debugLines()) {
        if (line.source != standin::DebugLine::Source::MM) continue;
        for (int w = 0; w < kWorkers; ++w) {
            if (line.message.find("Lib-w" + std::to_string(w) + "-") != std::string::npos)
                ++lines[w];
        }
    }
    EXPECT_EQ(lines, std::vector<int>(kWorkers, kPromptsPerWorker));
}

}  // namespace
