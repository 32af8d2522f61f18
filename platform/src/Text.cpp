#include <cstdio>
#include <cstring>

#include "StandinText.h"

namespace standin {

namespace {

bool continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xc0) == 0x80; }

// A control character's escape; value is the byte, or a C1 character's second byte.
std::string escaped(unsigned char value) {
    switch (value) {
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    case 0x1b: return "\\e";
    default: break;
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", value);
    return text;
}

}  // namespace

std::size_t characterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xf5   ? 1
                               : lead >= 0xf0 ? 4
                               : lead >= 0xe0 ? 3
                               : lead >= 0xc2 ? 2
                                              : 1;
    if (at + length > text.size()) return 1;
    for (std::size_t i = at + 1; i < at + length; ++i) {
        if (!continuation(text[i])) return 1;
    }
    return length;
}

std::string escapeControls(std::string_view text, unsigned flags) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0, length = 1; at < text.size(); at += length) {
        length = characterLength(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        // U+0080 to U+009F: C1 controls, which some terminals obey.
        const bool c1 =
            length == 2 && byte == 0xc2 && static_cast<unsigned char>(text[at + 1]) <= 0x9f;
        const bool stray = length == 1 && byte >= 0x80;
        if (byte == '\n' && (flags & kKeepLineFeeds) != 0) {
            out += '\n';
        } else if ((byte == '"' || byte == '\\') && (flags & kQuoted) != 0) {
            out += '\\';
            out += text[at];
        } else if (c1) {
            out += escaped(static_cast<unsigned char>(text[at + 1]));
        } else if (byte < 0x20 || byte == 0x7f || stray) {
            out += escaped(byte);
        } else {
            out += text.substr(at, length);
        }
    }
    return out;
}

std::string hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llx", value);
    return text;
}

std::string systemText(int error) {
    std::string text = std::strerror(error);
    // Only an ASCII capital: the text may be in another language's letters.
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}  // namespace standin
