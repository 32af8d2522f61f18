// The agent's media-management debug log. The job worker owns one and hands
// it to every alert operation that logs. Thread-safe: lines from several
// threads never interleave.
#ifndef MM_DEBUG_H
#define MM_DEBUG_H

class MMDebug {
public:
    MMDebug();
    ~MMDebug();
    MMDebug(const MMDebug&) = delete;
    MMDebug& operator=(const MMDebug&) = delete;

    void DebugMM(int, int, const char* module, long long, int, const char* format, ...)
        __attribute__((format(printf, 7, 8)));
};

#endif  // MM_DEBUG_H
