// A libFuzzer target over one family of operations (KORRIN_FUZZ_FAMILY, set
// by the build for each target).
#include <cstddef>
#include <cstdint>

#include "AlertFuzzer.h"

#ifndef KORRIN_FUZZ_FAMILY
#error "KORRIN_FUZZ_FAMILY names the operations this target drives"
#endif

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korrinfuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korrinfuzz::run(data, size, korrinfuzz::KORRIN_FUZZ_FAMILY);
    return 0;
}
