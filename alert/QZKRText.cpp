#include "QZKRText.h"

#include <cstdio>
#include <cstring>

namespace qzkr {

namespace {
bool isContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes a character takes, from its lead byte; 1 for anything that is not a
// multi-byte lead.
std::size_t sequenceLength(unsigned char lead) {
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}
}  // namespace

std::size_t wholeCharacterLength(const char* text, std::size_t floor, std::size_t length) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t lead = length;
    std::size_t continuations = 0;
    while (lead > floor && continuations < 4 && isContinuationByte(bytes[lead - 1])) {
        --lead;
        ++continuations;
    }
    if (lead == floor) return length;  // no lead byte inside the new text: not ours to judge
    --lead;
    const std::size_t needed = sequenceLength(bytes[lead]);
    return (needed > 1 && continuations + 1 < needed) ? lead : length;
}

TextBuffer::TextBuffer(char* buffer, std::size_t size) noexcept : m_data(buffer), m_size(size) {}

bool TextBuffer::format(const char* format, ...) noexcept {
    va_list values;
    va_start(values, format);
    const bool whole = vformat(format, values);
    va_end(values);
    return whole;
}

bool TextBuffer::vformat(const char* format, va_list values) noexcept {
    return writeAt(0, format, values);
}

bool TextBuffer::append(const char* format, ...) noexcept {
    va_list values;
    va_start(values, format);
    const bool whole = vappend(format, values);
    va_end(values);
    return whole;
}

bool TextBuffer::vappend(const char* format, va_list values) noexcept {
    return writeAt(length(), format, values);
}

bool TextBuffer::copy(const char* text) noexcept {
    clear();
    return appendText(text);
}

bool TextBuffer::appendText(const char* text) noexcept {
    return appendBytes(text, std::strlen(text));
}

bool TextBuffer::appendBytes(const char* bytes, std::size_t count) noexcept {
    const std::size_t offset = length();
    const std::size_t room = m_size - 1 - offset;
    if (count <= room) {
        std::memmove(m_data + offset, bytes, count);
        m_data[offset + count] = '\0';
        return true;
    }
    std::memmove(m_data + offset, bytes, room);
    cutAfter(offset);
    return false;
}

void TextBuffer::clear() noexcept { m_data[0] = '\0'; }

void TextBuffer::adoptText() noexcept { m_data[wholeCharacterLength(m_data, 0, length())] = '\0'; }

std::size_t TextBuffer::length() const noexcept {
    const void* nul = std::memchr(m_data, '\0', m_size);
    return nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - m_data)
                          : m_size - 1;
}

bool TextBuffer::writeAt(std::size_t offset, const char* format, va_list values) noexcept {
    const std::size_t room = m_size - offset;  // offset <= m_size - 1, so room >= 1
    const int wanted = std::vsnprintf(m_data + offset, room, format, values);
    if (wanted < 0) {
        m_data[offset] = '\0';
        return false;
    }
    if (static_cast<std::size_t>(wanted) < room) return true;
    cutAfter(offset);
    return false;
}

void TextBuffer::cutAfter(std::size_t offset) noexcept {
    m_data[wholeCharacterLength(m_data, offset, m_size - 1)] = '\0';
}

void convertNewLines(char* dst, const char* src, std::size_t dstSize) noexcept {
    if (dst == nullptr || src == nullptr || dstSize == 0) return;
    TextBuffer line(dst, dstSize);
    line.copy(src);
    const char* const end = dst + line.length();
    for (char* next = dst;
         void* lineFeed = std::memchr(next, '\n', static_cast<std::size_t>(end - next));) {
        next = static_cast<char*>(lineFeed);
        *next++ = ' ';
    }
}

}  // namespace qzkr
