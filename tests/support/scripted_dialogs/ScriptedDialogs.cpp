#include "QZKRDialogs.h"

#include <cstdio>
#include <stdexcept>

DialogScript& DialogScript::current() {
    static DialogScript script;
    return script;
}

namespace {
long long answer(const std::string& given) {
    std::printf("%s\n", given.c_str());
    if (DialogScript::current().fail) throw std::runtime_error("dialog failed");
    return DialogScript::current().result;
}
}  // namespace

QZKRMessageBox::QZKRMessageBox(const char* text, unsigned long jobId, bool, bool option)
    : m_given("message box: job " + std::to_string(jobId) + " option " + std::to_string(option) +
              " [" + text + "]") {}
long long QZKRMessageBox::DoModal() { return answer(m_given); }

MediaExportDlg::MediaExportDlg(const char* media, const char* volume, const char* text,
                               unsigned long jobId, bool option)
    : m_given("export dialog: job " + std::to_string(jobId) + " option " + std::to_string(option) +
              " media [" + media + "] volume [" + volume + "] [" + text + "]") {}
long long MediaExportDlg::DoModal() { return answer(m_given); }
const char* MediaExportDlg::getExportLocation() const {
    return DialogScript::current().nullLocation ? nullptr
                                                : DialogScript::current().location.c_str();
}
const char* MediaExportDlg::getBarcode() const { return DialogScript::current().barcode.c_str(); }
