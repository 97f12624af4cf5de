#include "platform/files/BatchText.h"

#include <gtest/gtest.h>

namespace tunexa::files {
namespace {

TEST(BatchTextTest, RefusedCharactersAreNamed) {
    struct Case {
        std::string text;
        char refused;
        const char* description;
    };
    const Case cases[] = {
        {"1.2.3.4\r", '\r', "a line break (carriage return)"},
        {"1.2.3.4\nformat c:", '\n', "a line break (line feed)"},
        {std::string("a\0b", 3), '\0', "a NUL character"},
        {"a\x1a", '\x1a', "an end-of-file mark (Ctrl-Z)"},
        {"1.2.3.4 & del *.*", '&', "the command separator &"},
        {"a|b", '|', "the pipe character |"},
        {"a<b", '<', "the redirection character <"},
        {"1.2.3.4>nul", '>', "the redirection character >"},
        {"a^b", '^', "the escape character ^"},
        {"%PATH%", '%', "the variable character %"},
        {"Half\"Life", '"', "a double quote"},
        {"tab\there", '\t', "the control character 0x09"},
        {"del\x7f", '\x7f', "the control character 0x7F"},
        {"first & then |", '&', "the command separator &"},
    };
    for (const auto& c : cases) {
        const auto refused = unsafeBatchCharacter(c.text);
        ASSERT_TRUE(refused.has_value()) << c.text;
        EXPECT_EQ(*refused, c.refused) << c.text;
        EXPECT_EQ(describeBatchCharacter(*refused), c.description);
    }
}

TEST(BatchTextTest, OrdinaryNamesAndAddressesPass) {
    const char* safe[] = {
        "",
        "192.168.0.1",
        "game.example.net:27015",
        "Games\\Half-Life\\",
        "Sierra On-Line (old)\\Half Life!\\",
        "Caf\xE9 \xC0 la carte",
        "a.b.c.d",
    };
    for (const char* text : safe) {
        EXPECT_EQ(unsafeBatchCharacter(text), std::nullopt) << text;
        EXPECT_EQ(batchTextProblem("The text", text), std::nullopt) << text;
    }
}

TEST(BatchTextTest, ProblemSaysWhatAndWhy) {
    EXPECT_EQ(batchTextProblem("The server address", "1.2.3.4&x"),
              "The server address cannot go into a batch file: it holds the command "
              "separator &.");
}

}  // namespace
}  // namespace tunexa::files
