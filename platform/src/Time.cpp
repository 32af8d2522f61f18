#include "QZTime.h"

#include <ctime>

#include "Internal.h"

char* QZ_ctime(const long* time, char* buffer, int bufferSize) {
    const standin::detail::ContractCall call(standin::Call::Ctime);
    char text[32] = "";  // ctime_r writes at most 26 bytes
    if (!call.failed() && time) {
        const std::time_t seconds = static_cast<std::time_t>(*time);
        if (!ctime_r(&seconds, text)) text[0] = '\0';
    }
    standin::detail::handOver(standin::Call::Ctime, text, buffer, bufferSize);
    return buffer;
}
