// Dialogs whose answers a test scripts, in place of the console dialogs: the
// alert sources are built against this header for the tests of what a
// confirming or failing dialog leads to. The console dialogs' own header is
// included, its classes renamed, so that the alert sources meet its
// constants (kDialogConfirmed) and not copies of them.
#ifndef KORRIN_SCRIPTED_DIALOGS_H
#define KORRIN_SCRIPTED_DIALOGS_H

#include <cstdio>
#include <stdexcept>
#include <string>

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
    bool fail = false, nullLocation = false;  // nullLocation: getExportLocation() gives null
    std::string location, barcode;

    static DialogScript& current() {
        static DialogScript script;
        return script;
    }
    // What a dialog prints when it answers.
    static std::string given(std::string what, unsigned long jobId, bool option) {
        return what + ": job " + std::to_string(jobId) + " option " + std::to_string(option);
    }
    static long long answer(const std::string& given) {
        std::printf("%s\n", given.c_str());
        if (current().fail) throw std::runtime_error("dialog failed");
        return current().result;
    }
};

struct QZKRMessageBox {
    QZKRMessageBox(const char*, unsigned long jobId, bool, bool option)
        : given(DialogScript::given("message box", jobId, option)) {}
    long long DoModal() { return DialogScript::answer(given); }
    std::string given;
};

struct MediaExportDlg {
    MediaExportDlg(const char* media, const char* volume, const char*, unsigned long jobId,
                   bool option)
        : given(DialogScript::given(std::string("export dialog [") + media + "] [" + volume + "]",
                                    jobId, option)) {}
    long long DoModal() { return DialogScript::answer(given); }
    const char* getExportLocation() const {
        const DialogScript& script = DialogScript::current();
        return script.nullLocation ? nullptr : script.location.c_str();
    }
    const char* getBarcode() const { return DialogScript::current().barcode.c_str(); }
    std::string given;
};

#endif  // KORRIN_SCRIPTED_DIALOGS_H
