// The alert header through the headers' own folder: it still reaches the
// platform contract headers it includes by bare name.
#include <korrin/QZKRGuiInterface.h>

bool raisesRequiredMediaPrompt(const QZKRGuiInterface& alert) {
    return alert.getEventMessageCode() == qzkr::kMsgInsertRequiredMedia;
}
