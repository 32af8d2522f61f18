// No operation of the alert object allocates from the heap; the dialogs may
// copy their texts, and nothing else.
//
// The library runs against the stand-in, whose journal and debug lines do
// allocate. The replaced operator new below counts what is allocated while a
// counted body runs and the thread is not inside a platform call
// (standin::Calls::inside): what the alert code and its dialogs allocate. The
// count must be zero, or exactly what building the same dialog with the same
// texts allocates. The library uses no malloc, so counting operator new is
// enough. The blocks come from malloc and go back through the runtime's own
// operator delete, so AddressSanitizer is told not to mind the pairing.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "QZKRDialogs.h"
#include "QZKRGuiInterface.h"
#include "QuietStdout.h"
#include "Transcript.h"

namespace {
thread_local bool t_counting = false;
thread_local std::size_t t_count = 0;
thread_local std::size_t t_sizes[64];

void* allocate(std::size_t size) {
    if (t_counting && !standin::Calls::inside()) t_sizes[t_count++ % std::size(t_sizes)] = size;
    void* block = std::malloc(std::max<std::size_t>(size, 1));
    return block ? block : throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "alloc_dealloc_mismatch=0";
}

namespace {

// The sizes of what `body` allocates outside the platform, in order.
template <typename Body>
std::vector<std::size_t> allocationsOf(Body body) {
    t_count = 0;
    t_counting = true;
    body();
    t_counting = false;
    return {t_sizes, t_sizes + std::min(t_count, std::size(t_sizes))};
}

using standin::Call;

// Every operation, each piece present and absent; ten of them post a raising
// and its clearing for a valid job.
const char* const kOperations[] = {
    "import media=M identifier=I location=Loc library=Lib drive=D job=J new-media in-use",
    "popup pending",
    "import job=J",
    "popup",
    "wrong-media barcode=B location=Loc time=1733480000 library=Lib drive=D media=M job=J",
    "popup",
    "wrong-media library=Lib job=J",
    "popup",
    "new-media library=Lib drive=D job=J",
    "wrong-new-media library=L drive=D error=2017 job=J pending",
    "wrong-new-media library=L drive=D job=J",
    "crc-error library=Lib drive=D job=J",
    "media-error error=763 library=Lib drive=D job=J",
    "media-error error=1 library=L drive=D job=J",
    // A unique ID longer than a string keeps inline.
    "identify preface=Rotation location-buffer= barcode-buffer= volume=7 library=Lib drive=D "
    "unique=5f3c9a2e-77d1-4b8e-9c0a-2d6b1e4f8a90 job=J",
    "local text=Offline job=J",
};

class AllocationTest : public golden::AlertTest {};

TEST_F(AllocationTest, NoOperationAllocatesButTheDialogsCopyingTheirTexts) {
    // Name, job, message-box option, postings refused.
    const std::tuple<const char*, const char*, const char*, bool> conditions[] = {
        {"answered", "42", "2", false},
        {"cancelled", "42", "1", false},
        {"silent cancel", "42", "7", false},
        {"postings refused", "42", "2", true},
        {"no valid job", "0", "2", false}};
    const testkit::QuietStdout quiet;
    for (const auto& [condition, job, boxOption, refused] : conditions) {
        run(std::string("settings box=") + boxOption);
        run(std::string("new job=") + job);
        std::size_t postings = 0;
        for (std::string line : kOperations) {
            if (line.find('J') != std::string::npos) line.replace(line.find('J'), 1, job);
            const golden::Step step = golden::parse(line);
            SCOPED_TRACE(line + ", " + condition);
            // Twice: what a first call sets up for later ones shows only in the first count.
            for (int round = 0; round < 2; ++round) {
                for (const Call call : {Call::Raise, Call::Clear})
                    if (refused) standin::Calls::faultNext(call, standin::Fault::Fail);
                golden::Buffers buffers(step);
                const auto sizes =
                    allocationsOf([&] { golden::invoke(*alert, log, step, buffers); });
                const char* text = alert->getMessageText();
                const auto dialogs = allocationsOf([&] {
                    if (step.op == "media-error" && step.number("error") == 763)
                        QZKRMessageBox(text, 1, 0, 0).DoModal();
                    if (step.op == "identify")
                        MediaExportDlg(step.text("unique"), "7", text, 1, 0).DoModal();
                });
                EXPECT_EQ(sizes, dialogs);
            }
        }
        // The operations did their work: a count of nothing is no pass.
        for (const auto& record : standin::Journal::take())
            postings += record.kind == standin::Record::Kind::Raise;
        EXPECT_EQ(postings, std::string(job) == "0" ? 0u : 20u) << condition;
    }
}

// The counter itself: replaced operators that were never called would pass the test above.
TEST_F(AllocationTest, CountsWhatTheCallerAllocatesAndNotWhatThePlatformDoes) {
    std::string text;
    EXPECT_EQ(allocationsOf([&] { text.assign(100, 'x'); }).size(), 1u);
    EXPECT_TRUE(allocationsOf([&] { log.DebugMM(1, 2, "W", -1, -1, "%s", text.c_str()); }).empty());
    EXPECT_FALSE(standin::DebugLog::lines().empty());
}

}  // namespace
