// How korrin-alert's messages name things, so that every one reads alike:
// the tool's own words bare (options, subcommands, setting keys: --media,
// import, sQNHOSTNAME), and what the user gave in double quotes when
// the message is about it: a word or option the tool does not know, a value
// it refuses, a file ("--colour", "forty-two", "/etc/korrin.ini"). A number
// the tool took is shown as a number (job 0). The system's text follows a
// colon as standin::systemText gives it ("no such file or directory").
#ifndef KORRIN_TOOL_WORDING_H
#define KORRIN_TOOL_WORDING_H

#include <string>

namespace alerttool {

inline std::string quoted(const std::string& given) { return '"' + given + '"'; }

}  // namespace alerttool

#endif  // KORRIN_TOOL_WORDING_H
