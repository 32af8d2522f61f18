// Prepares an import prompt through the installed library and prints its
// event text.
#include <cstdio>

#include "MMDebug.h"
#include "QZKRGuiInterface.h"

int main() {
    MMDebug log;
    QZKRGuiInterface alert(log, 42);
    alert.DisplayImportMessage("LTO-0001", nullptr, nullptr, "L1", "D1", 42, false, false, log);
    std::printf("%s\n", alert.getGumMessage());
    return 0;
}
