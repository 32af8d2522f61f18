// What no command line of korrin-alert reaches: a call the job client refuses.
#include <gtest/gtest.h>

#include "Run.h"

// A refusal by the job client exits 3.
TEST(ExitStatus, ARefusedCallIsThree) {
    alerttool::Outcome outcome;
    outcome.records.emplace_back().accepted = false;
    EXPECT_EQ(alerttool::exitStatus(outcome), 3);
}
