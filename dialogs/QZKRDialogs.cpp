#include "QZKRDialogs.h"

#include <cstdio>

#include "EvDebug.h"
#include "QZKRBanned.h"

// The texts go to "%s" and are never used as a format: a '%' in them prints
// as it is.

long long QZKRMessageBox::DoModal() {
    EvDebug debug(nullptr);
    debug.DebugJob("QZKRMessageBox", qzcast::lld(jobId), "%s", text.c_str());
    std::printf("Job %lld: %s\n", qzcast::lld(jobId), text.c_str());
    return 0;
}

long long MediaExportDlg::DoModal() {
    EvDebug debug(nullptr);
    debug.DebugJob("MediaExportDlg", qzcast::lld(jobId), "%s, media: [%s], volume: [%s]",
                   text.c_str(), media.c_str(), volume.c_str());
    std::printf("Job %lld: %s, media: [%s], volume: [%s]\n", qzcast::lld(jobId), text.c_str(),
                media.c_str(), volume.c_str());
    return 0;
}
