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
#include <new>

#include "AlertTestSupport.h"
#include "QZKRDialogs.h"
#include "QZKRGuiInterface.h"

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

using Alert = QZKRGuiInterface;
using standin::Call;
const char kUnique[] = "5f3c9a2e-77d1-4b8e-9c0a-2d6b1e4f8a90";  // longer than a string keeps inline

// The sizes of what `body` allocates outside the platform, in order.
template <typename Body>
std::vector<std::size_t> allocationsOf(Body body) {
    t_count = 0;
    t_counting = true;
    body();
    t_counting = false;
    return {t_sizes, t_sizes + std::min(t_count, std::size(t_sizes))};
}

// What an operation leaves: for a valid job a raising and its clearing, around
// the wait or a dialog; texts only; nothing.
enum Effect { kCycle, kMessageBox, kExportDialog, kTexts, kNothing };

// Runs each operation through check(name, effect, operation).
template <typename Check>
void everyOperation(Alert& a, MMDebug& log, long long job, Check check) {
    check("ImportAllPieces", kCycle, [&] {
        a.DisplayImportMessage("M", "I", "Loc", "Lib", "D", job, true, true, log);
        a.popupDialogBox(log, false, true);
    });
    check("ImportNoPieces", kCycle, [&] {
        a.DisplayImportMessage(nullptr, nullptr, nullptr, nullptr, nullptr, job, false, false, log);
        a.popupDialogBox(log, false, false);
    });
    check("WrongMediaAllPieces", kCycle, [&] {
        a.DisplayWrongMediaInDriveMessage("B", "Loc", 1733480000, "Lib", "D", "M", job, log);
        a.popupDialogBox(log, false, false);
    });
    check("WrongMediaNoPieces", kCycle, [&] {
        a.DisplayWrongMediaInDriveMessage(nullptr, nullptr, 0, "Lib", nullptr, nullptr, job, log);
        a.popupDialogBox(log, false, false);
    });
    check("NewMedia", kCycle, [&] { a.DisplayImportNewMediaMessage("Lib", "D", job, log, false); });
    check("WrongNew", kCycle, [&] { a.DisplayWrongNewMediaMessage("L", "D", 2017, job, log, 1); });
    check("WrongNew0", kCycle, [&] { a.DisplayWrongNewMediaMessage("L", "D", 0, job, log, 0); });
    check("CrcError", kCycle, [&] { a.DisplayCRCErrorMessage("Lib", "D", job, log, false); });
    check("BlockSizeError", kMessageBox, [&] {
        a.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "Lib", "D", job, log, false);
    });
    check("UnknownError", kNothing, [&] { a.DisplayMediaErrorMessage(1, "L", "D", job, log, 0); });
    check("IdentifyWithPreface", kExportDialog, [&] {
        char preface[] = "Rotation", location[Alert::kExportLocationSize] = "";
        char barcode[Alert::kBarcodeSize] = "";
        a.DisplayIdentifyMediaMessage(preface, location, barcode, kUnique, 7, "Lib", "D", job, log,
                                      false);
    });
    check("ErrorShownLocally", kTexts, [&] { a.DisplayErrorMessageLocally("Drive offline", job); });
}

class AllocationTest : public testkit::AlertTest {};

TEST_F(AllocationTest, NoOperationAllocatesButTheDialogsCopyingTheirTexts) {
    // Name, job, message-box option, postings refused.
    const std::tuple<const char*, long long, const char*, bool> conditions[] = {
        {"answered", 42, "2", false},
        {"cancelled", 42, "1", false},
        {"silent cancel", 42, "7", false},
        {"postings refused", 42, "2", true},
        {"no valid job", 0, "2", false}};
    for (const auto& [condition, job, boxOption, refused] : conditions) {
        writeSettings(std::string("[Korrin]\nsQNHOSTNAME = q\nnKRMSGBOXOPTION = ") + boxOption);
        Alert alert(log, job);
        everyOperation(alert, log, job, [&](auto name, Effect effect, auto run) {
            SCOPED_TRACE(std::string(name) + ", " + condition);
            // Twice: what a first call sets up for later ones shows only in the first count.
            for (int round = 0; round < 2; ++round) {
                standin::Journal::clear();
                for (const Call call : {Call::Raise, Call::Clear})
                    if (refused) standin::Calls::faultNext(call, standin::Fault::Fail);
                const auto sizes = allocationsOf(run);
                const char* text = alert.getMessageText();
                const auto dialogs = allocationsOf([&] {
                    if (effect == kMessageBox) QZKRMessageBox(text, 1, 0, 0).DoModal();
                    if (effect == kExportDialog) MediaExportDlg(kUnique, "7", text, 1, 0).DoModal();
                });
                EXPECT_EQ(sizes, dialogs);
                // The operation did its work: a count of nothing is no pass.
                EXPECT_EQ(text[0] != '\0', effect != kNothing);
                EXPECT_EQ(postings().size(), effect < kTexts && job > 0 ? 2u : 0u);
            }
        });
    }
}

// The counter itself: replaced operators that were never called would pass the test above.
TEST_F(AllocationTest, CountsWhatTheCallerAllocatesAndNotWhatThePlatformDoes) {
    std::string text;
    EXPECT_EQ(allocationsOf([&] { text.assign(100, 'x'); }).size(), 1u);
    EXPECT_TRUE(allocationsOf([&] { log.DebugMM(1, 2, "W", -1, -1, "%s", text.c_str()); }).empty());
    EXPECT_FALSE(debugLines().empty());
}

}  // namespace
