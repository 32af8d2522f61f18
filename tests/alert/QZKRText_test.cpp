// The bounded text helper and the line-feed conversion.
#include "QZKRText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestKit.h"

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
    using Write = bool (*)(TextBuffer&, const std::string&);
    const std::pair<bool, Write> writes[] = {
        // replaces the content?, the write
        {false, [](TextBuffer& t, const std::string& s) { return t.append("%s", s.c_str()); }},
        {false, [](TextBuffer& t, const std::string& s) { return t.appendText(s.c_str()); }},
        {false,
         [](TextBuffer& t, const std::string& s) { return t.appendBytes(s.data(), s.size()); }},
        {true, [](TextBuffer& t, const std::string& s) { return t.format("%s", s.c_str()); }},
        {true, [](TextBuffer& t, const std::string& s) { return t.copy(s.c_str()); }},
    };
    for (std::size_t size = 1; size <= source.size() + 5; ++size) {
        for (std::size_t before = 0; before < 4 && before < size; ++before) {
            for (const auto& [replaces, write] : writes) {
                std::vector<char> storage(size + 2, '#');
                TextBuffer text(storage.data(), size);
                EXPECT_TRUE(text.format("%.*s", static_cast<int>(before), "xxx"));
                const std::string whole = (replaces ? "" : std::string(before, 'x')) + source;
                std::string expected = whole.substr(0, size - 1);
                while (!testkit::isValidUtf8(expected)) expected.pop_back();
                SCOPED_TRACE("size " + std::to_string(size) + ", before " + std::to_string(before));
                EXPECT_EQ(write(text, source), whole.size() < size);
                EXPECT_EQ(std::string(storage.data()), expected);
                EXPECT_EQ(text.length(), expected.size());
                EXPECT_EQ(std::string(&storage[size], 2), "##");
            }
        }
    }
}

TEST(TextBufferTest, AFullBufferAndAFailedFormat) {
    char buffer[8];
    std::memset(buffer, 'q', sizeof buffer);
    TextBuffer text(buffer);
    EXPECT_EQ(text.length(), 7u);  // no NUL: full
    EXPECT_FALSE(text.append("%s", "more"));
    EXPECT_EQ(std::string(buffer), "qqqqqqq");
    // A character the C locale cannot print fails the format and empties the buffer.
    EXPECT_FALSE(text.format("%ls", L"\u00e9"));
    EXPECT_STREQ(buffer, "");
}

// Only a lead byte whose character the cut left incomplete goes; bytes
// before the floor are never judged.
TEST(TextBufferTest, WholeCharacterLength) {
    const char euro[] = "ab\xE2\x82\xAC";
    const std::size_t expected[] = {0, 1, 2, 2, 2, 5};
    for (std::size_t length = 0; length <= 5; ++length) {
        EXPECT_EQ(qzkr::wholeCharacterLength(euro, 0, length), expected[length]) << length;
    }
    EXPECT_EQ(qzkr::wholeCharacterLength(euro, 3, 4), 4u);
    EXPECT_EQ(qzkr::wholeCharacterLength("\x82\x82\x82\x82\x82", 0, 5), 5u);
}

TEST(ConvertNewLinesTest, LineFeedsBecomeSpacesInsideTheDestination) {
    char out[6] = "keep";
    qzkr::convertNewLines(out, nullptr, sizeof out);
    qzkr::convertNewLines(nullptr, "text", sizeof out);
    EXPECT_STREQ(out, "keep");
    qzkr::convertNewLines(out, "a\nb\r\n\ncut", sizeof out);
    EXPECT_STREQ(out, "a b\r ");
    qzkr::convertNewLines(out, "x", 1);
    EXPECT_STREQ(out, "");
}

}  // namespace
