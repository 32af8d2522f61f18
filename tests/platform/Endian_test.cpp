#include "QZEndian.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

using Bytes = std::vector<unsigned char>;

template <typename T>
Bytes bytesOf(T value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

// Whatever the host, the converted value lies in memory least significant byte first.
TEST(Endian, LeavesValuesInLittleEndianByteOrder) {
    int small = 0x19000025;
    long long negative = -2;
    unsigned long long code = 0x0102030419000025ULL;
    littleEndianInt(&small);
    littleEndianLongLong(&negative);
    ulittleEndianLongLong(&code);
    EXPECT_EQ(bytesOf(small), (Bytes{0x25, 0x00, 0x00, 0x19}));
    EXPECT_EQ(bytesOf(negative), (Bytes{0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(bytesOf(code), (Bytes{0x25, 0x00, 0x00, 0x19, 0x04, 0x03, 0x02, 0x01}));
}
