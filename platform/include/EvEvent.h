// The event record of the job-manager client: the argument list of the next
// event to be posted.
#ifndef EV_EVENT_H
#define EV_EVENT_H

struct EvEventState;

class EvEvent {
public:
    EvEvent();
    ~EvEvent();
    EvEvent(const EvEvent&) = delete;
    EvEvent& operator=(const EvEvent&) = delete;

    // Appends one argument to the event being built. Copies what it needs
    // during the call: tag 5 -> 4 bytes, tags 9 and 10 -> 8 bytes,
    // tag 11 -> the NUL-terminated text `data` points at.
    void addArgument(const void* data, int tag);

    // Drops every argument appended since the last posting call.
    void discardArguments();

    // Declared here, defined (inline) by the alert library's public headers.
    inline EvEvent& operator<<(int value);            // tag 5
    inline EvEvent& operator<<(long long value);      // tag 9
    inline EvEvent& operator<<(unsigned long value);  // tag 10
    inline EvEvent& operator<<(const char* text);     // tag 11

protected:
    // Owned by the platform library; opaque to its callers.
    EvEventState* m_state;
};

#endif  // EV_EVENT_H
