// The job manager's message codes that the alert library posts and streams.
//
// An opening code is stored in the alert object and passed to the posting
// call; a piece code is streamed (as unsigned long) followed by the values of
// that piece's placeholders. kMsgEmpty followed by "" stands for an absent
// piece and is also the pending cause that clears a posted one.
#ifndef QZKR_MESSAGE_CODES_H
#define QZKR_MESSAGE_CODES_H

namespace qzkr {

constexpr int kMsgIdentifyMedia = 0x19000019;             // unique ID, job, library, drive
constexpr int kMsgIdentifyMediaWithPreface = 0x1900001a;  // preface, then as above
constexpr int kMsgNewMedia = 0x1900001b;                  // library, drive, job
constexpr int kMsgCrcErrorJob = 0x1900001d;               // job, library, drive
constexpr int kMsgCrcErrorStamping = 0x1900001e;          // library, drive
constexpr int kMsgBlockSizeError = 0x1900001f;            // job, library, drive
constexpr int kMsgWrongMediaInDrive = 0x19000020;         // library, drive, job
constexpr int kPieceMediaName = 0x19000021;               // media name
constexpr int kPieceBarcode = 0x19000022;                 // barcode
constexpr int kPieceLocation = 0x19000023;                // location
constexpr int kPieceLastWriteTime = 0x19000024;           // time text
constexpr int kMsgEmpty = 0x19000025;                     // "": absent piece; clearing
constexpr int kMsgEjectThenInsertMedia = 0x19000026;      // media name, job
constexpr int kMsgInsertRequiredMedia = 0x19000027;       // media name, job
constexpr int kPieceIdentifier = 0x19000028;              // identifier
constexpr int kPieceNewMedia = 0x19000029;                // no values
constexpr int kPieceLibraryAndDrive = 0x1900002a;         // library, drive
constexpr int kMsgMediaErrorActiveOrNew = 0x1900002f;  // event error ID (int), library, drive, job

// The read-error code DisplayMediaErrorMessage knows: the tape's volume block
// size differs from the product's standard.
constexpr int kReadErrorBlockSize = 763;

}  // namespace qzkr

#endif  // QZKR_MESSAGE_CODES_H
