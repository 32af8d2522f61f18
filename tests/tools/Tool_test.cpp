// korrin-alert as a script and a person meet it: its transcripts (the
// command lines of golden/*.txt run as subprocesses, their exit status,
// standard error and report held to the file), the terminal (the request, a
// countdown that fits, the keys, the signals), and the refusal status, which
// needs a fault planted in the process.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <optional>

#include "Golden.h"
#include "Operation.h"
#include "Report.h"
#include "StandinTest.h"

namespace {

// Runs the tool in the scratch directory, which holds its TMPDIR, debug log
// and journal; no settings, focus or language unless a case names them.
class Tool : public testkit::StandinTest {
protected:
    Tool() {
        std::filesystem::create_symlink(dir / "elsewhere", dir / "planted");
        const std::string tools = std::filesystem::path(KORRIN_ALERT_TOOL).parent_path();
        env = {{"TMPDIR", dir.string()},
               {"DIR", dir.string()},
               {"KORRIN_DEBUG_LOG", file("debug.log")},
               {"KORRIN_JOURNAL", file("journal")},
               {"TZ", "UTC"},
               {"PATH", tools + ":" + std::getenv("PATH")}};
        for (const char* name :
             {"KORRIN_SETTINGS", "KORRIN_FOCUS", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            env[name] = std::nullopt;
    }
    ~Tool() override {
        if (child > 0 && kill(child, SIGKILL) == 0) waitpid(child, nullptr, 0);
        if (terminal >= 0) close(terminal);
    }

    // Starts argv on pipes (standard output and error into files) or, given
    // a width, in a pseudo-terminal that wide.
    void start(std::vector<std::string> argv, unsigned short columns = 0) {
        winsize size{24, columns, 0, 0};
        child = columns ? forkpty(&terminal, nullptr, nullptr, &size) : fork();
        if (child != 0) return;
        if (!columns) {
            dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
            dup2(open(file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            dup2(open(file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        }
        for (const auto& [name, value] : env)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        std::vector<char*> args;
        for (auto& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    // Reads the terminal until text appears after what the last call found;
    // false after 20 seconds or at the end of the output.
    bool waitFor(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        char bytes[4096];
        while (screen.find(text, seen) == std::string::npos) {
            pollfd ready{terminal, POLLIN, 0};
            if (std::chrono::steady_clock::now() > until) return false;
            if (poll(&ready, 1, 200) <= 0) continue;
            const ssize_t got =
                ::read(terminal, bytes, sizeof bytes);  // EIO once the tool has gone
            if (got <= 0) return false;
            screen.append(bytes, static_cast<std::size_t>(got));
        }
        seen = screen.find(text, seen) + text.size();
        return true;
    }
    void type(const std::string& keys) {
        ASSERT_EQ(::write(terminal, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Waits for the tool (reading its terminal to the end) and gives its exit status.
    int finish() {
        if (terminal >= 0) {
            waitFor(std::string(1, '\0'));  // never shown: reads to the end
            close(terminal);
            terminal = -1;
        }
        int raw = 0;
        waitpid(child, &raw, 0);
        child = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // The job-client calls in the journal file, by name.
    std::string calls() const {
        return golden::placeholders(read(file("journal")),
                                    {{R"re(\{.*"call":"(\w+)".*\}\n)re", "$1 "}});
    }
    bool leftovers() const {
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().filename().string().rfind("korrin-alert-", 0) == 0) return true;
        return false;
    }

    // The transcript of a command line, run by the shell with the tool on
    // its PATH, $DIR the scratch directory, and $(ini NAME LINE...) making
    // the settings file $DIR/NAME of those lines.
    std::string transcript(const std::string& commandLine, bool withReport) {
        std::filesystem::remove(file("journal"));
        const auto run = [&](const std::string& more) {
            start({"/bin/sh", "-c",
                   R"(ini() { f=$DIR/$1; shift; printf '%s\n' "$@" > "$f"; echo "$f"; }; )" +
                       commandLine + more});
            return finish();
        };
        const int status = run("");
        const std::string out = read(file("out")), err = read(file("err"));
        std::string text = "status " + std::to_string(status) + "\n" + lines("stderr: ", err) +
                           (withReport ? lines("  ", out) : "");
        // Bad input: one line naming it, the same under --json with the JSON
        // error on standard output; nothing posted.
        if (status == 2) {
            EXPECT_EQ(out, "") << commandLine;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << commandLine;
            EXPECT_EQ(calls(), "") << commandLine;
            EXPECT_EQ(run(" --json"), 2) << commandLine;
            EXPECT_EQ(read(file("err")), err) << commandLine;
            text += lines("json: ", read(file("out")));
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere")) << commandLine;
        EXPECT_FALSE(leftovers()) << commandLine;
        return text;
    }
    // Each line of text after prefix, with what changes from run to run
    // made placeholders.
    std::string lines(const std::string& prefix, const std::string& text) const {
        return golden::placeholders(
            text, {{"(^|\n)(.)", "$1" + prefix + "$2"},
                   {std::regex_replace(dir.string(), std::regex(R"(\W)"), R"(\$&)"), "$$DIR"},
                   {R"("run": ?"[0-9a-f]{16}")", R"("run":"RUN")"},
                   {R"("time": ?"[^"]*")", R"("time":"TIME")"},
                   {R"("pid": ?\d+)", R"("pid":PID)"},
                   {"korrin-alert-[A-Za-z0-9]{6}", "korrin-alert-XXXXXX"}});
    }
    // Runs the command line of each "$ " line of the file: the file is their
    // transcript.
    void expectTranscripts(const std::string& path, bool withReport) {
        std::string transcripts;
        std::istringstream in(read(path));
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("#", 0) == 0) transcripts += line + "\n";
            if (line.rfind("$ ", 0) == 0)
                transcripts += line + "\n" + transcript(line.substr(2), withReport) + "\n";
        }
        golden::expectFile(path, transcripts);
    }

    std::map<std::string, std::optional<std::string>> env;
    pid_t child = -1;
    int terminal = -1;
    std::string screen;
    std::size_t seen = 0;
};

TEST_F(Tool, BadInputWarningsAndNotices) {
    expectTranscripts(KORRIN_GOLDEN_DIR "/usage.txt", false);
}

TEST_F(Tool, Reports) { expectTranscripts(KORRIN_GOLDEN_DIR "/reports.txt", true); }

// A signal during the wait ends the wait, never the cycle: the pending cause
// is cleared and the tool exits 128+signal. Every state of the countdown
// fits a narrow terminal.
TEST_F(Tool, ASignalDuringTheWaitClearsThePendingCauseAndExits128PlusIt) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(file("journal"));
        screen.clear();
        seen = 0;
        start({KORRIN_ALERT_TOOL, "new-media", "--job", "42", "--library", "L1", "--drive", "D1"},
              40);
        ASSERT_TRUE(waitFor("Please insert a new media")) << screen;
        ASSERT_TRUE(waitFor("Waiting for the operator: 180 s")) << screen;
        EXPECT_EQ(calls(), "init raise state ");
        signal == SIGINT ? type("\x03") : (void)kill(child, signal);
        EXPECT_EQ(finish(), 128 + signal) << screen;
        EXPECT_EQ(calls(), "init raise state clear state ");
        EXPECT_NE(screen.find(": the wait was ended, the library finished its cycle and the "
                              "pending cause was cleared"),
                  std::string::npos)
            << screen;
        for (std::size_t at = 0; (at = screen.find("\rWaiting", at)) != std::string::npos; ++at)
            EXPECT_LT(screen.find("\x1b[K", at) - at - 1, 40u) << screen.substr(at, 80);
        EXPECT_FALSE(leftovers());
    }
}

TEST_F(Tool, EnterAnswersUntilTheInputEnds) {
    start({KORRIN_ALERT_TOOL, "local-error", "--job", "4", "--text", "Tape \x1b[31mred"}, 80);
    ASSERT_TRUE(waitFor("180 s left; Enter answers OK now")) << screen;
    type("\r");
    EXPECT_EQ(finish(), 0);
    EXPECT_NE(screen.find("\nWait: answered early with Enter"), std::string::npos) << screen;
    // A value's escape sequence is shown, not obeyed.
    EXPECT_NE(screen.find("Tape \\e[31mred"), std::string::npos);
    EXPECT_EQ(screen.find("\x1b[31m"), std::string::npos);

    start({KORRIN_ALERT_TOOL, "local-error", "--job", "4", "--text", "Gone"}, 80);
    ASSERT_TRUE(waitFor("Enter answers OK now")) << screen;
    type("\x04");
    ASSERT_TRUE(waitFor("input has ended, Enter no longer answers")) << screen;
    type("\r");
    ASSERT_TRUE(waitFor("input has ended"));
    type("\x03");
    EXPECT_EQ(finish(), 130);
    EXPECT_EQ(screen.find("Enter answers OK now", seen), std::string::npos) << screen;
    EXPECT_NE(screen.find("interrupted by SIGINT: the wait was ended, nothing had been raised"),
              std::string::npos);
}

// A refusal by the job client exits 3 whatever the answer; a signal outranks it.
TEST_F(Tool, ARefusedCallExitsThree) {
    write(file("s.ini"), "[Korrin]\nsQNHOSTNAME = qn\n");
    setenv("KORRIN_SETTINGS", file("s.ini").c_str(), 1);
    alerttool::Request request;
    request.operation = "new-media";
    request.job = 42;
    request.library = "L";
    request.drive = "D";
    alerttool::WaitOptions wait;
    wait.answerAfter = 0;
    standin::Calls::faultNext(standin::Call::Clear, standin::Fault::Fail);
    alerttool::Outcome outcome;
    alerttool::runOperation(request, *alerttool::findSubcommand("new-media"), wait, false, outcome);
    EXPECT_EQ(alerttool::exitStatus(outcome), 3);
    std::ostringstream report;
    alerttool::printText(report, request, outcome, {});
    EXPECT_NE(report.str().find("Answer: confirmed: the operation returned false; the job client "
                                "refused a call (exit status 3)"),
              std::string::npos)
        << report.str();
    outcome.signal = SIGTERM;
    EXPECT_EQ(alerttool::exitStatus(outcome), 143);
}

}  // namespace
