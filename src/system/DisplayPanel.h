#pragma once

// The "Main Display Settings" frame: the display modes listed in lstMainRes, the switch to the
// selected mode, and the current screen size in lblCurrentRes. Start-up fills the list and the
// label once; nothing refreshes them afterwards.

#include <QObject>
#include <QString>

#include <functional>

#include "platform/MessageBoxService.h"
#include "platform/display/DisplayModes.h"
#include "platform/display/ScreenExtent.h"
#include "system/DisplayFrame.h"
#include "system/DisplayModeList.h"

namespace tunexa::system {

class DisplayPanel : public QObject {
    Q_OBJECT

  public:
    using ScreenExtentSource = std::function<platform::ScreenExtent()>;

    // `extent` gives the screen's size and dots per inch for lblCurrentRes.
    DisplayPanel(DisplayFrame& widgets, platform::MessageBoxService& messages,
                 platform::DisplayModes& modes,
                 ScreenExtentSource extent = platform::primaryScreenExtent);

    // Enumerates the modes into a fresh DisplayModeList and lists modes 1, 2, ... in lstMainRes
    // (mode 0 is kept in slot 0 but not listed).
    void FillDisplayModeList();
    // lblCurrentRes = the screen size scaled to 96 dpi, e.g. "1024 x 768".
    void SetCurrentResolution();
    // Switches to the mode of the selected entry (slot k + 1; nothing selected: slot 0).
    void cmdSwitchDisplay_Click();

    const DisplayModeList& displayModeList() const { return modeList_; }

    // "640x480x16": width, height and bits per pixel.
    static QString modeEntryText(const platform::DisplayMode& mode);
    // Width and height times 96 / dpi, each in single precision without trailing zeros.
    static QString currentResolutionText(const platform::ScreenExtent& extent);

  private:
    DisplayFrame& widgets_;
    platform::MessageBoxService& messages_;
    platform::DisplayModes& modes_;
    ScreenExtentSource extent_;
    DisplayModeList modeList_;
};

}  // namespace tunexa::system
