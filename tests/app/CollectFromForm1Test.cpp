// The real window as the engine's control reader. Which control each value comes from is the
// engine's own tests' business; here: captions come as Windows-1252, a one-row list gives its
// selection (not the item in view), and a name of another kind of control reads as nothing.
#include <gtest/gtest.h>

#include "app/Form1.h"
#include "engine/RegMethods.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"

namespace tunexa::app {
namespace {

using engine::SettingValue;

TEST(CollectFromForm1Test, TheWindowGivesCaptionsChecksAndSelectionsAsTheEngineReadsThem) {
    Form1 form;
    form.findChild<QLabel*>(QStringLiteral("lblV2GRGVal"))->setText(QStringLiteral("1–3"));
    auto* mipmaps = form.findChild<QListWidget*>(QStringLiteral("lstTNTD3Dmip"));
    mipmaps->addItems({QStringLiteral("in view, not selected"), QStringLiteral("12")});
    ui::setCheckValue(form.findChild<QCheckBox*>(QStringLiteral("chkTNTFogTable")), 1);
    engine::DriverSettings settings;
    engine::CollectDriverSettings(engine::kCardVoodoo2, form, settings);
    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    EXPECT_EQ(settings.V2Glide.SSTV2_RGAMMA, SettingValue("1\x96"
                                                          "3"));
    EXPECT_EQ(settings.TNT.MIPMAPLEVELS, SettingValue(""));
    EXPECT_EQ(settings.TNT.FOGTABLEENABLE, SettingValue(1));
    ui::selectText(mipmaps, QStringLiteral("12"));
    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    EXPECT_EQ(settings.TNT.MIPMAPLEVELS, SettingValue("12"));

    const engine::ControlReader& reader = form;
    EXPECT_EQ(reader.caption("chkTNTDX6") + reader.selectedText("lblTNTCoreVal"), "");
    EXPECT_EQ(reader.checkValue("lblNoSuchBox"), 0);
}

}  // namespace
}  // namespace tunexa::app
