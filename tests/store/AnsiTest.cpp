#include <gtest/gtest.h>

#include "store/Ansi.h"

namespace tunexa::ansi {
namespace {

TEST(Ansi, FoldsAsciiAndWindows1252Letters) {
    EXPECT_EQ(fold("Software\\NVIDIA"), "software\\nvidia");
    EXPECT_EQ(fold("\xC4\xD6\xDC"), "\xE4\xF6\xFC");          // ÄÖÜ -> äöü
    EXPECT_EQ(fold("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");  // Š Œ Ž Ÿ
    EXPECT_EQ(fold("\xD7\xDF"), "\xD7\xDF");                  // × and ß have no case partner here
    EXPECT_TRUE(equalsIgnoringCase("DirectX \xC9", "directx \xE9"));
    EXPECT_FALSE(equalsIgnoringCase("abc", "abd"));
}

TEST(Ansi, OrdersIgnoringCaseThenByBytes) {
    EXPECT_TRUE(lessIgnoringCase("alpha", "Beta"));
    EXPECT_TRUE(lessIgnoringCase("B", "b"));
    EXPECT_FALSE(lessIgnoringCase("b", "B"));
    EXPECT_TRUE(lessIgnoringCase("ab", "abc"));
}

TEST(Ansi, ConvertsBetweenCodePageAndUnicode) {
    EXPECT_EQ(toUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    bool lossless = false;
    EXPECT_EQ(fromUtf8("caf\xC3\xA9 \xE2\x82\xAC", &lossless), "caf\xE9 \x80");
    EXPECT_TRUE(lossless);
    EXPECT_EQ(fromUtf8("\xE4\xB8\xAD", &lossless), "?");  // a CJK character
    EXPECT_FALSE(lossless);
    EXPECT_EQ(fromUtf8("ab\xC3", &lossless), "ab?");  // cut-off sequence
    EXPECT_FALSE(lossless);
    EXPECT_EQ(fromUtf16Le(toUtf16Le("x\x80y\x81"), &lossless), "x\x80y\x81");
    EXPECT_TRUE(lossless);
}

TEST(Ansi, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    bool lossless = false;
    EXPECT_EQ(fromUtf8(toUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
}

}  // namespace
}  // namespace tunexa::ansi
