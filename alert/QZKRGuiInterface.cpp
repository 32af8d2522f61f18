#include "QZKRGuiInterface.h"

#include <unistd.h>

#include <cstdarg>
#include <cstring>
#include <exception>
#include <optional>

#include "EvDebug.h"
#include "MMDebug.h"
#include "MMS2BaseError.h"
#include "QZKRDialogs.h"
#include "QZKRText.h"
#include "QZPlatformInfo.h"
#include "QZTime.h"
#include "QZKRBanned.h"

using qzkr::TextBuffer;

namespace {

// The name every line of the agent's debug log carries as its source.
constexpr const char kSourceName[] = "QZKRGuiInterface";
constexpr const char kLogModule[] = "WORKER  ";

// What the job client is told. The meaning of each number is the job
// manager's; these are the values it expects from an operator alert. The
// contract fixes the enums' types but leaves the names of their values to
// the platform, so the numbers are passed as they are (static_cast).
constexpr int kPlatformType = 2;
constexpr int kMessageType = 300;
constexpr int kAlertColorLevel = 40;
constexpr int kFlagsRaise = 0;
constexpr int kFlagsRaisePending = 1;
constexpr int kFlagsClear = 2;
constexpr int kJobStateAlerting = 3;
constexpr int kJobStateRunning = 1;

// The message box: section, key and values of its setting, and its wait.
constexpr const char kSettingsSection[] = "Korrin";
constexpr const char kMessageBoxOptionKey[] = "nKRMSGBOXOPTION";
constexpr unsigned long kMessageBoxAnswerCancel = 1;
constexpr unsigned long kMessageBoxWait = 2;
constexpr unsigned int kMessageBoxWaitSeconds = 180;
constexpr int kEvDebugLevelInfo = 1;
constexpr int kEvDebugLevelDetail = 5;

// Room for the decimal text of any int.
constexpr std::size_t kVolumeTextSize = 16;
// The time text of the last-write-time piece.
constexpr std::size_t kTimeTextSize = 1024;

}  // namespace

// Every line of the agent's debug log: "%s:%d: " and the line's own format,
// filled with this file's name and the line of the logging statement.
#define QZKR_LOG(debugLog, format, ...)                                                     \
    (debugLog).DebugMM(1, 2, kLogModule, -1LL, -1, "%s:%d: " format, kSourceName, __LINE__, \
                       __VA_ARGS__)
#define QZKR_LOG_TEXT(debugLog, text) \
    (debugLog).DebugMM(1, 2, kLogModule, -1LL, -1, "%s:%d: " text, kSourceName, __LINE__)

namespace {

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

// Whether a prompt names a library. A prompt in a library's drive prepares
// nothing without one; with one, a null drive is taken as "".
bool namesLibrary(const char* library, const char*& drive) {
    if (library == nullptr) return false;
    drive = orEmpty(drive);
    return true;
}

EvEvent& streamCode(EvEvent& event, int code) {
    return event << static_cast<unsigned long>(static_cast<unsigned int>(code));
}

// An absent piece: the empty sub-message.
void streamAbsentPiece(EvEvent& event) { streamCode(event, qzkr::kMsgEmpty) << ""; }

}  // namespace

namespace qzkr {

// Where a cycle writes the log text: popupDialogBox after the raising, the
// prompts that run the cycle themselves before it.
enum class LogText { BeforeRaising, AfterRaising };

// One operation of an alert object and the steps the operations share.
// Constructing one opens the object's message and event texts, and for a
// prompt first stores the prompt's job ID. Lives on the operation's stack.
class Operation {
public:
    explicit Operation(QZKRGuiInterface& alert) noexcept
        : message(alert.m_messageText), event(alert.m_eventText), m_alert(alert) {}
    Operation(QZKRGuiInterface& alert, long long jobId) noexcept : Operation(alert) {
        alert.m_jobId = jobId;
    }

    // Sets the code of the message the next raising posts and starts its event.
    EvEvent& begin(int eventMessageCode) {
        m_alert.m_eventMessageCode = eventMessageCode;
        // Arguments of an earlier prompt that was never posted (no valid job,
        // or never popped up) must not ride in front of this prompt's own.
        m_alert.m_jobClient.discardArguments();
        return m_alert.m_jobClient;
    }

    // Appends one piece to the message text and to the event text: each text
    // takes what fits of the piece in its own room. A piece the message text
    // took whole is formatted once and its bytes copied; one it had to cut is
    // formatted again for the event text, whose room may end elsewhere.
    [[gnu::format(printf, 2, 3)]] void appendPiece(const char* format, ...) {
        const std::size_t start = message.length();
        va_list values;
        va_start(values, format);
        va_list again;
        va_copy(again, values);
        if (message.vappend(format, values)) {
            event.appendBytes(message.data() + start, message.length() - start);
        } else {
            event.vappend(format, again);
        }
        va_end(again);
        va_end(values);
    }

    // A piece with one value: when the value is given, the piece formatted
    // with it goes into both texts and its code and value into the event;
    // when not, the event gets the empty sub-message. True when present.
    [[gnu::format(printf, 3, 0)]] bool addPiece(int pieceCode, const char* format,
                                                const char* value) {
        if (value == nullptr) {
            streamAbsentPiece(m_alert.m_jobClient);
            return false;
        }
        // format is one of the callers' literal templates with one %s: the
        // declaration's format attribute checks each of them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        appendPiece(format, value);
#pragma GCC diagnostic pop
        streamCode(m_alert.m_jobClient, pieceCode) << value;
        return true;
    }

    // Ends a prompt's texts: the event text with a full stop, the message
    // text with the box's closing, then the log text.
    void endTexts(const char* messageClosing) {
        event.appendText(".");
        message.appendText(messageClosing);
        endTexts();
    }

    // Ends the texts as they stand: the log text is the event text on one line.
    void endTexts() { convertNewLines(m_alert.m_logText, m_alert.m_eventText); }

    // The pop-up cycle: writes the log text where logText says, raises the
    // prepared message, runs body (the wait or a dialog) and clears the
    // message again, also when an exception passes: a job is never left
    // pending because of one. Returns what body returned.
    template <typename Body>
    auto cycle(MMDebug& debugLog, bool pendingFlag, LogText logText, Body body) {
        if (logText == LogText::BeforeRaising) writeLogText(debugLog);
        decltype(body()) answer{};
        try {
            m_alert.displayPopupAndEventMsgInGUI(debugLog, pendingFlag, false);
            if (logText == LogText::AfterRaising) writeLogText(debugLog);
            answer = body();
        } catch (...) {
            clearWhileExceptionPasses(debugLog, pendingFlag);
            throw;
        }
        m_alert.displayPopupAndEventMsgInGUI(debugLog, pendingFlag, true);
        return answer;
    }

    // The cycle around the message-box wait on the message text. True unless
    // the box answered OK.
    bool waitForOperator(MMDebug& debugLog, bool pendingFlag, LogText logText, bool boxFlag) {
        const long long answer = cycle(debugLog, pendingFlag, logText, [&] {
            unsigned int errorCode = 0;
            const long long boxAnswer =
                m_alert.ShowMessageBox(m_alert.m_messageText, m_alert.m_jobId, errorCode, boxFlag);
            if (errorCode != 0) {
                QZKR_LOG(debugLog, "ShowMessageBox returned ErrorCode [%ld].",
                         static_cast<long>(errorCode));
            }
            return boxAnswer;
        });
        return answer != QZKRGuiInterface::kAnswerOK;
    }

    TextBuffer message;
    TextBuffer event;

private:
    void writeLogText(MMDebug& debugLog) { QZKR_LOG(debugLog, "%s", m_alert.m_logText); }

    void clearWhileExceptionPasses(MMDebug& debugLog, bool pendingFlag) noexcept {
        try {
            // A raising cut short may have left its arguments unposted; the
            // clearing carries nothing but its own.
            m_alert.m_jobClient.discardArguments();
        } catch (...) {
        }
        // The first exception goes on to the caller; a second one is only told.
        try {
            m_alert.displayPopupAndEventMsgInGUI(debugLog, pendingFlag, true);
        } catch (const std::exception& error) {
            try {
                QZKR_LOG(debugLog,
                         "Clearing the pending cause failed while an error was passing: %s",
                         error.what());
            } catch (...) {
            }
        } catch (...) {
            try {
                QZKR_LOG_TEXT(debugLog,
                              "Clearing the pending cause failed while an error was passing.");
            } catch (...) {
            }
        }
    }

    QZKRGuiInterface& m_alert;
};

}  // namespace qzkr

using qzkr::LogText;
using qzkr::Operation;

// ---------------------------------------------------------------- the object

QZKRGuiInterface::QZKRGuiInterface(MMDebug& debugLog, long long jobId)
    : m_jobId(jobId),
      m_messageText(),
      m_eventText(),
      m_logText(),
      m_eventMessageCode(0),
      m_hostName() {
    QZPlatformInfo settings;
    settings.setFocus(QZPI_Focus::getFocus());
    settings.getKorrinQNHostName(m_hostName, static_cast<int>(kHostNameSize));
    TextBuffer(m_hostName).adoptText();
    if (jobId > 0 &&
        !m_jobClient.init(m_hostName, jobId, static_cast<QZS_PLATFORMTYPE>(kPlatformType))) {
        QZKR_LOG(debugLog, "ERROR! Could not init with Job Manager on Quorvane %s", m_hostName);
    }
}

QZKRGuiInterface::~QZKRGuiInterface() = default;

char* QZKRGuiInterface::getGumMessage() { return m_eventText; }
const char* QZKRGuiInterface::getGumMessage() const { return m_eventText; }

// ---------------------------------------------------------------- the cycle

bool QZKRGuiInterface::displayPopupAndEventMsgInGUI(MMDebug& debugLog, bool pendingFlag,
                                                    bool clearPending) {
    if (m_jobId <= 0) {
        QZKR_LOG_TEXT(debugLog,
                      "Valid Job ID was not specified when constructing QZKRGuiInterface object.");
        return false;
    }
    // The clearing names the code of the message it clears.
    const auto postedCode = static_cast<unsigned int>(m_eventMessageCode);
    const auto messageType = static_cast<EvMessageType>(kMessageType);
    const auto colorLevel = static_cast<JMGUIAlertColorLevel>(kAlertColorLevel);
    bool accepted = false;
    if (!clearPending) {
        const int flags = pendingFlag ? kFlagsRaisePending : kFlagsRaise;
        accepted = m_jobClient.setPendingCauseAndCriticalEvent(
            m_eventMessageCode, 0, true, messageType, false, colorLevel,
            static_cast<JMPendingCauseFlags>(flags), postedCode, 0);
        m_jobClient.setJobState(static_cast<QZJobState>(kJobStateAlerting), nullptr, false);
    } else {
        m_jobClient << "";
        accepted = m_jobClient.setPendingCause(
            qzkr::kMsgEmpty, nullptr, true, messageType, 0, 0, 0, false, colorLevel,
            static_cast<JMPendingCauseFlags>(kFlagsClear), postedCode, 0);
        m_jobClient.setJobState(static_cast<QZJobState>(kJobStateRunning), nullptr, false);
    }
    if (!accepted) {
        // Log readers look for this line after a refused raising and a refused clearing alike.
        QZKR_LOG_TEXT(debugLog, "QZJobClient::setPendingCauseAndCriticalEvent returned failure...");
        return false;
    }
    return true;
}

bool QZKRGuiInterface::popupDialogBox(MMDebug& debugLog, bool, bool pendingFlag) {
    return Operation(*this).waitForOperator(debugLog, pendingFlag, LogText::AfterRaising, false);
}

// ---------------------------------------------------------------- the message box

long long QZKRGuiInterface::ShowMessageBox(const char*, long long, unsigned int& errorCode, bool) {
    errorCode = 0;
    EvDebug debug(nullptr);
    QZPlatformInfo settings;
    unsigned long option = 0;
    if (settings.getNumber(kSettingsSection, kMessageBoxOptionKey, &option) == 0) {
        option = kMessageBoxWait;  // the default when the key is not set
    }
    if (option == kMessageBoxAnswerCancel) {
        debug.debugLvl(kEvDebugLevelInfo,
                       "nKRMSGBOXOPTION key is set to 1. Making the job go pending as if user "
                       "clicked cancel on KR Msg Box ...");
        return kAnswerCancel;
    }
    if (option == kMessageBoxWait) {
        debug.debugLvl(kEvDebugLevelInfo,
                       "nKRMSGBOXOPTION key is set to 2(default behavior). Wait for 3 Mins for "
                       "user to take required media action ...");
        // One plain sleep: a signal that ends it early ends the wait early.
        sleep(kMessageBoxWaitSeconds);
        debug.debugLvl(kEvDebugLevelDetail, "Sleep Completed.");
        return kAnswerOK;
    }
    return kAnswerCancel;
}

bool QZKRGuiInterface::DisplayErrorMessageLocally(const char* text, long long jobId) {
    text = orEmpty(text);
    Operation local(*this);
    local.message.format("%s\nPress OK after the media is imported or CANCEL to abort", text);
    local.event.copy(text);
    unsigned int errorCode = 0;
    return ShowMessageBox(m_messageText, jobId, errorCode, false) != kAnswerOK;
}

// ---------------------------------------------------------------- media prompts

bool QZKRGuiInterface::DisplayImportMessage(const char* mediaName, const char* identifier,
                                            const char* location, const char* library,
                                            const char* drive, long long jobId,
                                            bool newMediaAllowed, bool driveMediaInUse, MMDebug&) {
    Operation prompt(*this, jobId);
    mediaName = orEmpty(mediaName);

    if (newMediaAllowed && driveMediaInUse) {
        prompt.message.format(
            "The media in the drive is already in use by Brennith or it could be a cleaning "
            "media. Please eject this media\nThen insert the required media [%s] for JobID [%lld]",
            mediaName, jobId);
        prompt.begin(qzkr::kMsgEjectThenInsertMedia) << mediaName << jobId;
    } else {
        prompt.message.format("Please insert the required media [%s] for JobID [%lld]", mediaName,
                              jobId);
        prompt.begin(qzkr::kMsgInsertRequiredMedia) << mediaName << jobId;
    }
    prompt.event.copy(m_messageText);

    if (prompt.addPiece(qzkr::kPieceIdentifier, " with identifier [%s]", identifier)) {
        prompt.event.appendText("\n");
    }
    prompt.addPiece(qzkr::kPieceLocation, " from location [%s]", location);
    if (newMediaAllowed) {
        prompt.appendPiece(" OR a new media");
        streamCode(m_jobClient, qzkr::kPieceNewMedia);
    } else {
        streamAbsentPiece(m_jobClient);
    }
    if (namesLibrary(library, drive)) {
        prompt.appendPiece(" into the library [%s] drive [%s]", library, drive);
        streamCode(m_jobClient, qzkr::kPieceLibraryAndDrive) << library << drive;
    } else {
        streamAbsentPiece(m_jobClient);
    }

    prompt.endTexts(" and then click OK button to continue.");
    return false;
}

bool QZKRGuiInterface::DisplayWrongMediaInDriveMessage(const char* barcode, const char* location,
                                                       long lastWriteTime, const char* library,
                                                       const char* drive, const char* mediaName,
                                                       long long jobId, MMDebug&) {
    Operation prompt(*this, jobId);
    if (!namesLibrary(library, drive)) return false;

    prompt.begin(qzkr::kMsgWrongMediaInDrive) << library << drive << jobId;
    prompt.message.format(
        "The Media in the library [%s] drive [%s] for JobID [%lld] is not correct.\n\n"
        "Please insert the media ",
        library, drive, jobId);
    prompt.event.copy(m_messageText);

    prompt.addPiece(qzkr::kPieceMediaName, "[%s] ", mediaName);
    if (prompt.addPiece(qzkr::kPieceBarcode, "with barcode [%s] ", barcode)) {
        prompt.event.appendText("\n");
    }
    prompt.addPiece(qzkr::kPieceLocation, "from the location [%s] ", location);
    // The time text lives only in this call: the event copies it when streamed.
    char timeText[kTimeTextSize] = "";
    if (lastWriteTime > 0) {
        const long writeTime = lastWriteTime;
        QZ_ctime(&writeTime, timeText, static_cast<int>(sizeof timeText));
        // The time ends at the platform's line feed.
        const std::size_t length = strnlen(timeText, sizeof timeText);
        if (void* lineFeed = std::memchr(timeText, '\n', length)) {
            *static_cast<char*>(lineFeed) = '\0';
        }
        TextBuffer(timeText).adoptText();
    }
    prompt.addPiece(qzkr::kPieceLastWriteTime, "with last write-time=\"%s\" ",
                    lastWriteTime > 0 ? timeText : nullptr);

    prompt.endTexts("and then click OK to continue.");
    return false;
}

bool QZKRGuiInterface::DisplayImportNewMediaMessage(const char* library, const char* drive,
                                                    long long jobId, MMDebug& debugLog,
                                                    bool pendingFlag) {
    Operation prompt(*this, jobId);
    if (!namesLibrary(library, drive)) return false;

    prompt.begin(qzkr::kMsgNewMedia) << library << drive << jobId;
    prompt.message.format(
        "Please insert a new media into the library [%s] drive [%s] for JobID [%lld]", library,
        drive, jobId);
    prompt.event.copy(m_messageText);
    prompt.endTexts(" and then click OK to continue.");
    return prompt.waitForOperator(debugLog, pendingFlag, LogText::BeforeRaising, false);
}

bool QZKRGuiInterface::DisplayWrongNewMediaMessage(const char* library, const char* drive,
                                                   int errorCode, long long jobId,
                                                   MMDebug& debugLog, bool pendingFlag) {
    Operation prompt(*this, jobId);
    MMS2BaseError catalogue;
    char errorText[kTextSize] = "";
    if (errorCode != 0) {
        MMS2BaseError::getErrorStringForCode(errorCode, errorText, static_cast<int>(kTextSize), 0);
        TextBuffer error(errorText);
        error.adoptText();
        // The advice, too, is the platform's text and may end inside a character.
        error.appendText(orEmpty(catalogue.getAdvise(errorCode)));
        error.adoptText();
    }
    if (!namesLibrary(library, drive)) return false;

    if (errorText[0] != '\0') {
        prompt.event.copy(errorText);
        prompt.event.appendText("\n\n");
        prompt.begin(qzkr::kMsgMediaErrorActiveOrNew)
            << MMS2BaseError::getEvEventErrorCodeID(errorCode);
    } else {
        prompt.event.clear();
        prompt.begin(qzkr::kMsgNewMedia);
    }
    m_jobClient << library << drive << jobId;
    prompt.event.append(
        "Please insert the active media or a new media into the library [%s] drive [%s] for "
        "JobID [%lld]",
        library, drive, jobId);
    prompt.message.copy(m_eventText);
    prompt.endTexts(" and then click OK to continue.");
    return prompt.waitForOperator(debugLog, pendingFlag, LogText::BeforeRaising, false);
}

// ---------------------------------------------------------------- read-error notices

bool QZKRGuiInterface::DisplayCRCErrorMessage(const char* library, const char* drive,
                                              long long jobId, MMDebug& debugLog,
                                              bool pendingFlag) {
    Operation prompt(*this, jobId);
    if (!namesLibrary(library, drive)) return false;

    if (jobId > 0) {
        prompt.begin(qzkr::kMsgCrcErrorJob) << jobId << library << drive;
        prompt.message.format(
            "A CRC error was encountered when trying to read the tape for\nJobID [%lld] in "
            "Standalone Library [%s] Drive [%s]. This could be due to: \n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections. \n\nPlease take appropriate action and re-run the job",
            jobId, library, drive);
        prompt.event.format(
            "A CRC error was encountered when trying to read the tape for \nJobID [%lld] in the "
            "Standalone Library [%s] Drive [%s]. This could be due to:\n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections.\n\nPlease take appropriate action and re-run the job.",
            jobId, library, drive);
    } else {
        // Stamping a medium belongs to no job: the notice reaches the log and
        // the wait, and the cycle posts nothing.
        prompt.begin(qzkr::kMsgCrcErrorStamping) << library << drive;
        prompt.message.format(
            "Failed to Stamp Media. A CRC error was encountered when trying to read the tape in "
            "Standalone Library [%s] Drive [%s]. This could be due to: \n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections. \n\nPlease take appropriate action and re-run the operation.",
            library, drive);
        prompt.event.format(
            "Failed to Stamp Media. A CRC error was encountered when trying to read the\ntape in "
            "the Standalone Library [%s] Drive [%s]. This could be due to:\n\n    1. The tape "
            "was written with a higher recording format,\n    2. Drive needs cleaning,\n    3. "
            "Media imperfections.\n\nPlease take appropriate action and re-run the operation.",
            library, drive);
    }
    prompt.endTexts();
    prompt.waitForOperator(debugLog, pendingFlag, LogText::BeforeRaising, true);
    return false;
}

bool QZKRGuiInterface::DisplayMediaErrorMessage(int errorCode, const char* library,
                                                const char* drive, long long jobId,
                                                MMDebug& debugLog, bool pendingFlag) {
    Operation prompt(*this, jobId);
    if (!namesLibrary(library, drive)) return false;

    prompt.event.clear();
    prompt.message.clear();
    if (errorCode == qzkr::kReadErrorBlockSize) {
        prompt.message.format(
            "A read error occured for JobID [%lld] for the tape in Library [%s] Drive [%s]. Tape "
            "volume block size encountered is different from Brennith standard.\n\nPlease insert "
            "a new tape or erase the data on this tape and re-run the job.",
            jobId, library, drive);
        prompt.event.format(
            "A read error occured for JobID [%lld] for the tape in Library [%s] Drive [%s].\nTape "
            "volume block size encountered is different from Brennith standard.\n\nPlease insert "
            "a new tape or erase the data on this tape and re-run the job.",
            jobId, library, drive);
    }
    if (m_messageText[0] == '\0') return false;  // a read error this notice does not know

    prompt.begin(qzkr::kMsgBlockSizeError) << jobId << library << drive;
    prompt.endTexts();
    // The message box takes the place of the wait.
    prompt.cycle(debugLog, pendingFlag, LogText::BeforeRaising, [&] {
        QZKRMessageBox box(m_messageText, static_cast<unsigned long>(jobId), true, pendingFlag);
        return box.DoModal();
    });
    return false;
}

// ---------------------------------------------------------------- identification

bool QZKRGuiInterface::DisplayIdentifyMediaMessage(char* preface, char* exportLocation,
                                                   char* barcode, const char* mediaUniqueId,
                                                   int volumeId, const char* library,
                                                   const char* drive, long long jobId,
                                                   MMDebug& debugLog, bool pendingFlag) {
    Operation prompt(*this, jobId);
    mediaUniqueId = orEmpty(mediaUniqueId);
    library = orEmpty(library);
    drive = orEmpty(drive);
    char volumeText[kVolumeTextSize];
    TextBuffer(volumeText).format("%d", volumeId);

    const bool hasPreface = preface != nullptr && preface[0] != '\0';
    if (hasPreface) {
        prompt.message.format("%s\n\n", preface);
    } else {
        prompt.message.clear();
    }
    prompt.event.copy(m_messageText);
    if (hasPreface) {
        prompt.begin(qzkr::kMsgIdentifyMediaWithPreface) << static_cast<const char*>(preface);
    } else {
        prompt.begin(qzkr::kMsgIdentifyMedia);
    }
    m_jobClient << mediaUniqueId << jobId << library << drive;

    prompt.event.append(
        "Please provide the location and identifier for the media\nwith Unique ID [%s] used by "
        "JobID [%lld]\nin Standalone library [%s] drive [%s].\n",
        mediaUniqueId, jobId, library, drive);
    prompt.message.append(
        "Media used by JobID [%lld] in standalone library \"%s\" drive \"%s\" has not been "
        "identified. Please enter a media identifier and location to which the media would be "
        "stored.",
        jobId, library, drive);
    prompt.endTexts();

    // The export dialog takes the place of the wait; its answers are read
    // after the clearing.
    std::optional<MediaExportDlg> dialog;
    const long long result = prompt.cycle(debugLog, pendingFlag, LogText::BeforeRaising, [&] {
        dialog.emplace(mediaUniqueId, volumeText, m_messageText, static_cast<unsigned long>(jobId),
                       pendingFlag);
        return dialog->DoModal();
    });
    if (result != kDialogConfirmed) return true;

    const char* location = dialog->getExportLocation();
    if (exportLocation != nullptr && location != nullptr) {
        TextBuffer(exportLocation, kExportLocationSize).copy(location);
    }
    if (barcode != nullptr && barcode[0] == '\0') {
        std::memset(barcode, 0, kBarcodeSize);
        TextBuffer(barcode, kBarcodeSize).copy(orEmpty(dialog->getBarcode()));
    }
    return false;
}
