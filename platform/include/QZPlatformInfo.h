// The platform settings reader.
#ifndef QZ_PLATFORM_INFO_H
#define QZ_PLATFORM_INFO_H

class QZPlatformInfo {
public:
    QZPlatformInfo();
    ~QZPlatformInfo();
    QZPlatformInfo(const QZPlatformInfo&) = delete;
    QZPlatformInfo& operator=(const QZPlatformInfo&) = delete;

    // Selects the settings focus (the agent instance) later reads refer to.
    int setFocus(const char* focus);
    // Writes the control-server host name, NUL-terminated within bufferSize
    // bytes; returns its length, or 0 (and an empty text) when none is set.
    int getKorrinQNHostName(char* buffer, int bufferSize);
    // Reads a numeric setting; returns 0 when the key is not found (then
    // *value is left alone), non-zero when found.
    int getNumber(const char* section, const char* key, unsigned long* value);
};

class QZPI_Focus {
public:
    // The settings focus of this agent instance; never null.
    static const char* getFocus();
};

#endif  // QZ_PLATFORM_INFO_H
