// What the prompts that run a dialog do with a dialog that confirms, answers
// or fails: the golden transcripts of the alert sources built against
// scripted dialogs (tests/support/scripted_dialogs).
#include <gtest/gtest.h>

#include "Transcript.h"

namespace {

class ScriptedDialogs : public golden::AlertTest {};

TEST_F(ScriptedDialogs, TranscriptsMatch) { checkGoldenFile("scripted_dialogs.txt"); }

}  // namespace
