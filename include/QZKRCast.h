// Conversions used to print job IDs.
#ifndef QZKR_CAST_H
#define QZKR_CAST_H

namespace qzcast {

// Returns `value` as a long long. For an unsigned 64-bit value the bits are
// taken over unchanged, with no range check: the largest unsigned long gives -1.
template <typename T>
inline long long lld(T value) {
    return static_cast<long long>(value);
}

}  // namespace qzcast

#endif  // QZKR_CAST_H
