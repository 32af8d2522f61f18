// The language the tool shows the console's rendering in, and where it
// finds the catalogues.
#ifndef KORRIN_TOOL_LANGUAGE_H
#define KORRIN_TOOL_LANGUAGE_H

#include <string>
#include <vector>

#include "Command.h"

namespace alerttool {

// Whether text names languages as gettext reads LANGUAGE: one or more
// names separated by ':', each ll or lll, optionally _CC (or _NNN), .codeset
// and @modifier (de, de_AT, de_AT.UTF-8, sr@latin), or C or POSIX. Names a
// catalogue may lack count: whether one has them is for the stand-in.
bool isLanguageList(const std::string& text);

// Points the stand-in at the catalogues beside the tool, then sets the
// language --lang names; tells (see tell()) when no catalogue has it, so the
// console renders in English. Call it before anything renders.
void chooseConsoleLanguage(const Request& request, std::vector<std::string>& notices);

}  // namespace alerttool

#endif  // KORRIN_TOOL_LANGUAGE_H
