#include "AlertFuzzer.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "FakeSleep.h"
#include "MMDebug.h"
#include "QZJobClient.h"
#include "QZKRGuiInterface.h"
#include "QZKRMessageCodes.h"
#include "Standin.h"
#include "StandinStdout.h"
#include "TestKit.h"

namespace korrinfuzz {

namespace {

using standin::Record;
using testkit::FakeSleep;
using Text = std::optional<std::string>;

constexpr std::size_t kTextSize = QZKRGuiInterface::kTextSize;
constexpr int kMaxSteps = 4;
// A decoded text may be repeated up to a field's length, so that short
// inputs still reach past the 2048-byte fields.
constexpr std::size_t kMaxTextLength = kTextSize;

// True when `text` is well-formed UTF-8: no truncated or stray sequence, no
// overlong form, no surrogate, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t length = text.size();
    std::size_t i = 0;
    while (i < length) {
        // Eight ASCII bytes at a time: most texts are nearly all ASCII.
        std::uint64_t eight = 0;
        if (length - i >= sizeof eight) {
            std::memcpy(&eight, bytes + i, sizeof eight);
            if ((eight & 0x8080808080808080u) == 0) {
                i += sizeof eight;
                continue;
            }
        }
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t more = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the first continuation byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            if (lead == 0xF0) low = 0x90;   // overlong below U+10000
            if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        if (length - i <= more) return false;
        if (bytes[i + 1] < low || bytes[i + 1] > high) return false;
        for (std::size_t k = 2; k <= more; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        }
        i += more + 1;
    }
    return true;
}

[[noreturn]] void broken(const char* promise, const std::string& detail) {
    std::fprintf(stderr, "\n*** broken promise: %s%s%s\n", promise, detail.empty() ? "" : ": ",
                 detail.c_str());
    std::abort();
}

// `detail` is a text or, where making it costs, a function that makes it:
// called only for a broken promise.
template <typename Detail = const char*>
void expect(bool kept, const char* promise, const Detail& detail = "") {
    if (kept) return;
    if constexpr (std::is_invocable_v<Detail>) {
        broken(promise, detail());
    } else {
        broken(promise, detail);
    }
}

const char* pointer(const Text& text) { return text ? text->c_str() : nullptr; }

// ---------------------------------------------------------------- settings

struct Setting {
    const char* ini;
    bool hasHost;
    long long answer;  // what ShowMessageBox answers
    bool waits;
};

const Setting kSettings[] = {
    {"[Korrin]\nsQNHOSTNAME = quorvane.fuzz\n", true, QZKRGuiInterface::kAnswerOK, true},
    {"[Korrin]\nsQNHOSTNAME = quorvane.fuzz\nnKRMSGBOXOPTION = 1\n", true,
     QZKRGuiInterface::kAnswerCancel, false},
    {"[Korrin]\nsQNHOSTNAME = quorvane.fuzz\nnKRMSGBOXOPTION = 7\n", true,
     QZKRGuiInterface::kAnswerCancel, false},
    // No control server: the client never binds and every posting is refused.
    {"[Korrin]\n", false, QZKRGuiInterface::kAnswerOK, true},
};
constexpr std::size_t kSettingCount = std::size(kSettings);

std::vector<std::string> g_settingsPaths;

// Whether the error catalogue gives an error text or advice for the code.
bool catalogueHasText(int code) {
    for (const auto& entry : standin::catalogue()) {
        if (entry.code == code) return entry.errorText[0] != '\0' || entry.advice[0] != '\0';
    }
    return false;
}

std::string kinds(const std::vector<Record>& records) {
    std::string out;
    for (const auto& record : records) {
        if (!out.empty()) out += ' ';
        out += standin::kindName(record.kind);
    }
    return out.empty() ? "none" : out;
}

// ---------------------------------------------------------------- one input

// What a step must leave in the journal and how often it waits.
struct Expected {
    bool posts = false;  // a raising and its clearing
    std::size_t arguments = 0;
    int code = 0;
    bool pendingFlag = false;
    unsigned int sleeps = 0;
};

struct Snapshot {
    std::string message, event, log;
    int code;
    long long jobId;
    bool operator==(const Snapshot& other) const {
        return message == other.message && event == other.event && log == other.log &&
               code == other.code && jobId == other.jobId;
    }
};

class Run {
public:
    Run(FuzzedDataProvider& in, const Setting& setting, long long constructorJob)
        : m_in(in),
          m_setting(setting),
          m_alert(m_log, constructorJob),
          m_boundJob(setting.hasHost && constructorJob > 0 ? constructorJob : 0) {
        const auto records = standin::Journal::take();
        if (constructorJob > 0) {
            expect(records.size() == 1 && records[0].kind == Record::Kind::Init &&
                       records[0].accepted == setting.hasHost,
                   "construction binds a valid job when a host is set",
                   [&] { return kinds(records); });
        } else {
            expect(records.empty(), "construction without a valid job binds nothing");
        }
        checkTexts();
    }

    void step(unsigned operations) {
        Operation allowed[16];
        std::size_t count = 0;
        for (unsigned bit = 1; bit <= kEveryOperation; bit <<= 1) {
            if (operations & bit) allowed[count++] = static_cast<Operation>(bit);
        }
        switch (allowed[m_in.ConsumeIntegralInRange<std::size_t>(0, count - 1)]) {
        case kImport: import(); break;
        case kWrongMedia: wrongMedia(); break;
        case kPopup: popup(); break;
        case kImportNewMedia: importNewMedia(); break;
        case kWrongNewMedia: wrongNewMedia(); break;
        case kCrcError: crcError(); break;
        case kMediaError: mediaError(); break;
        case kIdentify: identify(); break;
        case kLocalError: localError(); break;
        case kMessageBox: messageBox(); break;
        }
    }

private:
    // ------------------------------------------------------------ decoding

    // A text or null. The form byte says which and, with its top bit set,
    // that the decoded bytes repeat 2^n - 1 more times (n in bits 2 to 5)
    // while the text is shorter than kMaxTextLength.
    Text text() {
        const auto form = m_in.ConsumeIntegral<std::uint8_t>();
        if ((form & 0x03) == 0) return std::nullopt;
        const std::string_view piece = nextPiece();
        if (!isValidUtf8(piece)) m_validInputs = false;
        const unsigned repeats = (form & 0x80) ? (1u << ((form >> 2) & 0x0F)) - 1 : 0;
        const std::size_t pieces =
            piece.empty() ? 1
                          : std::min<std::size_t>(
                                repeats + 1, (kMaxTextLength + piece.size() - 1) / piece.size());
        std::string value;
        value.reserve(piece.size() * pieces);
        value.append(piece);
        while (value.size() < piece.size() * pieces) {
            value.append(value.data(),
                         std::min(value.size(), piece.size() * pieces - value.size()));
        }
        return value;
    }

    // The next piece of text as FuzzedDataProvider::ConsumeRandomLengthString
    // reads it ("\\" is a backslash, a backslash and anything else ends the
    // piece), up to its first NUL as the library will read it. Read into a
    // buffer that outlives the run: the provider's own copy allocates twice.
    std::string_view nextPiece() {
        thread_local std::string piece;
        piece.clear();
        char next = 0;
        while (piece.size() < kMaxTextLength && m_in.ConsumeData(&next, 1) == 1) {
            if (next == '\\' && m_in.ConsumeData(&next, 1) == 1 && next != '\\') break;
            piece += next;
        }
        return piece.c_str();
    }

    // Mostly an ordinary job ID; now and then any 64-bit value.
    long long jobId() {
        return m_in.ConsumeIntegral<std::uint8_t>() < 0xC0
                   ? m_in.ConsumeIntegralInRange<long long>(1, 9999)
                   : m_in.ConsumeIntegral<long long>();
    }

    // Mostly a code the catalogue knows (or the block-size read error).
    int errorCode() {
        if (m_in.ConsumeBool()) return m_in.ConsumeIntegral<int>();
        const auto& entries = standin::catalogue();
        const auto index = m_in.ConsumeIntegralInRange<std::size_t>(0, entries.size());
        return index < entries.size() ? entries[index].code : qzkr::kReadErrorBlockSize;
    }

    bool notAnsweredOk() const { return m_setting.answer != QZKRGuiInterface::kAnswerOK; }

    // ------------------------------------------------------------ checks

    void begin() {
        standin::Journal::clear();
        FakeSleep::reset();
    }

    // Counts the arguments streamed since the last posting into the raising
    // a cycle for `job` makes.
    Expected cycle(long long job, bool pendingFlag, bool waits) {
        Expected expected;
        expected.pendingFlag = pendingFlag;
        expected.sleeps = waits && m_setting.waits ? 1 : 0;
        if (job > 0) {
            expected.posts = true;
            expected.arguments = m_streamed;
            expected.code = m_code;
            m_streamed = 0;
        }
        return expected;
    }

    Snapshot snapshot() const {
        const auto field = [](const char* text) {
            return std::string(text, strnlen(text, kTextSize));
        };
        return {field(m_alert.getMessageText()), field(m_alert.getGumMessage()),
                field(m_alert.getLogText()), m_alert.getEventMessageCode(), m_alert.getJobId()};
    }

    void checkTexts() const {
        const char* fields[] = {m_alert.getMessageText(), m_alert.getGumMessage(),
                                m_alert.getLogText()};
        const char* names[] = {"message text", "event text", "log text"};
        std::string_view texts[3];
        for (std::size_t i = 0; i < 3; ++i) {
            const auto* end = static_cast<const char*>(std::memchr(fields[i], '\0', kTextSize));
            expect(end != nullptr, "every text field is NUL-terminated within 2048 bytes",
                   names[i]);
            texts[i] = std::string_view(fields[i], static_cast<std::size_t>(end - fields[i]));
        }
        expect(texts[2].find('\n') == std::string_view::npos, "no line feed in the log text");
        if (!m_validInputs) return;
        for (std::size_t i = 0; i < 3; ++i) {
            expect(isValidUtf8(texts[i]), "valid UTF-8 in gives valid UTF-8 out", names[i]);
        }
    }

    void finish(const Expected& expected) const {
        checkTexts();
        const auto sleeps = static_cast<unsigned int>(FakeSleep::calls());
        expect(sleeps == expected.sleeps, "one wait per message box that waits",
               [&] { return std::to_string(sleeps) + " waits"; });
        const auto records = standin::Journal::take();
        if (!expected.posts) {
            expect(records.empty(), "nothing is posted but by a cycle on a valid job",
                   [&] { return kinds(records); });
        } else {
            using Kind = Record::Kind;
            expect(records.size() == 4 && records[0].kind == Kind::Raise &&
                       records[1].kind == Kind::JobState && records[2].kind == Kind::Clear &&
                       records[3].kind == Kind::JobState,
                   "a cycle raises, sets the state, clears and sets the state",
                   [&] { return kinds(records); });
            const Record& raise = records[0];
            const Record& clear = records[2];
            const bool bound = m_boundJob > 0;
            expect(raise.accepted == bound && clear.accepted == bound,
                   "a bound client's postings are accepted, an unbound one's refused");
            const std::size_t arguments = bound ? expected.arguments : 0;
            expect(raise.arguments.size() == arguments,
                   "the raising carries the arguments its prompt promises", [&] {
                       return std::to_string(raise.arguments.size()) + " instead of " +
                              std::to_string(arguments);
                   });
            expect(raise.code() == expected.code, "the raising posts the prompt's code");
            expect(raise.flags() == (expected.pendingFlag ? JM_PENDING_SET : JM_PENDING_NONE),
                   "the pending flag chooses the raising's flags");
            expect(clear.code() == qzkr::kMsgEmpty &&
                       clear.clearedCode() == static_cast<unsigned int>(expected.code),
                   "the clearing names the code it clears");
            const bool onlyEmptyText =
                clear.arguments.size() == 1 && clear.arguments[0] == standin::Argument::Text("");
            expect(bound ? onlyEmptyText : clear.arguments.empty(),
                   "the clearing carries the empty text and nothing else");
            expect(records[1].state() == QZ_JOB_PENDING && records[3].state() == QZ_JOB_RUNNING,
                   "the job is pending while raised and running after");
        }
        if (m_boundJob > 0) {
            expect(!standin::Journal::isPending(m_boundJob), "no job is left pending");
        }
    }

    // Every given text shows in the event text, unless that text was cut.
    void shown(std::initializer_list<const Text*> texts) const {
        const char* event = m_alert.getGumMessage();
        // A cut may end up to three bytes short of the field's end.
        if (std::strlen(event) + 4 >= kTextSize - 1) return;
        for (const Text* text : texts) {
            if (text == nullptr || !*text) continue;
            expect(std::strstr(event, (*text)->c_str()) != nullptr,
                   "every given text shows in the event text", **text);
        }
    }

    void prompted(const Expected& expected, long long job,
                  std::initializer_list<const Text*> texts) const {
        finish(expected);
        expect(m_alert.getJobId() == job, "a prompt stores its job ID");
        expect(m_alert.getEventMessageCode() == m_code, "a prompt stores its message code");
        shown(texts);
    }

    // A prompt without a library: only the job ID is stored.
    void untouched(Snapshot before, long long job) const {
        finish(Expected{});
        before.jobId = job;
        expect(snapshot() == before, "a prompt without a library changes nothing but the job ID");
    }

    // ------------------------------------------------------------ operations

    void import() {
        const Text media = text(), identifier = text(), location = text(), library = text(),
                   drive = text();
        const long long job = jobId();
        const bool newMediaAllowed = m_in.ConsumeBool(), driveMediaInUse = m_in.ConsumeBool();
        const bool popUp = m_in.ConsumeIntegral<std::uint8_t>() < 0xF0;
        begin();
        expect(!m_alert.DisplayImportMessage(pointer(media), pointer(identifier), pointer(location),
                                             pointer(library), pointer(drive), job, newMediaAllowed,
                                             driveMediaInUse, m_log),
               "DisplayImportMessage answers false");
        m_code = newMediaAllowed && driveMediaInUse ? qzkr::kMsgEjectThenInsertMedia
                                                    : qzkr::kMsgInsertRequiredMedia;
        // Medium and job, then four pieces: identifier, location, new media,
        // library with drive; an absent piece is a code and "".
        m_streamed = 2 + 2 + 2 + (newMediaAllowed ? 1 : 2) + (library ? 3 : 2);
        prompted(Expected{}, job,
                 {&media, &identifier, &location, &library, library ? &drive : nullptr});
        if (popUp) popup();
    }

    void wrongMedia() {
        const Text barcode = text(), location = text(), library = text(), drive = text(),
                   media = text();
        const long lastWriteTime = m_in.ConsumeBool()
                                       ? m_in.ConsumeIntegral<long>()
                                       : m_in.ConsumeIntegralInRange<long>(1, 4102444800L);
        const long long job = jobId();
        const bool popUp = m_in.ConsumeIntegral<std::uint8_t>() < 0xF0;
        // Without a library nothing but the job ID may change.
        const std::optional<Snapshot> before =
            library ? std::nullopt : std::optional<Snapshot>(snapshot());
        begin();
        expect(!m_alert.DisplayWrongMediaInDriveMessage(pointer(barcode), pointer(location),
                                                        lastWriteTime, pointer(library),
                                                        pointer(drive), pointer(media), job, m_log),
               "DisplayWrongMediaInDriveMessage answers false");
        if (library) {
            m_code = qzkr::kMsgWrongMediaInDrive;
            m_streamed = 3 + 4 * 2;  // library, drive, job, then four pieces
            prompted(Expected{}, job, {&library, &drive, &media, &barcode, &location});
        } else {
            untouched(*before, job);
        }
        if (popUp) popup();
    }

    void popup() {
        const bool first = m_in.ConsumeBool(), pendingFlag = m_in.ConsumeBool();
        begin();
        const Expected expected = cycle(m_alert.getJobId(), pendingFlag, true);
        expect(m_alert.popupDialogBox(m_log, first, pendingFlag) == notAnsweredOk(),
               "popupDialogBox answers true unless the box answered OK");
        finish(expected);
    }

    // Where a read-error or new-media prompt points: library and drive, and
    // the job and pending flag of its cycle.
    struct Place {
        Text library, drive;
        long long job;
        bool pendingFlag;
    };

    Place place() {
        Place at;
        at.library = text();
        at.drive = text();
        at.job = jobId();
        at.pendingFlag = m_in.ConsumeBool();
        return at;
    }

    // What a prompt that cycles itself promises for a given library.
    struct Promise {
        int code;
        std::size_t streamed;  // arguments of its raising
        bool waits;            // in the message box, or runs a dialog instead
        bool answer;
        const char* what;
    };

    // Checks prompt(nullptr) when no library was given: it answers false and
    // changes nothing but the job ID. Otherwise prompt(library) must keep
    // `promise` and post its cycle.
    template <typename Prompt>
    void cycled(const Place& at, const Promise& promise, Prompt prompt) {
        if (!at.library) {
            const Snapshot before = snapshot();
            begin();
            expect(!prompt(nullptr), "a prompt without a library answers false");
            return untouched(before, at.job);
        }
        m_code = promise.code;
        m_streamed = promise.streamed;
        begin();
        const Expected expected = cycle(at.job, at.pendingFlag, promise.waits);
        expect(prompt(at.library->c_str()) == promise.answer, promise.what);
        prompted(expected, at.job, {&at.library, &at.drive});
    }

    void importNewMedia() {
        const Place at = place();
        cycled(at,
               {qzkr::kMsgNewMedia, 3, true, notAnsweredOk(),
                "DisplayImportNewMediaMessage answers true unless the box answered OK"},
               [&](const char* library) {
                   return m_alert.DisplayImportNewMediaMessage(library, pointer(at.drive), at.job,
                                                               m_log, at.pendingFlag);
               });
    }

    void wrongNewMedia() {
        const int code = errorCode();
        const Place at = place();
        // With an error text the event ID goes in front of library, drive and job.
        const bool errorText = code != 0 && catalogueHasText(code);
        const Promise promise{
            errorText ? qzkr::kMsgMediaErrorActiveOrNew : qzkr::kMsgNewMedia, errorText ? 4u : 3u,
            true, notAnsweredOk(),
            "DisplayWrongNewMediaMessage answers true unless the box answered OK"};
        cycled(at, promise, [&](const char* library) {
            return m_alert.DisplayWrongNewMediaMessage(library, pointer(at.drive), code, at.job,
                                                       m_log, at.pendingFlag);
        });
    }

    void crcError() {
        const Place at = place();
        // Stamping (no job) streams library and drive only, and posts nothing.
        const bool stamping = at.job <= 0;
        cycled(at,
               {stamping ? qzkr::kMsgCrcErrorStamping : qzkr::kMsgCrcErrorJob, stamping ? 2u : 3u,
                true, false, "DisplayCRCErrorMessage answers false"},
               [&](const char* library) {
                   return m_alert.DisplayCRCErrorMessage(library, pointer(at.drive), at.job, m_log,
                                                         at.pendingFlag);
               });
    }

    void mediaError() {
        const int code =
            m_in.ConsumeBool() ? m_in.ConsumeIntegral<int>() : qzkr::kReadErrorBlockSize;
        const Place at = place();
        const auto prompt = [&](const char* library) {
            return m_alert.DisplayMediaErrorMessage(code, library, pointer(at.drive), at.job, m_log,
                                                    at.pendingFlag);
        };
        if (code == qzkr::kReadErrorBlockSize || !at.library) {
            // The block-size notice runs the message box dialog instead of the wait.
            return cycled(at,
                          {qzkr::kMsgBlockSizeError, 3, false, false,
                           "DisplayMediaErrorMessage answers false"},
                          prompt);
        }
        const Snapshot before = snapshot();
        begin();
        expect(!prompt(at.library->c_str()), "DisplayMediaErrorMessage answers false");
        finish(Expected{});
        Snapshot emptied = before;
        emptied.message.clear();
        emptied.event.clear();
        emptied.jobId = at.job;
        expect(snapshot() == emptied,
               "an unknown read error empties the message and event texts and nothing else");
    }

    void identify() {
        const Text preface = text(), media = text(), library = text(), drive = text();
        const int volumeId = m_in.ConsumeIntegral<int>();
        const long long job = jobId();
        const bool pendingFlag = m_in.ConsumeBool();
        const auto buffers = m_in.ConsumeIntegral<std::uint8_t>();

        // The caller's buffers, filled with a pattern: without a confirmation
        // nothing may be written to them.
        std::vector<char> prefaceBuffer;
        if (preface) {
            prefaceBuffer.assign(preface->begin(), preface->end());
            prefaceBuffer.push_back('\0');
        }
        std::array<char, QZKRGuiInterface::kExportLocationSize> location;
        std::array<char, QZKRGuiInterface::kBarcodeSize> barcode;
        location.fill('L');
        barcode.fill('B');
        location.back() = '\0';
        barcode.back() = '\0';
        if (buffers & 0x04) barcode[0] = '\0';
        const auto locationBefore = location, barcodeBefore = barcode;

        const bool hasPreface = preface && !preface->empty();
        m_code = hasPreface ? qzkr::kMsgIdentifyMediaWithPreface : qzkr::kMsgIdentifyMedia;
        m_streamed = hasPreface ? 5 : 4;
        begin();
        const Expected expected = cycle(job, pendingFlag, false);
        expect(m_alert.DisplayIdentifyMediaMessage(preface ? prefaceBuffer.data() : nullptr,
                                                   (buffers & 0x01) ? location.data() : nullptr,
                                                   (buffers & 0x02) ? barcode.data() : nullptr,
                                                   pointer(media), volumeId, pointer(library),
                                                   pointer(drive), job, m_log, pendingFlag),
               "an identification the dialog does not confirm answers true");
        expect(location == locationBefore && barcode == barcodeBefore,
               "the caller's buffers are written only after a confirmation");
        expect(!preface || prefaceBuffer.data() == *preface, "the preface is only read");
        prompted(expected, job, {hasPreface ? &preface : nullptr, &media, &library, &drive});
    }

    void localError() {
        const Text message = text();
        const long long job = jobId();
        const Snapshot before = snapshot();
        begin();
        expect(m_alert.DisplayErrorMessageLocally(pointer(message), job) == notAnsweredOk(),
               "DisplayErrorMessageLocally answers true unless the box answered OK");
        Expected expected;
        expected.sleeps = m_setting.waits ? 1 : 0;
        finish(expected);
        const Snapshot after = snapshot();
        expect(after.log == before.log && after.code == before.code && after.jobId == before.jobId,
               "the local display leaves log text, code and job ID alone");
        shown({&message});
    }

    void messageBox() {
        const Text message = text();
        const long long job = m_in.ConsumeIntegral<long long>();
        const bool flag = m_in.ConsumeBool();
        unsigned int errorCode = m_in.ConsumeIntegral<unsigned int>();
        const Snapshot before = snapshot();
        begin();
        expect(m_alert.ShowMessageBox(pointer(message), job, errorCode, flag) == m_setting.answer,
               "ShowMessageBox answers as its setting says");
        expect(errorCode == 0, "ShowMessageBox sets the error code to 0");
        Expected expected;
        expected.sleeps = m_setting.waits ? 1 : 0;
        finish(expected);
        expect(snapshot() == before, "ShowMessageBox changes nothing of the object");
    }

    FuzzedDataProvider& m_in;
    const Setting& m_setting;
    MMDebug m_log;
    QZKRGuiInterface m_alert;
    long long m_boundJob;  // the job the client is bound to; 0 when unbound
    bool m_validInputs = true;
    // The model of the object: arguments streamed since the last posting and
    // the event message code it holds.
    std::size_t m_streamed = 0;
    int m_code = 0;
};

}  // namespace

void initialise() {
    // Lives as long as the process, and its files with it.
    static const testkit::ScratchDirectory directory;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        g_settingsPaths.push_back(directory.file("korrin-" + std::to_string(i) + ".ini"));
        std::ofstream(g_settingsPaths.back(), std::ios::trunc) << kSettings[i].ini;
    }
    testkit::useStandinDefaults();
    setenv("TZ", "UTC", 1);
    tzset();
    // The message box's 180-second wait is counted, not waited, on the
    // thread that runs the inputs; libFuzzer's own threads still sleep.
    FakeSleep::fakeOnlyThisThread();
    // The console dialogs print every prompt; the fuzzer's own report goes
    // to standard error.
    static const standin::StdoutCapture quiet(standin::StdoutCapture::kDrop);
}

void run(const std::uint8_t* data, std::size_t size, unsigned operations) {
    FuzzedDataProvider in(data, size);
    const auto setting = in.ConsumeIntegralInRange<std::size_t>(0, kSettingCount - 1);
    setenv("KORRIN_SETTINGS", g_settingsPaths[setting].c_str(), 1);
    const long long constructorJob = in.ConsumeIntegral<std::uint8_t>() < 0xC0
                                         ? in.ConsumeIntegralInRange<long long>(1, 9999)
                                         : in.ConsumeIntegral<long long>();
    {
        Run run(in, kSettings[setting], constructorJob);
        int steps = 0;
        do {
            run.step(operations);
        } while (++steps < kMaxSteps && in.remaining_bytes() > 0);
    }
    // An input leaves nothing behind: libFuzzer takes memory kept past an
    // input for a leak and runs the input again to look for one.
    standin::Journal::clear();
    standin::DebugLog::clear();
}

}  // namespace korrinfuzz
