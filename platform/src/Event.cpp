#include "EvEvent.h"

#include <cstdio>
#include <cstring>

#include "Internal.h"

namespace standin {

namespace {

std::string littleEndianBytes(unsigned long long value, std::size_t width) {
    std::string bytes(width, '\0');
    for (auto& byte : bytes) {
        byte = static_cast<char>(value & 0xffU);
        value >>= 8;
    }
    return bytes;
}

Argument numeric(int tag, unsigned long long value, std::size_t width) {
    Argument argument;
    argument.tag = tag;
    argument.bytes = littleEndianBytes(value, width);
    return argument;
}

}  // namespace

long long Argument::number() const {
    const std::size_t width = bytes.size() < 8 ? bytes.size() : 8;
    unsigned long long value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    if (tag == kTagInt && width == 4)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<long long>(value);
}

Argument Argument::Int(int value) { return numeric(kTagInt, static_cast<unsigned int>(value), 4); }

Argument Argument::LongLong(long long value) {
    return numeric(kTagLongLong, static_cast<unsigned long long>(value), 8);
}

Argument Argument::Code(unsigned long value) { return numeric(kTagCode, value, 8); }

Argument Argument::Text(const std::string& value) {
    Argument argument;
    argument.tag = kTagText;
    argument.text = value;
    return argument;
}

bool operator==(const Argument& a, const Argument& b) {
    return a.tag == b.tag && a.bytes == b.bytes && a.text == b.text;
}

std::string describe(const Argument& argument) {
    char number[64];
    switch (argument.tag) {
    case kTagInt:
        std::snprintf(number, sizeof number, "int %lld", argument.number());
        return number;
    case kTagLongLong:
        std::snprintf(number, sizeof number, "ll %lld", argument.number());
        return number;
    case kTagCode:
        std::snprintf(number, sizeof number, "code 0x%llx",
                      static_cast<unsigned long long>(argument.number()));
        return number;
    case kTagText: {
        std::string out = "text \"";
        for (const char c : argument.text) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (c == '\n') {
                out += "\\n";
            } else if (c == '\r') {
                out += "\\r";
            } else if (c == '\t') {
                out += "\\t";
            } else if (byte < 0x20 || byte == 0x7f) {
                std::snprintf(number, sizeof number, "\\x%02x", byte);
                out += number;
            } else {
                out += c;
            }
        }
        return out + '"';
    }
    default: std::snprintf(number, sizeof number, "tag %d", argument.tag); return number;
    }
}

}  // namespace standin

EvEvent::EvEvent() : m_state(nullptr) {
    const standin::detail::Inside inside;
    m_state = new EvEventState;
}

EvEvent::~EvEvent() { delete m_state; }

void EvEvent::addArgument(const void* data, int tag) {
    const standin::detail::Entry entry(standin::Call::AddArgument);
    if (entry.failed()) return;
    standin::Argument argument;
    argument.tag = tag;
    const auto* bytes = static_cast<const char*>(data);
    switch (tag) {
    case standin::kTagInt:
        if (bytes) argument.bytes.assign(bytes, bytes + 4);
        break;
    case standin::kTagLongLong:
    case standin::kTagCode:
        if (bytes) argument.bytes.assign(bytes, bytes + 8);
        break;
    case standin::kTagText:
        if (data) argument.text = static_cast<const char*>(data);
        break;
    default: break;
    }
    standin::detail::noteStreamed(argument);
    // A posting takes about a dozen; one allocation serves them.
    if (m_state->pending.empty()) m_state->pending.reserve(16);
    m_state->pending.push_back(std::move(argument));
}

void EvEvent::discardArguments() {
    const standin::detail::Entry entry(standin::Call::DiscardArguments);
    if (entry.failed()) return;
    m_state->pending.clear();
}
