// A scoped debug-log writer. Construct one for the length of an operation;
// the alert library passes a null file instance (the default log).
// Thread-safe across objects.
#ifndef EV_DEBUG_H
#define EV_DEBUG_H

class EvDebugFileInstance;

class EvDebug {
public:
    explicit EvDebug(EvDebugFileInstance* instance);  // the alert library passes nullptr
    ~EvDebug();
    EvDebug(const EvDebug&) = delete;
    EvDebug& operator=(const EvDebug&) = delete;

    void debugLvl(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void DebugJob(const char* module, long long jobId, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
};

#endif  // EV_DEBUG_H
