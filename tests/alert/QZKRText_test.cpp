// The bounded text helper and the line-feed conversion.
#include "QZKRText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AlertTestSupport.h"

namespace {

using qzkr::TextBuffer;
using testkit::isValidUtf8;

TEST(TextBufferTest, FormatAndAppendCompose) {
    char buffer[64];
    TextBuffer text(buffer);
    EXPECT_TRUE(text.format("media [%s] job [%lld]", "M1", 42LL));
    EXPECT_TRUE(text.append(" %s.", "ok"));
    EXPECT_STREQ(buffer, "media [M1] job [42] ok.");
    text.clear();
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(text.length(), 0u);
}

TEST(TextBufferTest, PercentInAValueIsNotAFormat) {
    char buffer[32];
    TextBuffer(buffer).format("%s", "%n%s%d");
    EXPECT_STREQ(buffer, "%n%s%d");
}

// Every buffer size from 1 up: the text is the longest prefix that fits,
// NUL-terminated, and the bytes past the NUL are never touched.
TEST(TextBufferTest, EveryTruncationOfAsciiStaysInside) {
    const std::string source = "Please insert the required media";
    for (std::size_t size = 1; size <= source.size() + 2; ++size) {
        std::vector<char> storage(size + 4, '#');
        TextBuffer text(storage.data(), size);
        text.clear();
        const bool whole = text.append("%s", source.c_str());
        EXPECT_EQ(whole, source.size() < size) << size;
        EXPECT_EQ(std::string(storage.data()), source.substr(0, size - 1)) << size;
        for (std::size_t k = size; k < storage.size(); ++k) EXPECT_EQ(storage[k], '#') << size;
    }
}

// Characters of 2, 3 and 4 bytes in every position relative to the cut.
TEST(TextBufferTest, EveryTruncationKeepsWholeUtf8Characters) {
    const std::string source = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z\xC3\xA9\xF0\x9F\x98\x80";
    for (std::size_t size = 1; size <= source.size() + 1; ++size) {
        for (std::size_t prefix = 0; prefix < 3 && prefix < size; ++prefix) {
            std::vector<char> storage(size, '#');
            TextBuffer text(storage.data(), size);
            text.format("%.*s", static_cast<int>(prefix), "xxx");
            text.append("%s", source.c_str());
            const std::string out(storage.data());
            ASSERT_LT(out.size(), size);
            EXPECT_TRUE(isValidUtf8(out)) << size << "/" << prefix;
            EXPECT_EQ(out, (std::string(prefix, 'x') + source).substr(0, out.size()));
            // Cut back by less than one character.
            EXPECT_GT(out.size() + 4, std::min(size - 1, prefix + source.size()));
        }
    }
}

// The unformatted copy cuts exactly as a formatted write does.
TEST(TextBufferTest, CopiedTextIsCutLikeFormattedText) {
    const std::string source = "ab\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80%s";
    for (std::size_t size = 1; size <= source.size() + 1; ++size) {
        std::vector<char> copied(size + 2, '#'), formatted(size + 2, '#');
        TextBuffer(copied.data(), size).copy("x");
        TextBuffer(copied.data(), size).appendText(source.c_str());
        TextBuffer(formatted.data(), size).format("x%s", source.c_str());
        EXPECT_EQ(std::string(copied.data()), std::string(formatted.data())) << size;
        EXPECT_EQ(copied[size], '#');
    }
}

TEST(TextBufferTest, TheTwoThousandFortyEightByteEdge) {
    char buffer[2048];
    TextBuffer text(buffer);
    EXPECT_TRUE(text.format("%s", std::string(2047, 'a').c_str()));
    EXPECT_EQ(std::strlen(buffer), 2047u);
    EXPECT_FALSE(text.append("%s", "b"));
    EXPECT_EQ(std::strlen(buffer), 2047u);
    EXPECT_FALSE(text.format("%s", std::string(2048, 'a').c_str()));
    EXPECT_EQ(std::strlen(buffer), 2047u);
    // A two-byte character that would straddle the last byte is dropped whole.
    EXPECT_FALSE(text.format("%s\xC3\xA9", std::string(2046, 'a').c_str()));
    EXPECT_EQ(std::strlen(buffer), 2046u);
    EXPECT_FALSE(text.format("%s", std::string(5000, 'x').c_str()));
    EXPECT_EQ(std::strlen(buffer), 2047u);
}

TEST(TextBufferTest, BufferWithoutNulCountsAsFull) {
    char buffer[8];
    std::memset(buffer, 'q', sizeof buffer);
    TextBuffer text(buffer);
    EXPECT_EQ(text.length(), 7u);
    EXPECT_FALSE(text.append("%s", "more"));
    EXPECT_EQ(buffer[7], '\0');
}

TEST(WholeCharacterLengthTest, CutsOnlyAnIncompleteTrailingCharacter) {
    const char euro[] = "ab\xE2\x82\xAC";
    EXPECT_EQ(qzkr::wholeCharacterLength(euro, 0, 5), 5u);
    EXPECT_EQ(qzkr::wholeCharacterLength(euro, 0, 4), 2u);
    EXPECT_EQ(qzkr::wholeCharacterLength(euro, 0, 3), 2u);
    EXPECT_EQ(qzkr::wholeCharacterLength(euro, 0, 2), 2u);
    // Never before the floor, even when the bytes there are not UTF-8.
    EXPECT_EQ(qzkr::wholeCharacterLength("\x82\x82", 0, 2), 2u);
    EXPECT_EQ(qzkr::wholeCharacterLength(euro, 3, 4), 4u);
}

TEST(ConvertNewLinesTest, LineFeedsBecomeSpacesAndNothingElseChanges) {
    char out[16];
    qzkr::convertNewLines(out, "a\nb\r\n", sizeof out);
    EXPECT_EQ(std::memcmp(out, "a b\r ", 6), 0);
    qzkr::convertNewLines(out, "", sizeof out);
    EXPECT_STREQ(out, "");
}

TEST(ConvertNewLinesTest, NullDestinationOrSourceWritesNothing) {
    char out[8] = "keep";
    qzkr::convertNewLines(out, nullptr, sizeof out);
    EXPECT_STREQ(out, "keep");
    qzkr::convertNewLines(nullptr, "text", sizeof out);  // must not crash
}

TEST(ConvertNewLinesTest, StaysInsideTheDestination) {
    char out[4] = "xxx";
    qzkr::convertNewLines(out, "a\nbcdef", sizeof out);
    EXPECT_STREQ(out, "a b");
}

}  // namespace
