#include "panels/voodoo/GlideBatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunexa::panels {
namespace {

const char* const kWriter = "Tunexa v1.0.7 for Win95/98 - Public Beta";

TEST(GlideBatchTest, SixLinesInTheirOrderWithTheValuesAfterTheEqualsSigns) {
    const auto lines = glideBatchLines(kWriter, GlideSettings{"57", 1, 0, 1});
    ASSERT_TRUE(lines) << lines.error();
    const std::vector<std::string> expected{
        "REM -- Written by Tunexa v1.0.7 for Win95/98 - Public Beta --",
        "SET SST_GRXCLK=57",
        "SET SST_FASTMEM=1",
        "SET SST_FASTPCIRD=0",
        "SET SST_SWAP_EN_WAIT_ON_VSYNC=1",
        "SET FX_GLIDE_SWAPINTERVAL=0",
    };
    EXPECT_EQ(*lines, expected);
}

TEST(GlideBatchTest, EachOptionGoesToItsOwnLine) {
    const auto fastPciOnly = glideBatchLines(kWriter, GlideSettings{"50", 0, 1, 0});
    ASSERT_TRUE(fastPciOnly);
    EXPECT_EQ((*fastPciOnly)[2], "SET SST_FASTMEM=0");
    EXPECT_EQ((*fastPciOnly)[3], "SET SST_FASTPCIRD=1");
    EXPECT_EQ((*fastPciOnly)[4], "SET SST_SWAP_EN_WAIT_ON_VSYNC=0");
    EXPECT_EQ((*fastPciOnly)[5], "SET FX_GLIDE_SWAPINTERVAL=0");
}

TEST(GlideBatchTest, AnEmptyClockLeavesNothingAfterTheEqualsSign) {
    const auto lines = glideBatchLines(kWriter, GlideSettings{"", 0, 0, 0});
    ASSERT_TRUE(lines);
    EXPECT_EQ((*lines)[1], "SET SST_GRXCLK=");
}

struct RefusedClock {
    const char* clock;
    const char* named;
};

class GlideBatchRefusalTest : public ::testing::TestWithParam<RefusedClock> {};

TEST_P(GlideBatchRefusalTest, AClockThatWouldBreakTheFileIsRefused) {
    const auto lines = glideBatchLines(kWriter, GlideSettings{GetParam().clock, 0, 0, 1});
    ASSERT_FALSE(lines);
    EXPECT_NE(lines.error().find("core clock"), std::string::npos) << lines.error();
    EXPECT_NE(lines.error().find(GetParam().named), std::string::npos) << lines.error();
}

INSTANTIATE_TEST_SUITE_P(Characters, GlideBatchRefusalTest,
                         ::testing::Values(RefusedClock{"50\r\ndel c:\\autoexec.bat", "line break"},
                                           RefusedClock{"50\nformat c:", "line break"},
                                           RefusedClock{"50&echo", "&"},
                                           RefusedClock{"50|more", "|"},
                                           RefusedClock{"50>nul", ">"}, RefusedClock{"%PATH%", "%"},
                                           RefusedClock{"50^", "^"}));

}  // namespace
}  // namespace tunexa::panels
