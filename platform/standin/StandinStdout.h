// Standard output taken aside while the console dialogs print: into a
// temporary file whose lines finish() gives back, or dropped.
#ifndef KORRIN_STANDIN_STDOUT_H
#define KORRIN_STANDIN_STDOUT_H

#include <cstdio>
#include <string>
#include <vector>

namespace standin {

// Sends what the process writes to standard output (descriptor 1) aside
// from construction until finish() or destruction, which give it back.
// Throws std::runtime_error when standard output cannot be sent aside.
// Nothing may report on standard output meanwhile (a test's failure message
// would go with the rest); realStdout() is where the real one went. One at
// a time per process, not thread-safe.
class StdoutCapture {
public:
    enum Mode { kKeepLines, kDrop };

    explicit StdoutCapture(Mode mode = kKeepLines);
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Gives standard output back; the lines written meanwhile, without their
    // line feeds (kKeepLines; none for kDrop or when called again).
    std::vector<std::string> finish();

    // A descriptor of the real standard output while it is aside; owned by
    // this object.
    int realStdout() const { return m_saved; }

private:
    void giveBack();

    std::FILE* m_file = nullptr;  // kKeepLines: where the lines go
    int m_saved = -1;
};

}  // namespace standin

#endif  // KORRIN_STANDIN_STDOUT_H
