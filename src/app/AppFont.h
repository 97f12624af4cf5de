#pragma once

// The program's font: Tahoma where it can be loaded, DejaVu Sans otherwise.

#include <QString>

namespace tunexa::app {

// Where Debian's fonts-wine puts its Tahoma-compatible face (fontconfig does not list it).
inline constexpr const char* kTahomaFile = "/usr/share/wine/fonts/tahoma.ttf";

// The family to use: "Tahoma" if installed or loadable from `tahomaFile`, else "DejaVu Sans".
QString programFontFamily(const QString& tahomaFile = QString::fromLatin1(kTahomaFile));

// Sets the application font to that family, keeping the platform's size.
void applyProgramFont();

}  // namespace tunexa::app
