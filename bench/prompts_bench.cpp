// What each prompt of the alert library costs, and for the two prompts that
// compose optional pieces (import, wrong media) what it costs beside a floor.
//
// A floor leaves the same final texts as its prompt, made with one snprintf
// per text into plain char[2048] buffers, and makes the same platform calls
// directly: the same event arguments on a QZJobClient, the same postings and
// job states, debug lines and settings reads. What a prompt costs beyond its
// floor is what composing it piece by piece adds.
//
// Before anything is timed every floor runs once beside its prompt and must
// leave the same texts, journal, debug lines and count of each platform call;
// a floor that has drifted from its prompt stops the run.
//
// The import and wrong-media prompts only prepare; they are timed alone and
// with popupDialogBox. The others run their cycle themselves and are timed
// whole, without a floor. The test kit's sleep(3) counts and returns, so no
// cycle waits. At the end a table gives each floored prompt over its floor,
// by median CPU time.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "EvDebug.h"
#include "MMDebug.h"
#include "QZEndian.h"
#include "QZJobClient.h"
#include "QZKRGuiInterface.h"
#include "QZPlatformInfo.h"
#include "QZTime.h"
#include "Standin.h"
#include "StandinStdout.h"
#include "TestKit.h"

namespace {

constexpr std::size_t kTextSize = QZKRGuiInterface::kTextSize;

// Not const, so that neither side can build the inputs into its code.
struct Inputs {
    const char* mediaName = "WEEKLY-FULL-0042";
    const char* identifier = "A00042L7";
    const char* location = "Vault B, shelf 3";
    const char* library = "Stacker-01";
    const char* drive = "Drive 0";
    const char* barcode = "B00117L7";
    long lastWriteTime = 1733480000;
    int errorCode = 2017;  // a catalogue entry with error text, advice and event error ID
    int readError = qzkr::kReadErrorBlockSize;
    const char* uniqueId = "5f3c9a2e-77d1-4b8e-9c0a-2d6b1e4f8a90";
    int volumeId = 7;
    char preface[64] = "Quarterly rotation: this medium leaves the site.";
    long long jobId = 1234567;
} g_in;

// ---------------------------------------------------------------- the floors

struct Floor {
    explicit Floor(MMDebug& debugLog) : log(debugLog) {
        char host[QZKRGuiInterface::kHostNameSize] = "";
        QZPlatformInfo settings;
        settings.getKorrinQNHostName(host, static_cast<int>(sizeof host));
        client.init(host, g_in.jobId, QZS_PLATFORM_UNIX);
    }
    MMDebug& log;
    QZJobClient client;
    int code = 0;
    char message[kTextSize] = "";
    char event[kTextSize] = "";
    char logText[kTextSize] = "";
};

// The message and event templates of one prompt, and the log template: the
// event template on one line, made once.
struct Templates {
    Templates(const char* messageTemplate, const char* eventTemplate)
        : message(messageTemplate), event(eventTemplate), log(testkit::oneLine(eventTemplate)) {}
    const char* message;
    const char* event;
    std::string log;
};

// The final texts of the prompts with every piece, as printf templates.
const Templates& importTemplates() {
    static const Templates templates{
        "Please insert the required media [%s] for JobID [%lld] with identifier [%s] from "
        "location [%s] OR a new media into the library [%s] drive [%s] and then click OK button "
        "to continue.",
        "Please insert the required media [%s] for JobID [%lld] with identifier [%s]\n from "
        "location [%s] OR a new media into the library [%s] drive [%s]."};
    return templates;
}

const Templates& wrongMediaTemplates() {
    static const Templates templates{
        "The Media in the library [%s] drive [%s] for JobID [%lld] is not correct.\n\nPlease "
        "insert the media [%s] with barcode [%s] from the location [%s] with last "
        "write-time=\"%s\" and then click OK to continue.",
        "The Media in the library [%s] drive [%s] for JobID [%lld] is not correct.\n\nPlease "
        "insert the media [%s] with barcode [%s] \nfrom the location [%s] with last "
        "write-time=\"%s\" ."};
    return templates;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// The floors' one snprintf per text. The self-check holds every template to
// the library's text.
template <std::size_t N, typename... Values>
void put(char (&text)[N], const char* format, Values... values) {
    (void)std::snprintf(text, N, format, values...);
}
#pragma GCC diagnostic pop

template <typename... Values>
void putAll(Floor& floor, const Templates& templates, Values... values) {
    put(floor.message, templates.message, values...);
    put(floor.event, templates.event, values...);
    put(floor.logText, templates.log.c_str(), values...);
}

struct Code {
    int value;
};

void add(EvEvent& event, const char* text) { event.addArgument(text, qzkr::kTagText); }
void add(EvEvent& event, long long value) {
    littleEndianLongLong(&value);
    event.addArgument(&value, qzkr::kTagLongLong);
}
void add(EvEvent& event, Code code) {
    auto value = static_cast<unsigned long long>(static_cast<unsigned int>(code.value));
    ulittleEndianLongLong(&value);
    event.addArgument(&value, qzkr::kTagUnsignedLong);
}

// A new event of the given code with these arguments.
template <typename... Values>
void stream(Floor& floor, int code, Values... values) {
    floor.code = code;
    floor.client.discardArguments();
    (add(floor.client, values), ...);
}

void logLine(Floor& floor) {
    floor.log.DebugMM(1, 2, "WORKER  ", -1LL, -1, "%s:%d: %s", "QZKRGuiInterface", __LINE__,
                      floor.logText);
}

void raiseFloor(Floor& floor) {
    floor.client.setPendingCauseAndCriticalEvent(floor.code, 0, true, EV_MESSAGE_OPERATOR_ALERT,
                                                 false, JM_ALERT_COLOR_CRITICAL, JM_PENDING_NONE,
                                                 static_cast<unsigned int>(floor.code), 0);
    floor.client.setJobState(QZ_JOB_PENDING, nullptr, false);
}

void clearFloor(Floor& floor) {
    add(floor.client, "");
    floor.client.setPendingCause(qzkr::kMsgEmpty, nullptr, true, EV_MESSAGE_OPERATOR_ALERT, 0, 0, 0,
                                 false, JM_ALERT_COLOR_CRITICAL, JM_PENDING_CLEAR,
                                 static_cast<unsigned int>(floor.code), 0);
    floor.client.setJobState(QZ_JOB_RUNNING, nullptr, false);
}

void waitFloor() {
    EvDebug debug(nullptr);
    QZPlatformInfo settings;
    unsigned long option = 2;
    settings.getNumber("Korrin", "nKRMSGBOXOPTION", &option);
    debug.debugLvl(1,
                   "nKRMSGBOXOPTION key is set to 2(default behavior). Wait for 3 Mins for user "
                   "to take required media action ...");
    sleep(180);
    debug.debugLvl(5, "Sleep Completed.");
}

// The floor of popupDialogBox.
void popupFloor(Floor& floor) {
    raiseFloor(floor);
    logLine(floor);
    waitFloor();
    clearFloor(floor);
}

void importFloor(Floor& floor) {
    const Templates& templates = importTemplates();
    putAll(floor, templates, g_in.mediaName, g_in.jobId, g_in.identifier, g_in.location,
           g_in.library, g_in.drive);
    stream(floor, qzkr::kMsgInsertRequiredMedia, g_in.mediaName, g_in.jobId,
           Code{qzkr::kPieceIdentifier}, g_in.identifier, Code{qzkr::kPieceLocation}, g_in.location,
           Code{qzkr::kPieceNewMedia}, Code{qzkr::kPieceLibraryAndDrive}, g_in.library, g_in.drive);
}

void wrongMediaFloor(Floor& floor) {
    const Templates& templates = wrongMediaTemplates();
    char time[1024];
    QZ_ctime(&g_in.lastWriteTime, time, static_cast<int>(sizeof time));
    if (char* lineFeed = std::strchr(time, '\n')) *lineFeed = '\0';
    putAll(floor, templates, g_in.library, g_in.drive, g_in.jobId, g_in.mediaName, g_in.barcode,
           g_in.location, time);
    stream(floor, qzkr::kMsgWrongMediaInDrive, g_in.library, g_in.drive, g_in.jobId,
           Code{qzkr::kPieceMediaName}, g_in.mediaName, Code{qzkr::kPieceBarcode}, g_in.barcode,
           Code{qzkr::kPieceLocation}, g_in.location, Code{qzkr::kPieceLastWriteTime}, time);
}

// ---------------------------------------------------------------- the prompts

struct Bench {
    MMDebug log;
    QZKRGuiInterface alert{log, g_in.jobId};
    Floor floor{log};
};

using Step = void (*)(Bench&);

void importPrompt(Bench& b) {
    b.alert.DisplayImportMessage(g_in.mediaName, g_in.identifier, g_in.location, g_in.library,
                                 g_in.drive, g_in.jobId, true, false, b.log);
}
void wrongMediaPrompt(Bench& b) {
    b.alert.DisplayWrongMediaInDriveMessage(g_in.barcode, g_in.location, g_in.lastWriteTime,
                                            g_in.library, g_in.drive, g_in.mediaName, g_in.jobId,
                                            b.log);
}
void popup(Bench& b) { b.alert.popupDialogBox(b.log, false, false); }
void importNewMedia(Bench& b) {
    b.alert.DisplayImportNewMediaMessage(g_in.library, g_in.drive, g_in.jobId, b.log, false);
}
void wrongNewMedia(Bench& b) {
    b.alert.DisplayWrongNewMediaMessage(g_in.library, g_in.drive, g_in.errorCode, g_in.jobId, b.log,
                                        false);
}
void crcError(Bench& b) {
    b.alert.DisplayCRCErrorMessage(g_in.library, g_in.drive, g_in.jobId, b.log, false);
}
void blockSize(Bench& b) {
    b.alert.DisplayMediaErrorMessage(g_in.readError, g_in.library, g_in.drive, g_in.jobId, b.log,
                                     false);
}
void identify(Bench& b) {
    char exportLocation[QZKRGuiInterface::kExportLocationSize] = "";
    char barcode[QZKRGuiInterface::kBarcodeSize] = "";
    b.alert.DisplayIdentifyMediaMessage(g_in.preface, exportLocation, barcode, g_in.uniqueId,
                                        g_in.volumeId, g_in.library, g_in.drive, g_in.jobId, b.log,
                                        false);
}

template <void (*floorStep)(Floor&)>
void onFloor(Bench& b) {
    floorStep(b.floor);
}

struct Case {
    const char* name;
    // Import and wrong media only prepare: popupDialogBox runs their cycle.
    // The others run it themselves.
    bool preparesOnly;
    // The library's steps and the floor's: the prompt, then what completes
    // the cycle (none where the prompt runs it). No floor: timed alone.
    Step prompt, promptCycleEnd;
    Step floor, floorCycleEnd;
};

const Case kCases[] = {
    {"Import", true, importPrompt, popup, onFloor<importFloor>, onFloor<popupFloor>},
    {"WrongMediaInDrive", true, wrongMediaPrompt, popup, onFloor<wrongMediaFloor>,
     onFloor<popupFloor>},
    {"ImportNewMedia", false, importNewMedia, nullptr, nullptr, nullptr},
    {"WrongNewMedia", false, wrongNewMedia, nullptr, nullptr, nullptr},
    {"CRCError", false, crcError, nullptr, nullptr, nullptr},
    {"MediaError763", false, blockSize, nullptr, nullptr, nullptr},
    {"IdentifyMedia", false, identify, nullptr, nullptr, nullptr},
};

void clearStandin() {
    standin::Journal::clear();
    standin::DebugLog::clear();
}

void run(benchmark::State& state, Step first, Step second) {
    // The stand-in keeps what a cycle posts and logs; it is emptied now and
    // then, outside the timing, so that no run pays for a long journal.
    constexpr int kClearEvery = 4096;
    Bench bench;
    clearStandin();
    int sinceClear = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's idiom
        first(bench);
        if (second != nullptr) second(bench);
        benchmark::ClobberMemory();
        if (++sinceClear == kClearEvery) {
            state.PauseTiming();
            clearStandin();
            sinceClear = 0;
            state.ResumeTiming();
        }
    }
}

void registerAll() {
    for (const Case& c : kCases) {
        const std::string name = c.name;
        const auto enroll = [](const std::string& benchName, Step first, Step second) {
            benchmark::RegisterBenchmark(
                benchName.c_str(), [first, second](benchmark::State& s) { run(s, first, second); });
        };
        if (c.preparesOnly) {
            enroll("prompt/" + name, c.prompt, nullptr);
            enroll("prompt/" + name + "/floor", c.floor, nullptr);
        }
        enroll("cycle/" + name, c.prompt, c.promptCycleEnd);
        if (c.floor != nullptr) enroll("cycle/" + name + "/floor", c.floor, c.floorCycleEnd);
    }
}

// ---------------------------------------------------------------- the self-check

// What one side left behind, each item as text, with what may differ left out:
// record numbers, times, client serials and the source line of worker lines.
struct Trace {
    std::vector<std::string> texts;
    std::vector<std::string> journal;
    std::vector<std::string> debug;
    std::vector<std::string> calls;
};

Trace trace(Bench& bench, Step first, Step second, bool floorSide) {
    clearStandin();
    standin::Calls::reset();
    first(bench);
    if (second != nullptr) second(bench);
    Trace result;
    for (int i = 0; i <= static_cast<int>(standin::Call::EndianULongLong); ++i) {
        const auto call = static_cast<standin::Call>(i);
        result.calls.push_back(std::string(standin::callName(call)) + " " +
                               std::to_string(standin::Calls::count(call)));
    }
    if (floorSide) {
        result.texts = {bench.floor.message, bench.floor.event, bench.floor.logText};
    } else {
        result.texts = {bench.alert.getMessageText(), bench.alert.getGumMessage(),
                        bench.alert.getLogText()};
    }
    for (const auto& record : standin::Journal::records()) {
        std::string line = std::string(standin::kindName(record.kind)) + " job " +
                           std::to_string(record.jobId) + (record.accepted ? " ok" : " refused");
        for (const long long param : record.params) line += " " + std::to_string(param);
        for (const auto& argument : record.arguments) line += ", " + standin::describe(argument);
        result.journal.push_back(line);
    }
    for (const auto& line : standin::DebugLog::lines()) {
        std::string message = line.message;
        if (line.source == standin::DebugLine::Source::MM) {
            message.erase(0, message.find(": ") + 2);
        }
        result.debug.push_back(std::to_string(line.first) + " " + std::to_string(line.second) +
                               " " + line.module + " " + std::to_string(line.jobId) + " " +
                               std::to_string(line.fifth) + " " + std::to_string(line.level) + " " +
                               line.format + " " + message);
    }
    return result;
}

bool same(const char* name, const char* what, const std::vector<std::string>& library,
          const std::vector<std::string>& floor) {
    if (library == floor) return true;
    std::cerr << name << ": the floor's " << what << " differ from the library's\n";
    for (std::size_t i = 0; i < std::max(library.size(), floor.size()); ++i) {
        const std::string l = i < library.size() ? library[i] : "(none)";
        const std::string f = i < floor.size() ? floor[i] : "(none)";
        if (l != f) std::cerr << "  library: " << l << "\n  floor:   " << f << '\n';
    }
    return false;
}

bool floorsMatch() {
    bool all = true;
    for (const Case& c : kCases) {
        if (c.floor == nullptr) continue;
        for (const bool cycle : {false, true}) {
            if (!cycle && !c.preparesOnly) continue;
            Bench bench;
            const Trace library = trace(bench, c.prompt, cycle ? c.promptCycleEnd : nullptr, false);
            const Trace floor = trace(bench, c.floor, cycle ? c.floorCycleEnd : nullptr, true);
            const std::string name = (cycle ? "cycle/" : "prompt/") + std::string(c.name);
            all = same(name.c_str(), "texts", library.texts, floor.texts) && all;
            all = same(name.c_str(), "journal records", library.journal, floor.journal) && all;
            all = same(name.c_str(), "debug lines", library.debug, floor.debug) && all;
            all = same(name.c_str(), "platform calls", library.calls, floor.calls) && all;
        }
    }
    clearStandin();
    return all;
}

// ---------------------------------------------------------------- the run

// The settings the prompts read: a control server to bind to, and the
// message box's default made explicit.
class Settings {
public:
    Settings() {
        std::ofstream(m_directory.file("korrin.ini"))
            << "[Korrin]\nsQNHOSTNAME = quorvane.bench\nnKRMSGBOXOPTION = 2\n";
        testkit::useStandinDefaults();
        setenv("KORRIN_SETTINGS", m_directory.file("korrin.ini").c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
    }

private:
    testkit::ScratchDirectory m_directory;
};

// The dialogs print to standard output. While this runs, that goes to
// /dev/null and std::cout, where the report goes, to the real one.
class ConsoleAside {
public:
    ConsoleAside() : m_buffer(dup(m_quiet.realStdout()), std::ios::out) {
        m_old = std::cout.rdbuf(&m_buffer);
    }
    ~ConsoleAside() {
        std::cout.flush();
        std::cout.rdbuf(m_old);
    }
    ConsoleAside(const ConsoleAside&) = delete;
    ConsoleAside& operator=(const ConsoleAside&) = delete;

    bool isTerminal() const { return isatty(m_quiet.realStdout()) != 0; }

private:
    standin::StdoutCapture m_quiet{standin::StdoutCapture::kDrop};
    __gnu_cxx::stdio_filebuf<char> m_buffer;
    std::streambuf* m_old = nullptr;
};

// The console report, and after it each benchmark over its floor by median
// CPU time (of the repetitions when there are several).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration) {
                m_times[name].push_back(run.GetAdjustedCPUTime());
            } else if (run.aggregate_name == "median") {
                m_medians[name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        std::ostream& out = GetOutputStream();
        out << "\n"
            << std::left << std::setw(34) << "benchmark" << std::right << std::setw(12) << "ns/op"
            << std::setw(12) << "floor ns/op" << std::setw(8) << "ratio" << '\n';
        const auto times = medians();
        for (const auto& [name, time] : times) {
            const auto floor = times.find(name + "/floor");
            if (floor == times.end()) continue;
            out << std::left << std::setw(34) << name << std::right << std::fixed
                << std::setprecision(0) << std::setw(12) << time << std::setw(12) << floor->second
                << std::setprecision(2) << std::setw(8) << time / floor->second << '\n';
        }
        ConsoleReporter::Finalize();
    }

private:
    std::map<std::string, double> medians() const {
        std::map<std::string, double> result = m_medians;
        for (auto [name, times] : m_times) {
            if (result.count(name) != 0 || times.empty()) continue;
            std::sort(times.begin(), times.end());
            const std::size_t n = times.size();
            result[name] = n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
        }
        return result;
    }

    std::map<std::string, std::vector<double>> m_times;
    std::map<std::string, double> m_medians;
};

}  // namespace

int main(int argc, char** argv) {
    const Settings settings;
    const ConsoleAside console;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!floorsMatch()) return 1;
    registerAll();
    RatioReporter reporter(console.isTerminal() ? benchmark::ConsoleReporter::OO_ColorTabular
                                                : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
