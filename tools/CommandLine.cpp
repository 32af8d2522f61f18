#include "CommandLine.h"

#include <charconv>
#include <limits>
#include <map>
#include <vector>

#include <CLI/CLI.hpp>

namespace alerttool {

template <typename T>
std::optional<std::string> parseWhole(const std::string& option, const std::string& text,
                                      T& value) {
    const std::string quoted = option + ": \"" + text + "\"";
    long long number = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes no plus sign and no white space, and neither do we.
    const auto [end, error] = std::from_chars(first, last, number);
    if (error == std::errc::invalid_argument || end != last) {
        return quoted + " is not a whole number";
    }
    if (error == std::errc::result_out_of_range ||
        number < static_cast<long long>(std::numeric_limits<T>::min()) ||
        (number > 0 && static_cast<unsigned long long>(number) >
                           static_cast<unsigned long long>(std::numeric_limits<T>::max()))) {
        return quoted + " is out of range (" + std::to_string(std::numeric_limits<T>::min()) +
               " to " + std::to_string(std::numeric_limits<T>::max()) + ")";
    }
    value = static_cast<T>(number);
    return std::nullopt;
}

template std::optional<std::string> parseWhole(const std::string&, const std::string&, int&);
template std::optional<std::string> parseWhole(const std::string&, const std::string&, long&);
template std::optional<std::string> parseWhole(const std::string&, const std::string&, long long&);

namespace {

constexpr long long kMostAnswerAfter = 86400;  // a day

const std::pair<const char*, std::optional<std::string> Request::*> kTextOptions[] = {
    {"--media", &Request::media},       {"--identifier", &Request::identifier},
    {"--location", &Request::location}, {"--library", &Request::library},
    {"--drive", &Request::drive},       {"--barcode", &Request::barcode},
    {"--preface", &Request::preface},   {"--unique-id", &Request::uniqueId},
    {"--text", &Request::text},
};
const std::pair<const char*, bool Request::*> kFlagOptions[] = {
    {"--new-media-allowed", &Request::newMediaAllowed},
    {"--drive-media-in-use", &Request::driveMediaInUse},
    {"--pending", &Request::pending},
};

// The options of one subcommand, filled in by CLI11 and read back into a
// Request once the command line has been taken apart.
class Subcommand {
public:
    Subcommand(CLI::App& app, const char* name, const char* description, const char* example)
        : m_app(app.add_subcommand(name, description)) {
        m_app->footer(std::string("Example: ") + example + "\n");
        number("--job", "the job ID (signed 64-bit)")->required();
    }

    CLI::Option* add(const char* name, const char* help) {
        return m_app->add_option(name, m_values[name], help);
    }
    CLI::Option* number(const char* name, const char* help) {
        return add(name, help)->type_name("NUMBER");
    }
    void flag(const char* name, const char* help) { m_app->add_flag(name, m_flags[name], help); }
    // A library is always named with its drive.
    void libraryAndDrive(bool required) {
        CLI::Option* library = add("--library", "stand-alone library name");
        CLI::Option* drive = add("--drive", "drive name in that library");
        library->needs(drive);
        if (required) {
            library->required();
            drive->required();
        }
    }

    bool parsed() const { return m_app->parsed(); }
    const std::string& name() const { return m_app->get_name(); }

    std::optional<std::string> text(const std::string& name) const {
        const auto found = m_values.find(name);
        if (found == m_values.end() || m_app->get_option(name)->count() == 0) return std::nullopt;
        return found->second;
    }
    bool flagged(const std::string& name) const {
        const auto found = m_flags.find(name);
        return found != m_flags.end() && found->second;
    }
    // A number option, when given; a wrong one is reported through error.
    template <typename T>
    void readNumber(const std::string& name, T& value, std::optional<std::string>& error) const {
        const auto given = text(name);
        if (!given || error) return;
        error = parseWhole(name, *given, value);
    }

private:
    CLI::App* m_app;
    std::map<std::string, std::string> m_values;
    std::map<std::string, bool> m_flags;
};

}  // namespace

std::variant<Request, Stop> parseCommandLine(int argc, const char* const* argv) {
    CLI::App app(
        "Runs one operation of the Korrin operator-alert library as a job worker would, against "
        "the platform stand-in, and shows the texts, the event, every posting and job state, the "
        "console's rendering and the answer.",
        "korrin-alert");
    app.require_subcommand(1, 1);
    app.fallthrough();
    app.footer(
        "Example: korrin-alert import --job 42 --media LTO-0001 --library L1 --drive D1 "
        "--answer-after 2\n"
        "Exit status: 0 confirmed (the operation returned false), 1 not confirmed, 2 bad usage.\n");
    std::string settings, answerAfter;
    CLI::Option* settingsOption =
        app.add_option(
               "--settings", settings,
               "settings INI file (default: $KORRIN_SETTINGS, else built-in: host quorvane.local, "
               "nKRMSGBOXOPTION 2)")
            ->type_name("FILE");
    bool json = false;
    app.add_flag("--json", json, "print one JSON document instead of text");
    CLI::Option* answerOption =
        app.add_option("--answer-after", answerAfter,
                       "end the message-box wait after SECONDS, as if the operator had answered")
            ->type_name("SECONDS");

    std::vector<std::unique_ptr<Subcommand>> subcommands;
    const auto subcommand = [&](const char* name, const char* description, const char* example) {
        subcommands.push_back(std::make_unique<Subcommand>(app, name, description, example));
        return subcommands.back().get();
    };

    auto* import = subcommand(
        "import", "ask for the required medium (DisplayImportMessage, then popupDialogBox)",
        "korrin-alert import --job 42 --media LTO-0001 --identifier ID-7 --library L1 --drive D1 "
        "--new-media-allowed --answer-after 2");
    import->add("--media", "name of the required medium")->required();
    import->add("--identifier", "identifier of the medium");
    import->add("--location", "location to fetch the medium from");
    import->libraryAndDrive(false);
    import->flag("--new-media-allowed", "a new medium will do instead");
    import->flag("--drive-media-in-use",
                 "with --new-media-allowed: eject the drive's medium first");
    import->flag("--pending", "raise with the pending flag");

    auto* wrongMedia = subcommand(
        "wrong-media",
        "report a wrong medium in the drive (DisplayWrongMediaInDriveMessage, then popupDialogBox)",
        "korrin-alert wrong-media --job 42 --library L1 --drive D1 --media LTO-0001 --barcode "
        "BC0001 --last-write-time 1700000000 --answer-after 2");
    wrongMedia->libraryAndDrive(false);
    wrongMedia->add("--media", "name of the medium to insert");
    wrongMedia->add("--barcode", "barcode of the medium to insert");
    wrongMedia->add("--location", "location to fetch the medium from");
    wrongMedia->number("--last-write-time",
                       "last write time, seconds since 1970 (0 or less: none)");
    wrongMedia->flag("--pending", "raise with the pending flag");

    auto* newMedia = subcommand("new-media", "ask for a new medium (DisplayImportNewMediaMessage)",
                                "korrin-alert new-media --job 42 --library L1 --drive D1 "
                                "--answer-after 2");
    newMedia->libraryAndDrive(false);
    newMedia->flag("--pending", "raise with the pending flag");

    auto* wrongNewMedia = subcommand(
        "wrong-new-media",
        "ask for the active or a new medium, after an error's text (DisplayWrongNewMediaMessage)",
        "korrin-alert wrong-new-media --job 42 --library L1 --drive D1 --error 2017 "
        "--answer-after 2");
    wrongNewMedia->libraryAndDrive(false);
    wrongNewMedia->number("--error", "media-management error code (0: none)");
    wrongNewMedia->flag("--pending", "raise with the pending flag");

    auto* crcError =
        subcommand("crc-error", "report a CRC error reading the tape (DisplayCRCErrorMessage)",
                   "korrin-alert crc-error --job 42 --library L1 --drive D1 --answer-after 2");
    crcError->libraryAndDrive(false);
    crcError->flag("--pending", "raise with the pending flag");

    auto* mediaError =
        subcommand("media-error", "report a read error (DisplayMediaErrorMessage; 763: block size)",
                   "korrin-alert media-error --job 42 --error 763 --library L1 --drive D1");
    mediaError->number("--error", "read-error code; 763 is the one shown")->required();
    mediaError->libraryAndDrive(false);
    mediaError->flag("--pending", "raise with the pending flag");

    auto* identify = subcommand(
        "identify",
        "ask for a medium's identifier and export location (DisplayIdentifyMediaMessage)",
        "korrin-alert identify --job 42 --unique-id UID-9 --volume 3 --library L1 --drive D1");
    identify->add("--unique-id", "unique ID of the medium")->required();
    identify->number("--volume", "volume number of the medium")->required();
    identify->libraryAndDrive(true);
    identify->add("--preface", "text in front of the request");
    identify->add("--barcode", "the barcode buffer's content on entry (default empty)");
    identify->flag("--pending", "raise with the pending flag");

    auto* localError = subcommand(
        "local-error", "show a text locally and wait (DisplayErrorMessageLocally; posts nothing)",
        "korrin-alert local-error --job 42 --text \"Tape LTO-0001 is missing\" --answer-after 2");
    localError->add("--text", "the text to show");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return Stop{0, app.help(), {}};
    } catch (const CLI::CallForAllHelp&) {
        return Stop{0, app.help("", CLI::AppFormatMode::All), {}};
    } catch (const CLI::ParseError& error) {
        // A misspelt subcommand is left over as an extra argument.
        const auto left = app.remaining();
        if (app.get_subcommands().empty() && !left.empty() && left.front().rfind('-', 0) != 0) {
            return Stop{2, {}, "\"" + left.front() + "\" is not a subcommand"};
        }
        return Stop{2, {}, error.what()};
    }

    Request request;
    request.json = json;
    if (settingsOption->count() > 0) request.settings = settings;
    std::optional<std::string> error;
    if (answerOption->count() > 0) {
        long long seconds = 0;
        error = parseWhole("--answer-after", answerAfter, seconds);
        if (!error && (seconds < 0 || seconds > kMostAnswerAfter)) {
            error = "--answer-after: \"" + answerAfter + "\" is out of range (0 to " +
                    std::to_string(kMostAnswerAfter) + ")";
        }
        request.answerAfter = static_cast<unsigned>(seconds);
    }
    for (const auto& chosen : subcommands) {
        if (!chosen->parsed()) continue;
        request.operation = chosen->name();
        chosen->readNumber("--job", request.job, error);
        chosen->readNumber("--last-write-time", request.lastWriteTime, error);
        chosen->readNumber("--volume", request.volume, error);
        chosen->readNumber("--error", request.error, error);
        for (const auto& [name, field] : kTextOptions) request.*field = chosen->text(name);
        for (const auto& [name, field] : kFlagOptions) request.*field = chosen->flagged(name);
    }
    if (error) return Stop{2, {}, *error};
    return request;
}

}  // namespace alerttool
