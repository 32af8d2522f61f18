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
    EXPECT_EQ(english["language"], "en");
    EXPECT_EQ(english["postings"][1]["rendering"], english["texts"]["log"]);

    std::string err;
    const json byOption = report({"--lang", "de"}, &err);
    EXPECT_EQ(err, "");
    env["LANGUAGE"] = "de";
    const json byVariable = report({});
    for (const json* german : {&byOption, &byVariable}) {
        EXPECT_EQ((*german)["language"], "de");
        EXPECT_EQ((*german)["arguments"], english["arguments"]);
        const auto& raise = (*german)["postings"][1];
        EXPECT_EQ(raise["arguments"], english["postings"][1]["arguments"]);
        EXPECT_NE(raise["rendering"], english["postings"][1]["rendering"]);
        EXPECT_EQ(raise["untranslated"], json::array());
    }

    const json french = report({"--lang", "fr"}, &err);
    EXPECT_EQ(french["language"], "en");
    EXPECT_EQ(french["postings"][1]["rendering"], english["texts"]["log"]);
    EXPECT_NE(err.find("--lang fr: no catalogue"), std::string::npos) << err;
}

}  // namespace
