// What korrin-alert knows of a terminal: whether there is one, its width,
// and the one-line notices on standard error.
#ifndef KORRIN_TOOL_TERMINAL_H
#define KORRIN_TOOL_TERMINAL_H

#include <cstddef>
#include <string>
#include <vector>

namespace alerttool {

// Whether the file descriptor is a terminal.
bool isTerminal(int fd);

// Whether fd is a terminal whose foreground is this process's group: only
// then does Ctrl-C reach the process, and may it read or set the modes.
// Async-signal-safe.
bool inForeground(int fd);

// Columns of the terminal on fd; 80 when it does not say.
std::size_t terminalWidth(int fd);

// Writes "korrin-alert: " and line (controls escaped) on standard error
// and keeps line in notices, for the report.
void tell(std::vector<std::string>& notices, const std::string& line);

}  // namespace alerttool

#endif  // KORRIN_TOOL_TERMINAL_H
