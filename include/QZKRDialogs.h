// The two operator dialogs of a host without a display. DoModal() prints the
// dialog's content as one line on standard output, writes the same content
// to the debug log (EvDebug::DebugJob) and returns 0 at once: no
// confirmation. Neither reads input.
//
// Result of DoModal(): kDialogConfirmed (1) means the operator confirmed and
// the getters hold the answer; anything else means no answer.
//
// The texts are copied at construction; a null text is rejected with
// std::invalid_argument. The objects live on the caller's stack for one
// prompt and are neither copied nor assigned. Not thread-safe per object.
#ifndef QZKR_DIALOGS_H
#define QZKR_DIALOGS_H

#include <stdexcept>
#include <string>

#include "QZKRCast.h"
#include "QZKREventStream.h"
#include "QZKRExport.h"

constexpr long long kDialogConfirmed = 1;

namespace qzkr_dialog_detail {
inline std::string copyText(const char* text, const char* what) {
    if (text == nullptr) {
        throw std::invalid_argument(std::string(what) + ": null text");
    }
    return std::string(text);
}
inline const char* emptyAnswer() {
    static const char kEmpty[] = "";
    return kEmpty;
}
}  // namespace qzkr_dialog_detail

// A plain message to the operator.
class QZKRMessageBox {
public:
    // The two booleans are accepted and not used on this host.
    QZKRMessageBox(const char* text, unsigned long jobId, bool, bool)
        : text(qzkr_dialog_detail::copyText(text, "QZKRMessageBox")), jobId(jobId) {}
    ~QZKRMessageBox() = default;
    QZKRMessageBox(const QZKRMessageBox&) = delete;
    QZKRMessageBox& operator=(const QZKRMessageBox&) = delete;

    // Prints "Job <id>: <text>" and returns 0. May be called more than once.
    QZKR_API long long DoModal();

private:
    std::string text;
    unsigned long jobId;
};

// The request to identify a medium and name the location it is exported to.
class MediaExportDlg {
public:
    // media: the medium's unique ID; volume: its volume number as decimal
    // text; text: the message text. The boolean is accepted and not used.
    MediaExportDlg(const char* media, const char* volume, const char* text, unsigned long jobId,
                   bool)
        : media(qzkr_dialog_detail::copyText(media, "MediaExportDlg media")),
          volume(qzkr_dialog_detail::copyText(volume, "MediaExportDlg volume")),
          text(qzkr_dialog_detail::copyText(text, "MediaExportDlg text")),
          jobId(jobId) {}
    ~MediaExportDlg() = default;
    MediaExportDlg(const MediaExportDlg&) = delete;
    MediaExportDlg& operator=(const MediaExportDlg&) = delete;

    // Prints "Job <id>: <text>, media: [<media>], volume: [<volume>]" and
    // returns 0. May be called more than once.
    QZKR_API long long DoModal();

    // The operator's answers: on this host always "", never null.
    const char* getExportLocation() const { return qzkr_dialog_detail::emptyAnswer(); }
    const char* getBarcode() const { return qzkr_dialog_detail::emptyAnswer(); }

private:
    std::string media;
    std::string volume;
    std::string text;
    unsigned long jobId;
};

#endif  // QZKR_DIALOGS_H
