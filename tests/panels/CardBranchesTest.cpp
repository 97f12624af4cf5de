// What only one card does: the TNT's one-row lists, the Banshee without a driver, and the Voodoo
// Graphics batch file.

#include <QListWidget>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "PanelFixture.h"
#include "panels/tnt/TntPanel.h"
#include "ui/ListBox.h"
#include "ui/OneRowList.h"

namespace tunexa::test {
namespace {

using enum platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;

class TntBranches : public PanelFixture {
  protected:
    TntBranches() { start(tntCard()); }
};

TEST_F(TntBranches, OneRowListsHoldTheirItemsAndTheirSelectionOrItemInViewIsStored) {
    for (const auto& [name, items] :
         {std::pair{"lstTNTD3Dmip", "1|2|3|4|5|6|7|8|9|10|11|12"},
          {"lstTNTD3Dmipm", "Bilinear|Trilinear"},
          {"lstTNTD3Dmipd",
           "Best image quality|High image quality|Blend|High performance|Best performance"},
          {"lstTNTGLtexq",
           "Optimise for best image quality|Blend|Optimise for best performance"}}) {
        QStringList texts;
        for (int i = 0; i < find<QListWidget>(name)->count(); ++i) {
            texts << find<QListWidget>(name)->item(i)->text();
        }
        EXPECT_EQ(texts.join('|'), items);
    }
    // Start-up for a configured card loads twice, then leaves each list's item in view unselected.
    set({"chkTNTD3Daa=0"});
    seedStore(tntCard().seeded);
    load();
    load();
    find<QObject>("panelTNT")->findChild<panels::TntPanel*>()->deselectListsAtTopIndex();
    expect({"lstTNTD3Dmip=", "lstTNTD3Dmipm=", "lstTNTGLtexq=", "!lblTNTD3DaaP=enabled"});
    EXPECT_EQ(find<ui::OneRowList>("lstTNTGLtexq")->topIndex(), 2);
    // A tray item stores a clicked item, not one only scrolled to; a list without a selection
    // keeps the stored value.
    ui::selectItem(find<QListWidget>("lstTNTD3Dmipd"), 2);
    find<ui::OneRowList>("lstTNTD3Dmipm")->setTopIndex(0);
    answer({Yes});
    trigger("mPopTNTV_1");
    expect({"N:LODBIASADJUST=d4", "N:AUTOMIPMAPMETHOD=d1", "N:MIPMAPLEVELS=d5",
            "NG:TextureQuality=b03", "lstTNTD3Dmip=5"});
    // Apply stores the item in view, clicked or not.
    find<QWidget>("lstTNTD3Dmipd")->setFocus();
    QTest::keyClick(find<QWidget>("lstTNTD3Dmipd"), Qt::Key_Up);
    answer({Yes, Ok});
    click("cmdTNTapply");
    expect({"N:LODBIASADJUST=d2", "lstTNTD3Dmipd=High image quality"});
}

using Voodoo2Branches = PanelFixture;

// "Disable SLI" is the text "0" in both keys; a dword 0 counts too, anything else or nothing
// leaves SLI on. Unticking deletes both values.
TEST_F(Voodoo2Branches, DisableSliIsZeroInBothKeysAndSurvivesARestart) {
    start(voodoo2Card());
    for (const auto& [stored, ticked] : {std::pair{"VG:SSTV2_SLIDETECT=s0", "chkV2sli=1"},
                                         {"VG:SSTV2_SLIDETECT=d0", "chkV2sli=1"},
                                         {"VG:SSTV2_SLIDETECT=s1", "chkV2sli=0"},
                                         {"VG:SSTV2_SLIDETECT=", "chkV2sli=0"}}) {
        SCOPED_TRACE(stored);
        set({QByteArray(ticked).endsWith('1') ? "chkV2sli=0" : "chkV2sli=1"});
        seedStore({stored});
        load();
        expect({ticked});
    }
    for (const auto& [box, d3d, glide] :
         {std::tuple{"chkV2sli=1", "VD:SSTV2_SLIDETECT=s0", "VG:SSTV2_SLIDETECT=s0"},
          {"chkV2sli=0", "VD:SSTV2_SLIDETECT=", "VG:SSTV2_SLIDETECT="}}) {
        set({box});
        answer({Yes, Ok});
        click("cmd3DfxV2apply");
        EXPECT_EQ(storeEntry("VD:SSTV2_SLIDETECT"), d3d);
        EXPECT_EQ(storeEntry("VG:SSTV2_SLIDETECT"), glide);
        load();
        expect({box});
    }
}

using BansheeBranches = PanelFixture;

TEST_F(BansheeBranches, WithoutADriverTheClocksAreNotSavedAndTheUserIsTold) {
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

class VoodooBatch : public PanelFixture {
  protected:
    VoodooBatch() { start(voodooCard()); }

    std::string batch() const {
        std::ifstream in(dir / "drive_c" / "tunexa.bat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::string glide(const char* clock, int fastMem, int fastPci, int vsync) {
        return std::string("REM -- Written by Tunexa v1.0.7 for Win95/98 - Public Beta --\r\n") +
               "SET SST_GRXCLK=" + clock + "\r\nSET SST_FASTMEM=" + std::to_string(fastMem) +
               "\r\nSET SST_FASTPCIRD=" + std::to_string(fastPci) +
               "\r\nSET SST_SWAP_EN_WAIT_ON_VSYNC=" + std::to_string(vsync) +
               "\r\nSET FX_GLIDE_SWAPINTERVAL=0\r\n";
    }
    void apply() {
        answer({Yes, Ok});
        click("cmd3DfxVapply");
    }
    // Apply is refused, saying `why`; neither the file nor the own values change.
    void expectApplyRefused(const char* why) {
        const auto file = batch();
        const auto own = store();
        apply();
        EXPECT_EQ(boxes.shown().back().title, "Settings Not Applied");
        EXPECT_TRUE(
            boxes.shown().back().prompt.startsWith(QString("Settings Not Applied\r\n") + why))
            << boxes.shown().back().prompt.toStdString();
        EXPECT_EQ(batch(), file);
        EXPECT_EQ(store(), own);
    }
};

TEST_F(VoodooBatch, ApplyReplacesTheSixGlideLinesWhole) {
    seedStore(voodooCard().seeded);
    load();
    apply();
    EXPECT_EQ(batch(), glide("58", 1, 0, 0));
    answer({Yes, Ok});
    click("cmd3DfxVreset");
    apply();
    EXPECT_EQ(batch(), glide("50", 0, 0, 1));
    // A clock off the scale leaves the slider and is written as it is.
    set({"sld3DfxVCore=2"});
    seedStore({"3D:Voodoo GRXCLK=s65", "3D:Voodoo FastPCI=s1", "3D:Voodoo Vsync=s0"});
    load();
    expect({"sld3DfxVCore=2", "lbl3DfxVCoreVal=65"});
    apply();
    EXPECT_EQ(batch(), glide("65", 0, 1, 0));
}

TEST_F(VoodooBatch, AnUnsafeStoredClockOrAMissingDriveIsRefused) {
    apply();
    seedStore({"3D:Voodoo GRXCLK=s50 & deltree c:\\"});
    load();
    expectApplyRefused("The core clock");
    std::filesystem::remove(dir / "dosdevices" / "c:");
    std::filesystem::create_directory_symlink(dir / "unmounted", dir / "dosdevices" / "c:");
    seedStore({"3D:Voodoo GRXCLK=s55"});
    load();
    expectApplyRefused("Cannot write");
}

}  // namespace
}  // namespace tunexa::test
