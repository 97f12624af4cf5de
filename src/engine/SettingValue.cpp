#include "engine/SettingValue.h"

#include <charconv>
#include <limits>

namespace tunexa::engine {

SettingValue SettingValue::fromOptionalText(const std::optional<std::string>& text) {
    return text ? SettingValue(*text) : SettingValue();
}

std::string SettingValue::asText() const {
    if (const auto* number = std::get_if<std::int32_t>(&value_)) {
        return std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value_)) {
        return *text;
    }
    return {};
}

std::optional<std::int32_t> SettingValue::asInt32() const {
    if (const auto* number = std::get_if<std::int32_t>(&value_)) {
        return *number;
    }
    if (const auto* text = std::get_if<std::string>(&value_)) {
        return parseDecimal(*text);
    }
    return 0;
}

std::optional<std::uint8_t> SettingValue::asByte() const {
    const auto number = asInt32();
    if (!number || *number < 0 || *number > std::numeric_limits<std::uint8_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*number);
}

std::optional<bool> SettingValue::equals(std::int32_t number) const {
    const auto own = asInt32();
    if (!own) {
        return std::nullopt;
    }
    return *own == number;
}

std::optional<std::int32_t> parseDecimal(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Parsed as a wider magnitude so that "-2147483648" is accepted and anything beyond the
    // 32-bit range is refused rather than wrapped.
    std::int64_t magnitude = 0;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, magnitude);
    if (error != std::errc() || stop != end || magnitude < 0) {
        return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace tunexa::engine
