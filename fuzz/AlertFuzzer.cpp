// The libFuzzer target of the alert library. An input is a run of up to four
// operations, each drawn from all of them, on one alert object against the
// stand-in; the run aborts at the first promise the library breaks, which
// expect() names.
//
// The input is read through FuzzedDataProvider: numbers, flags and choices
// from the input's end, the bytes of texts from its front. In order: a
// settings byte (the message-box option is its value modulo 4, 2 answering OK;
// modulo 8, a 7 names no control server), the constructor's job ID, then per
// operation: its case in perform(); five texts (library, drive, medium or
// unique ID, location, and one more: identifier, barcode, preface or message);
// the job ID; three flags (the pending flag, then two the operation may use);
// an 8-byte number (last write time, volume, or which catalogue error). A job
// ID is a signed byte. A text is a form byte (bits 0 and 1: 0 null, 1 the
// bytes as given, 2 or 3 characters, each byte of 0x80 and above becoming a
// character of two to four bytes; bits 2 to 4: the text repeats 2^n times or
// until it reaches 3000 bytes), a length byte and that many bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <stdexcept>
#include <string>

#include "FakeSleep.h"
#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "Standin.h"
#include "StandinStdout.h"
#include "TestKit.h"

namespace {

// Each message a raising may post, with the fewest and most event arguments
// its prompt promises. Any other (stamping's among them) is never posted.
constexpr long long kArguments[][3] = {
    {qzkr::kMsgInsertRequiredMedia, 9, 11},    {qzkr::kMsgEjectThenInsertMedia, 9, 11},
    {qzkr::kMsgWrongMediaInDrive, 11, 11},     {qzkr::kMsgNewMedia, 3, 3},
    {qzkr::kMsgMediaErrorActiveOrNew, 4, 4},   {qzkr::kMsgCrcErrorJob, 3, 3},
    {qzkr::kMsgBlockSizeError, 3, 3},          {qzkr::kMsgIdentifyMedia, 4, 4},
    {qzkr::kMsgIdentifyMediaWithPreface, 5, 5}};

constexpr long long kAnswerOK = QZKRGuiInterface::kAnswerOK;
std::string g_settings;  // the settings files' common start

// Uncaught, the exception aborts the run, and libFuzzer keeps the input.
void expect(bool kept, const char* promise) {
    if (!kept) throw std::logic_error(std::string("broken promise: ") + promise);
}

struct Run {
    Run(const std::uint8_t* data, std::size_t size) : in(data, size) {}

    FuzzedDataProvider in;
    bool validUtf8 = true;          // every text given so far was made of characters
    std::deque<std::string> texts;  // every text given, for the run's life
    MMDebug log;

    // Null, the input's bytes as they come, or characters made of them (valid
    // UTF-8: ASCII as it is, other bytes as characters of 2 to 4 bytes); read
    // up to its first NUL, as the library reads it, and repeated up to 128
    // times so that short inputs reach past the 2048-byte fields.
    char* text() {
        static const char* const kCharacters[] = {"\u00e9", "\u20ac", "\U0001F600"};
        const auto form = in.ConsumeIntegral<std::uint8_t>();
        std::string piece;
        for (const char c : in.ConsumeBytesAsString(in.ConsumeIntegral<std::uint8_t>())) {
            const auto byte = static_cast<unsigned char>(c);
            piece += form % 4 == 1 || byte < 0x80 ? std::string(1, c) : kCharacters[byte % 3];
        }
        validUtf8 = validUtf8 && form % 4 != 1;
        piece.resize(std::strlen(piece.c_str()));
        std::string& value = texts.emplace_back();
        for (unsigned n = 1u << (form >> 2 & 7); n > 0 && value.size() < 3000; --n) value += piece;
        return form % 4 == 0 ? nullptr : value.data();
    }

    // Runs one operation on arguments from the input, checks its answer and
    // the texts.
    void perform(QZKRGuiInterface& alert, bool ok) {
        const int op = in.ConsumeIntegralInRange(0, 8);
        const char *lib = text(), *drive = text(), *media = text(), *where = text();
        char* note = text();  // identifier, barcode, preface or a message of its own
        const long long job = in.ConsumeIntegral<signed char>();
        const bool pend = in.ConsumeBool(), first = in.ConsumeBool(), second = in.ConsumeBool();
        const auto value = in.ConsumeIntegral<unsigned long>();
        const auto& known = standin::catalogue();  // an unknown code reads as its 0
        const int error = first ? qzkr::kReadErrorBlockSize : known[value % known.size()].code;
        unsigned int errorCode = 0;
        const bool answer = [&] {
            switch (op) {
            case 0:  // the two that only prepare; popupDialogBox follows them
                return alert.DisplayImportMessage(media, note, where, lib, drive, job, first,
                                                  second, log);
            case 1:
                return alert.DisplayWrongMediaInDriveMessage(note, where, static_cast<long>(value),
                                                             lib, drive, media, job, log);
            case 2: return alert.DisplayCRCErrorMessage(lib, drive, job, log, pend);
            case 3: return alert.DisplayMediaErrorMessage(error, lib, drive, job, log, pend);
            case 4: return alert.DisplayImportNewMediaMessage(lib, drive, job, log, pend);
            case 5: return alert.DisplayWrongNewMediaMessage(lib, drive, error, job, log, pend);
            case 6:
                return alert.DisplayIdentifyMediaMessage(note, nullptr, nullptr, media,
                                                         static_cast<int>(value), lib, drive, job,
                                                         log, pend);
            case 7: return alert.DisplayErrorMessageLocally(note, job);
            default: return alert.ShowMessageBox(note, job, errorCode, first) != kAnswerOK;
            }
        }();
        // Import and identification compose whatever they are given; the local
        // questions compose nothing; the rest only in a library's drive, the
        // media error only for the block size.
        const bool composed = op == 0 || op == 6 ||
                              (op < 6 && lib && (op != 3 || error == qzkr::kReadErrorBlockSize));
        // Notices answer false, questions true unless answered OK; the
        // identification's console dialog never confirms.
        const bool asked = op == 6 || (!ok && (op > 6 || (op > 3 && composed)));
        expect(answer == asked, "each operation answers as its kind promises");
        if (composed && op < 2)
            expect(alert.popupDialogBox(log, second, pend) == !ok,
                   "popupDialogBox answers true unless the box answered OK");
        const char* out[] = {alert.getMessageText(), alert.getGumMessage(), alert.getLogText()};
        for (const char* text : out) {
            expect(std::memchr(text, '\0', QZKRGuiInterface::kTextSize) != nullptr,
                   "every text is NUL-terminated within its 2048 bytes");
            expect(!validUtf8 || std::mbstowcs(nullptr, text, 0) != static_cast<std::size_t>(-1),
                   "valid UTF-8 in gives whole characters out");
        }
        expect(std::strchr(out[2], '\n') == nullptr, "no line feed in the log text");
        expect(!composed || out[2] == testkit::oneLine(out[1]),
               "the log text is the event text with its line feeds turned into spaces");
    }

    // Each raising carries the arguments its message promises and is cleared,
    // naming its code, before the operation returns.
    static void checkPostings() {
        using Kind = standin::Record::Kind;
        const auto records = standin::Journal::take();
        for (auto raise = records.begin(); raise != records.end(); ++raise) {
            if (raise->kind != Kind::Raise) continue;
            const auto n = static_cast<long long>(raise->arguments.size());
            bool promised = false;  // refused here only unbound, taking no arguments
            for (const auto& p : kArguments)
                promised |= p[0] == raise->code() && (!raise->accepted || (p[1] <= n && n <= p[2]));
            expect(promised, "a raising carries the arguments its message promises");
            auto clear = raise + 1;
            while (clear != records.end() && clear->kind == Kind::JobState) ++clear;
            expect(clear != records.end() && clear->kind == Kind::Clear &&
                       clear->clearedCode() == raise->code(),
                   "every raising is followed by a clearing that names its code");
            expect(!standin::Journal::isPending(raise->jobId), "no job is left pending");
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const testkit::ScratchDirectory directory;  // with its files, for the process's life
    testkit::useStandinDefaults();
    g_settings = directory.file("korrin-");
    for (int i = 0; i < 8; ++i)
        std::ofstream(g_settings + std::to_string(i)) << "[Korrin]\nnKRMSGBOXOPTION = " << i % 4
                                                      << (i == 7 ? "\n" : "\nsQNHOSTNAME = fuzz\n");
    // mbstowcs() then judges UTF-8, as a decoder of its own.
    expect(std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr, "the C.UTF-8 locale is there");
    // The waits are counted, not waited, on the thread that runs the inputs
    // (libFuzzer's own threads still sleep); the dialogs print to /dev/null.
    testkit::FakeSleep::fakeOnlyThisThread();
    static const standin::StdoutCapture quiet(standin::StdoutCapture::kDrop);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run run(data, size);
    const auto setting = run.in.ConsumeIntegral<std::uint8_t>();
    setenv("KORRIN_SETTINGS", (g_settings + std::to_string(setting % 8)).c_str(), 1);
    QZKRGuiInterface alert(run.log, run.in.ConsumeIntegral<signed char>());
    for (int step = 0; step < 4 && run.in.remaining_bytes() > 0; ++step) {
        run.perform(alert, setting % 4 == 2);
        Run::checkPostings();
    }
    standin::Journal::clear();
    standin::DebugLog::clear();
    return 0;
}
