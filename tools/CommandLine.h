// The command line of korrin-alert: a subcommand from the table of
// Command.h, its options and the global options, in any order after the
// program name.
#ifndef KORRIN_TOOL_COMMAND_LINE_H
#define KORRIN_TOOL_COMMAND_LINE_H

#include <optional>
#include <string>
#include <variant>

#include "Command.h"

namespace alerttool {

// The command line did not ask for a run: help or the version was asked for
// (status 0, text for standard output) or the command line is wrong (status
// 2, one line for standard error naming the option or word at fault, worded
// as Wording.h says).
struct Stop {
    int status = 0;
    std::string out;
    std::optional<std::string> error;
    bool json = false;  // --json was given: the error also goes out as JSON
    // The help that tells the usage at fault: the subcommand's when one was
    // given, "korrin-alert import --help", else "korrin-alert --help".
    std::string help;
};

// Options take their value as the next word or after "=" (--text=--odd); a
// next word that starts with "--" is another option, not a value. Each
// option may be given once.
std::variant<Request, Stop> parseCommandLine(int argc, const char* const* argv);

// The tool's help, and a subcommand's. The manual page's build and the bash
// completion read their layout: a list's title starts a line ("Subcommands:",
// "Global options ...", "Options:", "Exit status:"), each entry is indented
// two spaces, an option's value name in capitals after one space, the text
// after two or more, a wrapped line further in; a blank line ends the list;
// the paragraph after the usage line says what a subcommand does; "Example: "
// starts the line of an example.
std::string toolHelp();
std::string subcommandHelp(const Subcommand& subcommand);

// Reads a whole decimal number of type T from text: an optional minus sign
// and digits, nothing else, within T's range. On failure returns why,
// naming option, e.g. `--volume: "12x" is not a whole number`.
template <typename T>
std::optional<std::string> parseWhole(const std::string& option, const std::string& text, T& value);

}  // namespace alerttool

#endif  // KORRIN_TOOL_COMMAND_LINE_H
