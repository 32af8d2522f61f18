// The alert object: the cases of tests/alert/golden, and every platform
// call made to fail and to throw.
#include <filesystem>

#include "Transcript.h"

namespace {

using golden::AlertTest;
using standin::Calls;
using standin::Fault;
using Kind = standin::Record::Kind;

// Each file of tests/alert/golden: the scripted dialogs' in the build against
// them (KORRIN_SCRIPTED_DIALOGS 1), every other in the build against the console's.
TEST_F(AlertTest, GoldenCases) {
    for (const auto& entry : std::filesystem::directory_iterator(KORRIN_GOLDEN_DIR)) {
        const std::string name = entry.path().filename().string();
        const bool scripted = name.rfind("scripted", 0) == 0;
        if (entry.path().extension() != ".txt" || scripted != KORRIN_SCRIPTED_DIALOGS) continue;
        checkGoldenFile(name);
    }
    for (const auto& message : standin::consoleMessages())
        EXPECT_TRUE(KORRIN_SCRIPTED_DIALOGS || shownCodes().count(message.code))
            << "no case shows " << standin::hex(message.code);
}

// The catalogue's error text and advice are the platform's: each is cut back
// to its last whole character, wherever it ends.
TEST_F(AlertTest, CatalogueTextsEndOnAWholeCharacter) {
    Calls::textNext(standin::Call::ErrorString, "Fehler \xC3");
    Calls::textNext(standin::Call::Advise, "Rat \xE7\xA3");
    run("wrong-new-media library=L drive=D error=2017 job=42");
    EXPECT_EQ(std::string(alert->getGumMessage()).substr(0, 19), "Fehler Rat \n\nPlease");
}

// The operations of the fault sweep, each on a fresh object for job 42:
// the step, and one that prepares the object first (never faulted).
const std::vector<std::pair<std::string, std::string>> kSwept = {
    {"new job=42", ""},
    {"import media=M identifier=I location=L library=L drive=D job=42 new-media", ""},
    {"popup pending", "import media=M identifier=I job=42"},
    {"wrong-media barcode=B location=L time=1 library=L drive=D media=M job=42", ""},
    {"new-media library=L drive=D job=42 pending", ""},
    {"wrong-new-media library=L drive=D error=2017 job=42", ""},
    {"crc-error library=L drive=D job=42 pending", ""},
    {"crc-error library=L drive=D job=0", ""},
    {"media-error error=763 library=L drive=D job=42 pending", ""},
    {"identify preface=P location-buffer= barcode-buffer= unique=U volume=3 library=L job=42", ""},
    {"box job=42", ""},
    {"local text=Offline job=42", ""},
};

// Every platform call of every operation made to fail and then to throw,
// one call at a time: k = 1, 2, ... until the operation no longer reaches
// call k. A thrown fault reaches the caller, every raising is cleared
// (naming the raised code), unless the clearing itself was hit.
class FaultSweep : public AlertTest,
                   public testing::WithParamInterface<std::pair<std::string, std::string>> {};

TEST_P(FaultSweep, EveryPlatformCallFailsThenThrows) {
    const auto& [step, prepare] = GetParam();
    for (const Fault fault : {Fault::Fail, Fault::Throw}) {
        std::uint64_t k = 1;
        for (; !HasFailure(); ++k) {
            SCOPED_TRACE((fault == Fault::Fail ? "fail " : "throw ") + std::to_string(k));
            restart();
            if (!prepare.empty()) run(prepare);
            Calls::reset();
            Calls::faultAt(k, fault);
            const std::string state = run(step)["="];
            if (Calls::total() < k) break;
            const std::string threw = "= threw \"injected fault in ";
            const std::string in = state.rfind(threw, 0) == 0 ? state.substr(threw.size()) : "";
            EXPECT_EQ(!in.empty(), fault == Fault::Throw) << state;
            const auto records = standin::Journal::records();
            const auto raise = std::find_if(records.begin(), records.end(),
                                            [](const auto& r) { return r.kind == Kind::Raise; });
            const auto clear = std::find_if(raise, records.end(),
                                            [](const auto& r) { return r.kind == Kind::Clear; });
            if (raise != records.end() && clear == records.end()) {
                EXPECT_TRUE(in.rfind("QZJobClient::setPendingCause\"", 0) == 0 ||
                            in.rfind("EvEvent::addArgument\"", 0) == 0)
                    << "a raising was left without a clearing: " << state;
                EXPECT_EQ(Calls::total(), k) << "nothing may run after the clearing threw";
            } else if (raise != records.end()) {
                EXPECT_EQ(clear->clearedCode(), static_cast<unsigned int>(raise->code()));
                EXPECT_EQ(standin::Journal::isPending(42), raise->accepted && !clear->accepted);
            }
        }
        EXPECT_GT(k, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultSweep, testing::ValuesIn(kSwept),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
