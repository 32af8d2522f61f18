// The operator-alert object of one backup job.
//
// A job worker makes one QZKRGuiInterface per job. The constructor binds the
// object's job client to the job manager on the control server; then each
// prompt operation fills the object's three texts (message text for the box,
// event text, and the log text: the event text on one line), sets the event
// message code and streams the event's arguments into the job client. The
// pop-up cycle raises the message as the job's pending cause and critical
// event (job state 3), waits for the operator, clears it (job state 1) and
// answers.
//
// Answers: operations that report the operator's answer return true when it
// was not OK (cancel, or no confirmation), false when it was OK.
//
// Ownership: the object owns its texts and job client and keeps no pointer to
// the MMDebug it is given; the debug log is passed again to every operation
// that logs. Text arguments are read during the call only; null is accepted
// wherever a text is optional and taken as "" where a text is required.
//
// Thread safety: none. One object serves one thread at a time; separate
// objects may be used from separate threads.
//
// Signals: the wait of the pop-up cycle is one sleep(3) (ShowMessageBox). A
// worker installs handlers for SIGTERM and SIGINT with sigaction that only
// note the signal, and stops after the cycle when one was noted: a caught
// signal ends the wait early, the cycle then answers OK and clears the job,
// whereas under the default action the process dies in the wait with its
// job still pending. examples/job_worker.cpp of the source tree is such a
// worker.
#ifndef QZKR_GUI_INTERFACE_H
#define QZKR_GUI_INTERFACE_H

#include <cstddef>

#include "QZJobClient.h"
#include "QZKRCast.h"
#include "QZKREventStream.h"
#include "QZKRExport.h"
#include "QZKRMessageCodes.h"

class MMDebug;

namespace qzkr {
class Operation;
}  // namespace qzkr

class QZKR_API QZKRGuiInterface {
public:
    // Size in bytes of each of the three texts, terminating NUL included.
    static constexpr std::size_t kTextSize = 2048;
    // Size of the control-server host-name field.
    static constexpr std::size_t kHostNameSize = 1024;
    // Sizes of the caller's buffers written by DisplayIdentifyMediaMessage.
    static constexpr std::size_t kBarcodeSize = 256;
    static constexpr std::size_t kExportLocationSize = 256;

    // Answers of ShowMessageBox: 1 is OK, anything else cancel.
    static constexpr long long kAnswerOK = 1;
    static constexpr long long kAnswerCancel = 0;

    // Reads the control-server host name from the platform settings and, for
    // jobId > 0, binds the job client to the job. The caller is not told
    // whether it bound: a failed binding (the settings name no host, or the
    // job manager refused) writes one line to debugLog; jobId 0 or less binds
    // nothing and writes nothing. An unbound object stays usable: every
    // posting is refused with a debug line (job ID 0 or less: the one that
    // asks for a valid job ID), nothing reaches the job manager, and the
    // cycles still wait and answer. The texts start empty and the event
    // message code 0.
    QZKRGuiInterface(MMDebug& debugLog, long long jobId);
    // Destroys the job client; posts and logs nothing.
    ~QZKRGuiInterface();
    QZKRGuiInterface(const QZKRGuiInterface&) = delete;
    QZKRGuiInterface& operator=(const QZKRGuiInterface&) = delete;

    // The event text of the last prompt. The pointer is the same for the
    // object's whole life; the text changes with the next prompt.
    char* getGumMessage();
    const char* getGumMessage() const;

    const char* getMessageText() const { return m_messageText; }
    const char* getLogText() const { return m_logText; }
    int getEventMessageCode() const { return m_eventMessageCode; }
    long long getJobId() const { return m_jobId; }

    // --- The pop-up cycle -------------------------------------------------

    // clearPending false: posts the prepared message (event message code and
    // the arguments streamed since the last posting) as the job's pending
    // cause and critical event, flags 1 when pendingFlag else 0, and sets job
    // state 3. clearPending true: posts the clearing pending cause naming the
    // event message code, and sets job state 1. Returns false, having logged
    // why, when the job ID is not valid (nothing posted) or the posting was
    // refused; the job state is set after every posting attempt.
    bool displayPopupAndEventMsgInGUI(MMDebug& debugLog, bool pendingFlag, bool clearPending);

    // Raises the prepared message, logs its log text, waits in
    // ShowMessageBox, clears and returns true unless the answer was OK. The
    // first bool is not read. The clearing also runs when an exception
    // passes out of the log or the wait; the exception then goes on.
    // It raises whatever the object holds: after a prompt that prepared
    // nothing (a null library), the texts and code of the last prompt that
    // did, code 0 and empty texts on a fresh object, with the arguments
    // streamed since the last posting (none after a finished cycle).
    bool popupDialogBox(MMDebug& debugLog, bool, bool pendingFlag);

    // --- The message box and the local display ---------------------------

    // Stands in for a message box on a host without a display. The setting
    // nKRMSGBOXOPTION of section Korrin chooses: 2 (also when absent) waits
    // 180 seconds and answers kAnswerOK; 1 answers kAnswerCancel at once;
    // anything else answers kAnswerCancel without a log line. Sets errorCode
    // to 0. Does not read text, jobId, the bool or any field of the object.
    // The wait is one sleep(3): a signal caught by a handler ends it early,
    // still answering kAnswerOK; an ignored signal, or one caught before the
    // sleep began, does not shorten it; a signal whose default action ends
    // the process ends it in the wait. A process-directed signal reaches one
    // thread only, so it ends the wait of that thread alone.
    long long ShowMessageBox(const char* text, long long jobId, unsigned int& errorCode, bool);

    // Puts text (null taken as "") into the message text with an import
    // request, and unchanged into the event text, then waits in
    // ShowMessageBox. Posts, streams and logs nothing and leaves the job ID,
    // log text and event message code alone. True unless answered OK.
    bool DisplayErrorMessageLocally(const char* text, long long jobId);

    // --- Prompts the worker follows with popupDialogBox ------------------

    // Asks for the required medium mediaName. Optional pieces (null: absent):
    // identifier, location, library (with drive). newMediaAllowed adds the
    // new-media piece; with driveMediaInUse as well, the prompt opens by
    // asking to eject the medium in the drive. Always returns false.
    bool DisplayImportMessage(const char* mediaName, const char* identifier, const char* location,
                              const char* library, const char* drive, long long jobId,
                              bool newMediaAllowed, bool driveMediaInUse, MMDebug& debugLog);

    // Reports a wrong medium in library's drive and asks for the right one,
    // described by the optional mediaName, barcode, location and
    // lastWriteTime (> 0: present). A null library prepares nothing: only the
    // job ID is stored, and the popupDialogBox after it raises what the
    // object held before. Always returns false.
    bool DisplayWrongMediaInDriveMessage(const char* barcode, const char* location,
                                         long lastWriteTime, const char* library, const char* drive,
                                         const char* mediaName, long long jobId, MMDebug& debugLog);

    // --- Prompts that run the cycle themselves ----------------------------
    // Each logs its log text, raises, waits (or runs its dialog) and clears.
    // The four in a library's drive do nothing with a null library but store
    // the job ID: nothing is prepared, posted or asked, and their false is no
    // confirmation. Identification takes a null library as "".

    // Asks for a new medium in library's drive. True unless answered OK.
    bool DisplayImportNewMediaMessage(const char* library, const char* drive, long long jobId,
                                      MMDebug& debugLog, bool pendingFlag);

    // Asks for the active or a new medium, with the catalogue's error text and
    // advice for errorCode (0: none) in front. True unless answered OK.
    bool DisplayWrongNewMediaMessage(const char* library, const char* drive, int errorCode,
                                     long long jobId, MMDebug& debugLog, bool pendingFlag);

    // Reports a CRC error reading a job's tape (jobId > 0) or stamping a
    // medium (jobId <= 0; the job manager is then not told). Always false.
    bool DisplayCRCErrorMessage(const char* library, const char* drive, long long jobId,
                                MMDebug& debugLog, bool pendingFlag);

    // Reports read error errorCode; only qzkr::kReadErrorBlockSize is known,
    // shown through a message box instead of the wait. Any other code empties
    // the message and event texts and does nothing else. Always false.
    bool DisplayMediaErrorMessage(int errorCode, const char* library, const char* drive,
                                  long long jobId, MMDebug& debugLog, bool pendingFlag);

    // Asks the operator, through the media export dialog, to identify the
    // medium mediaUniqueId (volume volumeId) and name its export location.
    // preface (null or empty: none) goes in front of both texts; it is only
    // read, and char* only for the ABI's sake, so a string literal may be
    // passed through const_cast<char*> (or a copy in a char array). When the
    // dialog is confirmed, the location is copied into exportLocation (at
    // most kExportLocationSize bytes with the NUL) and, if barcode is empty on
    // entry, the barcode into barcode (kBarcodeSize bytes, zero-filled); a
    // null buffer is never written. Returns false when confirmed, else true.
    bool DisplayIdentifyMediaMessage(char* preface, char* exportLocation, char* barcode,
                                     const char* mediaUniqueId, int volumeId, const char* library,
                                     const char* drive, long long jobId, MMDebug& debugLog,
                                     bool pendingFlag);

private:
    // The steps the operations share (the preamble, the pieces, the end of
    // the texts, the pop-up cycle) live beside them in the library's source.
    friend class qzkr::Operation;

    long long m_jobId;
    char m_messageText[kTextSize];
    char m_eventText[kTextSize];
    char m_logText[kTextSize];
    int m_eventMessageCode;
    QZJobClient m_jobClient;
    char m_hostName[kHostNameSize];
};

#endif  // QZKR_GUI_INTERFACE_H
