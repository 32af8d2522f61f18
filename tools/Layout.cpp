#include "Layout.h"

#include <algorithm>

#include "StandinText.h"

namespace alerttool {

namespace {

// Where the character at pos ends.
std::size_t nextCharacter(const std::string& text, std::size_t pos) {
    return pos + standin::characterLength(text, pos);
}

// The byte offset after the first count characters of text.
std::size_t offsetOf(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (; pos < text.size() && count > 0; --count) pos = nextCharacter(text, pos);
    return pos;
}

}  // namespace

std::size_t characters(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos = nextCharacter(text, pos)) ++count;
    return count;
}

std::string cut(const std::string& text, std::size_t width) {
    return text.substr(0, offsetOf(text, width));
}

std::vector<std::string> wrap(const std::string& line, std::size_t width) {
    width = std::max<std::size_t>(width, 1);
    std::vector<std::string> lines;
    std::string current;
    std::size_t used = 0;
    for (std::size_t pos = 0; pos < line.size();) {
        const std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string::npos) break;
        const std::size_t end = std::min(line.find(' ', start), line.size());
        std::string word = line.substr(start, end - start);
        std::size_t length = characters(word);
        const std::size_t spaces = start - pos;
        pos = end;
        if (used + spaces + length <= width) {
            current.append(spaces, ' ').append(word);
            used += spaces + length;
            continue;
        }
        if (used > 0) lines.push_back(std::move(current));
        for (; length > width; length -= width) {
            const std::size_t split = offsetOf(word, width);
            lines.push_back(word.substr(0, split));
            word.erase(0, split);
        }
        current = std::move(word);
        used = length;
    }
    lines.push_back(std::move(current));
    return lines;
}

}  // namespace alerttool
