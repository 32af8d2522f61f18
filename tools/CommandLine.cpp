#include "CommandLine.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>
#include <sstream>

#include "Language.h"
#include "Wording.h"

namespace alerttool {

template <typename T>
std::optional<std::string> parseWhole(const std::string& option, const std::string& text,
                                      T& value) {
    const std::string named = option + ": " + quoted(text);
    long long number = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes no plus sign and no white space, and neither do we.
    const auto [end, error] = std::from_chars(first, last, number);
    if (error == std::errc::invalid_argument || end != last) {
        return named + " is not a whole number";
    }
    if (error == std::errc::result_out_of_range ||
        number < static_cast<long long>(std::numeric_limits<T>::min()) ||
        (number > 0 && static_cast<unsigned long long>(number) >
                           static_cast<unsigned long long>(std::numeric_limits<T>::max()))) {
        return named + " is out of range (" + std::to_string(std::numeric_limits<T>::min()) +
               " to " + std::to_string(std::numeric_limits<T>::max()) + ")";
    }
    value = static_cast<T>(number);
    return std::nullopt;
}

template std::optional<std::string> parseWhole(const std::string&, const std::string&, int&);
template std::optional<std::string> parseWhole(const std::string&, const std::string&, long&);
template std::optional<std::string> parseWhole(const std::string&, const std::string&, long long&);
template std::optional<std::string> parseWhole(const std::string&, const std::string&, unsigned&);

namespace {

const Option* findOption(const std::vector<Option>& options, const std::string& name) {
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const Option& option) { return name == option.name; });
    return found == options.end() ? nullptr : &*found;
}

bool isFlag(const Option& option) { return std::holds_alternative<bool Request::*>(option.field); }

// Whether the option is a text given as "".
bool isEmptyText(const Request& request, const Option& option) {
    const auto* text = std::get_if<std::optional<std::string> Request::*>(&option.field);
    return text != nullptr && (request.**text) && (request.**text)->empty();
}

// Puts value into the request's field; a bad number is the problem returned.
std::optional<std::string> store(Request& request, const Option& option, const std::string& value) {
    return std::visit(
        [&](auto member) -> std::optional<std::string> {
            auto& target = request.*member;
            using Target = std::decay_t<decltype(target)>;
            if constexpr (std::is_same_v<Target, bool>) {
                target = true;
            } else if constexpr (std::is_same_v<Target, std::optional<std::string>>) {
                target = value;
            } else if constexpr (std::is_same_v<Target, std::optional<unsigned>>) {
                unsigned number = 0;
                if (auto error = parseWhole(option.name, value, number)) return error;
                target = number;
            } else {
                return parseWhole(option.name, value, target);
            }
            return std::nullopt;
        },
        option.field);
}

bool anySubcommandTakes(const std::string& name) {
    const auto& all = subcommands();
    return std::any_of(all.begin(), all.end(), [&](const Subcommand& subcommand) {
        return findOption(subcommand.options, name) != nullptr;
    });
}

// What the whole command line asks beyond its single words.
std::optional<std::string> checkTogether(const Request& request, const Subcommand& chosen,
                                         const std::set<std::string>& given) {
    for (const auto& option : chosen.options) {
        if (!option.required) continue;
        if (!given.count(option.name)) {
            return std::string(option.name) + " is required for " + chosen.name;
        }
        if (isEmptyText(request, option)) {
            return std::string(option.name) + " is required for " + chosen.name +
                   ": an empty value counts as missing";
        }
    }
    // The operations read a drive only with its library.
    if (given.count("--drive") && !given.count("--library")) {
        return "--drive needs --library: without a library the operation ignores the drive";
    }
    if (given.count("--library") && !given.count("--drive")) return "--library needs --drive";
    if (chosen.refuses) {
        if (auto refusal = chosen.refuses(request)) return refusal;
    }
    if (request.lang && !isLanguageList(*request.lang)) {
        return "--lang: " + quoted(*request.lang) +
               " is not a language name; gettext takes ll or ll_CC (de, de_AT.UTF-8), C, POSIX "
               "or a list (de_AT:de)";
    }
    if (request.answerAfter && !chosen.has(kWaits)) {
        return std::string("--answer-after: ") + chosen.name +
               " has no wait to end (its console dialog answers at once)";
    }
    return std::nullopt;
}

constexpr std::size_t kHelpWidth = 79;

// Writes the words of text from column used on, wrapped at kHelpWidth under
// column indent, and a line feed.
void wrapped(std::ostream& out, std::size_t used, std::size_t indent, const std::string& text) {
    std::istringstream words(text);
    bool first = true;
    for (std::string word; words >> word; first = false) {
        if (!first && used + 1 + word.size() > kHelpWidth) {
            out << '\n' << std::string(indent, ' ');
            used = indent;
        } else if (!first) {
            out << ' ';
            ++used;
        }
        out << word;
        used += word.size();
    }
    out << '\n';
}

// One entry of a list: the head in a column of the given width, the text
// after it wrapped under itself.
void entry(std::ostream& out, std::string head, std::size_t column, const std::string& text) {
    head.resize(std::max(column, head.size() + 2), ' ');
    out << "  " << head;
    wrapped(out, head.size() + 2, column + 2, text);
}

void listOptions(std::ostream& out, const char* title, const std::vector<Option>& options) {
    std::size_t width = 0;
    const auto head = [](const Option& option) {
        return std::string(option.name) + (*option.valueName ? " " : "") + option.valueName;
    };
    for (const auto& option : options) width = std::max(width, head(option).size() + 2);
    out << title << ":\n";
    for (const auto& option : options) {
        entry(out, head(option), width,
              std::string(option.help) + (option.required ? " (required)" : ""));
    }
}

const char kToolHelp[] = "korrin-alert --help";

}  // namespace

std::string toolHelp() {
    std::ostringstream out;
    out << "Usage: korrin-alert [GLOBAL OPTIONS] SUBCOMMAND [OPTIONS]\n\n"
        << "Runs one operation of the Korrin operator-alert library as a job worker would,\n"
           "against the platform stand-in, and shows the texts, the event, every posting\n"
           "and job state, the console's rendering, the wait and the answer.\n\n"
           "Subcommands:\n";
    for (const auto& subcommand : subcommands()) entry(out, subcommand.name, 18, subcommand.help);
    out << "\nEach subcommand's options: korrin-alert SUBCOMMAND --help\n\n";
    listOptions(out, "Global options (before or after the subcommand)", globalOptions());
    out << "\nEnvironment variables: man korrin-alert, section ENVIRONMENT.\n";
    out << "\nExit status:\n";
    entry(out, "0", 7, "confirmed (the operation returned false)");
    entry(out, "1", 7, "not confirmed (it returned true)");
    entry(out, "2", 7, "bad usage, settings or files; nothing was posted");
    entry(out, "3", 7, "the job client refused a call");
    entry(out, "128+N", 7, "ended by signal N: the wait ended early, the cycle finished");
    out << "\nExample: korrin-alert " << subcommands().front().example << '\n';
    return out.str();
}

std::string subcommandHelp(const Subcommand& subcommand) {
    std::ostringstream out;
    out << "Usage: korrin-alert [GLOBAL OPTIONS] " << subcommand.name << " [OPTIONS]\n\n";
    wrapped(out, 0, 0,
            std::string(subcommand.name) + ": " + subcommand.help + ". Runs " + subcommand.runs +
                (subcommand.has(kWaits) ? "" : "; no message-box wait") + ". " + subcommand.about);
    out << '\n';
    listOptions(out, "Options", subcommand.options);
    out << "\nExample: korrin-alert " << subcommand.example << "\n\n"
        << "The global options and the exit statuses: " << kToolHelp << '\n';
    return out.str();
}

std::variant<Request, Stop> parseCommandLine(int argc, const char* const* argv) {
    Request request;
    const Subcommand* chosen = nullptr;
    std::set<std::string> given;
    std::optional<std::string> problem;  // the first one: the rest may follow from it
    const auto fail = [&](std::string why) {
        if (!problem) problem = std::move(why);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.rfind("--", 0) != 0 && word != "-h") {
            if (chosen) {
                fail(quoted(word) + " is not an option of " + chosen->name);
            } else if (!(chosen = findSubcommand(word))) {
                fail(quoted(word) + " is not a subcommand");
            } else {
                request.subcommand = chosen;
            }
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word == "-h" ? "--help" : word.substr(0, equals);
        const Option* option = findOption(globalOptions(), name);
        if (!option && chosen) option = findOption(chosen->options, name);
        if (!option) {
            fail(chosen                     ? quoted(name) + " is not an option of " + chosen->name
                 : anySubcommandTakes(name) ? name + " goes after the subcommand"
                                            : quoted(name) + " is not an option");
            continue;
        }
        if (!given.insert(name).second) fail(name + " is given twice");
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
            if (isFlag(*option)) fail(name + " takes no value, not " + quoted(value));
        } else if (!isFlag(*option)) {
            if (i + 1 >= argc || std::string(argv[i + 1]).rfind("--", 0) == 0) {
                fail(name + " needs a value");
                continue;
            }
            value = argv[++i];
        }
        if (auto error = store(request, *option, value)) fail(*error);
    }
    if (request.help) return Stop{0, chosen ? subcommandHelp(*chosen) : toolHelp(), {}, false, {}};
    if (request.version) return Stop{0, "korrin-alert " KORRIN_VERSION "\n", {}, false, {}};
    if (!problem && !chosen) problem = "a subcommand is required";
    if (!problem) problem = checkTogether(request, *chosen, given);
    if (problem) {
        return Stop{2,
                    {},
                    problem,
                    request.json,
                    chosen ? "korrin-alert " + std::string(chosen->name) + " --help" : kToolHelp};
    }
    return request;
}

}  // namespace alerttool
