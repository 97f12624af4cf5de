#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "engine/SettingValue.h"

namespace tunexa::engine {
namespace {

// Absent counts as 0 and a text by its decimal value; a text that is no number in the 32-bit
// range converts to nothing and is neither equal nor unequal to a number.
TEST(SettingValue, ConvertsAndComparesAsTextNumberAndByte) {
    using Row = std::tuple<SettingValue, const char*, std::optional<int>, std::optional<int>>;
    for (const auto& [value, text, number, byte] : {
             Row{SettingValue(), "", 0, 0},
             Row{-5, "-5", -5, std::nullopt},
             Row{255, "255", 255, 255},
             Row{256, "256", 256, std::nullopt},
             Row{" 01 ", " 01 ", 1, 1},
             Row{"-2147483648", "-2147483648", INT32_MIN, std::nullopt},
         }) {
        EXPECT_EQ(value.asText(), text);
        EXPECT_EQ(value.asInt32(), number) << text;
        EXPECT_EQ(value.asByte(), byte) << text;
        EXPECT_EQ(value.equals(1), number == 1) << text;
    }
    for (const char* notANumber : {"", "abc", "1.5", "12abc", "--1", "+", "0x10", "2147483648"}) {
        EXPECT_EQ(SettingValue(notANumber).asInt32(), std::nullopt) << notANumber;
        EXPECT_EQ(SettingValue(notANumber).equals(0), std::nullopt) << notANumber;
    }
}

}  // namespace
}  // namespace tunexa::engine
