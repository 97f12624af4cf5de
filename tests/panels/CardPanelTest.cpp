// What every card panel does, run on each card's data: load, Apply and the tray items (which read
// every slider's label back), an empty store, the check boxes, the questions answered No, a store
// that refuses, Defaults and the option pages. Then what only one card or panel does: the TNT's
// one-row lists and driver label, the Banshee without a driver, the Voodoo Graphics batch file, and
// the live settings: Matrox G100/G200 and Unreal boxes written the moment they are clicked (and put
// back with a notice when the store does not take them), and the Matrox values read back at
// start-up.

#include <QCheckBox>
#include <QListWidget>
#include <QSlider>
#include <QTest>

#include <filesystem>
#include <tuple>

#include "PanelFixture.h"
#include "engine/DriverSettings.h"
#include "panels/live/MatroxPanel.h"
#include "panels/live/UnrealPanel.h"
#include "panels/tnt/TntPanel.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::test {
namespace {

using enum platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;

MessageBox notice(const char* text) {
    return {text, text, platform::MessageButtons::Ok};
}

MessageBox question(const char* title) {
    return {"Are you sure?", title, platform::MessageButtons::YesNo};
}

class CardPanel : public PanelFixture, public testing::WithParamInterface<const Card*> {
  protected:
    CardPanel() { start(*GetParam()); }

    MessageBox applied() const {
        const CardNames& names = card().names;
        return {QString::fromLatin1(names.appliedPrompt ? names.appliedPrompt : names.applied),
                QString::fromLatin1(names.applied), platform::MessageButtons::Ok};
    }
};

// Then each tray item in turn stores the whole panel, the edits made on it included.
TEST_P(CardPanel, ApplyAndTheTrayItemsStoreEachControlUnderItsNameAndType) {
    answer({Yes, Ok, Yes, Ok});
    click(card().names.defaults);  // a stored value the panel does not know leaves these showing
    seedStore(card().seeded);
    load();
    expect(card().loaded);
    click(card().names.apply);
    EXPECT_EQ(boxes.shown().at(2), question(card().names.asking));
    EXPECT_EQ(boxes.shown().at(3), applied());
    expectStore(card().seeded, card().appliedChanges);
    set(card().edits);
    for (const TrayCase& item : card().tray) {
        SCOPED_TRACE(item.item);
        const bool isDefault = QByteArray(item.item).contains("Default");
        isDefault ? answer({Yes, Ok}) : answer({Yes});
        trigger(item.item);
        EXPECT_EQ(boxes.shown().back(),
                  isDefault ? notice("Default set") : question("Are you sure?"));
        expect(item.after);
    }
}

// An empty store leaves the sliders where they were and empties the labels.
TEST_P(CardPanel, AnEmptyStoreLeavesTheSlidersAndEmptiesTheLabels) {
    for (QSlider* slider : form.findChildren<QSlider*>()) {
        slider->setValue(1);
    }
    load();
    for (const QSlider* slider : form.findChildren<QSlider*>()) {
        EXPECT_EQ(slider->value(), 1) << slider->objectName().toStdString();
    }
    expect(card().empty);
}

// Each check box loads from its own value only: its two values tick and untick it, a value it
// does not know (every other box's here) leaves it as it was. Apply then writes each box's own
// value only, so every pair of boxes is seen once in opposite states.
TEST_P(CardPanel, EachCheckBoxLoadsFromAndAppliesToItsOwnValue) {
    seedStore(card().seeded);
    for (const QString row : card().checks) {
        for (const int value : {1, 0}) {
            SCOPED_TRACE(row.toStdString() + (value ? " ticks" : " unticks"));
            for (const QString other : card().checks) {
                ui::setCheckValue(find<QCheckBox>(other.section('|', 0, 0).toLatin1()), 1 - value);
                const QString type = other.section('|', 2, 2).left(1);
                seedStore({(other.section('|', 1, 1) + "=" + type + (type == "b" ? "07" : "7"))
                               .toStdString()});
            }
            seedStore({(row.section('|', 1, 1) + "=" + row.section('|', 3 - value, 3 - value))
                           .toStdString()});
            load();
            answer({Yes, Ok});
            click(card().names.apply);
            for (const QString other : card().checks) {
                const int ticked = other == row ? value : 1 - value;
                EXPECT_EQ(ui::checkValue(find<QCheckBox>(other.section('|', 0, 0).toLatin1())),
                          ticked)
                    << other.toStdString();
                const int written = ticked ? 2 : other.count('|') == 4 ? 4 : 3;
                EXPECT_EQ(storeEntry(other.section('|', 1, 1).toStdString()),
                          (other.section('|', 1, 1) + "=" + other.section('|', written, written))
                              .toStdString());
            }
        }
    }
}

// Answered No, or Yes on a store another program holds: nothing is stored, the record and the
// tray keep what the store holds, the panel what the user set. Defaults answered Yes then changes
// only the controls until applied.
TEST_P(CardPanel, NothingChangesOnNoOrOnAStoreThatRefusesAndDefaultsOnlyOnTheControls) {
    seedStore(card().seeded);
    load();
    set(card().edits);
    const auto unchanged = [this, before = store(), record = engine::driverSettings(),
                            marks = trayState()] {
        EXPECT_EQ(store(), before);
        EXPECT_EQ(engine::driverSettings(), record);
        EXPECT_EQ(trayState(), marks);
    };
    answer({No, Ok, No, Ok});
    click(card().names.defaults);
    click(card().names.apply);
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>(
                                 {question("Restoring Defaults"), notice("Defaults Not Restored"),
                                  question(card().names.asking), notice("Settings Not Applied")}));
    for (const TrayCase& item : card().tray) {
        answer({No});
        trigger(item.item);
    }
    EXPECT_EQ(boxes.shown().size(), 4 + card().tray.size());
    {
        const StoreLock lock;
        for (std::size_t i = 0; i <= card().tray.size(); ++i) {  // Apply, then each tray item
            answer({Yes, Ok});
            i == 0 ? click(card().names.apply) : trigger(card().tray[i - 1].item);
            const MessageBox& told = boxes.shown().back();
            EXPECT_EQ(told.title, "Settings Not Applied");
            EXPECT_TRUE(told.prompt.startsWith("Settings Not Applied\r\n") &&
                        told.prompt.size() > 24)
                << told.prompt.toStdString();
            unchanged();
        }
    }
    expect(card().edits);
    unchanged();
    load();  // Defaults from what the store holds
    answer({Yes, Ok, Yes, Ok});
    click(card().names.defaults);
    EXPECT_EQ(std::vector(boxes.shown().end() - 2, boxes.shown().end()),
              std::vector({question("Restoring Defaults"), notice("Defaults Restored")}));
    unchanged();
    click(card().names.apply);
    EXPECT_EQ(boxes.shown().back(), applied());
    expectStore(card().factory);
    expect(card().factoryShown);
}

TEST_P(CardPanel, OptionButtonsShowOnePageAtATime) {
    form.show();
    form.ui.SSTab1->setCurrentIndex(2);
    for (const QString step : card().pages) {
        click(step.section('>', 0, 0).toLatin1());
        for (const QString other : card().pages) {
            const QString page = other.section('>', 1);
            EXPECT_EQ(find<QWidget>(page.toLatin1())->isVisible(), page == step.section('>', 1))
                << step.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, CardPanel,
                         testing::Values(&tntCard(), &voodoo2Card(), &bansheeCard(), &voodooCard()),
                         [](const auto& param) { return std::string(param.param->name); });

using CardBranches = PanelFixture;

// Start-up for a configured card loads, then leaves each list's item in view unselected. A tray
// item stores a clicked item, not one only scrolled to; Apply stores the item in view.
TEST_F(CardBranches, TntListsStoreTheClickedItemFromTheTrayAndTheItemInViewOnApply) {
    start(tntCard());
    set({"chkTNTD3Daa=0"});
    seedStore(tntCard().seeded);
    load();
    find<QObject>("panelTNT")->findChild<panels::TntPanel*>()->deselectListsAtTopIndex();
    expect({"lstTNTD3Dmip=", "lstTNTD3Dmipm=", "lstTNTGLtexq=", "!lblTNTD3DaaP=enabled"});
    EXPECT_EQ(find<ui::OneRowList>("lstTNTGLtexq")->topIndex(), 2);
    ui::selectItem(find<QListWidget>("lstTNTD3Dmipd"), 2);
    find<ui::OneRowList>("lstTNTD3Dmipm")->setTopIndex(0);
    answer({Yes, Yes, Ok});
    trigger("mPopTNTV_1");
    expect({"N:LODBIASADJUST=d4", "N:AUTOMIPMAPMETHOD=d1", "N:MIPMAPLEVELS=d5",
            "NG:TextureQuality=b03", "lstTNTD3Dmip=5"});
    QTest::keyClick(find<QWidget>("lstTNTD3Dmipd"), Qt::Key_Up);
    click("cmdTNTapply");
    expect({"N:LODBIASADJUST=d2", "lstTNTD3Dmipd=High image quality"});
}

TEST_F(CardBranches, BansheeWithoutADriverKeepsTheClocksAndSaysSo) {
    start(bansheeCard());
    seedStore({"BD:SSTH3_RGAMMA=s1.40"});
    load();
    set({"sld3DfxBansheeGrx=5"});
    answer({Yes, Ok, Yes, Ok});
    click("cmd3DfxBansheeapply");
    EXPECT_EQ(boxes.shown().back(),
              MessageBox({"Banshee Settings Applied\r\nThe core and memory clocks were not saved "
                          "because no Banshee driver was found.",
                          "Banshee Settings Applied", MessageButtons::Ok}));
    expect({"BD:SSTH3_RGAMMA=s1.40", "lbl3DfxBansheeGrxVal=105"});
    trigger("mPopBMem_3");
    EXPECT_EQ(boxes.shown().back(),
              MessageBox({"The clock was not saved because no Banshee driver was found.", "Tunexa",
                          MessageButtons::Ok}));
}

std::string glide(const char* clock, const char* fastMem, const char* fastPci, const char* vsync) {
    return std::string("REM -- Written by Tunexa v1.0.7 for Win95/98 - Public Beta --\r\n") +
           "SET SST_GRXCLK=" + clock + "\r\nSET SST_FASTMEM=" + fastMem +
           "\r\nSET SST_FASTPCIRD=" + fastPci + "\r\nSET SST_SWAP_EN_WAIT_ON_VSYNC=" + vsync +
           "\r\nSET FX_GLIDE_SWAPINTERVAL=0\r\n";
}

// A clock off the scale leaves the slider and is written as it is. An unsafe stored clock or a
// missing drive is refused: neither the file nor the own values change; the notice says why.
TEST_F(CardBranches, VoodooApplyReplacesTheSixGlideLinesOrRefusesAnUnsafeClockOrAMissingDrive) {
    start(voodooCard());
    const auto batch = [this] { return fileBytes(dir / "drive_c" / "tunexa.bat"); };
    // Loads `stored`, applies, and finds `expected` in the batch file.
    const auto applyLoaded = [&](const StoreEntries& stored, const std::string& expected) {
        seedStore(stored);
        load();
        answer({Yes, Ok});
        click("cmd3DfxVapply");
        EXPECT_EQ(batch(), expected);
    };
    applyLoaded(voodooCard().seeded, glide("58", "1", "0", "0"));
    set({"sld3DfxVCore=2"});
    applyLoaded({"3D:Voodoo GRXCLK=s65", "3D:Voodoo FastPCI=s1", "3D:Voodoo Vsync=s1",
                 "3D:Voodoo FastMem=s0"},
                glide("65", "0", "1", "1"));
    expect({"sld3DfxVCore=2", "lbl3DfxVCoreVal=65"});
    for (const auto& [clock, why] :
         {std::pair{"s50 & deltree c:\\", "The core clock"}, std::pair{"s55", "Cannot write"}}) {
        if (QByteArray(why) == "Cannot write") {
            std::filesystem::remove(dir / "dosdevices" / "c:");
            std::filesystem::create_directory_symlink(dir / "unmounted", dir / "dosdevices" / "c:");
        }
        seedStore({std::string("3D:Voodoo GRXCLK=") + clock});
        const auto own = store();
        applyLoaded({}, batch());
        EXPECT_EQ(boxes.shown().back().title, "Settings Not Applied");
        EXPECT_TRUE(
            boxes.shown().back().prompt.startsWith(QString("Settings Not Applied\r\n") + why))
            << boxes.shown().back().prompt.toStdString();
        EXPECT_EQ(store(), own);
    }
}

// A live box, the store entry it writes (with "1" ticked, "0" unticked) and the frame it switches
// on and off.
const std::tuple<const char*, const char*, const char*> kLiveBoxes[] = {
    {"chkG200sub", "MX:Use Subpixel=s", nullptr},
    {"chkG200aniso", "MX:Anisotropic=s", nullptr},
    {"chkG200V", "MX:Flip on VBlank=s", nullptr},
    {"chkMatroxOnOff", "TX:Matrox Enable=s", "frameMatrox"},
    {"chkUnrealTrueC", "UR:TrueColor=d", nullptr},
    {"chkUnrealDoTri", "UR:DoTrilinear=d", nullptr},
    {"chkUnrealTB", "UR:TripleBuffering=d", nullptr},
    {"chkUnrealDoFlip", "UR:DoFlip=d", nullptr}};

// The Unreal boxes start unticked whatever the store holds.
class LiveSettings : public PanelFixture {
  protected:
    const bool unrealStored = (seedStore({"UR:DoTrilinear=d1", "UR:DoFlip=d1"}), true);
    panels::MatroxPanel matrox{*find<panels::MatroxFrame>("panelMatrox"), *form.ui.chkMatroxOnOff,
                               boxes};
    panels::UnrealPanel unreal{*find<panels::TntTab>("panelTNT"), boxes};
};

TEST_F(LiveSettings, EachClickWritesItsBoxsValueOrPutsTheBoxBack) {
    expect({"chkUnrealTrueC=0", "chkUnrealDoTri=0", "chkUnrealTB=0", "chkUnrealDoFlip=0"});
    for (const auto& [box, entry, frame] : kLiveBoxes) {
        for (const std::string value : {"1", "0"}) {
            SCOPED_TRACE(box);
            find<QCheckBox>(box)->click();
            expect({(entry + value).c_str()});
            if (frame != nullptr) {
                EXPECT_EQ(controlState(form, frame), value == "1" ? "enabled" : "disabled");
            }
        }
    }
    // A store another program holds: the box goes back to what is stored and says why.
    const StoreLock lock;
    for (const char* box : {"chkMatroxOnOff", "chkUnrealTrueC"}) {
        answer({Ok});
        find<QCheckBox>(box)->click();
        expect({(std::string(box) + "=0").c_str(), "TX:Matrox Enable=s0", "UR:TrueColor=d0"});
        EXPECT_EQ(boxes.shown().back().title, "Setting Not Saved");
    }
}

// The texts "1" and "0" tick and untick a box; anything else leaves it as it was and is not
// written back.
TEST_F(LiveSettings, StartUpTicksTheMatroxBoxesOnlyFromTheTextsZeroAndOne) {
    set({"chkG200V=0", "chkG200aniso=1", "chkG200sub=0", "chkMatroxOnOff=1"});
    const StoreEntries values = {"MX:Anisotropic=d1", "MX:Flip on VBlank=s1",
                                 "MX:Use Subpixel=syes", "TX:Matrox Enable=s0"};
    seedStore(values);
    matrox.RestoreMatroxSettings();
    expect({"chkG200V=1", "chkG200aniso=1", "chkG200sub=0", "chkMatroxOnOff=0",
            "frameMatrox=disabled"});
    EXPECT_EQ(storeEntries({"MX", "TX"}), values);
}

}  // namespace
}  // namespace tunexa::test
