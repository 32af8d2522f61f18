// Calendar-time formatting of the platform library.
#ifndef QZ_TIME_H
#define QZ_TIME_H

// Formats *time like ctime(3) into buffer (bufferSize bytes). The buffer
// always holds a NUL-terminated text afterwards, empty when formatting fails.
// Returns buffer. Thread-safe.
char* QZ_ctime(const long* time, char* buffer, int bufferSize);

#endif  // QZ_TIME_H
