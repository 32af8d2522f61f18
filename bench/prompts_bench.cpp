// What each prompt of the alert library costs with a job worker's usual
// inputs: the two prompts that only prepare (import, wrong media) alone, and
// every prompt's whole cycle (those two followed by popupDialogBox). The test
// kit's sleep(3) (FakeSleep.h) counts and returns, so no cycle waits; the
// console dialogs print to /dev/null. bench/README.md says how to read it.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <ext/stdio_filebuf.h>
#include <fstream>
#include <iostream>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"
#include "Standin.h"
#include "StandinStdout.h"
#include "TestKit.h"

namespace {

// A job in a stand-alone library. Not const, so that nothing is folded into
// the calls at compile time.
struct Inputs {
    const char* mediaName = "WEEKLY-FULL-0042";
    const char* identifier = "A00042L7";
    const char* location = "Vault B, shelf 3";
    const char* library = "Stacker-01";
    const char* drive = "Drive 0";
    const char* barcode = "B00117L7";
    long lastWriteTime = 1733480000;
    int catalogueError = 2017;  // an error the catalogue knows: text, advice, event ID
    int readError = qzkr::kReadErrorBlockSize;
    const char* uniqueId = "5f3c9a2e-77d1-4b8e-9c0a-2d6b1e4f8a90";
    int volumeId = 7;
    char preface[64] = "Quarterly rotation: this medium leaves the site.";
    long long jobId = 1234567;
} g_in;

using Step = void (*)(QZKRGuiInterface&, MMDebug&);

void import(QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayImportMessage(g_in.mediaName, g_in.identifier, g_in.location, g_in.library,
                               g_in.drive, g_in.jobId, true, false, log);
}
void wrongMedia(QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayWrongMediaInDriveMessage(g_in.barcode, g_in.location, g_in.lastWriteTime,
                                          g_in.library, g_in.drive, g_in.mediaName, g_in.jobId,
                                          log);
}
void popup(QZKRGuiInterface& alert, MMDebug& log) { alert.popupDialogBox(log, false, false); }
void newMedia(QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayImportNewMediaMessage(g_in.library, g_in.drive, g_in.jobId, log, false);
}
void wrongNewMedia(QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayWrongNewMediaMessage(g_in.library, g_in.drive, g_in.catalogueError, g_in.jobId,
                                      log, false);
}
void crcError(QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayCRCErrorMessage(g_in.library, g_in.drive, g_in.jobId, log, false);
}
void blockSize(QZKRGuiInterface& alert, MMDebug& log) {
    alert.DisplayMediaErrorMessage(g_in.readError, g_in.library, g_in.drive, g_in.jobId, log,
                                   false);
}
void identify(QZKRGuiInterface& alert, MMDebug& log) {
    char exportLocation[QZKRGuiInterface::kExportLocationSize] = "";
    char barcode[QZKRGuiInterface::kBarcodeSize] = "";
    alert.DisplayIdentifyMediaMessage(g_in.preface, exportLocation, barcode, g_in.uniqueId,
                                      g_in.volumeId, g_in.library, g_in.drive, g_in.jobId, log,
                                      false);
}

struct Case {
    const char* name;
    Step prompt;
    Step then;  // what completes the cycle, or null
};

const Case kCases[] = {
    {"prompt/Import", import, nullptr},
    {"prompt/WrongMediaInDrive", wrongMedia, nullptr},
    {"cycle/Import", import, popup},
    {"cycle/WrongMediaInDrive", wrongMedia, popup},
    {"cycle/ImportNewMedia", newMedia, nullptr},
    {"cycle/WrongNewMedia", wrongNewMedia, nullptr},
    {"cycle/CRCError", crcError, nullptr},
    {"cycle/BlockSize", blockSize, nullptr},
    {"cycle/IdentifyMedia", identify, nullptr},
};

void run(benchmark::State& state, const Case& c) {
    MMDebug log;
    QZKRGuiInterface alert(log, g_in.jobId);
    int sinceClear = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        c.prompt(alert, log);
        if (c.then != nullptr) c.then(alert, log);
        // The stand-in keeps every posting; emptied now and then, untimed.
        if (++sinceClear == 4096) {
            state.PauseTiming();
            standin::Journal::clear();
            standin::DebugLog::clear();
            sinceClear = 0;
            state.ResumeTiming();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const testkit::ScratchDirectory directory;
    const std::string settings = directory.file("korrin.ini");
    std::ofstream(settings) << "[Korrin]\nsQNHOSTNAME = quorvane.bench\n";
    testkit::useStandinDefaults();
    setenv("KORRIN_SETTINGS", settings.c_str(), 1);
    setenv("TZ", "UTC", 1);
    tzset();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (const Case& c : kCases) {
        benchmark::RegisterBenchmark(c.name, [&c](benchmark::State& state) { run(state, c); });
    }
    // The dialogs' lines go to /dev/null, the report to the real standard output.
    const standin::StdoutCapture quiet(standin::StdoutCapture::kDrop);
    __gnu_cxx::stdio_filebuf<char> realStdout(dup(quiet.realStdout()), std::ios::out);
    std::ostream report(&realStdout);
    benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
    reporter.SetOutputStream(&report);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
