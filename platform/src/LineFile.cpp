#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "Internal.h"

namespace standin::detail {

LineFile::~LineFile() {
    if (m_file) std::fclose(m_file);
}

std::string LineFile::open(const std::string& path) {
    if (path == m_path && (m_file || !m_problem.empty())) return m_problem;
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    m_path = path;
    m_problem.clear();
    if (path.empty()) return m_problem;
    // On a shared host the name may have been planted: a link is refused,
    // and a file made here is the owner's alone.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) m_file = ::fdopen(fd, "a");
    if (m_file) return m_problem;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    m_problem = "cannot open \"" + path +
                "\" for appending: " + (error == ELOOP ? "is a symbolic link" : systemText(error));
    return m_problem;
}

void LineFile::write(const std::string& path, const std::string& line) {
    open(path);
    if (!m_file) return;
    std::string whole = line;
    whole += '\n';
    std::fwrite(whole.data(), 1, whole.size(), m_file);
    std::fflush(m_file);
}

}  // namespace standin::detail
