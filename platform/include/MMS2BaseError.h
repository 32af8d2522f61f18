// The media-management error catalogue: error text, operator advice and the
// job manager's event error ID for each media-management error code.
#ifndef MMS2_BASE_ERROR_H
#define MMS2_BASE_ERROR_H

class MMS2BaseError {
public:
    MMS2BaseError();
    ~MMS2BaseError();
    MMS2BaseError(const MMS2BaseError&) = delete;
    MMS2BaseError& operator=(const MMS2BaseError&) = delete;

    // Leaves a NUL-terminated text, possibly empty, of at most bufferSize bytes.
    static int getErrorStringForCode(int code, char* buffer, int bufferSize, int flags);
    const char* getAdvise(int code);  // never null; possibly empty
    static int getEvEventErrorCodeID(int code);
};

#endif  // MMS2_BASE_ERROR_H
