#include "QZEndian.h"

#include "Internal.h"

namespace {

#if !defined(__BYTE_ORDER__)
#error "unknown byte order"
#endif
constexpr bool kBigEndian = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;

}  // namespace

void littleEndianInt(int* value) {
    const standin::detail::ContractCall call(standin::Call::EndianInt);
    if (call.failed()) return;
    if (kBigEndian) *value = static_cast<int>(__builtin_bswap32(static_cast<unsigned int>(*value)));
}

void littleEndianLongLong(long long* value) {
    const standin::detail::ContractCall call(standin::Call::EndianLongLong);
    if (call.failed()) return;
    if (kBigEndian)
        *value = static_cast<long long>(__builtin_bswap64(static_cast<unsigned long long>(*value)));
}

void ulittleEndianLongLong(unsigned long long* value) {
    const standin::detail::ContractCall call(standin::Call::EndianULongLong);
    if (call.failed()) return;
    if (kBigEndian) *value = __builtin_bswap64(*value);
}
