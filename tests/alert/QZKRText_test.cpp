// The bounded text helper and the line-feed conversion.
#include "QZKRText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using qzkr::TextBuffer;

// Every write into every buffer size, after 0 to 3 bytes already there: the
// buffer holds the longest whole-character prefix that fits, NUL-terminated;
// the write says whether all of it fitted (a write that fits exactly does);
// no byte past the buffer is touched.
TEST(TextBufferTest, EveryCutOfEveryWrite) {
    // Characters of 2, 3 and 4 bytes, each with an even and an odd lead byte.
    const std::string source =
        "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z%s\xC4\x80\xE3\x81\x82\xF3\xA0\x80\x81";
    for (std::size_t size = 1; size <= source.size() + 5; ++size) {
        for (std::size_t before = 0; before < 4 && before < size; ++before) {
            for (int write = 0; write < 5; ++write) {
                SCOPED_TRACE(testing::Message()
                             << "write " << write << " into " << size << " after " << before);
                std::vector<char> storage(size + 2, '#');
                TextBuffer text(storage.data(), size);
                EXPECT_TRUE(text.format("%.*s", static_cast<int>(before), "xxx"));
                const bool whole = write == 0   ? text.append("%s", source.c_str())
                                   : write == 1 ? text.appendText(source.c_str())
                                   : write == 2 ? text.appendBytes(source.data(), source.size())
                                   : write == 3 ? text.format("%s", source.c_str())
                                                : text.copy(source.c_str());
                const std::string all = (write < 3 ? std::string(before, 'x') : "") + source;
                std::string expected = all.substr(0, size - 1);
                while (expected.size() < all.size() && (all[expected.size()] & 0xC0) == 0x80)
                    expected.pop_back();  // back to the start of the character cut
                EXPECT_EQ(whole, all.size() < size);
                EXPECT_EQ(std::string(storage.data()), expected);
                EXPECT_EQ(text.length(), expected.size());
                EXPECT_EQ(std::string(&storage[size], 2), "##");
            }
        }
    }
}

TEST(TextBufferTest, TheEdges) {
    char buffer[8];
    std::memset(buffer, 'q', sizeof buffer);
    TextBuffer text(buffer);
    EXPECT_EQ(text.length(), 7u);  // no NUL: full
    EXPECT_FALSE(text.append("%s", "more"));
    EXPECT_STREQ(buffer, "qqqqqqq");
    // A character the C locale cannot print fails the format and empties the buffer.
    EXPECT_FALSE(text.format("%ls", L"\u00e9"));
    EXPECT_STREQ(buffer, "");
    // Bytes before the floor are never judged, nor stray continuation bytes.
    EXPECT_EQ(qzkr::wholeCharacterLength("\xF0\x9F\x98\x80", 2, 3), 3u);
    EXPECT_EQ(qzkr::wholeCharacterLength("\x82\x82\x82\x82\x82", 0, 5), 5u);
    // Line feeds become spaces inside the destination; null writes nothing.
    qzkr::convertNewLines(buffer, "a\nb\r\n\ncut", 6);
    qzkr::convertNewLines(buffer, nullptr, 6);
    qzkr::convertNewLines(nullptr, "text", 6);
    EXPECT_STREQ(buffer, "a b\r ");
    qzkr::convertNewLines(buffer, "x", 1);
    EXPECT_STREQ(buffer, "");
}

}  // namespace
