// korrin-alert as a script meets it: its transcripts (the command lines of
// golden/*.txt run as subprocesses, their exit status, standard error and
// report held to the file), and the refusal status, which needs a fault
// planted in the process. check_terminal.sh runs it as a person would.
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

#include "Golden.h"
#include "Report.h"
#include "Run.h"
#include "StandinTest.h"

namespace {

// Runs command lines by the shell in the scratch directory, which holds the
// tool's TMPDIR (tmp), debug log and journal, and a link (planted) to a file
// that must never be made: the tool on the PATH, no settings, focus or
// language unless a command line names them, $DIR the directory, $(ini NAME
// LINE...) the settings file $DIR/NAME of those lines.
class Tool : public testkit::StandinTest {
protected:
    // The exit status; standard output and error go to $DIR/out and $DIR/err.
    int run(const std::string& commandLine) const {
        const std::string script =
            "cd '" + dir.string() + "' && export DIR=\"$PWD\" TMPDIR=\"$PWD/tmp\" TZ=UTC " +
            "KORRIN_DEBUG_LOG=\"$PWD/debug.log\" KORRIN_JOURNAL=\"$PWD/journal\" PATH='" +
            std::filesystem::path(KORRIN_ALERT_TOOL).parent_path().string() + R"(':"$PATH"
            unset KORRIN_SETTINGS KORRIN_FOCUS LANGUAGE LC_ALL LC_MESSAGES LANG
            mkdir -p tmp && ln -sfn "$PWD/elsewhere" planted
            ini() { f=$DIR/$1; shift; printf '%s\n' "$@" > "$f"; echo "$f"; }
            )" +
            commandLine + " < /dev/null > out 2> err";
        const int raw = std::system(script.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // The transcript of a command line.
    std::string transcript(const std::string& commandLine, bool withReport) {
        std::filesystem::remove(file("journal"));
        const int status = run(commandLine);
        const std::string out = read(file("out")), err = read(file("err"));
        std::string text = "status " + std::to_string(status) + "\n" + lines("stderr: ", err) +
                           (withReport ? lines("  ", out) : "");
        // Bad input: one line naming it, the same under --json with the JSON
        // error on standard output; nothing posted.
        if (status == 2) {
            EXPECT_EQ(out, "") << commandLine;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << commandLine;
            EXPECT_EQ(read(file("journal")), "") << commandLine;
            EXPECT_EQ(run(commandLine + " --json"), 2) << commandLine;
            EXPECT_EQ(read(file("err")), err) << commandLine;
            text += lines("json: ", read(file("out")));
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere")) << commandLine;
        EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp")) << commandLine;  // nothing left behind
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
};

TEST_F(Tool, BadInputWarningsAndNotices) {
    expectTranscripts(KORRIN_GOLDEN_DIR "/usage.txt", false);
}

TEST_F(Tool, Reports) { expectTranscripts(KORRIN_GOLDEN_DIR "/reports.txt", true); }

// A refusal by the job client exits 3 whatever the answer; a signal outranks it.
TEST_F(Tool, ARefusedCallExitsThree) {
    write(file("s.ini"), "[Korrin]\nsQNHOSTNAME = qn\n");
    setenv("KORRIN_SETTINGS", file("s.ini").c_str(), 1);
    alerttool::Request request;
    request.subcommand = alerttool::findSubcommand("new-media");
    request.job = 42;
    request.library = "L";
    request.drive = "D";
    alerttool::WaitOptions wait;
    wait.answerAfter = 0;
    standin::Calls::faultNext(standin::Call::Clear, standin::Fault::Fail);
    alerttool::Outcome outcome;
    alerttool::runSubcommand(request, wait, false, outcome);
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
