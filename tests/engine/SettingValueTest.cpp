#include "engine/SettingValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tunexa::engine {
namespace {

struct ConversionRow {
    SettingValue value;
    std::string text;
    std::optional<std::int32_t> number;
    std::optional<std::uint8_t> byte;
};

TEST(SettingValue, ConvertsToTextNumberAndByte) {
    const ConversionRow rows[] = {
        {SettingValue(), "", 0, 0},
        {SettingValue(1), "1", 1, 1},
        {SettingValue(0), "0", 0, 0},
        {SettingValue(-5), "-5", -5, std::nullopt},
        {SettingValue(110), "110", 110, 110},
        {SettingValue(255), "255", 255, 255},
        {SettingValue(256), "256", 256, std::nullopt},
        {SettingValue("01"), "01", 1, 1},
        {SettingValue("110"), "110", 110, 110},
        {SettingValue("03"), "03", 3, 3},
        {SettingValue("-12"), "-12", -12, std::nullopt},
        {SettingValue(" 7 "), " 7 ", 7, 7},
        {SettingValue("2147483647"), "2147483647", 2147483647, std::nullopt},
        {SettingValue("-2147483648"), "-2147483648", INT32_MIN, std::nullopt},
        {SettingValue("2147483648"), "2147483648", std::nullopt, std::nullopt},
        {SettingValue(""), "", std::nullopt, std::nullopt},
        {SettingValue("abc"), "abc", std::nullopt, std::nullopt},
        {SettingValue("1.5"), "1.5", std::nullopt, std::nullopt},
        {SettingValue("12abc"), "12abc", std::nullopt, std::nullopt},
        {SettingValue("--1"), "--1", std::nullopt, std::nullopt},
        {SettingValue("+"), "+", std::nullopt, std::nullopt},
        {SettingValue("0x10"), "0x10", std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("value \"" + row.value.asText() + "\"");
        EXPECT_EQ(row.value.asText(), row.text);
        EXPECT_EQ(row.value.asInt32(), row.number);
        EXPECT_EQ(row.value.asByte(), row.byte);
    }
}

TEST(SettingValue, EqualityWithANumberCountsAbsentAsZeroAndTextsByValue) {
    EXPECT_EQ(SettingValue().equals(0), true);
    EXPECT_EQ(SettingValue().equals(1), false);
    EXPECT_EQ(SettingValue(3).equals(3), true);
    EXPECT_EQ(SettingValue(2).equals(3), false);
    EXPECT_EQ(SettingValue("1").equals(1), true);
    EXPECT_EQ(SettingValue("01").equals(1), true);
    EXPECT_EQ(SettingValue("2").equals(1), false);
}

TEST(SettingValue, ATextThatIsNoNumberIsNeitherEqualNorUnequal) {
    EXPECT_EQ(SettingValue("").equals(0), std::nullopt);
    EXPECT_EQ(SettingValue("on").equals(1), std::nullopt);
}

TEST(SettingValue, KeepsItsStateApart) {
    EXPECT_TRUE(SettingValue().isAbsent());
    EXPECT_TRUE(SettingValue(0).isNumber());
    EXPECT_TRUE(SettingValue("").isText());
    EXPECT_NE(SettingValue(), SettingValue(""));
    EXPECT_NE(SettingValue(1), SettingValue("1"));
    EXPECT_EQ(SettingValue::fromOptionalText(std::nullopt), SettingValue());
    EXPECT_EQ(SettingValue::fromOptionalText(std::string("x")), SettingValue("x"));
}

}  // namespace
}  // namespace tunexa::engine
