// The engine's collect tables run against the real window: the names the engine reads must be
// the window's controls, and the captions and list texts it maps must arrive unchanged.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>

#include "app/Form1.h"
#include "engine/RegMethods.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"

namespace tunexa::app {
namespace {

using engine::DriverSettings;
using engine::SettingValue;

class CollectFromForm1Test : public testing::Test {
  protected:
    void setLabel(const char* name, const QString& text) {
        auto* label = form.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        label->setText(text);
    }
    void setCheck(const char* name, int value) {
        auto* box = form.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        ui::setCheckValue(box, value);
    }
    // Fills a list with `items` and selects `selected` (none when empty).
    void setList(const char* name, const QStringList& items, const QString& selected) {
        auto* list = form.findChild<QListWidget*>(QString::fromLatin1(name));
        ASSERT_NE(list, nullptr) << name;
        list->clear();
        list->addItems(items);
        if (!selected.isEmpty()) {
            ASSERT_TRUE(ui::selectText(list, selected)) << name;
        }
    }

    Form1 form;
    DriverSettings settings;
};

const QStringList kMipDetail{"Best image quality", "High image quality", "Blend",
                             "High performance", "Best performance"};
const QStringList kTextureQuality{"Optimise for best image quality", "Blend",
                                  "Optimise for best performance"};
const QStringList kMipMethod{"Bilinear", "Trilinear"};

TEST_F(CollectFromForm1Test, TntPanelFillsEveryTntField) {
    setLabel("lblTNTD3DaaVal", QStringLiteral("4x4"));
    setCheck("chkTNTD3Daa", 1);
    setList("lstTNTD3Dmipm", kMipMethod, QStringLiteral("Trilinear"));
    setCheck("chkTNTDX6", 1);
    setList("lstTNTD3Dmipd", kMipDetail, QStringLiteral("Blend"));
    setList("lstTNTGLtexq", kTextureQuality, QStringLiteral("Blend"));
    setLabel("lblTNTMemVal", QStringLiteral("125"));
    setLabel("lblTNTCoreVal", QStringLiteral("100"));
    setCheck("chkTNTD3Ddither", 1);
    setList("lstTNTD3Dmip", {"1", "2", "12"}, QStringLiteral("12"));
    setCheck("chkTNTSetVsync", 1);
    setCheck("chkTNTFogTable", 1);
    setCheck("chkTNTNV4", 0);
    setCheck("chkTNTCpuOpt", 1);

    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    const auto& tnt = settings.TNT;
    EXPECT_EQ(tnt.AAMETHOD.asInt32(), 6);
    EXPECT_EQ(tnt.ANTIALIASENABLE.asInt32(), 1);
    EXPECT_EQ(tnt.AUTOMIPMAPMETHOD.asInt32(), 1);
    EXPECT_EQ(tnt.DX6ENABLE.asInt32(), 1);
    EXPECT_EQ(tnt.LODBIASADJUST.asInt32(), 4);
    EXPECT_EQ(tnt.TextureQuality.asText(), "02");
    EXPECT_EQ(tnt.MCLK.asText(), "125");
    EXPECT_EQ(tnt.NVCLK.asText(), "100");
    EXPECT_EQ(tnt.MIPMAPDITHERENABLE.asInt32(), 1);
    EXPECT_EQ(tnt.MIPMAPLEVELS.asText(), "12");
    EXPECT_EQ(tnt.NOVSYNC.asInt32(), 0);
    EXPECT_EQ(tnt.FOGTABLEENABLE.asInt32(), 1);
    EXPECT_EQ(tnt.PowerUser.asInt32(), 0);
    EXPECT_EQ(tnt.CPUOPTDISABLE.asInt32(), 1);
}

TEST_F(CollectFromForm1Test, UnmappedCaptionsAndTextsKeepTheirFields) {
    settings.TNT.AAMETHOD = SettingValue(3);
    settings.TNT.LODBIASADJUST = SettingValue(8);
    settings.TNT.TextureQuality = SettingValue("03");
    settings.TNT.AUTOMIPMAPMETHOD = SettingValue(0);
    setLabel("lblTNTD3DaaVal", QStringLiteral("5x5"));
    setList("lstTNTD3Dmipd", kMipDetail, QString());
    setList("lstTNTGLtexq", kTextureQuality, QString());
    setList("lstTNTD3Dmipm", kMipMethod, QString());
    setList("lstTNTD3Dmip", {"1", "2"}, QString());

    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    EXPECT_EQ(settings.TNT.AAMETHOD, SettingValue(3));
    EXPECT_EQ(settings.TNT.LODBIASADJUST, SettingValue(8));
    EXPECT_EQ(settings.TNT.TextureQuality, SettingValue("03"));
    EXPECT_EQ(settings.TNT.AUTOMIPMAPMETHOD, SettingValue(0));
    // Nothing selected reads as the empty text.
    EXPECT_EQ(settings.TNT.MIPMAPLEVELS.asText(), "");
}

TEST_F(CollectFromForm1Test, Voodoo2PanelFillsBothGroups) {
    setLabel("lblV2D3DCoreVal", QStringLiteral("95"));
    setLabel("lblV2DRGVal", QStringLiteral("1.35"));
    setLabel("lblV2GCoreVal", QStringLiteral("92"));
    setLabel("lblV2GBGVal", QStringLiteral("0.80"));
    for (const auto& [limit, triple, memsize, color] :
         {std::tuple{0, 0, 4, 2}, std::tuple{1, 1, 2, 3}}) {
        setCheck("chkV2Glimit", limit);
        setCheck("chkV2Gtriple", triple);
        setCheck("chkV2D3Dfa", limit);
        setCheck("chkV2sli", triple);
        engine::CollectDriverSettings(engine::kCardVoodoo2, form, settings);
        EXPECT_EQ(settings.V2Glide.SSTV2_TMU_MEMSIZE.asInt32(), memsize);
        EXPECT_EQ(settings.V2Glide.FX_GLIDE_ALLOC_COLOR.asInt32(), color);
        EXPECT_EQ(settings.V2D3D.SSTV2_ANTIALIAS.asInt32(), limit);
        EXPECT_EQ(settings.V2Glide.SSTV2_SLIDETECT.asInt32(), triple);
    }
    EXPECT_EQ(settings.V2D3D.SSTV2_GRXCLK.asText(), "95");
    EXPECT_EQ(settings.V2D3D.SSTV2_RGAMMA.asText(), "1.35");
    EXPECT_EQ(settings.V2Glide.SSTV2_GRXCLK.asText(), "92");
    EXPECT_EQ(settings.V2Glide.SSTV2_BGAMMA.asText(), "0.80");
}

TEST_F(CollectFromForm1Test, BansheePanelFillsClocksAndBothPages) {
    settings.BanClock.ClassKey = "System\\CurrentControlSet\\Services\\Class\\Display\\0001";
    setLabel("lbl3DfxBansheeGrxVal", QStringLiteral("105"));
    setLabel("lbl3DfxBansheeMemVal", QStringLiteral("110"));
    setLabel("lblBanDGGval", QStringLiteral("1.10"));
    setLabel("lblBanGRGval", QStringLiteral("0.95"));
    setCheck("chkBanDantialias", 1);
    setCheck("chkBanGtriple", 1);
    setCheck("chkBanGrush", 1);

    engine::CollectDriverSettings(engine::kCardBanshee, form, settings);
    EXPECT_EQ(settings.BanClock.grxclock.asText(), "105");
    EXPECT_EQ(settings.BanClock.memclock.asText(), "110");
    EXPECT_EQ(settings.BanD3D.SSTH3_GGAMMA.asText(), "1.10");
    EXPECT_EQ(settings.BanGlide.SSTH3_RGAMMA.asText(), "0.95");
    EXPECT_EQ(settings.BanD3D.SSTH3_ANTIALIAS.asInt32(), 1);
    EXPECT_EQ(settings.BanGlide.FX_GLIDE_ALLOC_COLOR.asInt32(), 3);
    EXPECT_EQ(settings.BanGlide.FX_GLIDE_EMUL_RUSH.asInt32(), 1);
    EXPECT_EQ(settings.BanClock.ClassKey,
              "System\\CurrentControlSet\\Services\\Class\\Display\\0001");
}

TEST_F(CollectFromForm1Test, EachCardTouchesOnlyItsOwnGroups) {
    setLabel("lblTNTCoreVal", QStringLiteral("100"));
    setLabel("lblV2D3DCoreVal", QStringLiteral("95"));
    setLabel("lbl3DfxBansheeGrxVal", QStringLiteral("105"));

    const DriverSettings before = settings;
    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    EXPECT_EQ(settings.V2D3D, before.V2D3D);
    EXPECT_EQ(settings.V2Glide, before.V2Glide);
    EXPECT_EQ(settings.BanClock, before.BanClock);
    EXPECT_EQ(settings.BanD3D, before.BanD3D);

    const DriverSettings afterTnt = settings;
    engine::CollectDriverSettings(engine::kCardVoodoo2, form, settings);
    EXPECT_EQ(settings.TNT, afterTnt.TNT);
    EXPECT_EQ(settings.BanGlide, afterTnt.BanGlide);

    const DriverSettings afterV2 = settings;
    engine::CollectDriverSettings("tnt", form, settings);
    EXPECT_EQ(settings, afterV2);
}

}  // namespace
}  // namespace tunexa::app
