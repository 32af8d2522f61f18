// Dialogs whose answers a test scripts, in place of the console dialogs: the
// alert sources are built against this header for the tests of what a
// confirming or failing dialog leads to. The console dialogs' own header is
// included, its classes renamed, so that the alert sources meet its
// constants (kDialogConfirmed) and not copies of them.
#ifndef KORRIN_SCRIPTED_DIALOGS_H
#define KORRIN_SCRIPTED_DIALOGS_H

#include <cstdio>
#include <stdexcept>

#define QZKRMessageBox ConsoleMessageBox
#define MediaExportDlg ConsoleMediaExportDlg
#include "../../../include/QZKRDialogs.h"
#undef QZKRMessageBox
#undef MediaExportDlg

// What the next dialogs answer. DoModal prints what the dialog was given
// (but the text, which the console dialogs' cases show) on standard output,
// then throws std::runtime_error when told to fail.
struct DialogScript {
    long long result = 0;
    bool fail = false;
    bool nullLocation = false;  // getExportLocation() gives null
    std::string location, barcode;

    static DialogScript& current() {
        static DialogScript script;
        return script;
    }
    static long long answer(const std::string& given) {
        std::printf("%s\n", given.c_str());
        if (current().fail) throw std::runtime_error("dialog failed");
        return current().result;
    }
};

class QZKRMessageBox {
public:
    QZKRMessageBox(const char*, unsigned long jobId, bool, bool option)
        : m_given("message box: job " + std::to_string(jobId) + " option " +
                  std::to_string(option)) {}
    long long DoModal() { return DialogScript::answer(m_given); }
    std::string m_given;
};

class MediaExportDlg {
public:
    MediaExportDlg(const char* media, const char* volume, const char*, unsigned long jobId,
                   bool option)
        : m_given("export dialog: job " + std::to_string(jobId) + " option " +
                  std::to_string(option) + " media [" + media + "] volume [" + volume + "]") {}
    long long DoModal() { return DialogScript::answer(m_given); }
    const char* getExportLocation() const {
        return DialogScript::current().nullLocation ? nullptr
                                                    : DialogScript::current().location.c_str();
    }
    const char* getBarcode() const { return DialogScript::current().barcode.c_str(); }
    std::string m_given;
};

#endif  // KORRIN_SCRIPTED_DIALOGS_H
