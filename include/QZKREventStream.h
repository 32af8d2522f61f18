// The four operators that stream event arguments into an EvEvent (the job
// client). Each hands EvEvent::addArgument its tag and data:
//
//   int            tag 5    4 bytes, little-endian
//   long long      tag 9    8 bytes, little-endian, two's complement
//   unsigned long  tag 10   8 bytes, little-endian (message codes)
//   const char*    tag 11   the text itself, not copied, not converted
//
// Numbers travel in a local of the operator, so the event must copy what it
// needs during addArgument. The operators check nothing and return the event,
// so operands chain left to right.
#ifndef QZKR_EVENT_STREAM_H
#define QZKR_EVENT_STREAM_H

#include "EvEvent.h"
#include "QZEndian.h"

namespace qzkr {
enum ArgumentTag : int {
    kTagInt = 5,
    kTagLongLong = 9,
    kTagUnsignedLong = 10,
    kTagText = 11,
};
}  // namespace qzkr

inline EvEvent& EvEvent::operator<<(int value) {
    int local = value;
    littleEndianInt(&local);
    addArgument(&local, qzkr::kTagInt);
    return *this;
}

inline EvEvent& EvEvent::operator<<(long long value) {
    long long local = value;
    littleEndianLongLong(&local);
    addArgument(&local, qzkr::kTagLongLong);
    return *this;
}

inline EvEvent& EvEvent::operator<<(unsigned long value) {
    unsigned long long local = value;
    ulittleEndianLongLong(&local);
    addArgument(&local, qzkr::kTagUnsignedLong);
    return *this;
}

inline EvEvent& EvEvent::operator<<(const char* text) {
    addArgument(text, qzkr::kTagText);
    return *this;
}

#endif  // QZKR_EVENT_STREAM_H
