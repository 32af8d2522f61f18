// Bounded text writing: the only way the alert library writes text into its
// fixed buffers.
//
// A TextBuffer is a view of a caller-owned char array. format() replaces
// its content and append() adds to it; both take printf formats. A write
// never goes past the array, always leaves a NUL, and when the text must be
// cut it is cut back to the last whole UTF-8 character, so valid UTF-8 in
// gives valid UTF-8 out. The array must hold a NUL somewhere before append()
// (a buffer that holds none is taken as full).
//
// Banned elsewhere in the library: strcpy, strcat, strncpy, strncat,
// sprintf, vsprintf, snprintf, vsnprintf (see QZKRBanned.h).
#ifndef QZKR_TEXT_H
#define QZKR_TEXT_H

#include <cstdarg>
#include <cstddef>

namespace qzkr {

class TextBuffer {
public:
    template <std::size_t N>
    explicit TextBuffer(char (&buffer)[N]) noexcept : TextBuffer(buffer, N) {}
    // size >= 1; buffer not null.
    TextBuffer(char* buffer, std::size_t size) noexcept;

    // Replaces the content. Returns false when the text was cut (or the
    // format failed, which leaves the buffer empty).
    bool format(const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));
    // Appends at the current end. Returns false when the text was cut.
    bool append(const char* format, ...) noexcept __attribute__((format(printf, 2, 3)));
    bool vformat(const char* format, va_list values) noexcept __attribute__((format(printf, 2, 0)));
    bool vappend(const char* format, va_list values) noexcept __attribute__((format(printf, 2, 0)));
    // Replaces the content with text / appends text, copied as it is (no
    // format), cut like any other write.
    bool copy(const char* text) noexcept;
    bool appendText(const char* text) noexcept;
    bool appendBytes(const char* bytes, std::size_t count) noexcept;
    void clear() noexcept;

    // Takes over a text that another writer (the platform) put straight into
    // the array: ends it within the array and cuts it back to its last whole
    // UTF-8 character, as if this buffer had written it.
    void adoptText() noexcept;

    const char* data() const noexcept { return m_data; }

    std::size_t length() const noexcept;

private:
    bool writeAt(std::size_t offset, const char* format, va_list values) noexcept
        __attribute__((format(printf, 3, 0)));
    // Ends a write that did not fit: the buffer is full up to its last byte.
    void cutAfter(std::size_t offset) noexcept;

    char* m_data;
    std::size_t m_size;
};

// Where a text of `length` bytes, cut from valid UTF-8, must end so that it
// does not end in half a character; never before `floor`.
std::size_t wholeCharacterLength(const char* text, std::size_t floor, std::size_t length) noexcept;

// Copies src into dst (dstSize bytes, cut like a TextBuffer write), turning
// each line feed into a space; every other byte, carriage return included, is
// copied unchanged. Makes the log text from the event text. A null dst or src
// writes nothing.
void convertNewLines(char* dst, const char* src, std::size_t dstSize) noexcept;
template <std::size_t N>
void convertNewLines(char (&dst)[N], const char* src) noexcept {
    convertNewLines(dst, src, N);
}

}  // namespace qzkr

#endif  // QZKR_TEXT_H
