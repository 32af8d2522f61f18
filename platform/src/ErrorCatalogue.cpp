#include "MMS2BaseError.h"

#include "Internal.h"

using standin::Call;
using standin::CatalogueEntry;

namespace standin {

// The texts are kept as the catalogue ships them: some end with a line feed,
// some with nothing, so a caller that joins error text and advice must not
// assume a separator.
const std::vector<CatalogueEntry>& catalogue() {
    static const std::vector<CatalogueEntry> entries = {
        {0, "", "", 0},
        {2017, "The tape drive reported a hardware error.\n",
         "Check the drive for a fault indication, clean it with a cleaning cartridge and "
         "retry the job. Call service if the error persists.",
         0x1a000811},
        {2021, "The medium in the drive is write-protected",
         "Slide the write-protect tab of the cartridge to the write position or load "
         "another medium.",
         0x1a000815},
        {2035, "The library robot could not move the medium between its slot and the drive.\n",
         "Open the library door, remove any cartridge left in the picker, close the door "
         "and let the library take a new inventory.",
         0x1a000823},
        {2042, "The cleaning cartridge has expired. ",
         "Replace the cleaning cartridge in the library's cleaning slot.", 0x1a00082a},
        {2056, "The medium has reached the end of its rated passes.\n", "", 0x1a000838},
    };
    return entries;
}

}  // namespace standin

namespace {

const CatalogueEntry* find(int code) {
    for (const auto& entry : standin::catalogue())
        if (entry.code == code) return &entry;
    return nullptr;
}

}  // namespace

MMS2BaseError::MMS2BaseError() {
    // Nothing to fail: a Fail plan leaves the catalogue as usual.
    const standin::detail::ContractCall call(Call::ErrorCatalogueCtor);
}

MMS2BaseError::~MMS2BaseError() = default;

int MMS2BaseError::getErrorStringForCode(int code, char* buffer, int bufferSize, int) {
    const standin::detail::ContractCall call(Call::ErrorString);
    const CatalogueEntry* found = call.failed() ? nullptr : find(code);
    return standin::detail::handOver(Call::ErrorString, found ? found->errorText : "", buffer,
                                     bufferSize);
}

const char* MMS2BaseError::getAdvise(int code) {
    const standin::detail::ContractCall call(Call::Advise);
    // A planted advice lives until this thread's next call.
    thread_local std::string planted;
    if (standin::detail::takePlanted(Call::Advise, planted)) return planted.c_str();
    if (call.failed()) return "";
    const CatalogueEntry* found = find(code);
    return found ? found->advice : "";
}

int MMS2BaseError::getEvEventErrorCodeID(int code) {
    const standin::detail::ContractCall call(Call::ErrorId);
    if (call.failed()) return 0;
    const CatalogueEntry* found = find(code);
    return found ? found->eventErrorId : 0;
}
