// Sends standard output to /dev/null for the life of the object: the console
// dialogs print every identification and block-size notice, which runs of
// thousands of them do not want in their output. Nothing may report on
// standard output while one is alive (a test's failure message would vanish
// with the rest); realStdout() is where the real one went.
#ifndef KORRIN_QUIET_STDOUT_H
#define KORRIN_QUIET_STDOUT_H

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace testkit {

class QuietStdout {
public:
    QuietStdout() : m_saved(dup(STDOUT_FILENO)) {
        (void)std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        (void)std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

    // A descriptor of the real standard output, owned by this object.
    int realStdout() const { return m_saved; }

private:
    int m_saved;
};

}  // namespace testkit

#endif  // KORRIN_QUIET_STDOUT_H
