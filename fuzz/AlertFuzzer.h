// The fuzz driver shared by every target: it decodes a run of operations on
// one alert object from the input, performs them against the stand-in and
// aborts as soon as an operation breaks one of its promises.
#ifndef KORRIN_ALERT_FUZZER_H
#define KORRIN_ALERT_FUZZER_H

#include <cstddef>
#include <cstdint>

namespace korrinfuzz {

// The operations a target may draw from, as bits of a set.
enum Operation : unsigned {
    kImport = 1u << 0,      // DisplayImportMessage, usually popped up after
    kWrongMedia = 1u << 1,  // DisplayWrongMediaInDriveMessage, usually popped up after
    kPopup = 1u << 2,       // popupDialogBox on whatever is prepared
    kImportNewMedia = 1u << 3,
    kWrongNewMedia = 1u << 4,
    kCrcError = 1u << 5,
    kMediaError = 1u << 6,
    kIdentify = 1u << 7,
    kLocalError = 1u << 8,  // DisplayErrorMessageLocally
    kMessageBox = 1u << 9,  // ShowMessageBox
};

// The families the targets are built for.
constexpr unsigned kMediaPromptFamily = kImport | kWrongMedia | kPopup;
constexpr unsigned kNewMediaFamily = kImportNewMedia | kWrongNewMedia;
constexpr unsigned kReadErrorFamily = kCrcError | kMediaError;
constexpr unsigned kIdentifyFamily = kIdentify;
constexpr unsigned kLocalFamily = kLocalError | kMessageBox;
constexpr unsigned kEveryOperation = (1u << 10) - 1;

// Once per process: settings files, environment, quiet standard output.
void initialise();

// One input: a fresh alert object and up to a few operations drawn from
// `operations`.
void run(const std::uint8_t* data, std::size_t size, unsigned operations);

}  // namespace korrinfuzz

#endif  // KORRIN_ALERT_FUZZER_H
