#include "StandinConsole.h"

#include <cstdio>

namespace standin {

namespace {

// The clearing posts this code; it also stands for an absent sub-message.
constexpr int kEmptyMessage = 0x19000025;

// The console's own wording: the product's texts, with the alert's values
// where the alert library formats them.
const std::vector<ConsoleMessage>& messages() {
    static const std::vector<ConsoleMessage> table = {
        {0x19000019, "identify-media", 4,
         "Please provide the location and identifier for the media\nwith Unique ID [%1] used by "
         "JobID [%2]\nin Standalone library [%3] drive [%4].\n",
         ""},
        {0x1900001a, "identify-media-with-preface", 5,
         "%1\n\nPlease provide the location and identifier for the media\nwith Unique ID [%2] "
         "used by JobID [%3]\nin Standalone library [%4] drive [%5].\n",
         ""},
        {0x1900001b, "new-media", 3,
         "Please insert a new media into the library [%1] drive [%2] for JobID [%3].", ""},
        {0x1900001d, "crc-error-job", 3,
         "A CRC error was encountered when trying to read the tape for \nJobID [%1] in the "
         "Standalone Library [%2] Drive [%3]. This could be due to:\n\n    1. The tape was "
         "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
         "imperfections.\n\nPlease take appropriate action and re-run the job.",
         ""},
        {0x1900001e, "crc-error-stamping", 2,
         "Failed to Stamp Media. A CRC error was encountered when trying to read the\ntape in the "
         "Standalone Library [%1] Drive [%2]. This could be due to:\n\n    1. The tape was "
         "written with a higher recording format,\n    2. Drive needs cleaning,\n    3. Media "
         "imperfections.\n\nPlease take appropriate action and re-run the operation.",
         ""},
        {0x1900001f, "block-size-error", 3,
         "A read error occured for JobID [%1] for the tape in Library [%2] Drive [%3].\nTape "
         "volume block size encountered is different from Brennith standard.\n\nPlease insert a "
         "new tape or erase the data on this tape and re-run the job.",
         ""},
        {0x19000020, "wrong-media-in-drive", 3,
         "The Media in the library [%1] drive [%2] for JobID [%3] is not correct.\n\nPlease "
         "insert the media ",
         "."},
        {0x19000021, "media-name", 1, "[%1] ", ""},
        {0x19000022, "barcode", 1, "with barcode [%1] \n", ""},
        {0x19000023, "location", 1, " from location [%1]", ""},
        {0x19000024, "last-write-time", 1, "with last write-time=\"%1\" ", ""},
        {kEmptyMessage, "empty", 1, "", ""},
        {0x19000026, "eject-then-insert-media", 2,
         "The media in the drive is already in use by Brennith or it could be a cleaning media. "
         "Please eject this media\nThen insert the required media [%1] for JobID [%2]",
         "."},
        {0x19000027, "insert-required-media", 2,
         "Please insert the required media [%1] for JobID [%2]", "."},
        {0x19000028, "identifier", 1, " with identifier [%1]\n", ""},
        {0x19000029, "new-media-allowed", 0, " OR a new media", ""},
        {0x1900002a, "library-and-drive", 2, " into the library [%1] drive [%2]", ""},
        {0x1900002f, "media-error-active-or-new", 4,
         "%e1\n\nPlease insert the active media or a new media into the library [%2] drive [%3] "
         "for JobID [%4].",
         ""},
    };
    return table;
}

// A sub-message that reads differently inside one opening: the wrong-media
// prompt words its location its own way.
struct Variant {
    int opening;
    int code;
    const char* text;
};
constexpr Variant kVariants[] = {
    {0x19000020, 0x19000023, "from the location [%1] "},
};

const char* textWithin(int opening, const ConsoleMessage& message) {
    for (const auto& variant : kVariants) {
        if (variant.opening == opening && variant.code == message.code) return variant.text;
    }
    return message.text;
}

std::string hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llx", value);
    return text;
}

std::string valueText(const Argument& value) {
    if (value.tag == kTagText) return value.text;
    if (value.bytes.empty()) return {};
    if (value.tag == kTagCode)
        return std::to_string(static_cast<unsigned long long>(value.number()));
    return std::to_string(value.number());
}

std::string mediaError(const Argument& value) {
    const long long id = value.number();
    for (const auto& entry : catalogue()) {
        if (entry.eventErrorId == id && entry.errorText[0] != '\0') {
            return std::string(entry.errorText) + entry.advice;
        }
    }
    return "[media-management error " + hex(static_cast<unsigned long long>(id)) + "]";
}

std::string expand(const char* text, const std::vector<Argument>& values) {
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        const bool error = p[0] == '%' && p[1] == 'e' && p[2] >= '1' && p[2] <= '9';
        const bool plain = p[0] == '%' && p[1] >= '1' && p[1] <= '9';
        if (!error && !plain) {
            out += *p;
            continue;
        }
        const char digit = error ? p[2] : p[1];
        const auto index = static_cast<std::size_t>(digit - '1');
        if (index < values.size())
            out += error ? mediaError(values[index]) : valueText(values[index]);
        p += error ? 2 : 1;
    }
    return out;
}

// A message the console does not know still shows its code and values; a
// stray value shows alone.
std::string unknown(const ConsoleSegment& segment, bool opening) {
    std::string values;
    for (const auto& value : segment.values)
        values += (values.empty() ? "" : ", ") + describe(value);
    if (segment.code == 0 && !opening) return "[" + values + "]";
    const std::string code = hex(static_cast<unsigned int>(segment.code));
    return "[" + code + (values.empty() ? "" : ": " + values) + "]";
}

// A message the console does not know takes every value up to the next code.
void takeValues(ConsoleSegment& segment, const std::vector<Argument>& arguments,
                std::size_t& next) {
    while (next < arguments.size()) {
        if (segment.message != nullptr
                ? segment.values.size() >= static_cast<std::size_t>(segment.message->values)
                : arguments[next].tag == kTagCode) {
            break;
        }
        segment.values.push_back(arguments[next++]);
    }
}

}  // namespace

const ConsoleMessage* consoleMessage(int code) {
    for (const auto& message : messages()) {
        if (message.code == code) return &message;
    }
    return nullptr;
}

const char* consoleName(int code) {
    const ConsoleMessage* message = consoleMessage(code);
    return message != nullptr ? message->name : "unknown";
}

std::vector<ConsoleSegment> decodePosting(const Record& record) {
    std::vector<ConsoleSegment> segments;
    if (record.kind != Record::Kind::Raise && record.kind != Record::Kind::Clear) return segments;
    if (record.params.empty()) return segments;
    const auto& arguments = record.arguments;
    std::size_t next = 0;

    ConsoleSegment opening;
    opening.code = static_cast<int>(record.params.front());
    opening.message = consoleMessage(opening.code);
    takeValues(opening, arguments, next);
    segments.push_back(std::move(opening));

    while (next < arguments.size()) {
        ConsoleSegment segment;
        if (arguments[next].tag != kTagCode) {
            segment.values.push_back(arguments[next++]);
            segments.push_back(std::move(segment));
            continue;
        }
        segment.code = static_cast<int>(arguments[next++].number());
        segment.message = consoleMessage(segment.code);
        takeValues(segment, arguments, next);
        segments.push_back(std::move(segment));
    }
    return segments;
}

std::string renderPosting(const Record& record) {
    const auto segments = decodePosting(record);
    if (segments.empty()) return {};
    const int opening = segments.front().code;
    std::string out;
    for (const auto& segment : segments) {
        out += segment.message != nullptr
                   ? expand(textWithin(opening, *segment.message), segment.values)
                   : unknown(segment, &segment == &segments.front());
    }
    if (segments.front().message != nullptr) out += segments.front().message->closing;
    return out;
}

}  // namespace standin
