#include "Language.h"

#include <filesystem>

#include "StandinConsole.h"
#include "Terminal.h"

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

// Whether a language names English: "en", "en_GB", "C", "POSIX", ...
bool namesEnglish(const std::string& language) {
    return language == "C" || language == "POSIX" ||
           (language.rfind("en", 0) == 0 &&
            (language.size() == 2 || std::string("_.@:").find(language[2]) != std::string::npos));
}

}  // namespace

void chooseConsoleLanguage(const Request& request, std::vector<std::string>& notices) {
    findCatalogues();
    if (!request.lang) return;
    standin::setConsoleLanguage(*request.lang);
    if (standin::consoleLanguage() == "en" && !namesEnglish(*request.lang)) {
        tell(notices, "notice: --lang " + *request.lang +
                          ": no catalogue of the console's texts has that language; the console "
                          "renders in English");
    }
}

}  // namespace alerttool
