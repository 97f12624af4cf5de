#include "platform/files/BatchText.h"

#include <gtest/gtest.h>

namespace tunexa::files {
namespace {

TEST(BatchText, RefusesWhatWouldBreakABatchLineAndSaysWhat) {
    for (const char c : std::string("\r\n\x1a&|<>^%\"\t\x7f\x01", 13) + '\0') {
        EXPECT_EQ(unsafeBatchCharacter(std::string("1.2.3.4") + c + "x"), c) << int(c);
    }
    EXPECT_EQ(describeBatchCharacter('\r'), "a line break (carriage return)");
    EXPECT_EQ(describeBatchCharacter('\x1a'), "an end-of-file mark (Ctrl-Z)");
    EXPECT_EQ(describeBatchCharacter('\t'), "the control character 0x09");
    EXPECT_EQ(describeBatchCharacter('\x7f'), "the control character 0x7F");
    EXPECT_EQ(batchTextProblem("The server address", "1.2.3.4&x|y"),
              "The server address cannot go into a batch file: it holds the command separator &.");
    for (const char* safe : {"", "game.example.net:27015", "Sierra On-Line (old)\\Half Life!\\",
                             "Caf\xE9 \xC0 la carte"}) {
        EXPECT_EQ(batchTextProblem("The text", safe), std::nullopt) << safe;
    }
}

}  // namespace
}  // namespace tunexa::files
