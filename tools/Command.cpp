#include "Command.h"

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "QZKRMessageCodes.h"
#include "Standin.h"
#include "Wording.h"

namespace alerttool {

namespace {

using R = Request;

const char* orNull(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}

// The options most subcommands share.
const Option kJob{"--job", "NUMBER", "the job ID (signed 64-bit)", &R::job, true};
const Option kLibrary{"--library", "NAME", "stand-alone library name (with --drive)", &R::library};
const Option kDrive{"--drive", "NAME", "drive name in that library (with --library)", &R::drive};
const Option kPending{"--pending", "", "raise with the pending flag", &R::pending};
// Where the operation prepares, posts and answers nothing without a library.
const Option kRequiredLibrary{"--library", "NAME", "stand-alone library name", &R::library, true};
const Option kRequiredDrive{"--drive", "NAME", "drive name in that library", &R::drive, true};

// Whether the error catalogue has a text for code, which the operation then
// puts in front of its request.
bool catalogueHasText(int code) {
    for (const auto& entry : standin::catalogue()) {
        if (entry.code == code) return *entry.errorText != '\0';
    }
    return false;
}

// "2017, 2021, ...": the codes the error catalogue has a text for.
std::string catalogueCodes() {
    std::string codes;
    for (const auto& entry : standin::catalogue()) {
        if (!catalogueHasText(entry.code)) continue;
        codes += (codes.empty() ? "" : ", ") + std::to_string(entry.code);
    }
    return codes;
}

std::optional<std::string> unknownErrorCode(const R& r) {
    if (r.error == 0 || catalogueHasText(r.error)) return std::nullopt;
    return "--error " + std::to_string(r.error) +
           " has no text in the error catalogue: the operation asks for the active or a new "
           "medium without one and posts the new-media message";
}

std::optional<std::string> unshownReadError(const R& r) {
    if (r.error == qzkr::kReadErrorBlockSize) return std::nullopt;
    return "--error: media-error shows only " + std::to_string(qzkr::kReadErrorBlockSize) +
           " (block size), not " + quoted(std::to_string(r.error)) +
           ": the operation would show and post nothing";
}

Returned runImport(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayImportMessage(orNull(r.media), orNull(r.identifier), orNull(r.location),
                               orNull(r.library), orNull(r.drive), r.job, r.newMediaAllowed,
                               r.driveMediaInUse, log);
    return {alert.popupDialogBox(log, false, r.pending)};
}

Returned runWrongMedia(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayWrongMediaInDriveMessage(orNull(r.barcode), orNull(r.location), r.lastWriteTime,
                                          orNull(r.library), orNull(r.drive), orNull(r.media),
                                          r.job, log);
    return {alert.popupDialogBox(log, false, r.pending)};
}

Returned runNewMedia(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    return {alert.DisplayImportNewMediaMessage(orNull(r.library), orNull(r.drive), r.job, log,
                                               r.pending)};
}

Returned runWrongNewMedia(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    return {alert.DisplayWrongNewMediaMessage(orNull(r.library), orNull(r.drive), r.error, r.job,
                                              log, r.pending)};
}

Returned runCrcError(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    return {
        alert.DisplayCRCErrorMessage(orNull(r.library), orNull(r.drive), r.job, log, r.pending)};
}

Returned runMediaError(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    return {alert.DisplayMediaErrorMessage(r.error, orNull(r.library), orNull(r.drive), r.job, log,
                                           r.pending)};
}

Returned runIdentify(const R& r, QZKRGuiInterface& alert, MMDebug& log) {
    std::string preface = r.preface.value_or("");
    char exportLocation[QZKRGuiInterface::kExportLocationSize] = "";
    char barcode[QZKRGuiInterface::kBarcodeSize] = "";
    r.barcode.value_or("").copy(barcode, sizeof barcode - 1);
    const bool value = alert.DisplayIdentifyMediaMessage(
        r.preface ? preface.data() : nullptr, exportLocation, barcode, orNull(r.uniqueId), r.volume,
        orNull(r.library), orNull(r.drive), r.job, log, r.pending);
    return {value, exportLocation, barcode};
}

Returned runLocalError(const R& r, QZKRGuiInterface& alert, MMDebug&) {
    return {alert.DisplayErrorMessageLocally(orNull(r.text), r.job)};
}

}  // namespace

const std::vector<Subcommand>& subcommands() {
    static const std::vector<Subcommand> table = {
        {"import",
         "DisplayImportMessage, then popupDialogBox",
         "ask for the required medium",
         "",
         "import --job 42 --media LTO-0001 --identifier ID-7 --library L1 --drive D1 "
         "--new-media-allowed --answer-after 2",
         {kJob,
          {"--media", "NAME", "name of the required medium", &R::media, true},
          {"--identifier", "TEXT", "identifier of the medium", &R::identifier},
          {"--location", "TEXT", "location to fetch the medium from", &R::location},
          kLibrary,
          kDrive,
          {"--new-media-allowed", "", "a new medium will do instead", &R::newMediaAllowed},
          {"--drive-media-in-use", "", "with --new-media-allowed: eject the drive's medium first",
           &R::driveMediaInUse},
          kPending},
         kWaits | kPosts,
         runImport},
        {"wrong-media",
         "DisplayWrongMediaInDriveMessage, then popupDialogBox",
         "report a wrong medium in the drive",
         "",
         "wrong-media --job 42 --library L1 --drive D1 --media LTO-0001 --barcode BC0001 "
         "--last-write-time 1700000000 --answer-after 2",
         {kJob,
          kRequiredLibrary,
          kRequiredDrive,
          {"--media", "NAME", "name of the medium to insert", &R::media},
          {"--barcode", "TEXT", "barcode of the medium to insert", &R::barcode},
          {"--location", "TEXT", "location to fetch the medium from", &R::location},
          {"--last-write-time", "NUMBER", "last write time, seconds since 1970 (0 or less: none)",
           &R::lastWriteTime},
          kPending},
         kWaits | kPosts,
         runWrongMedia},
        {"new-media",
         "DisplayImportNewMediaMessage",
         "ask for a new medium",
         "",
         "new-media --job 42 --library L1 --drive D1 --answer-after 2",
         {kJob, kRequiredLibrary, kRequiredDrive, kPending},
         kWaits | kPosts,
         runNewMedia},
        {"wrong-new-media",
         "DisplayWrongNewMediaMessage",
         "ask for the active or a new medium, after an error's text",
         "Without an error text the job manager is sent the new-media message, so its console asks "
         "for a new medium only.",
         "wrong-new-media --job 42 --library L1 --drive D1 --error 2017 --answer-after 2",
         {kJob,
          kRequiredLibrary,
          kRequiredDrive,
          {"--error", "NUMBER",
           "media-management error code whose text leads the message; the catalogue has "
           "texts for " +
               catalogueCodes() + "; 0, the default: none",
           &R::error},
          kPending},
         kWaits | kPosts,
         runWrongNewMedia,
         nullptr,
         unknownErrorCode},
        {"crc-error",
         "DisplayCRCErrorMessage",
         "report a CRC error reading the tape",
         "A job ID of 0 or less asks for the notice of a failed stamping of a medium instead, "
         "which is posted nowhere by design.",
         "crc-error --job 42 --library L1 --drive D1 --answer-after 2",
         {kJob, kRequiredLibrary, kRequiredDrive, kPending},
         kWaits | kPosts | kJobZeroMeant,
         runCrcError},
        {"media-error",
         "DisplayMediaErrorMessage",
         "report a tape block size read error through the console message box",
         "",
         "media-error --job 42 --error 763 --library L1 --drive D1",
         {kJob,
          {"--error", "NUMBER",
           "read-error code: " + std::to_string(qzkr::kReadErrorBlockSize) +
               " (block size), the only one it shows",
           &R::error, true},
          kRequiredLibrary,
          kRequiredDrive,
          kPending},
         kPosts,
         runMediaError,
         unshownReadError},
        {"identify",
         "DisplayIdentifyMediaMessage",
         "ask through the console export dialog for a medium's identifier and location",
         "Its console dialog never confirms, so the exit status is 1. The report shows the export "
         "location and barcode buffers as the operation left them.",
         "identify --job 42 --unique-id UID-9 --volume 3 --library L1 --drive D1",
         {kJob,
          {"--unique-id", "TEXT", "unique ID of the medium", &R::uniqueId, true},
          {"--volume", "NUMBER", "volume number of the medium", &R::volume, true},
          kRequiredLibrary,
          kRequiredDrive,
          {"--preface", "TEXT", "text in front of the request", &R::preface},
          {"--barcode", "TEXT", "the barcode buffer's content on entry (default empty)",
           &R::barcode},
          kPending},
         kPosts,
         runIdentify},
        {"local-error",
         "DisplayErrorMessageLocally",
         "show a text locally and wait (posts nothing)",
         "",
         "local-error --job 42 --text \"Tape LTO-0001 is missing\" --answer-after 2",
         {kJob, {"--text", "TEXT", "the text to show", &R::text}},
         kWaits,
         runLocalError},
    };
    return table;
}

const Subcommand* findSubcommand(const std::string& name) {
    for (const auto& subcommand : subcommands()) {
        if (name == subcommand.name) return &subcommand;
    }
    return nullptr;
}

const std::vector<Option>& globalOptions() {
    static const std::vector<Option> options = {
        {"--settings", "FILE", "settings INI file (default: $KORRIN_SETTINGS, else built-in)",
         &R::settings},
        {"--journal", "FILE", "append every job-client call to FILE as JSON lines", &R::journal},
        {"--debug-log", "FILE", "the debug log file, or \"off\"", &R::debugLog},
        {"--json", "", "print one JSON document instead of text", &R::json},
        {"--lang", "LANGUAGE",
         "the language of the console's rendering: a translation's (de), or en; default: "
         "what the environment says (see LANGUAGE), else English",
         &R::lang},
        {"--answer-after", "SECONDS",
         "end the message-box wait after SECONDS, as if the operator had answered (only "
         "subcommands with a wait)",
         &R::answerAfter},
        {"--help", "", "this help; after a subcommand, that subcommand's (also -h)", &R::help},
        {"--version", "", "the version", &R::version},
    };
    return options;
}

}  // namespace alerttool
