#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "Internal.h"
#include "StandinText.h"

namespace standin::detail {

void ChosenPath::use(const std::string& path) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_used = path;
}

std::optional<std::string> ChosenPath::get() const {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_used) return m_used;
    }
    const char* value = std::getenv(m_variable);
    if (value == nullptr) return std::nullopt;
    return value;
}

LineFile::~LineFile() {
    if (m_file) std::fclose(m_file);
}

std::optional<std::string> LineFile::open(const std::string& path) {
    if (path == m_path && (m_file || m_problem)) return m_problem;
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    m_path = path;
    m_problem.reset();
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
