// Texts as the stand-in's messages, the tool and the tests show them: one
// way to make control characters visible, to write a code in hex, to step
// through UTF-8 characters and to name a system error. Thread-safe.
#ifndef KORRIN_STANDIN_TEXT_H
#define KORRIN_STANDIN_TEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

// The length of the UTF-8 character that begins at text[at] (at < size):
// 2 to 4 for a whole multi-byte character, else 1.
std::size_t characterLength(std::string_view text, std::size_t at);

// How escapeControls writes a text; combine with |.
enum EscapeFlags : unsigned {
    kKeepLineFeeds = 1,  // a line feed stays itself, for a text shown as lines
    kQuoted = 2,         // " and \ as \" and \\, for a text shown between double quotes
};

// The text with every control character (C0, DEL, and C1 as UTF-8) and
// every byte outside a whole UTF-8 character written as \n, \r, \t, \e or
// \xhh (a C1 character as its second byte), so that no byte of a value can
// break a line, move a terminal's cursor or hide what it is.
std::string escapeControls(std::string_view text, unsigned flags = 0);

// "0x" and at least eight lowercase hex digits: "0x0000002a" for 42.
std::string hex(unsigned long long value);

// The system's text for an errno value as a message gives it after a
// colon: strerror's, its first letter in lower case ("no such file or
// directory").
std::string systemText(int error);

}  // namespace standin

#endif  // KORRIN_STANDIN_TEXT_H
