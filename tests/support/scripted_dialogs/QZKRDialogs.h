// Test double of the dialogs' header: dialogs whose answers a test scripts.
// The alert sources are built against it, in place of the console dialogs,
// for the tests of what a confirming or failing dialog leads to.
#ifndef QZKR_DIALOGS_H
#define QZKR_DIALOGS_H

#include <string>

#include "QZKRCast.h"
#include "QZKREventStream.h"

constexpr long long kDialogConfirmed = 1;

struct DialogScript {
    long long result = 0;
    bool throwFromModal = false;
    bool nullExportLocation = false;
    std::string exportLocation;
    std::string barcode;

    // What the last dialog was given.
    int constructed = 0;
    int modalCalls = 0;
    std::string media, volume, text;
    unsigned long jobId = 0;
    bool option = false;

    static DialogScript& current();
};

class QZKRMessageBox {
public:
    QZKRMessageBox(const char* text, unsigned long jobId, bool, bool option);
    long long DoModal();
};

class MediaExportDlg {
public:
    MediaExportDlg(const char* media, const char* volume, const char* text, unsigned long jobId,
                   bool option);
    long long DoModal();
    const char* getExportLocation() const;
    const char* getBarcode() const;
};

#endif  // QZKR_DIALOGS_H
