// Dialogs whose answers a test scripts, in place of the console dialogs: the
// alert sources are built against this header for the tests of what a
// confirming or failing dialog leads to. The console dialogs' own header is
// included, its classes renamed, so that the alert sources meet its
// constants (kDialogConfirmed) and not copies of them.
#ifndef KORRIN_SCRIPTED_DIALOGS_H
#define KORRIN_SCRIPTED_DIALOGS_H

#include <string>

#define QZKRMessageBox ConsoleMessageBox
#define MediaExportDlg ConsoleMediaExportDlg
#include "../../../include/QZKRDialogs.h"
#undef QZKRMessageBox
#undef MediaExportDlg

// What the next dialogs answer. DoModal prints what the dialog was given on
// standard output, then throws std::runtime_error when told to fail.
struct DialogScript {
    long long result = 0;
    bool fail = false;
    bool nullLocation = false;  // getExportLocation() gives null
    std::string location, barcode;

    static DialogScript& current();
};

class QZKRMessageBox {
public:
    QZKRMessageBox(const char* text, unsigned long jobId, bool, bool option);
    long long DoModal();

private:
    std::string m_given;
};

class MediaExportDlg {
public:
    MediaExportDlg(const char* media, const char* volume, const char* text, unsigned long jobId,
                   bool option);
    long long DoModal();
    const char* getExportLocation() const;
    const char* getBarcode() const;

private:
    std::string m_given;
};

#endif  // KORRIN_SCRIPTED_DIALOGS_H
