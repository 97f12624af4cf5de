#pragma once

// The loosely typed value of one driver setting: absent, a whole number or a text, with the
// conversions the driver map relies on. A text that is not a decimal number never turns into a
// number: the conversions say so with an empty optional instead of guessing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tunexa::engine {

class SettingValue {
  public:
    // Absent: nothing stored yet, or the store held no text value.
    SettingValue() = default;
    SettingValue(std::int32_t number) : value_(number) {}
    SettingValue(std::string text) : value_(std::move(text)) {}
    SettingValue(const char* text) : value_(std::string(text)) {}
    SettingValue(std::string_view text) : value_(std::string(text)) {}

    // A text read from the store: no value makes the field absent.
    static SettingValue fromOptionalText(const std::optional<std::string>& text);

    bool isAbsent() const { return std::holds_alternative<std::monostate>(value_); }
    bool isNumber() const { return std::holds_alternative<std::int32_t>(value_); }
    bool isText() const { return std::holds_alternative<std::string>(value_); }

    // Absent gives "", a number its decimal digits ("-5", "110"), a text itself.
    std::string asText() const;
    // Absent gives 0, a number itself, a text its decimal value ("01" gives 1); nothing for a
    // text that is not a decimal number in the 32-bit range.
    std::optional<std::int32_t> asInt32() const;
    // As asInt32, and nothing outside 0 to 255.
    std::optional<std::uint8_t> asByte() const;
    // Equality with a number: absent counts as 0, a text by its decimal value; nothing when the
    // text is not a number, so neither "equal" nor "not equal" can be claimed.
    std::optional<bool> equals(std::int32_t number) const;

    // Same state and same content ("1" and 1 differ here; use equals() for the numeric test).
    bool operator==(const SettingValue&) const = default;

  private:
    std::variant<std::monostate, std::int32_t, std::string> value_;
};

// A decimal whole number in the 32-bit range: optional blanks around it, an optional sign,
// at least one digit, nothing else.
std::optional<std::int32_t> parseDecimal(std::string_view text);

}  // namespace tunexa::engine
