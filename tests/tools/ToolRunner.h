// Runs korrin-alert as a subprocess in the fixture's scratch directory: its
// TMPDIR, debug log and journal file all live there, and no settings are
// named unless a test names them. run() gives it pipes and no input;
// Terminal runs it in a pseudo-terminal, as a person would.
#ifndef KORRIN_TOOL_RUNNER_H
#define KORRIN_TOOL_RUNNER_H

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StandinTest.h"

namespace tooltest {

struct ToolRun {
    int status = -1;  // the exit status, or -1 when the tool did not exit normally
    std::string out, err;
};

// The tool in a pseudo-terminal: standard input, output and error are all
// the terminal, read back as one screen's worth of bytes.
class Terminal {
public:
    Terminal(pid_t child, int master) : m_child(child), m_master(master) {}
    ~Terminal() {
        if (m_child > 0) {
            kill(m_child, SIGKILL);
            waitpid(m_child, nullptr, 0);
        }
        close(m_master);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Reads until text has appeared after the bytes already seen; false
    // after 20 seconds or at the end of the output.
    bool waitFor(const std::string& text) {
        const std::size_t from = m_seen;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_screen.find(text, from) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until || readSome(200) < 0) return false;
        }
        m_seen = m_screen.find(text, from) + text.size();
        return true;
    }
    void type(const std::string& keys) {
        ASSERT_EQ(write(m_master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    void signal(int number) { kill(m_child, number); }
    // Reads to the end and gives the exit status.
    int finish() {
        while (readSome(20000) > 0) {
        }
        int raw = 0;
        waitpid(m_child, &raw, 0);
        m_child = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    const std::string& screen() const { return m_screen; }
    // What came after the first appearance of text.
    std::string after(const std::string& text) const {
        const auto at = m_screen.find(text);
        return at == std::string::npos ? "" : m_screen.substr(at + text.size());
    }

private:
    // 1: read some, 0: nothing came in time, -1: the output has ended.
    int readSome(int milliseconds) {
        pollfd ready{m_master, POLLIN, 0};
        const int polled = poll(&ready, 1, milliseconds);
        if (polled <= 0) return polled;
        char bytes[4096];
        const ssize_t got = read(m_master, bytes, sizeof bytes);  // EIO once the child has gone
        if (got <= 0) return -1;
        m_screen.append(bytes, static_cast<std::size_t>(got));
        return 1;
    }

    pid_t m_child;
    int m_master;
    std::string m_screen;
    std::size_t m_seen = 0;
};

class ToolTest : public testkit::StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        env = {{"TMPDIR", dir.string()},
               {"KORRIN_DEBUG_LOG", (dir / "debug.log").string()},
               {"KORRIN_JOURNAL", journalPath()},
               {"KORRIN_SETTINGS", std::nullopt},
               {"KORRIN_FOCUS", std::nullopt}};
        // The console renders in English unless a test names a language.
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            env[name] = std::nullopt;
    }

    std::string journalPath() const { return file("journal.jsonl"); }

    std::string writeFile(const std::string& name, const std::string& text) const {
        write(file(name), text);
        return file(name);
    }

    std::vector<std::string> journalLines() const { return readLines(journalPath()); }

    // Files the tool left in its TMPDIR besides the log and the journal.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("korrin-alert-", 0) == 0) names.push_back(name);
        }
        return names;
    }

    ToolRun run(const std::vector<std::string>& args) const {
        const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
        const pid_t child = fork();
        if (child == 0) {
            dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
            dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            exec(args);
        }
        int raw = 0;
        waitpid(child, &raw, 0);
        ToolRun result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = read(out);
        result.err = read(err);
        return result;
    }

    // The tool in a terminal of the given width.
    std::unique_ptr<Terminal> runInTerminal(const std::vector<std::string>& args,
                                            unsigned short columns = 80) const {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = columns;
        int master = -1;
        const pid_t child = forkpty(&master, nullptr, nullptr, &size);
        if (child == 0) exec(args);
        return std::make_unique<Terminal>(child, master);
    }

private:
    [[noreturn]] void exec(const std::vector<std::string>& args) const {
        for (const auto& [name, value] : env) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        std::vector<char*> argv{const_cast<char*>(KORRIN_ALERT_TOOL)};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }

protected:
    std::map<std::string, std::optional<std::string>> env;
};

}  // namespace tooltest

#endif  // KORRIN_TOOL_RUNNER_H
