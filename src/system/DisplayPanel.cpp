#include "system/DisplayPanel.h"

#include <QPushButton>

#include "system/DefaultDisplayMode.h"
#include "ui/ListBox.h"

namespace tunexa::system {

namespace {

constexpr std::uint32_t kRequestedFields =
    platform::DM_BITSPERPEL | platform::DM_PELSWIDTH | platform::DM_PELSHEIGHT;

const char* const kRestartPrompt = "You must reboot for the change to take effect.";
const char* const kFailedPrompt = "Error changing resolution!";

// A number of single precision as the classic run-time writes it: up to seven significant
// digits, no trailing zeros.
QString singleText(double value) {
    return QString::number(static_cast<double>(static_cast<float>(value)), 'g', 7);
}

}  // namespace

DisplayPanel::DisplayPanel(DisplayFrame& widgets, platform::MessageBoxService& messages,
                           platform::DisplayModes& modes, ScreenExtentSource extent)
    : widgets_(widgets), messages_(messages), modes_(modes), extent_(std::move(extent)) {
    connect(widgets_.ui.cmdSwitchDisplay, &QPushButton::clicked, this,
            &DisplayPanel::cmdSwitchDisplay_Click);
}

void DisplayPanel::FillDisplayModeList() {
    modeList_ = DisplayModeList();
    widgets_.ui.lstMainRes->clear();
    modes_.EnumerateDisplayMode(0, modeList_[0]);
    for (int n = 1;; ++n) {
        if (n >= modeList_.slotCount()) {
            modeList_.grow();
        }
        if (!modes_.EnumerateDisplayMode(n, modeList_[n])) {
            break;
        }
        widgets_.ui.lstMainRes->addItem(modeEntryText(modeList_[n]));
    }
}

void DisplayPanel::SetCurrentResolution() {
    widgets_.ui.lblCurrentRes->setText(currentResolutionText(extent_()));
}

void DisplayPanel::cmdSwitchDisplay_Click() {
    platform::DisplayMode& mode = modeList_[ui::selectedIndex(widgets_.ui.lstMainRes) + 1];
    mode.dmFields = kRequestedFields;
    const int result = changeDisplayModeAsDefault(modes_, mode);
    if (result == platform::DISP_CHANGE_SUCCESSFUL) {
        return;
    }
    if (result == platform::DISP_CHANGE_RESTART) {
        messages_.show(QString::fromLatin1(kRestartPrompt), platform::MessageButtons::OkCancel);
        return;
    }
    messages_.show(QString::fromLatin1(kFailedPrompt));
}

QString DisplayPanel::modeEntryText(const platform::DisplayMode& mode) {
    return QStringLiteral("%1x%2x%3")
        .arg(mode.dmPelsWidth)
        .arg(mode.dmPelsHeight)
        .arg(mode.dmBitsPerPel);
}

QString DisplayPanel::currentResolutionText(const platform::ScreenExtent& extent) {
    const auto scaled = [](double pixels, double dotsPerInch) {
        return dotsPerInch > 0 ? singleText(pixels * 96.0 / dotsPerInch) : singleText(pixels);
    };
    return scaled(extent.widthPixels, extent.dotsPerInchX) + QStringLiteral(" x ") +
           scaled(extent.heightPixels, extent.dotsPerInchY);
}

}  // namespace tunexa::system
