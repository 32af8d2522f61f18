// Runs korrin-alert as a subprocess in the fixture's scratch directory: its
// TMPDIR, debug log and journal file all live there, and no settings are
// named unless a test names them.
#ifndef KORRIN_TOOL_RUNNER_H
#define KORRIN_TOOL_RUNNER_H

#include <fcntl.h>
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
    double seconds = 0;
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
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            for (const auto& [name, value] : env) {
                if (value) {
                    setenv(name.c_str(), value->c_str(), 1);
                } else {
                    unsetenv(name.c_str());
                }
            }
            dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
            dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(KORRIN_ALERT_TOOL)};
            for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int raw = 0;
        waitpid(child, &raw, 0);
        ToolRun result;
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = read(out);
        result.err = read(err);
        return result;
    }

    std::map<std::string, std::optional<std::string>> env;
};

}  // namespace tooltest

#endif  // KORRIN_TOOL_RUNNER_H
