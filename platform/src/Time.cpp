#include "QZTime.h"

#include <cstring>
#include <ctime>

#include "Internal.h"

char* QZ_ctime(const long* time, char* buffer, int bufferSize) {
    const bool failed = standin::detail::enter(standin::Call::Ctime);
    if (!buffer || bufferSize <= 0) return buffer;
    buffer[0] = '\0';
    if (failed || !time) return buffer;
    const std::time_t seconds = static_cast<std::time_t>(*time);
    char text[32];  // ctime_r writes at most 26 bytes
    if (!ctime_r(&seconds, text)) return buffer;
    const std::size_t room = static_cast<std::size_t>(bufferSize) - 1;
    std::size_t length = strnlen(text, sizeof text - 1);
    if (length > room) length = room;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return buffer;
}
