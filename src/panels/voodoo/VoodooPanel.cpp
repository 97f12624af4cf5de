#include "panels/voodoo/VoodooPanel.h"

#include "ui/AnsiText.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>

#include <array>
#include <string>
#include <string_view>

#include "engine/SliderScales.h"
#include "panels/common/PanelMessages.h"
#include "panels/voodoo/GlideBatch.h"
#include "platform/files/HostFiles.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"

namespace tunexa::panels {

namespace {

using store::HKEY_LOCAL_MACHINE;

using engine::kVoodooKey;
using engine::kVoodooValues;
constexpr std::string_view kClockValue = kVoodooValues[0];

// The three option boxes and their own values, in the order they are stored.
struct OptionValue {
    std::string_view valueName;
    QCheckBox* Ui::VoodooFrame::*box;
};
constexpr std::array kOptionValues{
    OptionValue{kVoodooValues[1], &Ui::VoodooFrame::chk3DfxVVsync},
    OptionValue{kVoodooValues[2], &Ui::VoodooFrame::chk3DfxVFastMem},
    OptionValue{kVoodooValues[3], &Ui::VoodooFrame::chk3DfxVFastPCI},
};

std::string readOwnValue(std::string_view name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, kVoodooKey, name).value_or(std::string());
}

// The caption ends up in the batch file, so it is refused rather than changed when Windows-1252
// cannot hold it.
files::Result<std::string> toAnsi(const QString& text, std::string_view what) {
    bool lossless = true;
    std::string ansiText = ui::toAnsi(text, &lossless);
    if (!lossless) {
        return files::Result<std::string>::failure(
            std::string(what) + " holds a character that a Windows batch file cannot hold.");
    }
    return files::Result<std::string>::success(std::move(ansiText));
}

}  // namespace

VoodooPanel::VoodooPanel(VoodooFrame& widgets, const ui::PanelEnvironment& env,
                         files::Drives drives)
    : QObject(&widgets), widgets_(widgets), env_(env), drives_(std::move(drives)) {
    const auto& ui = widgets_.ui;
    connect(ui.sld3DfxVCore, &QSlider::valueChanged, this, &VoodooPanel::sld3DfxVCore_Change);
    connect(ui.cmd3DfxVapply, &QPushButton::clicked, this, &VoodooPanel::cmd3DfxVapply_Click);
    connect(ui.cmd3DfxVreset, &QPushButton::clicked, this, &VoodooPanel::cmd3DfxVreset_Click);
}

void VoodooPanel::LoadVoodooPanel() {
    auto& ui = widgets_.ui;
    const std::string clock = readOwnValue(kClockValue);
    if (const auto position = engine::kVoodooCoreClock.position(clock)) {
        ui.sld3DfxVCore->setValue(*position);
    }
    ui.lbl3DfxVCoreVal->setText(ui::fromAnsi(clock));
    for (const OptionValue& option : kOptionValues) {
        const std::string flag = readOwnValue(option.valueName);
        if (flag == "0" || flag == "1") {
            ui::setCheckValue(ui.*option.box, flag == "1" ? 1 : 0);
        }
    }
}

files::Status VoodooPanel::SaveVoodooValues() {
    const auto& ui = widgets_.ui;
    const auto writer = toAnsi(widgets_.window()->windowTitle(), "The window's title");
    if (!writer) {
        return files::Status::failure(writer.error());
    }
    const auto clock = toAnsi(ui.lbl3DfxVCoreVal->text(), "The core clock");
    if (!clock) {
        return files::Status::failure(clock.error());
    }
    const GlideSettings settings{*clock, ui::checkValue(ui.chk3DfxVFastMem),
                                 ui::checkValue(ui.chk3DfxVFastPCI),
                                 ui::checkValue(ui.chk3DfxVVsync)};
    // File first: the own values must never claim settings the file does not hold. The file is
    // put back when the store does not take the values.
    const store::FailureWatch watch;
    bool committed = false;
    {
        store::Change change(store::currentHive(), "Voodoo Graphics: Apply", &files::hostFiles());
        auto written = writeGlideBatch(*writer, settings, drives_);
        if (!written) {
            return files::Status::failure(written.error());
        }
        change.addFile(*written);
        store::RegSetString(HKEY_LOCAL_MACHINE, kVoodooKey, kClockValue, *clock);
        for (const OptionValue& option : kOptionValues) {
            store::RegSetString(HKEY_LOCAL_MACHINE, kVoodooKey, option.valueName,
                                std::to_string(ui::checkValue(ui.*option.box)));
        }
        committed = change.commit();
    }
    if (watch.failed()) {
        return files::Status::failure(watch.reason());
    }
    if (!committed) {
        return files::Status::failure("The settings store did not accept the changes.");
    }
    return files::Status::success();
}

void VoodooPanel::sld3DfxVCore_Change(int position) {
    widgets_.ui.lbl3DfxVCoreVal->setText(
        QString::fromStdString(engine::kVoodooCoreClock.text(position)));
}

void VoodooPanel::cmd3DfxVapply_Click() {
    auto& messages = env_.messages;
    if (!common::confirmApply(messages, QStringLiteral("Applying Voodoo Settings"))) {
        return;
    }
    const files::Status saved = SaveVoodooValues();
    if (!saved) {
        common::showNotApplied(messages, saved.error());
        return;
    }
    common::showTitled(messages, QStringLiteral("Voodoo Settings Applied"));
}

void VoodooPanel::cmd3DfxVreset_Click() {
    auto& messages = env_.messages;
    if (!common::confirmRestoreDefaults(messages)) {
        return;
    }
    auto& ui = widgets_.ui;
    ui.sld3DfxVCore->setValue(0);
    ui.lbl3DfxVCoreVal->setText("50");
    ui::setCheckValue(ui.chk3DfxVVsync, 1);
    ui::setCheckValue(ui.chk3DfxVFastMem, 0);
    ui::setCheckValue(ui.chk3DfxVFastPCI, 0);
    common::showDefaultsRestored(messages);
}

}  // namespace tunexa::panels
