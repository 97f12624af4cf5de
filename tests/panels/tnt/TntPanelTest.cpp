// The Riva TNT tab's behaviour on the real main window, offscreen, with scripted message boxes and
// a fresh hive per test: loading, the live controls, Apply, Reset Defaults and the tray branch.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/AppFont.h"
#include "app/Form1.h"
#include "engine/DriverSettings.h"
#include "engine/RegMethods.h"
#include "panels/tnt/TntPanel.h"
#include "panels/tnt/TntTab.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"
#include "ui/IndexedActionGroup.h"
#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::test {
namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using store::HKEY_LOCAL_MACHINE;

constexpr std::string_view kD3D = "Software\\NVIDIA Corporation\\Riva TNT\\Direct3D";
constexpr std::string_view kGL = "Software\\NVIDIA Corporation\\Riva TNT\\OpenGL";
constexpr std::string_view kTweak = "Software\\NVIDIA Corporation\\Riva TNT\\NV4Tweak";
constexpr std::string_view kDisplay = "System\\CurrentControlSet\\Services\\Class\\Display\\";

const QString kCrLf = QStringLiteral("\r\n");

MessageBox box(const QString& prompt, const QString& title, MessageButtons buttons) {
    return MessageBox{prompt, title, buttons};
}

const MessageBox kApplyAsk = box("Are you sure?", "Applying Settings", MessageButtons::YesNo);
const MessageBox kApplied = box("TNT Settings Applied\r\nA reboot is needed to force changes",
                                "TNT Settings Applied", MessageButtons::Ok);
const MessageBox kNotApplied =
    box("Settings Not Applied", "Settings Not Applied", MessageButtons::Ok);
const MessageBox kDefaultsAsk = box("Are you sure?", "Restoring Defaults", MessageButtons::YesNo);
const MessageBox kDefaultsDone = box("Defaults Restored", "Defaults Restored", MessageButtons::Ok);
const MessageBox kDefaultsRefused =
    box("Defaults Not Restored", "Defaults Not Restored", MessageButtons::Ok);
const MessageBox kTrayAsk = box("Are you sure?", "Are you sure?", MessageButtons::YesNo);
const MessageBox kDefaultSet = box("Default set", "Default set", MessageButtons::Ok);

// One stored value as (name, type, bytes), for comparing whole keys.
using StoredValue = std::tuple<std::string, std::uint32_t, store::Bytes>;

std::vector<StoredValue> valuesOf(std::string_view key) {
    std::vector<StoredValue> values;
    for (const auto& value : store::currentHive().values(HKEY_LOCAL_MACHINE, key)) {
        values.emplace_back(value.name, value.type, value.data);
    }
    return values;
}

std::vector<std::vector<StoredValue>> tntKeys() {
    return {valuesOf(kD3D), valuesOf(kGL), valuesOf(kTweak)};
}

std::optional<store::RawValue> raw(std::string_view key, std::string_view name) {
    return store::currentHive().getValue(HKEY_LOCAL_MACHINE, key, name);
}

void expectDword(std::string_view key, std::string_view name, std::int32_t expected) {
    SCOPED_TRACE(std::string(name));
    const auto value = raw(key, name);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, store::REG_DWORD);
    EXPECT_EQ(store::RegGetDword(HKEY_LOCAL_MACHINE, key, name), expected);
}

void expectByte(std::string_view key, std::string_view name, std::uint8_t expected) {
    SCOPED_TRACE(std::string(name));
    const auto value = raw(key, name);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, store::REG_BINARY);
    EXPECT_EQ(value->data, store::Bytes{expected});
}

void expectText(std::string_view key, std::string_view name, const std::string& expected) {
    SCOPED_TRACE(std::string(name));
    const auto value = raw(key, name);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, store::REG_SZ);
    EXPECT_EQ(store::RegGetString(HKEY_LOCAL_MACHINE, key, name), expected);
}

// The NVIDIA keys as the Detonator driver leaves them (dwords where the program would write a
// byte), and three display classes: 0005 names the driver in capitals, 0001 and 0003 match.
void prepareDriverStore() {
    using store::RegSetDword;
    using store::RegSetString;
    const auto hklm = HKEY_LOCAL_MACHINE;
    RegSetDword(hklm, kD3D, "AAMETHOD", 4);
    RegSetDword(hklm, kD3D, "ANTIALIASENABLE", 1);
    RegSetDword(hklm, kD3D, "AUTOMIPMAPMETHOD", 1);
    RegSetDword(hklm, kD3D, "DX6ENABLE", 1);
    RegSetDword(hklm, kD3D, "LODBIASADJUST", 8);
    RegSetString(hklm, kD3D, "MCLK", "125");
    RegSetString(hklm, kD3D, "NVCLK", "100");
    RegSetDword(hklm, kD3D, "MIPMAPDITHERENABLE", 1);
    RegSetDword(hklm, kD3D, "MIPMAPLEVELS", 5);
    RegSetDword(hklm, kD3D, "NOVSYNC", 1);
    RegSetDword(hklm, kD3D, "FOGTABLEENABLE", 1);
    RegSetDword(hklm, kD3D, "CPUOPTDISABLE", 0);
    store::RegSetBinary(hklm, kGL, "TextureQuality", 3);
    RegSetDword(hklm, kTweak, "PowerUser", 1);

    const std::string display(kDisplay);
    RegSetString(hklm, display + "0005\\DEFAULT", "minivdd", "NV4.VXD");
    RegSetString(hklm, display + "0005", "DriverDesc", "Capital letters");
    RegSetString(hklm, display + "0003\\DEFAULT", "minivdd", "nv4.vxd");
    RegSetString(hklm, display + "0003", "DriverDesc", "Second NVIDIA adapter");
    RegSetString(hklm, display + "0001\\DEFAULT", "minivdd", "nv4.vxd");
    RegSetString(hklm, display + "0001", "DriverDesc", "NVIDIA RIVA TNT");
    RegSetString(hklm, display + "0001", "DriverDate", "3-2-1999");
    RegSetString(hklm, display + "0000\\DEFAULT", "minivdd", "3dfxvb.vxd");
}

class TntPanelTest : public testing::Test {
  protected:
    TntPanelTest() {
        store::useHiveFile(dir / "registry.db");
        engine::driverSettings() = {};
    }

    ~TntPanelTest() override {
        engine::driverSettings() = {};
        store::useHive(nullptr);
    }

    // Start-up's part for the TNT panel: read, fill, load; and for a configured card the
    // second load that leaves the lists without a selection.
    void startUp(bool configured = true) {
        engine::ReadDriverSettings(engine::kCardTNT);
        panel.FillTNTLists();
        panel.LoadTNTPanel();
        if (configured) {
            panel.LoadTNTPanel();
            panel.deselectListsAtTopIndex();
        }
    }

    ui::IndexedActionGroup& group(const char* name) { return *form.popupMenu().group(name); }

    // The indexes of the checked items of a tray group.
    std::vector<int> marks(const char* name) {
        std::vector<int> checked;
        const auto& actions = group(name).actions();
        for (int i = 0; i < actions.size(); ++i) {
            if (actions.at(i)->isChecked()) {
                checked.push_back(i);
            }
        }
        return checked;
    }

    // Answers for a whole conversation, then the boxes it showed.
    void script(std::initializer_list<MessageAnswer> answers) {
        for (const MessageAnswer answer : answers) {
            boxes.answer(answer);
        }
    }

    std::vector<MessageBox> conversation(std::initializer_list<MessageBox> expected) {
        return std::vector<MessageBox>(expected);
    }

    QString selected(ui::OneRowList* list) { return ui::selectedText(list); }

    TempDir dir;
    app::Form1 form;
    ScriptedMessageBoxes boxes;
    panels::TntTab& tab = *form.findChild<panels::TntTab*>();
    Ui::TntTab& ui = tab.ui;
    panels::TntPanel panel{
        tab, ui::PanelEnvironment{boxes, form, engine::driverSettings(), form.popupMenu()}};
};

// ----- Loading -----

TEST_F(TntPanelTest, FillsTheFourListsInOrder) {
    panel.FillTNTLists();
    const auto texts = [](QListWidget* list) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) {
            items << list->item(i)->text();
        }
        return items;
    };
    EXPECT_EQ(texts(ui.lstTNTD3Dmip),
              QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    EXPECT_EQ(texts(ui.lstTNTD3Dmipm), QStringList({"Bilinear", "Trilinear"}));
    EXPECT_EQ(texts(ui.lstTNTD3Dmipd),
              QStringList({"Best image quality", "High image quality", "Blend", "High performance",
                           "Best performance"}));
    EXPECT_EQ(texts(ui.lstTNTGLtexq), QStringList({"Optimise for best image quality", "Blend",
                                                   "Optimise for best performance"}));
}

TEST_F(TntPanelTest, LoadsAStorePreparedAsTheDriverLeavesIt) {
    prepareDriverStore();
    engine::ReadDriverSettings(engine::kCardTNT);
    panel.FillTNTLists();
    panel.LoadTNTPanel();

    EXPECT_EQ(ui.sldTNTMemClk->value(), 15);
    EXPECT_EQ(ui.lblTNTMemVal->text(), "125");
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{15});
    EXPECT_EQ(ui.sldTNTCoreClk->value(), 10);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "100");
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});

    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 0);  // NOVSYNC 1: VSync off
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{0});
    EXPECT_EQ(ui::checkValue(ui.chkTNTDX6), 1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTCpuOpt), 0);
    EXPECT_EQ(ui::checkValue(ui.chkTNTNV4), 1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTFogTable), 1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTD3Ddither), 1);

    EXPECT_EQ(selected(ui.lstTNTD3Dmip), "5");
    EXPECT_EQ(selected(ui.lstTNTD3Dmipm), "Trilinear");
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "High performance");
    EXPECT_EQ(selected(ui.lstTNTGLtexq), "Optimise for best performance");

    // 0005 names the driver in capitals and does not match; of 0003 and 0001 the lower wins.
    EXPECT_EQ(ui.lblTNTdriverVal->text(), "NVIDIA RIVA TNT");
    EXPECT_EQ(engine::driverSettings().TNT.DriverDate, engine::SettingValue("3-2-1999"));

    EXPECT_EQ(ui::checkValue(ui.chkTNTD3Daa), 1);
    EXPECT_TRUE(ui.sldTNTD3Daa->isEnabled());
    EXPECT_TRUE(ui.lblTNTD3DaaVal->isEnabled());
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 4);
    EXPECT_EQ(ui.lblTNTD3DaaVal->text(), "4x2");
    EXPECT_TRUE(ui.cmdTNTapply->isEnabled());
    EXPECT_TRUE(ui.cmdTNTdefaults->isEnabled());
}

TEST_F(TntPanelTest, StartUpForAConfiguredCardLeavesEachListShowingItsItemUnselected) {
    prepareDriverStore();
    startUp();
    const std::vector<std::pair<ui::OneRowList*, int>> inView = {
        {ui.lstTNTD3Dmip, 4}, {ui.lstTNTD3Dmipm, 1}, {ui.lstTNTD3Dmipd, 3}, {ui.lstTNTGLtexq, 2}};
    for (const auto& [list, top] : inView) {
        SCOPED_TRACE(list->objectName().toStdString());
        EXPECT_EQ(ui::selectedIndex(list), -1);
        EXPECT_EQ(list->topIndex(), top);
    }
    EXPECT_TRUE(form.popupMenu().item("mPopRivaMain")->isEnabled());
}

TEST_F(TntPanelTest, LoadsAnEmptyStoreWithTheEntriesForZero) {
    startUp(false);
    EXPECT_EQ(ui.sldTNTMemClk->value(), 0);
    EXPECT_EQ(ui.lblTNTMemVal->text(), "");
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "");
    EXPECT_TRUE(marks("mPopRivaMemSpeed").empty());
    EXPECT_TRUE(marks("mPopRivaCoreSpeed").empty());
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 1);
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{1});
    for (QCheckBox* check :
         {ui.chkTNTDX6, ui.chkTNTCpuOpt, ui.chkTNTNV4, ui.chkTNTFogTable, ui.chkTNTD3Ddither}) {
        EXPECT_EQ(ui::checkValue(check), 0) << check->objectName().toStdString();
    }
    EXPECT_EQ(selected(ui.lstTNTD3Dmipm), "Bilinear");
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "Best image quality");
    // No entry for 0: these two keep having no selection.
    EXPECT_EQ(ui::selectedIndex(ui.lstTNTD3Dmip), -1);
    EXPECT_EQ(ui::selectedIndex(ui.lstTNTGLtexq), -1);
    EXPECT_EQ(ui.lblTNTdriverVal->text(), "");
    EXPECT_EQ(ui::checkValue(ui.chkTNTD3Daa), 0);
    EXPECT_FALSE(ui.sldTNTD3Daa->isEnabled());
    EXPECT_FALSE(ui.lblTNTD3DaaI->isEnabled());
    EXPECT_FALSE(ui.lblTNTD3DaaP->isEnabled());
    EXPECT_FALSE(ui.lblTNTD3DaaVal->isEnabled());
}

struct ClockTextCase {
    const char* stored;
    std::optional<int> position;
};

TEST_F(TntPanelTest, OnlyAnExactSpeedTextMovesTheMemorySliderAndTicksItsItem) {
    panel.FillTNTLists();
    const ClockTextCase cases[] = {
        {"125", 15}, {"110", 0}, {"130", 20}, {"140", {}}, {"125.0", {}}, {" 125", {}}, {"", {}},
    };
    for (const auto& [stored, position] : cases) {
        SCOPED_TRACE(stored);
        ui.sldTNTMemClk->setValue(7);
        group("mPopRivaMemSpeed").checkOnly(3);
        engine::driverSettings().TNT.MCLK = stored;
        panel.LoadTNTPanel();
        EXPECT_EQ(ui.sldTNTMemClk->value(), position.value_or(7));
        EXPECT_EQ(marks("mPopRivaMemSpeed"),
                  position ? std::vector<int>{*position} : std::vector<int>{});
        EXPECT_EQ(ui.lblTNTMemVal->text(), stored);
    }
}

TEST_F(TntPanelTest, CoreClockEndsOfTheScale) {
    panel.FillTNTLists();
    for (const auto& [stored, position] : {std::pair{"90", 0}, std::pair{"120", 30}}) {
        engine::driverSettings().TNT.NVCLK = stored;
        panel.LoadTNTPanel();
        EXPECT_EQ(ui.sldTNTCoreClk->value(), position);
        EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{position});
    }
    // An absent clock unticks every item and leaves the slider.
    engine::driverSettings().TNT.NVCLK = {};
    panel.LoadTNTPanel();
    EXPECT_EQ(ui.sldTNTCoreClk->value(), 30);
    EXPECT_TRUE(marks("mPopRivaCoreSpeed").empty());
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "");
}

TEST_F(TntPanelTest, UnknownListValuesLeaveTheListsAlone) {
    panel.FillTNTLists();
    auto& tnt = engine::driverSettings().TNT;
    tnt.LODBIASADJUST = 4;
    tnt.MIPMAPLEVELS = 12;
    tnt.TextureQuality = "02";  // as collected, before the write turns it into a byte
    panel.LoadTNTPanel();
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "Blend");
    EXPECT_EQ(selected(ui.lstTNTD3Dmip), "12");
    EXPECT_EQ(selected(ui.lstTNTGLtexq), "Blend");
    tnt.LODBIASADJUST = 6;
    tnt.MIPMAPLEVELS = 0;
    tnt.TextureQuality = 7;
    panel.LoadTNTPanel();
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "Blend");
    EXPECT_EQ(selected(ui.lstTNTD3Dmip), "12");
    EXPECT_EQ(selected(ui.lstTNTGLtexq), "Blend");
}

TEST_F(TntPanelTest, AntiAliasingOffKeepsTheMethodOnOffShowsIt) {
    panel.FillTNTLists();
    auto& tnt = engine::driverSettings().TNT;
    tnt.ANTIALIASENABLE = 1;
    tnt.AAMETHOD = 2;
    panel.LoadTNTPanel();
    EXPECT_EQ(ui.lblTNTD3DaaVal->text(), "3x2");

    tnt.ANTIALIASENABLE = 0;
    tnt.AAMETHOD = 4;
    panel.LoadTNTPanel();
    EXPECT_FALSE(ui.sldTNTD3Daa->isEnabled());
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 2);
    EXPECT_EQ(ui.lblTNTD3DaaVal->text(), "3x2");

    tnt.ANTIALIASENABLE = 1;
    panel.LoadTNTPanel();
    EXPECT_TRUE(ui.sldTNTD3Daa->isEnabled());
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 4);
    EXPECT_EQ(ui.lblTNTD3DaaVal->text(), "4x2");
}

TEST_F(TntPanelTest, LoadingTwiceGivesTheSameControlsAndOneMarkPerArray) {
    prepareDriverStore();
    startUp(false);
    panel.LoadTNTPanel();
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{15});
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{0});
    EXPECT_EQ(ui.lblTNTMemVal->text(), "125");
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "High performance");
}

// ----- Live controls -----

TEST_F(TntPanelTest, SliderLabelsFollowThePosition) {
    ui.sldTNTCoreClk->setValue(30);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "120");
    ui.sldTNTCoreClk->setValue(10);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "100");
    ui.sldTNTMemClk->setValue(20);
    EXPECT_EQ(ui.lblTNTMemVal->text(), "130");
    const char* methods[] = {"2x1", "2x2", "3x2", "3x3", "4x2", "4x3", "4x4"};
    ui.sldTNTD3Daa->setValue(6);
    for (int position = 0; position < 7; ++position) {
        ui.sldTNTD3Daa->setValue(position);
        EXPECT_EQ(ui.lblTNTD3DaaVal->text(), methods[position]);
    }
    // The user's keys move the slider the same way.
    ui.sldTNTCoreClk->setFocus();
    QTest::keyClick(ui.sldTNTCoreClk, Qt::Key_PageUp);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "105");
}

TEST_F(TntPanelTest, UntickingAntiAliasingGreysTheGroupAndKeepsThePosition) {
    ui::setCheckValue(ui.chkTNTD3Daa, 1);
    ui.sldTNTD3Daa->setValue(5);
    ui.chkTNTD3Daa->click();
    EXPECT_EQ(ui::checkValue(ui.chkTNTD3Daa), 0);
    for (QWidget* widget :
         {static_cast<QWidget*>(ui.lblTNTD3DaaI), static_cast<QWidget*>(ui.lblTNTD3DaaP),
          static_cast<QWidget*>(ui.sldTNTD3Daa), static_cast<QWidget*>(ui.lblTNTD3DaaVal)}) {
        EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
    }
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 5);
    ui.chkTNTD3Daa->click();
    EXPECT_TRUE(ui.sldTNTD3Daa->isEnabled());
    EXPECT_TRUE(ui.lblTNTD3DaaVal->isEnabled());
}

// ----- Apply -----

TEST_F(TntPanelTest, ApplyStoresTheTabInTheDriversTypes) {
    startUp(false);
    ui.sldTNTCoreClk->setValue(12);
    ui.sldTNTMemClk->setValue(5);
    ui::setCheckValue(ui.chkTNTSetVsync, 0);
    ui::setCheckValue(ui.chkTNTFogTable, 1);
    ui::setCheckValue(ui.chkTNTNV4, 1);
    ui::setCheckValue(ui.chkTNTDX6, 1);
    ui::setCheckValue(ui.chkTNTD3Daa, 1);
    ui.sldTNTD3Daa->setValue(6);
    ui::selectItem(ui.lstTNTD3Dmip, 7);
    ui::selectItem(ui.lstTNTD3Dmipm, 1);
    ui::selectItem(ui.lstTNTD3Dmipd, 3);
    ui::selectItem(ui.lstTNTGLtexq, 1);

    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    EXPECT_EQ(boxes.shown(), conversation({kApplyAsk, kApplied}));

    expectText(kD3D, "NVCLK", "102");
    expectText(kD3D, "MCLK", "115");
    expectDword(kD3D, "NOVSYNC", 1);
    expectByte(kD3D, "FOGTABLEENABLE", 0x01);
    expectByte(kGL, "TextureQuality", 0x02);
    expectDword(kTweak, "PowerUser", 1);
    expectDword(kD3D, "DX6ENABLE", 1);
    expectDword(kD3D, "CPUOPTDISABLE", 0);
    expectDword(kD3D, "ANTIALIASENABLE", 1);
    expectDword(kD3D, "AAMETHOD", 6);
    expectDword(kD3D, "MIPMAPLEVELS", 8);
    expectDword(kD3D, "AUTOMIPMAPMETHOD", 1);
    expectDword(kD3D, "LODBIASADJUST", 8);
    expectDword(kD3D, "MIPMAPDITHERENABLE", 0);

    // The reload brought the tray in line.
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{12});
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{5});
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{0});
}

TEST_F(TntPanelTest, ApplyWithVSyncTickedStoresNoVSyncZero) {
    startUp(false);
    ui::setCheckValue(ui.chkTNTSetVsync, 0);
    ui.chkTNTSetVsync->click();
    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    expectDword(kD3D, "NOVSYNC", 0);
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{1});
}

TEST_F(TntPanelTest, ApplyTakesTheItemScrolledIntoViewWithoutAClick) {
    prepareDriverStore();
    startUp();
    ui.lstTNTD3Dmipd->setFocus();
    QTest::keyClick(ui.lstTNTD3Dmipd, Qt::Key_Up);  // "High performance" to "Blend"
    ASSERT_EQ(ui.lstTNTD3Dmipd->topIndex(), 2);
    ASSERT_EQ(ui::selectedIndex(ui.lstTNTD3Dmipd), -1);

    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    expectDword(kD3D, "LODBIASADJUST", 4);
    // The others were only in view too, and keep what they showed.
    expectDword(kD3D, "MIPMAPLEVELS", 5);
    expectDword(kD3D, "AUTOMIPMAPMETHOD", 1);
    expectByte(kGL, "TextureQuality", 0x03);
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "Blend");
}

TEST_F(TntPanelTest, AnsweringNoToApplyChangesNothing) {
    prepareDriverStore();
    startUp();
    const auto before = tntKeys();
    const engine::TNTSettings record = engine::driverSettings().TNT;
    ui.sldTNTCoreClk->setValue(20);
    ui.lstTNTD3Dmipd->setTopIndex(0);

    script({MessageAnswer::No, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    EXPECT_EQ(boxes.shown(), conversation({kApplyAsk, kNotApplied}));
    EXPECT_EQ(tntKeys(), before);
    EXPECT_EQ(engine::driverSettings().TNT, record);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "110");
    EXPECT_EQ(ui::selectedIndex(ui.lstTNTD3Dmipd), -1);
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});
}

// A store opened read-only refuses every write, as a locked or read-only hive file does.
void makeStoreReadOnly(const TempDir& dir) {
    store::useHive(store::Hive::open(dir / "registry.db", store::OpenMode::ReadOnly));
    ASSERT_EQ(store::currentHive().report().outcome, store::OpenOutcome::ReadOnly);
}

TEST_F(TntPanelTest, ApplyToAStoreThatCannotSaveSaysSoAndKeepsThePanel) {
    prepareDriverStore();
    startUp();
    makeStoreReadOnly(dir);
    const auto before = tntKeys();
    const engine::TNTSettings record = engine::driverSettings().TNT;
    ui.sldTNTCoreClk->setValue(12);
    ui::setCheckValue(ui.chkTNTSetVsync, 1);

    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    ASSERT_EQ(boxes.shown().size(), 2U);
    const MessageBox& report = boxes.shown()[1];
    EXPECT_EQ(report.title, "Settings Not Applied");
    EXPECT_EQ(report.buttons, MessageButtons::Ok);
    const QStringList lines = report.prompt.split(kCrLf);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Settings Not Applied");
    EXPECT_FALSE(lines[1].trimmed().isEmpty());

    EXPECT_EQ(tntKeys(), before);
    EXPECT_EQ(engine::driverSettings().TNT, record);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "102");
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 1);
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{0});

    // Once the store can save again, the same Apply goes through.
    store::useHiveFile(dir / "registry.db");
    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    EXPECT_EQ(boxes.shown().back(), kApplied);
    expectText(kD3D, "NVCLK", "102");
    expectDword(kD3D, "NOVSYNC", 0);
}

TEST_F(TntPanelTest, ApplyWhileAnotherProgramHoldsTheStoreSaysWhyAndWritesNothing) {
    prepareDriverStore();
    startUp();
    const auto before = tntKeys();
    store::currentHive().setBusyTimeout(50);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "registry.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    ui.sldTNTMemClk->setValue(20);
    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTapply->click();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    ASSERT_EQ(boxes.shown().size(), 2U);
    EXPECT_EQ(boxes.shown()[1].title, "Settings Not Applied");
    EXPECT_TRUE(boxes.shown()[1].prompt.startsWith("Settings Not Applied\r\n"));
    EXPECT_NE(boxes.shown()[1], kApplied);
    EXPECT_EQ(tntKeys(), before);
    EXPECT_EQ(ui.lblTNTMemVal->text(), "130");
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{15});
}

// ----- Reset Defaults -----

TEST_F(TntPanelTest, DefaultsSetOnlyTheirControlsAndWriteNothing) {
    prepareDriverStore();
    startUp();
    ui::setCheckValue(ui.chkTNTD3Daa, 0);
    ui::setCheckValue(ui.chkTNTCpuOpt, 1);
    ui::setCheckValue(ui.chkTNTDX6, 0);
    const auto before = tntKeys();
    const engine::TNTSettings record = engine::driverSettings().TNT;

    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTdefaults->click();
    EXPECT_EQ(boxes.shown(), conversation({kDefaultsAsk, kDefaultsDone}));

    EXPECT_EQ(ui.sldTNTMemClk->value(), 0);
    EXPECT_EQ(ui.lblTNTMemVal->text(), "110");
    EXPECT_EQ(ui.sldTNTCoreClk->value(), 0);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "90");
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 1);
    EXPECT_EQ(selected(ui.lstTNTD3Dmip), "12");
    EXPECT_EQ(selected(ui.lstTNTD3Dmipm), "Bilinear");
    EXPECT_EQ(selected(ui.lstTNTD3Dmipd), "Best image quality");
    EXPECT_EQ(ui::checkValue(ui.chkTNTD3Ddither), 0);
    EXPECT_EQ(ui::checkValue(ui.chkTNTD3Daa), 1);
    EXPECT_TRUE(ui.sldTNTD3Daa->isEnabled());
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 1);
    EXPECT_EQ(ui.lblTNTD3DaaVal->text(), "2x2");
    EXPECT_EQ(selected(ui.lstTNTGLtexq), "Optimise for best image quality");
    EXPECT_EQ(ui::checkValue(ui.chkTNTDX6), 1);
    // No factory value: these keep their state.
    EXPECT_EQ(ui::checkValue(ui.chkTNTFogTable), 1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTNV4), 1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTCpuOpt), 1);

    EXPECT_EQ(tntKeys(), before);
    EXPECT_EQ(engine::driverSettings().TNT, record);
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{15});
}

TEST_F(TntPanelTest, DefaultsLabelsAreSetEvenWhenTheSliderAlreadyStandsThere) {
    panel.FillTNTLists();
    engine::driverSettings().TNT.MCLK = "110.5";
    panel.LoadTNTPanel();
    ASSERT_EQ(ui.sldTNTMemClk->value(), 0);
    script({MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTdefaults->click();
    EXPECT_EQ(ui.lblTNTMemVal->text(), "110");
}

TEST_F(TntPanelTest, AnsweringNoToDefaultsChangesNothing) {
    prepareDriverStore();
    startUp();
    script({MessageAnswer::No, MessageAnswer::Ok});
    ui.cmdTNTdefaults->click();
    EXPECT_EQ(boxes.shown(), conversation({kDefaultsAsk, kDefaultsRefused}));
    EXPECT_EQ(ui.lblTNTMemVal->text(), "125");
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 4);
    EXPECT_EQ(ui::selectedIndex(ui.lstTNTD3Dmip), -1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 0);
}

TEST_F(TntPanelTest, DefaultsThenApplyStoreTheFactoryValues) {
    prepareDriverStore();
    startUp();
    script({MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Ok});
    ui.cmdTNTdefaults->click();
    ui.cmdTNTapply->click();
    expectDword(kD3D, "AAMETHOD", 1);
    expectDword(kD3D, "ANTIALIASENABLE", 1);
    expectText(kD3D, "MCLK", "110");
    expectText(kD3D, "NVCLK", "90");
    expectDword(kD3D, "NOVSYNC", 0);
    expectDword(kD3D, "MIPMAPLEVELS", 12);
    expectDword(kD3D, "LODBIASADJUST", 0);
    expectByte(kGL, "TextureQuality", 0x01);
    EXPECT_EQ(ui.sldTNTD3Daa->value(), 1);
    EXPECT_EQ(ui.lblTNTD3DaaVal->text(), "2x2");
}

// ----- The tray's Riva TNT branch -----

TEST_F(TntPanelTest, CoreSpeedItemStoresTheClockAndMovesTheMark) {
    prepareDriverStore();
    startUp();
    script({MessageAnswer::Yes});
    group("mPopRivaCoreSpeed").at(30)->trigger();
    EXPECT_EQ(boxes.shown(), conversation({kTrayAsk}));
    expectText(kD3D, "NVCLK", "120");
    EXPECT_EQ(ui.sldTNTCoreClk->value(), 30);
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "120");
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{30});
}

TEST_F(TntPanelTest, MemorySpeedItemStoresTheClock) {
    prepareDriverStore();
    startUp();
    script({MessageAnswer::Yes});
    group("mPopRivaMemSpeed").at(3)->trigger();
    expectText(kD3D, "MCLK", "113");
    EXPECT_EQ(ui.sldTNTMemClk->value(), 3);
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{3});
}

TEST_F(TntPanelTest, TheItemAlreadyCheckedStillAsksWritesAndStaysChecked) {
    prepareDriverStore();
    startUp();
    store::RegDeleteValue(HKEY_LOCAL_MACHINE, kD3D, "NVCLK");  // to see the rewrite
    script({MessageAnswer::Yes});
    group("mPopRivaCoreSpeed").at(10)->trigger();
    EXPECT_EQ(boxes.shown(), conversation({kTrayAsk}));
    expectText(kD3D, "NVCLK", "100");
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});
}

TEST_F(TntPanelTest, AnsweringNoToAnyTrayItemChangesNothingNotEvenAMark) {
    prepareDriverStore();
    startUp();
    const auto before = tntKeys();
    const engine::TNTSettings record = engine::driverSettings().TNT;
    const auto memMarks = marks("mPopRivaMemSpeed");
    const auto coreMarks = marks("mPopRivaCoreSpeed");
    const auto vsyncMarks = marks("mPopTNTV");

    std::vector<QAction*> items = {group("mPopRivaMemSpeed").at(2),
                                   group("mPopRivaMemSpeed").at(15),
                                   group("mPopRivaCoreSpeed").at(0),
                                   group("mPopTNTV").at(1),
                                   group("mPopTNTV").at(0),
                                   form.popupMenu().item("mPopRivaMemDefaults"),
                                   form.popupMenu().item("mPopRivaCoreDefaults")};
    for (QAction* item : items) {
        SCOPED_TRACE(item->objectName().toStdString());
        script({MessageAnswer::No});
        item->trigger();
        EXPECT_EQ(boxes.shown().back(), kTrayAsk);
        EXPECT_EQ(marks("mPopRivaMemSpeed"), memMarks);
        EXPECT_EQ(marks("mPopRivaCoreSpeed"), coreMarks);
        EXPECT_EQ(marks("mPopTNTV"), vsyncMarks);
    }
    EXPECT_EQ(boxes.shown().size(), items.size());
    EXPECT_EQ(tntKeys(), before);
    EXPECT_EQ(engine::driverSettings().TNT, record);
    EXPECT_EQ(ui.lblTNTMemVal->text(), "125");
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "100");
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 0);
}

TEST_F(TntPanelTest, VSyncOffStoresNoVSyncOneAndMovesTheMark) {
    startUp(false);
    ASSERT_EQ(marks("mPopTNTV"), std::vector<int>{1});
    script({MessageAnswer::Yes});
    group("mPopTNTV").at(0)->trigger();
    expectDword(kD3D, "NOVSYNC", 1);
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 0);
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{0});

    script({MessageAnswer::Yes});
    group("mPopTNTV").at(1)->trigger();
    expectDword(kD3D, "NOVSYNC", 0);
    EXPECT_EQ(ui::checkValue(ui.chkTNTSetVsync), 1);
    EXPECT_EQ(marks("mPopTNTV"), std::vector<int>{1});
}

TEST_F(TntPanelTest, ATrayItemRightAfterStartUpKeepsTheListValuesTheStoreHas) {
    prepareDriverStore();
    startUp();
    ASSERT_EQ(ui::selectedIndex(ui.lstTNTD3Dmip), -1);
    script({MessageAnswer::Yes});
    group("mPopRivaCoreSpeed").at(5)->trigger();
    EXPECT_EQ(boxes.shown(), conversation({kTrayAsk}));

    expectText(kD3D, "NVCLK", "95");
    // The lists had no selection: their values stay as the driver left them.
    expectDword(kD3D, "MIPMAPLEVELS", 5);
    expectDword(kD3D, "AUTOMIPMAPMETHOD", 1);
    expectDword(kD3D, "LODBIASADJUST", 8);
    expectByte(kGL, "TextureQuality", 0x03);
    // The record still mirrors the store, not the empty list text.
    EXPECT_EQ(engine::driverSettings().TNT.MIPMAPLEVELS, engine::SettingValue(5));
    EXPECT_EQ(selected(ui.lstTNTD3Dmip), "5");
}

TEST_F(TntPanelTest, TrayItemsStoreTheWholeTabClickedListItemsButNotScrolledOnes) {
    prepareDriverStore();
    startUp();
    ui::setCheckValue(ui.chkTNTCpuOpt, 1);  // changed, not applied
    ui::selectItem(ui.lstTNTD3Dmipd, 2);    // "Blend", clicked
    ui.lstTNTD3Dmipm->setTopIndex(0);       // "Bilinear", only scrolled
    form.ui.SSTab1->setCurrentIndex(1);
    form.show();
    QApplication::processEvents();
    QListWidget* texture = ui.lstTNTGLtexq;
    const QRect inView = texture->visualItemRect(texture->item(ui.lstTNTGLtexq->topIndex()));
    QTest::mouseClick(texture->viewport(), Qt::LeftButton, {}, inView.center());
    ASSERT_EQ(selected(ui.lstTNTGLtexq), "Optimise for best performance");

    script({MessageAnswer::Yes});
    group("mPopTNTV").at(1)->trigger();
    expectDword(kD3D, "NOVSYNC", 0);
    expectDword(kD3D, "CPUOPTDISABLE", 1);
    expectDword(kD3D, "LODBIASADJUST", 4);
    expectDword(kD3D, "AUTOMIPMAPMETHOD", 1);
    expectByte(kGL, "TextureQuality", 0x03);
}

TEST_F(TntPanelTest, MemoryDefaultKeepsTheStoredClockUntilTheNextItemCollects) {
    prepareDriverStore();
    startUp();
    script({MessageAnswer::Yes, MessageAnswer::Ok});
    form.popupMenu().item("mPopRivaMemDefaults")->trigger();
    EXPECT_EQ(boxes.shown(), conversation({kTrayAsk, kDefaultSet}));
    EXPECT_EQ(ui.lblTNTMemVal->text(), "110");
    EXPECT_EQ(ui.sldTNTMemClk->value(), 0);
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{15});
    expectText(kD3D, "MCLK", "125");
    // The read and write put the values in the program's form.
    expectByte(kD3D, "FOGTABLEENABLE", 0x01);
    expectByte(kGL, "TextureQuality", 0x03);

    script({MessageAnswer::Yes});
    group("mPopTNTV").at(1)->trigger();
    expectText(kD3D, "MCLK", "110");
    expectDword(kD3D, "NOVSYNC", 0);
    EXPECT_EQ(marks("mPopRivaMemSpeed"), std::vector<int>{0});
}

TEST_F(TntPanelTest, CoreDefaultSetsThePanelClockOnly) {
    prepareDriverStore();
    startUp();
    script({MessageAnswer::Yes, MessageAnswer::Ok});
    form.popupMenu().item("mPopRivaCoreDefaults")->trigger();
    EXPECT_EQ(boxes.shown(), conversation({kTrayAsk, kDefaultSet}));
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "90");
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});
    expectText(kD3D, "NVCLK", "100");
}

TEST_F(TntPanelTest, TrayItemsOnAStoreThatCannotSaveSaySoAndKeepTheMarks) {
    prepareDriverStore();
    startUp();
    makeStoreReadOnly(dir);
    const auto before = tntKeys();
    const engine::TNTSettings record = engine::driverSettings().TNT;

    script({MessageAnswer::Yes, MessageAnswer::Ok});
    group("mPopRivaCoreSpeed").at(20)->trigger();
    ASSERT_EQ(boxes.shown().size(), 2U);
    EXPECT_EQ(boxes.shown()[1].title, "Settings Not Applied");
    EXPECT_TRUE(boxes.shown()[1].prompt.startsWith("Settings Not Applied\r\n"));
    EXPECT_EQ(marks("mPopRivaCoreSpeed"), std::vector<int>{10});
    EXPECT_EQ(ui.lblTNTCoreVal->text(), "110");  // the panel keeps the user's choice
    EXPECT_EQ(engine::driverSettings().TNT, record);

    script({MessageAnswer::Yes, MessageAnswer::Ok});
    form.popupMenu().item("mPopRivaMemDefaults")->trigger();
    EXPECT_EQ(boxes.shown().back().title, "Settings Not Applied");
    EXPECT_EQ(tntKeys(), before);
}

TEST_F(TntPanelTest, OutOfRangeIndexesDoNothing) {
    startUp(false);
    panel.mPopRivaMemSpeed_Click(21);
    panel.mPopRivaCoreSpeed_Click(-1);
    panel.mPopTNTV_Click(2);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(tntKeys()[0].empty());
}

// ----- The picture of the loaded tab -----

TEST_F(TntPanelTest, ScreenshotOfTheTabLoadedFromAPreparedStore) {
    app::applyProgramFont();
    prepareDriverStore();
    startUp();
    form.ui.SSTab1->setCurrentIndex(1);
    form.show();
    QApplication::processEvents();
    ASSERT_TRUE(tab.isVisible());
    const QString folder = QStringLiteral(TUNEXA_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(form.grab().save(folder + QStringLiteral("/tnt-loaded.png")));
}

}  // namespace
}  // namespace tunexa::test
