// The job manager's console, as the stand-in plays it: its catalogue of the
// operator-alert message codes and the rendering of a posting as an operator
// would read it there.
//
// A posting names an opening message and carries, in its event arguments,
// the opening's values followed by sub-messages: each a code (tag 10) and
// that sub-message's own values. The console renders the opening's text with
// its values, then each sub-message's text with its values, then the
// opening's closing text. Nothing of the alert library's texts is consulted:
// what the console shows comes from the codes and values alone.
//
// Thread safety: everything here only reads constant tables and its
// arguments.
#ifndef KORRIN_STANDIN_CONSOLE_H
#define KORRIN_STANDIN_CONSOLE_H

#include <string>
#include <vector>

#include "Standin.h"

namespace standin {

// One message of the console's catalogue.
//
// Templates: %1 to %9 stand for the message's values in order (texts as
// they are, numbers in decimal); %e1 to %e9 stand for the error text and
// advice of the media-management error whose event error ID is that value,
// as the error catalogue (catalogue()) holds them.
struct ConsoleMessage {
    int code;
    const char* name;     // short name, e.g. "insert-required-media"
    int values;           // how many values follow the code in an event
    const char* text;     // the template
    const char* closing;  // an opening's text after its sub-messages; "" for most
};

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

// The posting as the console shows it (line feeds included); "" for a
// record that is not a posting and for the clearing, whose message is empty.
std::string renderPosting(const Record& record);

}  // namespace standin

#endif  // KORRIN_STANDIN_CONSOLE_H
