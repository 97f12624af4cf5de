#include "panels/common/SettingRows.h"

#include "ui/AnsiText.h"

namespace tunexa::panels::common {

std::optional<int> gammaPositionOf(const engine::SettingValue& stored) {
    return engine::gammaPosition(stored.asText());
}

std::optional<int> checkValueOf(const char* uncheckedText, const char* checkedText,
                                const std::string& text) {
    if (text == uncheckedText) {
        return 0;
    }
    if (text == checkedText) {
        return 1;
    }
    return std::nullopt;
}

QString toLabelText(const engine::SettingValue& value) {
    return toLabelText(value.asText());
}

QString toLabelText(const std::string& text) {
    return ui::fromAnsi(text);
}

std::optional<int> itemIndexOf(std::span<const ListItem> items, const engine::SettingValue& value) {
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (value.equals(items[index].value).value_or(false)) {
            return static_cast<int>(index);
        }
    }
    return std::nullopt;
}

}  // namespace tunexa::panels::common
