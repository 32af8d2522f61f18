// Prepares an import prompt through the installed library and prints its
// event text. The headers are reached by bare name here, as the agent's code
// writes them, and through their folder in prefixed.cpp.
#include <cstdio>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"

bool raisesRequiredMediaPrompt(const QZKRGuiInterface& alert);

int main() {
    MMDebug log;
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("LTO-0001", nullptr, nullptr, "L1", "D1", 42, false, false, log);
    std::printf("%s\n", alert.getGumMessage());
    return raisesRequiredMediaPrompt(alert) ? 0 : 1;
}
