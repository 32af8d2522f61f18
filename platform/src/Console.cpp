#include "StandinConsole.h"

#include <langinfo.h>
#include <libintl.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "QZKREventStream.h"
#include "QZKRMessageCodes.h"
#include "StandinText.h"

// gettext keeps what it looked up until this counter of the C library moves
// (the way the gettext manual gives for changing the language at run time).
extern "C" int _nl_msg_cat_cntr;

namespace standin {

namespace {

constexpr char kDomain[] = "korrin-alert";

// One entry of the catalogues' template (po/korrin-alert.pot). Its context
// names the code it renders, as hex() writes it: "<code>"; "<code> in
// <opening>" for a sub-message worded its own way inside that opening;
// "<opening> closing" for an opening's text after its sub-messages.
struct TemplateEntry {
    const char* context;
    const char* key;  // what gettext looks up: the context, \004, the English text
    const char* english() const { return key + std::strlen(context) + 1; }
};
constexpr TemplateEntry kTemplate[] = {
#include "ConsoleTexts.inc"
};

const TemplateEntry* findEntry(const std::string& context) {
    for (const auto& entry : kTemplate) {
        if (context == entry.context) return &entry;
    }
    return nullptr;
}

// The codes the console knows and their values (see ConsoleMessage); their
// texts are the template's.
struct Code {
    int code;
    const char* name;
    const char* values;
};
constexpr Code kCodes[] = {
    {qzkr::kMsgIdentifyMedia, "identify-media", "snss"},
    {qzkr::kMsgIdentifyMediaWithPreface, "identify-media-with-preface", "ssnss"},
    {qzkr::kMsgNewMedia, "new-media", "ssn"},
    {qzkr::kMsgCrcErrorJob, "crc-error-job", "nss"},
    {qzkr::kMsgCrcErrorStamping, "crc-error-stamping", "ss"},
    {qzkr::kMsgBlockSizeError, "block-size-error", "nss"},
    {qzkr::kMsgWrongMediaInDrive, "wrong-media-in-drive", "ssn"},
    {qzkr::kPieceMediaName, "media-name", "s"},
    {qzkr::kPieceBarcode, "barcode", "s"},
    {qzkr::kPieceLocation, "location", "s"},
    {qzkr::kPieceLastWriteTime, "last-write-time", "s"},
    {qzkr::kMsgEmpty, "empty", "s"},
    {qzkr::kMsgEjectThenInsertMedia, "eject-then-insert-media", "sn"},
    {qzkr::kMsgInsertRequiredMedia, "insert-required-media", "sn"},
    {qzkr::kPieceIdentifier, "identifier", "s"},
    {qzkr::kPieceNewMedia, "new-media-allowed", ""},
    {qzkr::kPieceLibraryAndDrive, "library-and-drive", "ss"},
    {qzkr::kMsgMediaErrorActiveOrNew, "media-error-active-or-new", "essn"},
};

std::string valueText(const Argument& value) {
    if (value.tag == qzkr::kTagText) return value.text;
    if (value.bytes.empty()) return {};
    if (value.tag == qzkr::kTagUnsignedLong)
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

// Fills a template's printf directives with the segment's values: %N$...
// takes value N, a directive without a number the next value; a text shows
// as it is, a number in decimal, an error ID as its error's text. "%%" is a
// percent sign; anything else after a '%' stands as it is. The values are
// not read again, so a value that looks like a directive shows as sent.
std::string expand(const char* text, const ConsoleSegment& segment) {
    std::string out;
    std::size_t next = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += *p++;
            continue;
        }
        // %[N$][length]conversion. Digits without '$' would be a width,
        // which no template has: then the '%' stands as it is.
        const char* q = p + 1;
        std::size_t number = 0;
        while (*q >= '0' && *q <= '9') number = number * 10 + static_cast<std::size_t>(*q++ - '0');
        const bool numbered = number > 0 && *q == '$';
        q = numbered ? q + 1 : p + 1;
        q += std::strspn(q, "hlLjzt");
        if (*q == '\0' || std::strchr("sdiu", *q) == nullptr) {
            out += *p;
            continue;
        }
        const std::size_t index = numbered ? number - 1 : next++;
        if (index < segment.values.size()) {
            const Argument& value = segment.values[index];
            out += segment.message->values[index] == 'e' ? mediaError(value) : valueText(value);
        }
        p = q;
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
                ? segment.values.size() >= std::strlen(segment.message->values)
                : arguments[next].tag == qzkr::kTagUnsignedLong) {
            break;
        }
        segment.values.push_back(arguments[next++]);
    }
}

std::string contextOf(int code) { return hex(static_cast<unsigned int>(code)); }

// Where a rendering takes its texts from: the template's English texts, or
// the operator's catalogue, noting each entry it lacks.
class Texts {
public:
    explicit Texts(bool translated) : m_translated(translated) {}

    const char* operator()(const TemplateEntry& entry) {
        if (!m_translated) return entry.english();
        // gettext gives back the key itself when no catalogue holds it.
        const char* text = dgettext(kDomain, entry.key);
        if (text != entry.key) return text;
        bool noted = false;
        for (const auto& context : untranslated) noted = noted || context == entry.context;
        if (!noted) untranslated.emplace_back(entry.context);
        return entry.english();
    }

    std::vector<std::string> untranslated;

private:
    bool m_translated;
};

std::string render(const Record& record, Texts& texts) {
    const auto segments = decodePosting(record);
    if (segments.empty()) return {};
    const std::string opening = contextOf(segments.front().code);
    std::string out;
    for (const auto& segment : segments) {
        if (segment.message == nullptr) {
            out += unknown(segment, &segment == &segments.front());
            continue;
        }
        // A sub-message may read differently inside this opening.
        const std::string context = contextOf(segment.code);
        const TemplateEntry* entry = findEntry(context + " in " + opening);
        out += expand(texts(entry != nullptr ? *entry : *findEntry(context)), segment);
    }
    const TemplateEntry* closing = findEntry(opening + " closing");
    if (segments.front().message != nullptr && closing != nullptr) out += texts(*closing);
    return out;
}

// ---------------------------------------------------------------- languages

std::mutex bindingMutex;
bool bound = false;

void bind(const char* dir) {
    bindtextdomain(kDomain, dir);
    // The catalogues' own encoding, whatever the locale's.
    bind_textdomain_codeset(kDomain, "UTF-8");
    bound = true;
}

void bindOnce() {
    const std::lock_guard<std::mutex> lock(bindingMutex);
    if (!bound) bind(KORRIN_LOCALEDIR);
}

bool isC(const char* locale) {
    return std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0;
}

// gettext translates nothing while the message locale is "C" (as it is
// until a program calls setlocale, and with no locale installed), and
// ignores LANGUAGE there. For the span of a rendering, the calling thread
// gets the environment's message locale when that is installed, else
// C.UTF-8; only that thread's LC_MESSAGES changes, and only for the span.
class MessageLocale {
public:
    MessageLocale() {
        if (!isC(nl_langinfo(_NL_LOCALE_NAME(LC_MESSAGES)))) return;
        m_locale = messagesFrom("");
        if (m_locale != nullptr && isC(nl_langinfo_l(_NL_LOCALE_NAME(LC_MESSAGES), m_locale))) {
            freelocale(m_locale);
            m_locale = nullptr;
        }
        if (m_locale == nullptr) m_locale = messagesFrom("C.UTF-8");
        if (m_locale != nullptr) m_previous = uselocale(m_locale);
    }
    ~MessageLocale() {
        if (m_locale == nullptr) return;
        uselocale(m_previous);
        freelocale(m_locale);
    }
    MessageLocale(const MessageLocale&) = delete;
    MessageLocale& operator=(const MessageLocale&) = delete;

private:
    // The thread's locale with the messages of the named one; null when
    // that is not installed.
    static locale_t messagesFrom(const char* name) {
        locale_t base = duplocale(uselocale(nullptr));
        if (base == nullptr) return nullptr;
        locale_t made = newlocale(LC_MESSAGES_MASK, name, base);
        if (made == nullptr) freelocale(base);
        return made;
    }

    locale_t m_locale = nullptr;
    locale_t m_previous = nullptr;
};

// The Language field of the header of the catalogue gettext chose; "" when
// it chose none.
std::string catalogueLanguage() {
    const std::string header = std::string("\n") + dgettext(kDomain, "");
    if (header == "\n") return {};
    const std::string field = "\nLanguage: ";
    const std::size_t at = header.find(field);
    if (at == std::string::npos) return "unknown";
    const std::size_t from = at + field.size();
    return header.substr(from, header.find('\n', from) - from);
}

}  // namespace

const std::vector<ConsoleMessage>& consoleMessages() {
    static const std::vector<ConsoleMessage> table = [] {
        std::vector<ConsoleMessage> known;
        for (const auto& code : kCodes) {
            // A code without an entry in the template is unknown to the console.
            const TemplateEntry* text = findEntry(contextOf(code.code));
            if (text == nullptr) continue;
            const TemplateEntry* closing = findEntry(contextOf(code.code) + " closing");
            known.push_back({code.code, code.name, code.values, text->english(),
                             closing != nullptr ? closing->english() : ""});
        }
        return known;
    }();
    return table;
}

const ConsoleMessage* consoleMessage(int code) {
    for (const auto& message : consoleMessages()) {
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
        if (arguments[next].tag != qzkr::kTagUnsignedLong) {
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
    Texts english(false);
    return render(record, english);
}

void setConsoleLocaleDir(const std::string& dir) {
    const std::lock_guard<std::mutex> lock(bindingMutex);
    bind(dir.c_str());
}

void setConsoleLanguage(const std::string& language) {
    setenv("LANGUAGE", language.c_str(), 1);
    ++_nl_msg_cat_cntr;
}

std::string consoleLanguage() {
    bindOnce();
    const MessageLocale messages;
    const std::string language = catalogueLanguage();
    return language.empty() ? "en" : language;
}

Translation translatePosting(const Record& record) {
    bindOnce();
    const MessageLocale messages;
    const std::string language = catalogueLanguage();
    Texts texts(!language.empty());
    Translation translation;
    translation.text = render(record, texts);
    translation.language = language.empty() ? "en" : language;
    translation.untranslated = std::move(texts.untranslated);
    return translation;
}

}  // namespace standin
