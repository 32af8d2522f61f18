#include "Operation.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"

namespace alerttool {

namespace {

const char* orNull(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}

// Sends what is written to standard output into a temporary file until
// finish(), so that the dialogs' lines do not mix with a JSON document.
class StdoutCapture {
public:
    StdoutCapture() : m_file(std::tmpfile()) {
        if (m_file == nullptr) {
            throw std::system_error(errno, std::generic_category(), "capturing standard output");
        }
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        ::dup2(::fileno(m_file), STDOUT_FILENO);
    }
    ~StdoutCapture() { finish(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::vector<std::string> finish() {
        std::vector<std::string> lines;
        if (m_file == nullptr) return lines;
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
        std::rewind(m_file);
        char* line = nullptr;
        std::size_t size = 0;
        for (ssize_t length; (length = ::getline(&line, &size, m_file)) >= 0;) {
            if (length > 0 && line[length - 1] == '\n') --length;
            lines.emplace_back(line, static_cast<std::size_t>(length));
        }
        std::free(line);
        std::fclose(m_file);
        m_file = nullptr;
        return lines;
    }

private:
    std::FILE* m_file;
    int m_saved = -1;
};

// One operation as a worker calls it; returns what the worker is answered.
bool runChosen(const Request& r, QZKRGuiInterface& alert, MMDebug& log, Outcome& outcome) {
    const std::string& operation = r.operation;
    if (operation == "import") {
        alert.DisplayImportMessage(orNull(r.media), orNull(r.identifier), orNull(r.location),
                                   orNull(r.library), orNull(r.drive), r.job, r.newMediaAllowed,
                                   r.driveMediaInUse, log);
        return alert.popupDialogBox(log, false, r.pending);
    }
    if (operation == "wrong-media") {
        alert.DisplayWrongMediaInDriveMessage(orNull(r.barcode), orNull(r.location),
                                              r.lastWriteTime, orNull(r.library), orNull(r.drive),
                                              orNull(r.media), r.job, log);
        return alert.popupDialogBox(log, false, r.pending);
    }
    if (operation == "new-media") {
        return alert.DisplayImportNewMediaMessage(orNull(r.library), orNull(r.drive), r.job, log,
                                                  r.pending);
    }
    if (operation == "wrong-new-media") {
        return alert.DisplayWrongNewMediaMessage(orNull(r.library), orNull(r.drive), r.error, r.job,
                                                 log, r.pending);
    }
    if (operation == "crc-error") {
        return alert.DisplayCRCErrorMessage(orNull(r.library), orNull(r.drive), r.job, log,
                                            r.pending);
    }
    if (operation == "media-error") {
        return alert.DisplayMediaErrorMessage(r.error, orNull(r.library), orNull(r.drive), r.job,
                                              log, r.pending);
    }
    if (operation == "identify") {
        std::string preface = r.preface.value_or("");
        char exportLocation[QZKRGuiInterface::kExportLocationSize] = "";
        char barcode[QZKRGuiInterface::kBarcodeSize] = "";
        r.barcode.value_or("").copy(barcode, sizeof barcode - 1);
        const bool result = alert.DisplayIdentifyMediaMessage(
            r.preface ? preface.data() : nullptr, exportLocation, barcode, orNull(r.uniqueId),
            r.volume, orNull(r.library), orNull(r.drive), r.job, log, r.pending);
        outcome.exportLocation = exportLocation;
        outcome.barcode = barcode;
        return result;
    }
    if (operation == "local-error") return alert.DisplayErrorMessageLocally(orNull(r.text), r.job);
    throw std::logic_error("no such operation: " + operation);
}

}  // namespace

Outcome runOperation(const Request& request, const WaitOptions& wait, bool captureConsole) {
    Outcome outcome;
    standin::Journal::clear();
    MMDebug log;
    QZKRGuiInterface alert(log, request.job);
    {
        std::optional<StdoutCapture> capture;
        if (captureConsole) capture.emplace();
        WaitEnder ender(wait);
        outcome.returned = runChosen(request, alert, log, outcome);
        outcome.answeredEarly = ender.answered();
        if (capture) outcome.console = capture->finish();
    }
    outcome.messageText = alert.getMessageText();
    outcome.eventText = alert.getGumMessage();
    outcome.logText = alert.getLogText();
    outcome.code = alert.getEventMessageCode();
    outcome.records = standin::Journal::records();
    return outcome;
}

}  // namespace alerttool
