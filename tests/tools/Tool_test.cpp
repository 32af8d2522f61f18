// What no command line of korrin-alert reaches: a call the job client refuses.
#include <gtest/gtest.h>

#include <csignal>

#include "Run.h"

namespace {

// A refusal by the job client exits 3 whatever the answer; a signal outranks it.
TEST(ExitStatus, ARefusedCallIsThreeASignalOutranksIt) {
    alerttool::Outcome outcome;
    outcome.records.emplace_back().accepted = false;
    EXPECT_EQ(alerttool::exitStatus(outcome), 3);
    outcome.signal = SIGTERM;
    EXPECT_EQ(alerttool::exitStatus(outcome), 143);
}

}  // namespace
