#include "Language.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "StandinConsole.h"
#include "Terminal.h"
#include "Wording.h"

namespace alerttool {

namespace {

// The tool keeps its catalogues where an installation puts them, relative
// to its own folder (../share/locale from bin): the build tree mirrors
// that, and a package unpacked anywhere or a prefix of one's own keeps it.
// A tool away from them leaves the stand-in's default, the installed folder.
void findCatalogues() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path tool = fs::read_symlink("/proc/self/exe", error);
    if (error) return;
    const fs::path folder = (tool.parent_path() / KORRIN_LOCALEDIR_FROM_BINDIR).lexically_normal();
    if (fs::is_directory(folder, error)) standin::setConsoleLocaleDir(folder.string());
}

// The names of a list, in order.
std::vector<std::string> names(const std::string& list) {
    std::vector<std::string> all;
    std::istringstream in(list);
    for (std::string name; std::getline(in, name, ':');) all.push_back(name);
    if (list.empty() || list.back() == ':') all.emplace_back();
    return all;
}

// Whether a well-formed name is English: "en", "en_GB", "C", "POSIX.UTF-8".
bool namesEnglish(const std::string& name) {
    const std::string language = name.substr(0, name.find_first_of("_.@"));
    return language == "en" || language == "C" || language == "POSIX";
}

}  // namespace

bool isLanguageList(const std::string& text) {
    static const std::regex name(
        "([a-z]{2,3}(_([A-Z]{2}|[0-9]{3}))?|C|POSIX)(\\.[A-Za-z0-9_-]+)?(@[A-Za-z0-9_-]+)?");
    for (const auto& each : names(text)) {
        if (!std::regex_match(each, name)) return false;
    }
    return true;
}

void chooseConsoleLanguage(const Request& request, std::vector<std::string>& notices) {
    findCatalogues();
    if (!request.lang) return;
    standin::setConsoleLanguage(*request.lang);
    const auto listed = names(*request.lang);
    if (standin::consoleLanguage() == "en" &&
        std::none_of(listed.begin(), listed.end(), namesEnglish)) {
        tell(notices, "notice: --lang " + quoted(*request.lang) +
                          ": no catalogue of the console's texts has that language; the console "
                          "renders in English");
    }
}

}  // namespace alerttool
