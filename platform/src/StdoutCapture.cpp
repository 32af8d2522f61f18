#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "StandinStdout.h"
#include "StandinText.h"

namespace standin {

StdoutCapture::StdoutCapture(Mode mode) {
    std::fflush(stdout);
    int aside = -1;
    if (mode == kKeepLines) {
        m_file = std::tmpfile();
        if (m_file != nullptr) aside = ::fileno(m_file);
    } else {
        aside = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    }
    if (aside >= 0) m_saved = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    const bool sent = m_saved >= 0 && ::dup2(aside, STDOUT_FILENO) >= 0;
    const int error = errno;
    if (mode == kDrop && aside >= 0) ::close(aside);
    if (sent) return;
    if (m_saved >= 0) ::close(m_saved);
    if (m_file != nullptr) std::fclose(m_file);
    throw std::runtime_error("capturing standard output: " + systemText(error));
}

StdoutCapture::~StdoutCapture() {
    giveBack();
    if (m_file != nullptr) std::fclose(m_file);
}

void StdoutCapture::giveBack() {
    if (m_saved < 0) return;
    std::fflush(stdout);
    // Without its standard output back, the process could print nothing.
    while (::dup2(m_saved, STDOUT_FILENO) < 0 && errno == EINTR) {
    }
    ::close(m_saved);
    m_saved = -1;
}

std::vector<std::string> StdoutCapture::finish() {
    giveBack();
    std::vector<std::string> lines;
    if (m_file == nullptr) return lines;
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

}  // namespace standin
