// The command line of korrin-alert: one subcommand per operation of the
// alert object, its parameters as long options.
#ifndef KORRIN_TOOL_COMMAND_LINE_H
#define KORRIN_TOOL_COMMAND_LINE_H

#include <optional>
#include <string>
#include <variant>

namespace alerttool {

// What to run. An absent text option stays empty (the operation gets null).
struct Request {
    std::string operation;  // the subcommand: "import", "wrong-media", ...
    long long job = 0;
    std::optional<std::string> media, identifier, location, library, drive, barcode, preface,
        uniqueId, text;
    bool newMediaAllowed = false;
    bool driveMediaInUse = false;
    bool pending = false;
    long lastWriteTime = 0;
    int volume = 0;
    int error = 0;

    std::optional<std::string> settings;  // --settings FILE
    bool json = false;                    // --json
    std::optional<unsigned> answerAfter;  // --answer-after SECONDS
};

// The command line did not ask for a run: help was asked for (status 0,
// text for standard output) or the command line is wrong (status 2, one
// line for standard error).
struct Stop {
    int status = 0;
    std::string out;
    std::string error;
};

std::variant<Request, Stop> parseCommandLine(int argc, const char* const* argv);

// Reads a whole decimal number of type T from text: an optional minus sign
// and digits, nothing else, within T's range. On failure returns why,
// naming option, e.g. `--volume: "12x" is not a whole number`.
template <typename T>
std::optional<std::string> parseWhole(const std::string& option, const std::string& text, T& value);

}  // namespace alerttool

#endif  // KORRIN_TOOL_COMMAND_LINE_H
