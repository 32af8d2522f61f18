#include <chrono>
#include <ctime>

#include "Internal.h"

namespace standin::detail {

std::string isoTime() {
    using namespace std::chrono;
    const long long ms =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(ms % 1000));
    return text;
}

LineFile::~LineFile() {
    if (m_file) std::fclose(m_file);
}

void LineFile::write(const std::string& path, const std::string& line) {
    if (path.empty()) return;
    if (path != m_path) {
        if (m_file) std::fclose(m_file);
        m_path = path;
        m_file = std::fopen(path.c_str(), "a");
    }
    if (!m_file) return;
    std::string whole = line;
    whole += '\n';
    std::fwrite(whole.data(), 1, whole.size(), m_file);
    std::fflush(m_file);
}

}  // namespace standin::detail
