// Byte-order conversions of the product's platform library.
//
// Each function puts the value it points at into little-endian byte order in
// place: a no-op on little-endian hosts, a byte reversal on big-endian ones.
// The pointer must not be null. Thread-safe (touches only *value).
#ifndef QZ_ENDIAN_H
#define QZ_ENDIAN_H

void littleEndianInt(int* value);
void littleEndianLongLong(long long* value);
void ulittleEndianLongLong(unsigned long long* value);

#endif  // QZ_ENDIAN_H
