#include <cstring>

#include "Standin.h"

namespace standin {

std::string systemText(int error) {
    std::string text = std::strerror(error);
    // Only an ASCII capital: the text may be in another language's letters.
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}  // namespace standin
