// The console's rendering in the language --lang or LANGUAGE names, from the
// same postings as the English one, with the catalogues found beside the
// tool in the build tree.
#include <nlohmann/json.hpp>

#include "ToolRunner.h"

namespace {

using nlohmann::json;

class Language : public tooltest::ToolTest {
protected:
    json report(std::vector<std::string> front, std::string* err = nullptr) {
        front.insert(front.end(), {"--json", "--answer-after", "0", "import", "--job", "42",
                                   "--media", "LTO-0001", "--library", "L1", "--drive", "D1"});
        const auto result = run(front);
        EXPECT_EQ(result.status, 0) << result.err;
        if (err != nullptr) *err = result.err;
        return json::parse(result.out);
    }
};

TEST_F(Language, TheConsoleReadsTheChosenLanguageFromTheSamePostings) {
    const json english = report({});
    struct Row {
        std::vector<std::string> front;
        std::optional<std::string> variable;  // LANGUAGE
        std::string language, notice;
    };
    const std::vector<Row> rows = {
        {{}, std::nullopt, "en", ""},
        {{"--lang", "de"}, std::nullopt, "de", ""},
        {{}, "de", "de", ""},
        {{"--lang", "en"}, "de", "en", ""},
        {{"--lang", "fr"}, std::nullopt, "en", "--lang fr: no catalogue"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language + " " + row.variable.value_or(""));
        env["LANGUAGE"] = row.variable;
        std::string err;
        const json document = report(row.front, &err);
        EXPECT_EQ(document["language"], row.language);
        const auto& raise = document["postings"][1];
        EXPECT_EQ(raise["arguments"], english["postings"][1]["arguments"]);
        EXPECT_EQ(raise["rendering"] == english["texts"]["log"], row.language == "en");
        EXPECT_EQ(raise["untranslated"], json::array());
        EXPECT_EQ(err.empty(), row.notice.empty()) << err;
        EXPECT_NE(err.find(row.notice), std::string::npos) << err;
    }
}

}  // namespace
