// Sends standard output to /dev/null for the life of the object: the console
// dialogs print every identification and block-size notice, which tests
// that run thousands of them do not want in their output. Nothing may assert
// while one is alive, since a failure message would vanish with the rest.
#ifndef KORRIN_QUIET_STDOUT_H
#define KORRIN_QUIET_STDOUT_H

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace alerttest {

class QuietStdout {
public:
    QuietStdout() : m_saved(dup(STDOUT_FILENO)) {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved;
};

}  // namespace alerttest

#endif  // KORRIN_QUIET_STDOUT_H
