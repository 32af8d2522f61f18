// The libFuzzer targets of the alert library, one source for all: the build
// lists each target's operations in KORRIN_FUZZ_OPERATIONS. An input is a run
// of up to four operations on one alert object against the stand-in, and the
// run aborts at the first promise the library breaks (each expect() names one).
//
// The input's layout, for writing a seed by hand (a missing byte reads as 0):
// a byte choosing a settings file of kSettings, the constructor's job ID,
// then per operation: a byte choosing it from the target's list; five texts
// (library, drive, medium or unique ID, location, and one more: identifier,
// barcode, preface or message); the job ID; three flag bytes (the pending
// flag, then two the operation may use: new media allowed and medium in use,
// a catalogue error or block size); an 8-byte big-endian number (last write
// time, volume, error code). A job ID is a byte below 0x80, or 0x80 and above
// followed by eight bytes. A text is a form byte (low two bits: 0 null, 1 the
// bytes as given, 2 or 3 characters, each byte of 0x80 and above becoming a
// character of two to four bytes; bits 2 to 4: the text repeats 2^n times or
// until it reaches 3000 bytes), a length byte and that many bytes.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <string>

#include "FakeSleep.h"
#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "Standin.h"
#include "StandinStdout.h"
#include "TestKit.h"

namespace {

// The operations. The two prompts that only prepare (import, wrong media)
// are followed by popupDialogBox.
constexpr int kImport = 0, kWrongMedia = 1, kNewMedia = 2, kWrongNewMedia = 3, kCrcError = 4,
              kMediaError = 5, kIdentify = 6, kLocalError = 7, kMessageBox = 8;
// This target's.
constexpr int kOperations[] = {KORRIN_FUZZ_OPERATIONS};

// Each message a raising may post, with the fewest and most event arguments
// its prompt promises. Any other (stamping's among them) is never posted.
constexpr long long kArguments[][3] = {
    {qzkr::kMsgInsertRequiredMedia, 9, 11},    {qzkr::kMsgEjectThenInsertMedia, 9, 11},
    {qzkr::kMsgWrongMediaInDrive, 11, 11},     {qzkr::kMsgNewMedia, 3, 3},
    {qzkr::kMsgMediaErrorActiveOrNew, 4, 4},   {qzkr::kMsgCrcErrorJob, 3, 3},
    {qzkr::kMsgBlockSizeError, 3, 3},          {qzkr::kMsgIdentifyMedia, 4, 4},
    {qzkr::kMsgIdentifyMediaWithPreface, 5, 5}};

// Settings files: with or without a control server to bind to; a box answers
// OK unless the option is set (here to 1 or 7).
const char* const kSettings[] = {"[Korrin]\nsQNHOSTNAME = quorvane.fuzz\n",
                                 "[Korrin]\nsQNHOSTNAME = quorvane.fuzz\nnKRMSGBOXOPTION = 1\n",
                                 "[Korrin]\nsQNHOSTNAME = quorvane.fuzz\nnKRMSGBOXOPTION = 7\n",
                                 "[Korrin]\n"};
std::string g_settingsPaths[std::size(kSettings)];

void expect(bool kept, const char* promise) {
    if (kept) return;
    std::fprintf(stderr, "\n*** broken promise: %s\n", promise);
    std::abort();
}

// Whether each lead byte of `text` is followed by all its continuation bytes,
// and no continuation byte stands alone.
bool wholeCharacters(const char* text) {
    for (int owed = 0;; ++text) {
        const auto byte = static_cast<unsigned char>(*text);
        const bool continuation = (byte & 0xC0) == 0x80;
        if (continuation != (owed > 0)) return false;
        if (byte == 0) return true;
        owed = continuation ? owed - 1 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    }
}

class Run {
public:
    Run(const std::uint8_t* data, std::size_t size) : m_at(data), m_end(data + size) {}

    void operator()() {
        const std::size_t setting = byte() % std::size(kSettings);
        setenv("KORRIN_SETTINGS", g_settingsPaths[setting].c_str(), 1);
        const bool ok = std::strstr(kSettings[setting], "OPTION") == nullptr;
        QZKRGuiInterface alert(m_log, job());
        for (int step = 0; step < 4 && m_at < m_end; ++step) {
            const int operation = kOperations[byte() % std::size(kOperations)];
            checkTexts(alert, perform(alert, operation, ok));
            checkPostings();
        }
        standin::Journal::clear();
        standin::DebugLog::clear();
    }

private:
    std::uint8_t byte() { return m_at < m_end ? *m_at++ : 0; }
    bool flag() { return (byte() & 1) != 0; }
    unsigned long long number() {
        unsigned long long value = 0;
        for (int i = 0; i < 8; ++i) value = value << 8 | byte();
        return value;
    }
    long long job() {  // mostly a small job ID, 0 included; now and then any
        const std::uint8_t form = byte();
        return form < 0x80 ? form : static_cast<long long>(number());
    }
    // Null, the input's bytes as they come, or characters made of them (valid
    // UTF-8: ASCII as it is, other bytes as characters of 2 to 4 bytes); read
    // up to its first NUL, as the library reads it, and repeated up to 128
    // times so that short inputs reach past the 2048-byte fields.
    char* text() {
        static const char* const kCharacters[] = {"\u00e9", "\u20ac", "\U0001F600"};
        const std::uint8_t form = byte(), length = byte();
        std::string piece;
        for (int i = 0; i < length; ++i) {
            const std::uint8_t b = byte();
            piece += form % 4 == 1 || b < 0x80 ? std::string(1, static_cast<char>(b))
                                               : kCharacters[b % 3];
        }
        m_validUtf8 = m_validUtf8 && form % 4 != 1;
        piece.resize(std::strlen(piece.c_str()));
        std::string& value = m_texts.emplace_back();
        for (unsigned n = 1u << (form >> 2 & 7); n > 0 && value.size() < 3000; --n) value += piece;
        return form % 4 == 0 ? nullptr : value.data();
    }

    // Runs one operation on arguments from the input and checks its answer.
    // True when it composed new texts.
    bool perform(QZKRGuiInterface& alert, int operation, bool ok) {
        m_texts.clear();
        const char *library = text(), *drive = text(), *media = text(), *location = text();
        char* other = text();  // identifier, barcode, preface or a message of its own
        const long long jobId = job();
        const bool pending = flag(), first = flag(), second = flag();
        const unsigned long long value = number();
        const auto& known = standin::catalogue();  // mostly an error the catalogue knows
        const int error = first ? known[value % known.size()].code : static_cast<int>(value);
        unsigned int errorCode = 0;
        constexpr long long kAnswerOK = QZKRGuiInterface::kAnswerOK;
        bool composed = library != nullptr, answer = false, expected = false;
        switch (operation) {
        case kImport:
            answer = alert.DisplayImportMessage(media, other, location, library, drive, jobId,
                                                first, second, m_log);
            composed = true;
            break;
        case kWrongMedia:
            answer = alert.DisplayWrongMediaInDriveMessage(
                other, location, static_cast<long>(value), library, drive, media, jobId, m_log);
            break;
        case kNewMedia:
            answer = alert.DisplayImportNewMediaMessage(library, drive, jobId, m_log, pending);
            expected = composed && !ok;
            break;
        case kWrongNewMedia:
            answer =
                alert.DisplayWrongNewMediaMessage(library, drive, error, jobId, m_log, pending);
            expected = composed && !ok;
            break;
        case kCrcError:
            answer = alert.DisplayCRCErrorMessage(library, drive, jobId, m_log, pending);
            break;
        case kMediaError:
            composed = composed && (first || error == qzkr::kReadErrorBlockSize);
            answer = alert.DisplayMediaErrorMessage(first ? qzkr::kReadErrorBlockSize : error,
                                                    library, drive, jobId, m_log, pending);
            break;
        case kIdentify:
            answer = alert.DisplayIdentifyMediaMessage(other, nullptr, nullptr, media,
                                                       static_cast<int>(value), library, drive,
                                                       jobId, m_log, pending);
            composed = expected = true;  // the console dialog never confirms
            break;
        case kLocalError:
            answer = alert.DisplayErrorMessageLocally(other, jobId);
            composed = false, expected = !ok;
            break;
        case kMessageBox:
            answer = alert.ShowMessageBox(other, jobId, errorCode, first) != kAnswerOK;
            composed = false, expected = !ok;
            break;
        }
        expect(answer == expected,
               "a notice or a prompt to pop up answers false, a question true unless answered OK");
        if (composed && (operation == kImport || operation == kWrongMedia)) {
            expect(alert.popupDialogBox(m_log, second, pending) == !ok,
                   "popupDialogBox answers true unless the box answered OK");
        }
        return composed;
    }

    void checkTexts(const QZKRGuiInterface& alert, bool composed) const {
        const char* texts[] = {alert.getMessageText(), alert.getGumMessage(), alert.getLogText()};
        for (const char* text : texts) {
            expect(std::memchr(text, '\0', QZKRGuiInterface::kTextSize) != nullptr,
                   "every text is NUL-terminated within its 2048 bytes");
            expect(!m_validUtf8 || wholeCharacters(text),
                   "valid UTF-8 in gives whole characters out");
        }
        expect(std::strchr(texts[2], '\n') == nullptr, "no line feed in the log text");
        expect(!composed || texts[2] == testkit::oneLine(texts[1]),
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
            bool promised = false;
            for (const auto& p : kArguments) {  // a refused raising takes no arguments
                promised |= p[0] == raise->code() && (!raise->accepted || (p[1] <= n && n <= p[2]));
            }
            expect(promised, "a raising carries the arguments its message promises");
            auto clear = raise + 1;
            while (clear != records.end() && clear->kind == Kind::JobState) ++clear;
            expect(clear != records.end() && clear->kind == Kind::Clear &&
                       clear->clearedCode() == raise->code(),
                   "every raising is followed by a clearing that names its code");
            expect(!standin::Journal::isPending(raise->jobId), "no job is left pending");
        }
    }

    const std::uint8_t* m_at;
    const std::uint8_t* m_end;
    bool m_validUtf8 = true;          // every text given so far was made of characters
    std::deque<std::string> m_texts;  // the texts of the current operation
    MMDebug m_log;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const testkit::ScratchDirectory directory;  // with its files, for the process's life
    testkit::useStandinDefaults();
    for (std::size_t i = 0; i < std::size(kSettings); ++i) {
        g_settingsPaths[i] = directory.file(std::to_string(i) + ".ini");
        std::ofstream(g_settingsPaths[i]) << kSettings[i];
    }
    // The waits are counted, not waited, on the thread that runs the inputs
    // (libFuzzer's own threads still sleep); the dialogs print to /dev/null.
    testkit::FakeSleep::fakeOnlyThisThread();
    static const standin::StdoutCapture quiet(standin::StdoutCapture::kDrop);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run(data, size)();
    return 0;
}
