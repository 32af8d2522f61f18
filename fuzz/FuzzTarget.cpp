// A libFuzzer target over one family of operations (KORRIN_FUZZ_FAMILY, set
// by the build for each target).
#include <cstddef>
#include <cstdint>

#include "AlertFuzzer.h"

#ifndef KORRIN_FUZZ_FAMILY
#error "KORRIN_FUZZ_FAMILY names the operations this target drives"
#endif

// AddressSanitizer sized for many short runs: a run allocates a few dozen
// blocks of at most a few KiB and frees them before the next begins, so a
// 16 MiB quarantine still outlasts every run (a use after free within a run is
// caught as before), where the default 256 MiB keeps touching fresh pages; and
// eight frames of the stack of each allocation, not thirty, reach past the
// stand-in into the library. ASAN_OPTIONS still overrides both.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:malloc_context_size=8";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korrinfuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korrinfuzz::run(data, size, korrinfuzz::KORRIN_FUZZ_FAMILY);
    return 0;
}
