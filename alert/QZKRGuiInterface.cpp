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
// manager's; these are the values it expects from an operator alert.
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

namespace qzkr {

void convertNewLines(char* dst, const char* src, std::size_t dstSize) noexcept {
    if (dst == nullptr || src == nullptr || dstSize == 0) return;
    std::size_t length = std::strlen(src);
    if (length > dstSize - 1) length = dstSize - 1;
    std::memmove(dst, src, length);
    dst[length] = '\0';
    for (char* lineFeed = dst;
         (lineFeed = static_cast<char*>(std::memchr(lineFeed, '\n', dst + length - lineFeed)));) {
        *lineFeed = ' ';
    }
}

}  // namespace qzkr

using qzkr::convertNewLines;

namespace {

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

EvEvent& streamCode(EvEvent& event, int code) {
    return event << static_cast<unsigned long>(static_cast<unsigned int>(code));
}

// A present piece: its code, then the value of its placeholder.
void streamPiece(EvEvent& event, int pieceCode, const char* value) {
    streamCode(event, pieceCode) << value;
}

// An absent piece: the empty sub-message.
void streamAbsentPiece(EvEvent& event) { streamCode(event, qzkr::kMsgEmpty) << ""; }

// Formats one optional piece onto the message text and appends the same
// bytes to the event text: the piece stands in both alike.
void appendPiece(TextBuffer message, TextBuffer event, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void appendPiece(TextBuffer message, TextBuffer event, const char* format, ...) {
    const std::size_t start = message.length();
    va_list values;
    va_start(values, format);
    message.vappend(format, values);
    va_end(values);
    event.appendBytes(message.data() + start, message.length() - start);
}

}  // namespace

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
    m_hostName[kHostNameSize - 1] = '\0';
    if (jobId > 0 &&
        !m_jobClient.init(m_hostName, jobId, static_cast<QZS_PLATFORMTYPE>(kPlatformType))) {
        QZKR_LOG(debugLog, "ERROR! Could not init with Job Manager on Quorvane %s", m_hostName);
    }
}

QZKRGuiInterface::~QZKRGuiInterface() = default;

char* QZKRGuiInterface::getGumMessage() { return m_eventText; }
const char* QZKRGuiInterface::getGumMessage() const { return m_eventText; }

// Sets the code of the message the next raising posts and starts its event.
EvEvent& QZKRGuiInterface::beginEvent(int eventMessageCode) {
    m_eventMessageCode = eventMessageCode;
    // Arguments of an earlier prompt that was never posted (no valid job, or
    // never popped up) must not ride in front of this prompt's own.
    m_jobClient.discardArguments();
    return m_jobClient;
}

// A piece with one value: when the value is given, the piece formatted with
// it goes into both texts and its code and value into the event; when not,
// the event gets the empty sub-message. True when the piece is present.
bool QZKRGuiInterface::addOptionalPiece(int pieceCode, const char* format, const char* value) {
    if (value == nullptr) {
        streamAbsentPiece(m_jobClient);
        return false;
    }
    // format is one of the callers' literal templates with one %s: the
    // declaration's format attribute checks each of them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    appendPiece(TextBuffer(m_messageText), TextBuffer(m_eventText), format, value);
#pragma GCC diagnostic pop
    streamPiece(m_jobClient, pieceCode, value);
    return true;
}

// Ends the prompt's texts: the event text with a full stop, the message text
// with the box's closing; the log text is the event text on one line.
void QZKRGuiInterface::closeTexts(const char* messageClosing) {
    TextBuffer(m_eventText).appendText(".");
    TextBuffer(m_messageText).appendText(messageClosing);
    convertNewLines(m_logText, m_eventText);
}

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

// Raises the prepared message, runs body (the wait or the dialog) and clears
// the message again, also when an exception passes: a job is never left
// pending because of one.
template <typename Body>
auto QZKRGuiInterface::raiseRunClear(MMDebug& debugLog, bool pendingFlag, Body body) {
    decltype(body()) answer{};
    try {
        displayPopupAndEventMsgInGUI(debugLog, pendingFlag, false);
        answer = body();
    } catch (...) {
        clearWhileExceptionPasses(debugLog, pendingFlag);
        throw;
    }
    displayPopupAndEventMsgInGUI(debugLog, pendingFlag, true);
    return answer;
}

void QZKRGuiInterface::clearWhileExceptionPasses(MMDebug& debugLog, bool pendingFlag) noexcept {
    try {
        // A raising cut short may have left its arguments unposted; the
        // clearing carries nothing but its own.
        m_jobClient.discardArguments();
    } catch (...) {
    }
    // The first exception goes on to the caller; a second one is only told.
    try {
        displayPopupAndEventMsgInGUI(debugLog, pendingFlag, true);
    } catch (const std::exception& error) {
        try {
            QZKR_LOG(debugLog, "Clearing the pending cause failed while an error was passing: %s",
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

long long QZKRGuiInterface::waitInMessageBox(MMDebug& debugLog, bool boxFlag) {
    unsigned int errorCode = 0;
    const long long answer = ShowMessageBox(m_messageText, m_jobId, errorCode, boxFlag);
    if (errorCode != 0) {
        QZKR_LOG(debugLog, "ShowMessageBox returned ErrorCode [%ld].",
                 static_cast<long>(errorCode));
    }
    return answer;
}

bool QZKRGuiInterface::popupDialogBox(MMDebug& debugLog, bool, bool pendingFlag) {
    const long long answer = raiseRunClear(debugLog, pendingFlag, [&] {
        QZKR_LOG(debugLog, "%s", m_logText);
        return waitInMessageBox(debugLog, false);
    });
    return answer != kAnswerOK;
}

// The cycle of the prompts that run it themselves: the log line comes before
// the raising.
bool QZKRGuiInterface::runPromptCycle(MMDebug& debugLog, bool pendingFlag, bool boxFlag) {
    QZKR_LOG(debugLog, "%s", m_logText);
    const long long answer =
        raiseRunClear(debugLog, pendingFlag, [&] { return waitInMessageBox(debugLog, boxFlag); });
    return answer != kAnswerOK;
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
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);
    event.clear();
    message.clear();
    message.format("%s\nPress OK after the media is imported or CANCEL to abort", text);
    event.copy(text);
    unsigned int errorCode = 0;
    return ShowMessageBox(m_messageText, jobId, errorCode, false) != kAnswerOK;
}

// ---------------------------------------------------------------- media prompts

bool QZKRGuiInterface::DisplayImportMessage(const char* mediaName, const char* identifier,
                                            const char* location, const char* library,
                                            const char* drive, long long jobId,
                                            bool newMediaAllowed, bool driveMediaInUse, MMDebug&) {
    m_jobId = jobId;
    mediaName = orEmpty(mediaName);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    if (newMediaAllowed && driveMediaInUse) {
        message.format(
            "The media in the drive is already in use by Brennith or it could be a cleaning "
            "media. Please eject this media\nThen insert the required media [%s] for JobID [%lld]",
            mediaName, jobId);
        beginEvent(qzkr::kMsgEjectThenInsertMedia) << mediaName << jobId;
    } else {
        message.format("Please insert the required media [%s] for JobID [%lld]", mediaName, jobId);
        beginEvent(qzkr::kMsgInsertRequiredMedia) << mediaName << jobId;
    }
    event.copy(m_messageText);

    if (addOptionalPiece(qzkr::kPieceIdentifier, " with identifier [%s]", identifier)) {
        event.appendText("\n");
    }
    addOptionalPiece(qzkr::kPieceLocation, " from location [%s]", location);
    if (newMediaAllowed) {
        appendPiece(message, event, " OR a new media");
        streamCode(m_jobClient, qzkr::kPieceNewMedia);
    } else {
        streamAbsentPiece(m_jobClient);
    }
    if (library != nullptr) {
        drive = orEmpty(drive);
        appendPiece(message, event, " into the library [%s] drive [%s]", library, drive);
        streamCode(m_jobClient, qzkr::kPieceLibraryAndDrive) << library << drive;
    } else {
        streamAbsentPiece(m_jobClient);
    }

    closeTexts(" and then click OK button to continue.");
    return false;
}

bool QZKRGuiInterface::DisplayWrongMediaInDriveMessage(const char* barcode, const char* location,
                                                       long lastWriteTime, const char* library,
                                                       const char* drive, const char* mediaName,
                                                       long long jobId, MMDebug&) {
    m_jobId = jobId;
    if (library == nullptr) return false;
    drive = orEmpty(drive);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    beginEvent(qzkr::kMsgWrongMediaInDrive) << library << drive << jobId;
    message.format(
        "The Media in the library [%s] drive [%s] for JobID [%lld] is not correct.\n\n"
        "Please insert the media ",
        library, drive, jobId);
    event.copy(m_messageText);

    addOptionalPiece(qzkr::kPieceMediaName, "[%s] ", mediaName);
    if (addOptionalPiece(qzkr::kPieceBarcode, "with barcode [%s] ", barcode)) {
        event.appendText("\n");
    }
    addOptionalPiece(qzkr::kPieceLocation, "from the location [%s] ", location);
    // The time text lives only in this call: the event copies it when streamed.
    char timeText[kTimeTextSize] = "";
    if (lastWriteTime > 0) {
        const long writeTime = lastWriteTime;
        QZ_ctime(&writeTime, timeText, static_cast<int>(sizeof timeText));
        timeText[sizeof timeText - 1] = '\0';
        if (char* lineFeed = std::strstr(timeText, "\n")) *lineFeed = '\0';
    }
    addOptionalPiece(qzkr::kPieceLastWriteTime, "with last write-time=\"%s\" ",
                     lastWriteTime > 0 ? timeText : nullptr);

    closeTexts("and then click OK to continue.");
    return false;
}

bool QZKRGuiInterface::DisplayImportNewMediaMessage(const char* library, const char* drive,
                                                    long long jobId, MMDebug& debugLog,
                                                    bool pendingFlag) {
    m_jobId = jobId;
    if (library == nullptr) return false;
    drive = orEmpty(drive);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    beginEvent(qzkr::kMsgNewMedia) << library << drive << jobId;
    message.format("Please insert a new media into the library [%s] drive [%s] for JobID [%lld]",
                   library, drive, jobId);
    event.copy(m_messageText);
    closeTexts(" and then click OK to continue.");
    return runPromptCycle(debugLog, pendingFlag, false);
}

bool QZKRGuiInterface::DisplayWrongNewMediaMessage(const char* library, const char* drive,
                                                   int errorCode, long long jobId,
                                                   MMDebug& debugLog, bool pendingFlag) {
    m_jobId = jobId;
    MMS2BaseError catalogue;
    char errorText[kTextSize] = "";
    if (errorCode != 0) {
        MMS2BaseError::getErrorStringForCode(errorCode, errorText, static_cast<int>(kTextSize), 0);
        errorText[kTextSize - 1] = '\0';
        TextBuffer(errorText).appendText(orEmpty(catalogue.getAdvise(errorCode)));
    }
    if (library == nullptr) return false;
    drive = orEmpty(drive);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    if (errorText[0] != '\0') {
        event.copy(errorText);
        event.appendText("\n\n");
        beginEvent(qzkr::kMsgMediaErrorActiveOrNew)
            << MMS2BaseError::getEvEventErrorCodeID(errorCode);
    } else {
        event.clear();
        beginEvent(qzkr::kMsgNewMedia);
    }
    m_jobClient << library << drive << jobId;
    event.append(
        "Please insert the active media or a new media into the library [%s] drive [%s] for "
        "JobID [%lld]",
        library, drive, jobId);
    message.copy(m_eventText);
    closeTexts(" and then click OK to continue.");
    return runPromptCycle(debugLog, pendingFlag, false);
}

// ---------------------------------------------------------------- read-error notices

bool QZKRGuiInterface::DisplayCRCErrorMessage(const char* library, const char* drive,
                                              long long jobId, MMDebug& debugLog,
                                              bool pendingFlag) {
    m_jobId = jobId;
    if (library == nullptr) return false;
    drive = orEmpty(drive);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    if (jobId > 0) {
        beginEvent(qzkr::kMsgCrcErrorJob) << jobId << library << drive;
        message.format(
            "A CRC error was encountered when trying to read the tape for\nJobID [%lld] in "
            "Standalone Library [%s] Drive [%s]. This could be due to: \n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections. \n\nPlease take appropriate action and re-run the job",
            jobId, library, drive);
        event.format(
            "A CRC error was encountered when trying to read the tape for \nJobID [%lld] in the "
            "Standalone Library [%s] Drive [%s]. This could be due to:\n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections.\n\nPlease take appropriate action and re-run the job.",
            jobId, library, drive);
    } else {
        // Stamping a medium belongs to no job: the notice reaches the log and
        // the wait, and the cycle posts nothing.
        beginEvent(qzkr::kMsgCrcErrorStamping) << library << drive;
        message.format(
            "Failed to Stamp Media. A CRC error was encountered when trying to read the tape in "
            "Standalone Library [%s] Drive [%s]. This could be due to: \n\n    1. The tape was "
            "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
            "imperfections. \n\nPlease take appropriate action and re-run the operation.",
            library, drive);
        event.format(
            "Failed to Stamp Media. A CRC error was encountered when trying to read the\ntape in "
            "the Standalone Library [%s] Drive [%s]. This could be due to:\n\n    1. The tape "
            "was written with a higher recording format,\n    2. Drive needs cleaning,\n    3. "
            "Media imperfections.\n\nPlease take appropriate action and re-run the operation.",
            library, drive);
    }
    convertNewLines(m_logText, m_eventText);
    runPromptCycle(debugLog, pendingFlag, true);
    return false;
}

bool QZKRGuiInterface::DisplayMediaErrorMessage(int errorCode, const char* library,
                                                const char* drive, long long jobId,
                                                MMDebug& debugLog, bool pendingFlag) {
    m_jobId = jobId;
    if (library == nullptr) return false;
    drive = orEmpty(drive);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    event.clear();
    message.clear();
    if (errorCode == qzkr::kReadErrorBlockSize) {
        message.format(
            "A read error occured for JobID [%lld] for the tape in Library [%s] Drive [%s]. Tape "
            "volume block size encountered is different from Brennith standard.\n\nPlease insert "
            "a new tape or erase the data on this tape and re-run the job.",
            jobId, library, drive);
        event.format(
            "A read error occured for JobID [%lld] for the tape in Library [%s] Drive [%s].\nTape "
            "volume block size encountered is different from Brennith standard.\n\nPlease insert "
            "a new tape or erase the data on this tape and re-run the job.",
            jobId, library, drive);
    }
    if (m_messageText[0] == '\0') return false;  // a read error this notice does not know

    beginEvent(qzkr::kMsgBlockSizeError) << jobId << library << drive;
    convertNewLines(m_logText, m_eventText);
    QZKR_LOG(debugLog, "%s", m_logText);
    // The message box takes the place of the wait.
    raiseRunClear(debugLog, pendingFlag, [&] {
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
    m_jobId = jobId;
    mediaUniqueId = orEmpty(mediaUniqueId);
    library = orEmpty(library);
    drive = orEmpty(drive);
    char volumeText[kVolumeTextSize];
    TextBuffer(volumeText).format("%d", volumeId);
    TextBuffer message(m_messageText);
    TextBuffer event(m_eventText);

    const bool hasPreface = preface != nullptr && preface[0] != '\0';
    if (hasPreface) {
        message.format("%s\n\n", preface);
    } else {
        message.clear();
    }
    event.copy(m_messageText);
    if (hasPreface) {
        beginEvent(qzkr::kMsgIdentifyMediaWithPreface) << static_cast<const char*>(preface);
    } else {
        beginEvent(qzkr::kMsgIdentifyMedia);
    }
    m_jobClient << mediaUniqueId << jobId << library << drive;

    event.append(
        "Please provide the location and identifier for the media\nwith Unique ID [%s] used by "
        "JobID [%lld]\nin Standalone library [%s] drive [%s].\n",
        mediaUniqueId, jobId, library, drive);
    message.append(
        "Media used by JobID [%lld] in standalone library \"%s\" drive \"%s\" has not been "
        "identified. Please enter a media identifier and location to which the media would be "
        "stored.",
        jobId, library, drive);
    convertNewLines(m_logText, m_eventText);
    QZKR_LOG(debugLog, "%s", m_logText);

    // The export dialog takes the place of the wait; its answers are read
    // after the clearing.
    std::optional<MediaExportDlg> dialog;
    const long long result = raiseRunClear(debugLog, pendingFlag, [&] {
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
