#include "EvEvent.h"

#include "Internal.h"
#include "QZKREventStream.h"
#include "StandinText.h"

namespace standin {

long long Argument::number() const {
    const std::size_t width = bytes.size() < 8 ? bytes.size() : 8;
    unsigned long long value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    if (tag == qzkr::kTagInt && width == 4)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<long long>(value);
}

Argument Argument::Text(const std::string& value) {
    Argument argument;
    argument.tag = qzkr::kTagText;
    argument.text = value;
    return argument;
}

bool operator==(const Argument& a, const Argument& b) {
    return a.tag == b.tag && a.bytes == b.bytes && a.text == b.text;
}

std::string describe(const Argument& argument) {
    switch (argument.tag) {
    case qzkr::kTagInt: return "int " + std::to_string(argument.number());
    case qzkr::kTagLongLong: return "ll " + std::to_string(argument.number());
    case qzkr::kTagUnsignedLong:
        return "code " + hex(static_cast<unsigned long long>(argument.number()));
    case qzkr::kTagText: return "text \"" + escapeControls(argument.text, kQuoted) + '"';
    default: return "tag " + std::to_string(argument.tag);
    }
}

}  // namespace standin

EvEvent::EvEvent() : m_state(nullptr) {
    const standin::detail::Inside inside;
    m_state = new EvEventState;
}

EvEvent::~EvEvent() { delete m_state; }

void EvEvent::addArgument(const void* data, int tag) {
    const standin::detail::ContractCall call(standin::Call::AddArgument);
    if (call.failed()) return;
    standin::Argument argument;
    argument.tag = tag;
    const auto* bytes = static_cast<const char*>(data);
    switch (tag) {
    case qzkr::kTagInt:
        if (bytes) argument.bytes.assign(bytes, bytes + 4);
        break;
    case qzkr::kTagLongLong:
    case qzkr::kTagUnsignedLong:
        if (bytes) argument.bytes.assign(bytes, bytes + 8);
        break;
    case qzkr::kTagText:
        if (bytes) argument.text = bytes;
        break;
    default: break;
    }
    standin::detail::noteStreamed(argument);
    m_state->pending.push_back(std::move(argument));
}

void EvEvent::discardArguments() {
    const standin::detail::ContractCall call(standin::Call::DiscardArguments);
    if (call.failed()) return;
    m_state->pending.clear();
}
