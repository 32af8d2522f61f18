// Expected outputs kept as files beside the tests (golden/), reviewed like
// code: a test compares what it made with the file, or, with the variable
// KORRIN_UPDATE_GOLDEN set, rewrites the file for review.
#ifndef KORRIN_TEST_GOLDEN_H
#define KORRIN_TEST_GOLDEN_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace golden {

inline void expectFile(const std::string& path, const std::string& text) {
    if (std::getenv("KORRIN_UPDATE_GOLDEN")) {
        std::ofstream(path) << text;
        return;
    }
    std::ifstream in(path);
    const std::string golden{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text, golden) << path << ": KORRIN_UPDATE_GOLDEN=1 rewrites it for review";
}

// text with what changes from run to run replaced: each (pattern, placeholder).
inline std::string placeholders(std::string text,
                                const std::vector<std::pair<std::string, std::string>>& changing) {
    for (const auto& [pattern, placeholder] : changing)
        text = std::regex_replace(text, std::regex(pattern), placeholder);
    return text;
}

}  // namespace golden

#endif  // KORRIN_TEST_GOLDEN_H
