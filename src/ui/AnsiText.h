#pragma once

// The store keeps Windows-1252 text, Qt shows Unicode: the conversion at the widget edge.

#include <QString>

#include <string>
#include <string_view>

#include "store/Ansi.h"

namespace tunexa::ui {

inline QString fromAnsi(std::string_view ansiText) {
    return QString::fromStdString(ansi::toUtf8(ansiText));
}

// Characters Windows-1252 lacks become '?'; `lossless` says whether that happened.
inline std::string toAnsi(const QString& text, bool* lossless = nullptr) {
    return ansi::fromUtf8(text.toStdString(), lossless);
}

}  // namespace tunexa::ui
