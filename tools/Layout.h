// Text laid out for a terminal's columns. A character is one UTF-8 sequence
// and takes one column; a byte that starts no valid sequence is a character
// of its own, so that no cut or break ever falls inside a sequence.
#ifndef KORRIN_TOOL_LAYOUT_H
#define KORRIN_TOOL_LAYOUT_H

#include <cstddef>
#include <string>
#include <vector>

namespace alerttool {

// The number of characters of text.
std::size_t characters(const std::string& text);

// The first width characters of text (all of it when shorter).
std::string cut(const std::string& text, std::size_t width);

// One line (no line feed) broken at spaces into lines of at most width
// characters (at least 1 is taken); the spaces at a break are dropped, a
// word longer than width is broken inside. Gives at least one line.
std::vector<std::string> wrap(const std::string& line, std::size_t width);

}  // namespace alerttool

#endif  // KORRIN_TOOL_LAYOUT_H
