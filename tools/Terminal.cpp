#include "Terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "StandinText.h"

namespace alerttool {

bool isTerminal(int fd) { return ::isatty(fd) != 0; }

bool inForeground(int fd) {
    const pid_t group = ::tcgetpgrp(fd);
    return group != -1 && group == ::getpgrp();
}

std::size_t terminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void tell(std::vector<std::string>& notices, const std::string& line) {
    std::fprintf(stderr, "korrin-alert: %s\n", standin::escapeControls(line).c_str());
    std::fflush(stderr);
    notices.push_back(line);
}

}  // namespace alerttool
