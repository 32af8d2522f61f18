#include "Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace alerttool {

bool isTerminal(int fd) { return ::isatty(fd) != 0; }

bool inForeground(int fd) {
    const pid_t group = ::tcgetpgrp(fd);
    return group != -1 && group == ::getpgrp();
}

std::string escapeControls(const std::string& text, bool keepLineFeeds) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // U+0080 to U+009F: C1 controls, which some terminals obey.
        const bool c1 = byte == 0xc2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9f;
        if ((byte == '\n' && keepLineFeeds) || (byte >= 0x20 && byte != 0x7f && !c1)) {
            out += text[i];
            continue;
        }
        switch (byte) {
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        case 0x1b: out += "\\e"; continue;
        default: break;
        }
        const unsigned value = c1 ? static_cast<unsigned char>(text[++i]) : byte;
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", value);
        out += hex;
    }
    return out;
}

std::size_t terminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void tell(std::vector<std::string>& notices, const std::string& line) {
    std::fprintf(stderr, "korrin-alert: %s\n", escapeControls(line, false).c_str());
    std::fflush(stderr);
    notices.push_back(line);
}

}  // namespace alerttool
