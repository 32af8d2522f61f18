// No operation of the alert object allocates from the heap; the dialogs may
// copy their texts, and nothing else.
//
// How allocations are told apart: this executable links the alert sources
// against the platform double below instead of the stand-in. The double keeps
// what it needs in fixed fields and never allocates, so every operator new
// made while an operation runs was made by the alert code or its dialogs. No
// caller addresses, no subtraction of another run's count: the count itself
// must be zero, or exactly what building the same dialog with the same texts
// allocates. The library uses no malloc, so counting operator new is enough
// (and leaves the sanitizers' malloc alone).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "EvDebug.h"
#include "MMDebug.h"
#include "MMS2BaseError.h"
#include "QZEndian.h"
#include "QZJobClient.h"
#include "QZKRDialogs.h"
#include "QZKRGuiInterface.h"
#include "QZPlatformInfo.h"
#include "QZTime.h"

// ---------------------------------------------------------------- the counter

namespace {

constexpr std::size_t kKeptSizes = 64;

struct Allocations {
    std::size_t count = 0;
    std::size_t sizes[kKeptSizes] = {};
};

thread_local bool t_counting = false;
thread_local Allocations t_seen;

void* allocate(std::size_t size, std::size_t alignment) {
    if (t_counting) {
        if (t_seen.count < kKeptSizes) t_seen.sizes[t_seen.count] = size;
        ++t_seen.count;
    }
    if (size == 0) size = 1;
    void* block =
        alignment <= alignof(std::max_align_t)
            ? std::malloc(size)
            : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    return block;
}

void* allocateOrThrow(std::size_t size, std::size_t alignment) {
    void* block = allocate(size, alignment);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

// The sizes of the allocations `body` makes, in order.
template <typename Body>
std::vector<std::size_t> allocationsOf(Body body) {
    t_seen = Allocations{};
    t_counting = true;
    body();
    t_counting = false;
    const std::size_t kept = std::min(t_seen.count, kKeptSizes);
    std::vector<std::size_t> sizes(t_seen.sizes, t_seen.sizes + kept);
    sizes.resize(t_seen.count, 0);  // beyond the kept ones: counted, size unknown
    return sizes;
}

}  // namespace

// Every form, so that nothing reaches a sanitizer's operator new and comes
// back to the free() below.
void* operator new(std::size_t size) { return allocateOrThrow(size, 0); }
void* operator new[](std::size_t size) { return allocateOrThrow(size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }

// ---------------------------------------------------------------- the platform double

namespace {

// What the double answers and what it saw.
struct Platform {
    bool bindingWorks = true;
    bool postingWorks = true;
    unsigned long boxOption = 2;
    int streamed = 0;  // arguments since the last posting
    int raises = 0;
    int clears = 0;
    int postedArguments = 0;
    int lines = 0;
} g_platform;

}  // namespace

struct EvEventState {
    bool bound = false;
};

namespace {
// A posting takes the arguments streamed since the last one.
bool post(const EvEventState* state) {
    g_platform.postedArguments += g_platform.streamed;
    g_platform.streamed = 0;
    return state->bound && g_platform.postingWorks;
}
}  // namespace

EvEvent::EvEvent() : m_state(new EvEventState) {}
EvEvent::~EvEvent() { delete m_state; }
void EvEvent::addArgument(const void*, int) { ++g_platform.streamed; }
void EvEvent::discardArguments() { g_platform.streamed = 0; }

QZJobClient::QZJobClient() = default;
QZJobClient::~QZJobClient() = default;
bool QZJobClient::init(const char* host, long long, QZS_PLATFORMTYPE) {
    m_state->bound = g_platform.bindingWorks && host != nullptr && host[0] != '\0';
    return m_state->bound;
}
bool QZJobClient::setPendingCauseAndCriticalEvent(int, int, bool, EvMessageType, bool,
                                                  JMGUIAlertColorLevel, JMPendingCauseFlags,
                                                  unsigned int, unsigned int) {
    ++g_platform.raises;
    return post(m_state);
}
bool QZJobClient::setPendingCause(int, const std::vector<long long>*, bool, EvMessageType, int, int,
                                  int, bool, JMGUIAlertColorLevel, JMPendingCauseFlags,
                                  unsigned int, unsigned int) {
    ++g_platform.clears;
    return post(m_state);
}
bool QZJobClient::setJobState(QZJobState, const std::vector<long long>*, bool) {
    return m_state->bound;
}

MMDebug::MMDebug() = default;
MMDebug::~MMDebug() = default;
void MMDebug::DebugMM(int, int, const char*, long long, int, const char*, ...) {
    ++g_platform.lines;
}

EvDebug::EvDebug(EvDebugFileInstance*) {}
EvDebug::~EvDebug() = default;
void EvDebug::debugLvl(int, const char*, ...) { ++g_platform.lines; }
void EvDebug::DebugJob(const char*, long long, const char*, ...) { ++g_platform.lines; }

QZPlatformInfo::QZPlatformInfo() = default;
QZPlatformInfo::~QZPlatformInfo() = default;
int QZPlatformInfo::setFocus(const char*) { return 1; }
int QZPlatformInfo::getKorrinQNHostName(char* buffer, int bufferSize) {
    return std::snprintf(buffer, static_cast<std::size_t>(bufferSize), "%s", "quorvane.test");
}
int QZPlatformInfo::getNumber(const char*, const char* key, unsigned long* value) {
    if (std::strcmp(key, "nKRMSGBOXOPTION") != 0) return 0;
    *value = g_platform.boxOption;
    return 1;
}
const char* QZPI_Focus::getFocus() { return "Korrin"; }

char* QZ_ctime(const long*, char* buffer, int bufferSize) {
    (void)std::snprintf(buffer, static_cast<std::size_t>(bufferSize), "%s",
                        "Fri Dec  6 10:13:20 2024\n");
    return buffer;
}

MMS2BaseError::MMS2BaseError() = default;
MMS2BaseError::~MMS2BaseError() = default;
int MMS2BaseError::getErrorStringForCode(int, char* buffer, int bufferSize, int) {
    return std::snprintf(buffer, static_cast<std::size_t>(bufferSize), "%s",
                         "The tape drive reported a hardware error.\n");
}
const char* MMS2BaseError::getAdvise(int) { return "Clean the drive and retry the job."; }
int MMS2BaseError::getEvEventErrorCodeID(int) { return 0x1a000811; }

void littleEndianInt(int*) {}
void littleEndianLongLong(long long*) {}
void ulittleEndianLongLong(unsigned long long*) {}

// ---------------------------------------------------------------- the operations

namespace {

constexpr long long kJob = 4242;
const char kUniqueId[] = "5f3c9a2e-77d1-4b8e-9c0a-2d6b1e4f8a90";
const char kVolumeText[] = "7";

enum class Dialog { None, MessageBox, Export };
// What an operation leaves: texts; texts and, for a valid job, a raising and
// a clearing; or nothing at all.
enum class Effect { Texts, Cycle, Nothing };

struct Operation {
    const char* name;
    void (*run)(QZKRGuiInterface& alert, MMDebug& log, long long jobId);
    Dialog dialog;
    Effect effect;
};
void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

void importAll(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayImportMessage("WEEKLY-FULL-0042", "A00042L7", "Vault B", "Stacker-01", "Drive 0", job,
                           true, true, log);
}
void importNone(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayImportMessage(nullptr, nullptr, nullptr, nullptr, nullptr, job, false, false, log);
}
void wrongMediaAll(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayWrongMediaInDriveMessage("B00117L7", "Vault B", 1733480000, "Stacker-01", "Drive 0",
                                      "WEEKLY-FULL-0042", job, log);
}
void wrongMediaNone(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayWrongMediaInDriveMessage(nullptr, nullptr, 0, "Stacker-01", nullptr, nullptr, job,
                                      log);
}
void importAllThenPopup(QZKRGuiInterface& a, MMDebug& log, long long job) {
    importAll(a, log, job);
    a.popupDialogBox(log, false, true);
}
void wrongMediaAllThenPopup(QZKRGuiInterface& a, MMDebug& log, long long job) {
    wrongMediaAll(a, log, job);
    a.popupDialogBox(log, false, false);
}
void importNewMedia(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayImportNewMediaMessage("Stacker-01", "Drive 0", job, log, false);
}
void wrongNewMediaWithError(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayWrongNewMediaMessage("Stacker-01", "Drive 0", 2017, job, log, true);
}
void wrongNewMediaWithoutError(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayWrongNewMediaMessage("Stacker-01", "Drive 0", 0, job, log, false);
}
void crcError(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayCRCErrorMessage("Stacker-01", "Drive 0", job, log, false);
}
void blockSizeError(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayMediaErrorMessage(qzkr::kReadErrorBlockSize, "Stacker-01", "Drive 0", job, log, false);
}
void unknownReadError(QZKRGuiInterface& a, MMDebug& log, long long job) {
    a.DisplayMediaErrorMessage(1, "Stacker-01", "Drive 0", job, log, false);
}
void identifyWithPreface(QZKRGuiInterface& a, MMDebug& log, long long job) {
    char preface[] = "Quarterly rotation: this medium leaves the site.";
    char location[QZKRGuiInterface::kExportLocationSize] = "";
    char barcode[QZKRGuiInterface::kBarcodeSize] = "";
    a.DisplayIdentifyMediaMessage(preface, location, barcode, kUniqueId, 7, "Stacker-01", "Drive 0",
                                  job, log, false);
}
void localError(QZKRGuiInterface& a, MMDebug&, long long job) {
    a.DisplayErrorMessageLocally("The drive is offline.", job);
}

const Operation kOperations[] = {
    {"ImportAllPieces", importAll, Dialog::None, Effect::Texts},
    {"ImportNoPieces", importNone, Dialog::None, Effect::Texts},
    {"WrongMediaAllPieces", wrongMediaAll, Dialog::None, Effect::Texts},
    {"WrongMediaNoPieces", wrongMediaNone, Dialog::None, Effect::Texts},
    {"ImportCycle", importAllThenPopup, Dialog::None, Effect::Cycle},
    {"WrongMediaCycle", wrongMediaAllThenPopup, Dialog::None, Effect::Cycle},
    {"ImportNewMedia", importNewMedia, Dialog::None, Effect::Cycle},
    {"WrongNewMediaWithError", wrongNewMediaWithError, Dialog::None, Effect::Cycle},
    {"WrongNewMediaWithoutError", wrongNewMediaWithoutError, Dialog::None, Effect::Cycle},
    {"CrcError", crcError, Dialog::None, Effect::Cycle},
    {"BlockSizeError", blockSizeError, Dialog::MessageBox, Effect::Cycle},
    {"UnknownReadError", unknownReadError, Dialog::None, Effect::Nothing},
    {"IdentifyWithPreface", identifyWithPreface, Dialog::Export, Effect::Cycle},
    {"ErrorShownLocally", localError, Dialog::None, Effect::Texts},
};

// The platform's answers an operation meets.
struct Condition {
    const char* name;
    long long jobId;
    bool postingWorks;
    unsigned long boxOption;
};
void PrintTo(const Condition& condition, std::ostream* out) { *out << condition.name; }

const Condition kConditions[] = {
    {"Answered", kJob, true, 2},     {"Cancelled", kJob, true, 1},
    {"SilentCancel", kJob, true, 7}, {"PostingRefused", kJob, false, 2},
    {"NoValidJob", 0, true, 2},
};

// What the dialog of an operation allocates for the texts it was given.
std::vector<std::size_t> dialogAllocations(Dialog dialog, const char* messageText) {
    switch (dialog) {
    case Dialog::MessageBox:
        return allocationsOf([&] { QZKRMessageBox(messageText, kJob, true, false).DoModal(); });
    case Dialog::Export:
        return allocationsOf(
            [&] { MediaExportDlg(kUniqueId, kVolumeText, messageText, kJob, false).DoModal(); });
    case Dialog::None: break;
    }
    return {};
}

class AllocationTest : public ::testing::TestWithParam<std::tuple<Operation, Condition>> {
protected:
    void SetUp() override { g_platform = Platform{}; }
};

TEST_P(AllocationTest, AllocatesNothingButTheDialogsTexts) {
    const Operation& operation = std::get<0>(GetParam());
    const Condition& condition = std::get<1>(GetParam());
    MMDebug log;
    QZKRGuiInterface alert(log, condition.jobId);
    g_platform.postingWorks = condition.postingWorks;
    g_platform.boxOption = condition.boxOption;
    // Twice: a first call that set something up for later ones would show
    // only in the first count.
    for (int round = 0; round < 2; ++round) {
        const auto sizes = allocationsOf([&] { operation.run(alert, log, condition.jobId); });
        EXPECT_EQ(sizes, dialogAllocations(operation.dialog, alert.getMessageText()))
            << "round " << round;
    }

    // The operation did its work: a count of nothing is no pass.
    if (operation.effect == Effect::Nothing) {
        EXPECT_STREQ(alert.getMessageText(), "");
        EXPECT_EQ(g_platform.raises, 0);
        return;
    }
    EXPECT_STRNE(alert.getMessageText(), "");
    if (operation.effect == Effect::Cycle && condition.jobId > 0) {
        EXPECT_EQ(g_platform.raises, 2);
        EXPECT_EQ(g_platform.clears, 2);
        EXPECT_GT(g_platform.postedArguments, 2);
    }
}

std::string caseName(const ::testing::TestParamInfo<AllocationTest::ParamType>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, AllocationTest,
                         ::testing::Combine(::testing::ValuesIn(kOperations),
                                            ::testing::ValuesIn(kConditions)),
                         caseName);

// The counter itself: replaced operators that were never called would pass
// every test above.
const char* volatile g_escape = nullptr;

TEST(AllocationCounter, SeesAStringsAllocation) {
    const auto sizes = allocationsOf([] {
        const std::string text(100, 'x');
        g_escape = text.data();  // kept, so that the compiler cannot drop the allocation
    });
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_GT(sizes[0], 100u);
}

TEST(AllocationCounter, SeesTheDialogsCopies) {
    const std::string longText(300, 'y');
    EXPECT_FALSE(dialogAllocations(Dialog::MessageBox, longText.c_str()).empty());
    EXPECT_FALSE(dialogAllocations(Dialog::Export, longText.c_str()).empty());
}

}  // namespace
