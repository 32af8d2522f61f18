// The subcommands of korrin-alert, one per operation of the alert object,
// and their options: the one table that the parser, the help and the run
// follow, and through the help the manual page and the bash completion.
#ifndef KORRIN_TOOL_COMMAND_H
#define KORRIN_TOOL_COMMAND_H

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class MMDebug;
class QZKRGuiInterface;

namespace alerttool {

struct Subcommand;

// What to run. An absent text option stays empty (the operation gets null).
struct Request {
    const Subcommand* subcommand = nullptr;  // a row of subcommands(); never null once parsed
    long long job = 0;
    std::optional<std::string> media, identifier, location, library, drive, barcode, preface,
        uniqueId, text;
    bool newMediaAllowed = false;
    bool driveMediaInUse = false;
    bool pending = false;
    long lastWriteTime = 0;
    int volume = 0;
    int error = 0;

    // The global options.
    std::optional<std::string> settings, journal, debugLog;
    std::optional<std::string> lang;  // the console's language
    bool json = false;
    std::optional<unsigned> answerAfter;  // seconds into the wait
    bool help = false;
    bool version = false;
};

// Where an option's value goes: a text, a flag, or a whole number of the
// member's type, read strictly within its range.
using Field =
    std::variant<std::optional<std::string> Request::*, bool Request::*, long long Request::*,
                 long Request::*, int Request::*, std::optional<unsigned> Request::*>;

struct Option {
    const char* name;       // "--media"
    const char* valueName;  // "TEXT", "NUMBER", ...; "" for a flag
    std::string help;
    Field field;
    bool required = false;  // a required text may not be empty either
};

// What a request means to its operation beyond the single options: a line
// naming the option at fault, or nothing.
using Check = std::optional<std::string> (*)(const Request&);

// What an operation gave back to the worker: what it returned (true: not
// confirmed) and, for identify, the worker's buffers afterwards.
struct Returned {
    Returned(bool value = false) : value(value) {}
    Returned(bool value, std::string exportLocation, std::string barcode)
        : value(value), exportLocation(std::move(exportLocation)), barcode(std::move(barcode)) {}

    bool value;
    std::optional<std::string> exportLocation, barcode;
};

// What a subcommand's operation does beyond its texts; combine with |.
enum Traits : unsigned {
    kWaits = 1,         // runs the message-box wait (else a console dialog answers at once)
    kPosts = 2,         // posts to the job manager for a job ID of 1 or more
    kJobZeroMeant = 4,  // a job ID of 0 or less asks for another form, posted nowhere
};

struct Subcommand {
    const char* name;   // "import"
    const char* runs;   // the operations it runs, e.g. "DisplayImportMessage, then popupDialogBox"
    const char* help;   // what it asks the operator, one line
    const char* about;  // what else its help says, whole sentences; "" for nothing
    const char* example;  // the arguments after "korrin-alert "
    std::vector<Option> options;
    unsigned traits;
    // Runs the operation as a worker calls it.
    Returned (*run)(const Request&, QZKRGuiInterface&, MMDebug&);
    // A request the operation would ignore, refused as bad usage; null: none.
    Check refuses = nullptr;
    // What the operation will make of a request it takes, told before the
    // run (without "warning: "); null: nothing.
    Check warns = nullptr;

    bool has(Traits trait) const { return (traits & trait) != 0; }
};

const std::vector<Subcommand>& subcommands();
const Subcommand* findSubcommand(const std::string& name);

// The options taken before or after any subcommand.
const std::vector<Option>& globalOptions();

}  // namespace alerttool

#endif  // KORRIN_TOOL_COMMAND_H
