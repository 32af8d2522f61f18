// The job manager's console, as the stand-in plays it: its catalogue of the
// alert library's message codes (QZKRMessageCodes.h) and the rendering of a
// posting as an operator reads it there, in English or in the operator's
// language, from the codes and values alone (platform/README.md).
//
// Thread safety: everything here may be called from several threads at
// once, except setConsoleLanguage.
#ifndef KORRIN_STANDIN_CONSOLE_H
#define KORRIN_STANDIN_CONSOLE_H

#include <string>
#include <vector>

#include "Standin.h"

namespace standin {

// One message of the console's catalogue.
struct ConsoleMessage {
    int code;
    const char* name;  // short name, e.g. "insert-required-media"
    // One letter for each value that follows the code in an event: 's' a
    // text, 'n' a number, 'e' the event error ID of a media-management
    // error, shown as that error's text and advice as the error catalogue
    // (catalogue()) holds them.
    const char* values;
    const char* text;     // the English template
    const char* closing;  // an opening's English text after its sub-messages; "" for most
};

// Every message the console knows: each code of its catalogue that the
// template (po/korrin-alert.pot) has a text for.
const std::vector<ConsoleMessage>& consoleMessages();

// The catalogue's message for code, or null when the console does not know it.
const ConsoleMessage* consoleMessage(int code);

// The name of a code: the catalogue's name, or "unknown" when it has none.
const char* consoleName(int code);

// A posting's event, cut into its messages: the opening first (its code is
// the posting's message code and is not among the arguments), then each
// streamed sub-message. A value that stands where a sub-message code should
// be makes a segment of its own with code 0 and no message.
struct ConsoleSegment {
    int code = 0;
    const ConsoleMessage* message = nullptr;  // null: not in the catalogue
    std::vector<Argument> values;
};

// Raise and Clear records; any other kind gives no segments.
std::vector<ConsoleSegment> decodePosting(const Record& record);

// The posting as the console shows it in English (line feeds included): the
// job manager's own texts, which read exactly as the alert library's log
// text. "" for a record that is not a posting and for the clearing, whose
// message is empty.
std::string renderPosting(const Record& record);

// ---------------------------------------------------------------- languages

// The folder of the translations (<dir>/<language>/LC_MESSAGES/
// korrin-alert.mo). Default: the one the library was installed with
// (<prefix>/share/locale).
void setConsoleLocaleDir(const std::string& dir);

// Chooses the operator's language for the whole process: a language of the
// catalogues ("de"), a list of them in order of preference ("de_AT:de"), or
// "en" (also "C") for English. It sets the environment variable LANGUAGE,
// which takes precedence over the locale variables, and has gettext forget
// what it looked up in the former language.
// Not thread-safe: as with setlocale, call it while no other thread renders
// or reads the environment.
void setConsoleLanguage(const std::string& language);

// The language the operator reads, as gettext chooses it: from LANGUAGE (a
// list, the first with a catalogue), else LC_ALL, LC_MESSAGES or LANG, else
// the process's message locale. Unlike plain gettext, LANGUAGE counts also
// when the message locale is "C" (no setlocale called, or no locale
// installed but C.UTF-8); LC_ALL, LC_MESSAGES and LANG count only for a
// locale installed on the host. Returns the language of the catalogue used
// ("de"), or "en" when there is none for any language named.
std::string consoleLanguage();

// A posting in the operator's language.
struct Translation {
    std::string text;      // as renderPosting gives it, in that language
    std::string language;  // as consoleLanguage gives it
    // The contexts of the entries that language's catalogue lacks, shown in
    // English (a code as hex() writes it, perhaps with " closing" or
    // " in <opening>"). Empty for English.
    std::vector<std::string> untranslated;
};
Translation translatePosting(const Record& record);

}  // namespace standin

#endif  // KORRIN_STANDIN_CONSOLE_H
