#include <gtest/gtest.h>

#include "engine/SliderScales.h"

namespace tunexa::engine {
namespace {

TEST(GammaScale, HasExactlyTheFortyOneTextsBothWays) {
    EXPECT_EQ(gammaText(0), "0.00");
    EXPECT_EQ(gammaText(1), "0.05");
    EXPECT_EQ(gammaText(19), "0.95");
    EXPECT_EQ(gammaText(20), "1.00");
    EXPECT_EQ(gammaText(36), "1.80");
    EXPECT_EQ(gammaText(40), "2.00");
    EXPECT_EQ(gammaText(41), "");
    EXPECT_EQ(gammaText(-1), "");
    for (int p = 0; p < kGammaPositions; ++p) {
        EXPECT_EQ(gammaPosition(gammaText(p)), p) << p;
    }
}

TEST(GammaScale, AnyOtherTextHasNoPosition) {
    for (const char* text :
         {"1.8", "1,80", "1.800", " 1.80", "1.80 ", "2.05", "1.03", "", "01.80", "-0.00", "1"}) {
        EXPECT_EQ(gammaPosition(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(ClockScale, MatchesExactDecimalTextsWithinTheSearchedPositions) {
    EXPECT_EQ(kTNTCoreClock.text(0), "90");
    EXPECT_EQ(kTNTCoreClock.text(30), "120");
    EXPECT_EQ(kTNTCoreClock.text(31), "");
    EXPECT_EQ(kTNTMemoryClock.position("125"), 15);
    EXPECT_EQ(kTNTMemoryClock.position("140"), std::nullopt);
    EXPECT_EQ(kTNTMemoryClock.position("125.0"), std::nullopt);
    EXPECT_EQ(kBansheeClock.position("0100"), std::nullopt);
    EXPECT_EQ(kBansheeClock.position("100 "), std::nullopt);
    EXPECT_EQ(kBansheeClock.position("110"), 10);
    EXPECT_EQ(kVoodoo2CoreClock.position("105", 11), std::nullopt);  // beyond the tray's speeds
    EXPECT_EQ(kVoodoo2CoreClock.position("105"), 15);
    EXPECT_EQ(kVoodooCoreClock.text(10), "60");
}

}  // namespace
}  // namespace tunexa::engine
