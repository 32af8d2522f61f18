#include "QZKRDialogs.h"

#include <stdexcept>

DialogScript& DialogScript::current() {
    static DialogScript script;
    return script;
}

namespace {
void remember(const char* media, const char* volume, const char* text, unsigned long jobId,
              bool option) {
    DialogScript& script = DialogScript::current();
    ++script.constructed;
    script.media = media;
    script.volume = volume;
    script.text = text;
    script.jobId = jobId;
    script.option = option;
}

long long answer() {
    DialogScript& script = DialogScript::current();
    ++script.modalCalls;
    if (script.throwFromModal) throw std::runtime_error("dialog failed");
    return script.result;
}
}  // namespace

QZKRMessageBox::QZKRMessageBox(const char* text, unsigned long jobId, bool, bool option) {
    remember("", "", text, jobId, option);
}
long long QZKRMessageBox::DoModal() { return answer(); }

MediaExportDlg::MediaExportDlg(const char* media, const char* volume, const char* text,
                               unsigned long jobId, bool option) {
    remember(media, volume, text, jobId, option);
}
long long MediaExportDlg::DoModal() { return answer(); }
const char* MediaExportDlg::getExportLocation() const {
    const DialogScript& script = DialogScript::current();
    return script.nullExportLocation ? nullptr : script.exportLocation.c_str();
}
const char* MediaExportDlg::getBarcode() const { return DialogScript::current().barcode.c_str(); }
