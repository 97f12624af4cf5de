// Every control the main window and the first-run window must have, with its kind, caption,
// tooltip, frame and tab, listed here independently of the .ui files: a renamed, missing or
// re-captioned control fails.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <optional>

#include "app/FirstRun.h"
#include "app/Form1.h"
#include "ui/OneRowList.h"

namespace tunexa::app {
namespace {

enum class Kind { Label, Check, Button, List, OneRowList, Slider, Text, Frame };

struct Control {
    const char* name;
    Kind kind;
    // Caption (label, check box, button) or title (frame); null: not fixed at design time.
    const char* caption;
    // The frame the control sits in (the nearest one), or null for none.
    const char* frame;
    // The tab of SSTab1 it is on; -1 on a window without tabs.
    int tab;
    const char* toolTip = nullptr;
    // Largest slider position; -1 for other kinds.
    int sliderMax = -1;
};

constexpr int kGammaMax = 40;  // 41 gamma positions, "0.00" to "2.00"

// clang-format off
const Control kForm1Controls[] = {
    // Tab 0, "  Main Settings"
    {"lblTXVersion", Kind::Label, "Tunexa v1.0.7 for Win95/98  -  Public Beta", nullptr, 0},
    {"lblAbout", Kind::Label, "Tunexa v1.0.7", nullptr, 0},
    {"lblAbout2", Kind::Label, nullptr, nullptr, 0},
    {"lblAboutTX_0", Kind::Label, "Tunexa v1.0.7 for Win95/98 - Public Beta", nullptr, 0},
    {"lblAboutTX_1", Kind::Label, "Running on a", nullptr, 0},
    {"lblAboutTX_2", Kind::Label, "", nullptr, 0},
    {"lblAboutTX_3", Kind::Label, "Operating System", nullptr, 0},
    {"lblAboutTX_4", Kind::Label, "", nullptr, 0},
    {"frameConfigure", Kind::Frame, "Choose Available Cards", nullptr, 0},
    {"chkConfTNT", Kind::Check, "Riva TNT", "frameConfigure", 0},
    {"chkConfBanshee", Kind::Check, "Banshee", "frameConfigure", 0},
    {"chkConfV2", Kind::Check, "Voodoo 2", "frameConfigure", 0},
    {"chkConfVoodoo", Kind::Check, "Voodoo", "frameConfigure", 0},
    {"chkMatroxOnOff", Kind::Check, "Matrox Gx00", "frameConfigure", 0},
    {"cmdConfApply", Kind::Button, "Apply", "frameConfigure", 0},
    {"frameTXSettings", Kind::Frame, "Tunexa Options", nullptr, 0},
    {"chkRunOnStart", Kind::Check, "Run with Windows", "frameTXSettings", 0},
    {"chkStartMin", Kind::Check, "Start Minimised", "frameTXSettings", 0},
    {"frameMainDisplay", Kind::Frame, "Main Display Settings", nullptr, 0},
    {"lstMainRes", Kind::List, nullptr, "frameMainDisplay", 0},
    {"cmdSwitchDisplay", Kind::Button, "Switch resolution", "frameMainDisplay", 0},
    {"lblResolution", Kind::Label, "Current Resolution", "frameMainDisplay", 0},
    {"lblCurrentRes", Kind::Label, nullptr, "frameMainDisplay", 0},
    {"cmdReboot", Kind::Button, "Reboot", nullptr, 0, "Reboot Your Computer"},
    {"cmdShutDown", Kind::Button, "Exit Windows", nullptr, 0, "Shut Down Your Computer"},

    // Tab 1, "   Riva TNT"
    {"frameTNTSettings", Kind::Frame, "Dynamic Settings", nullptr, 1},
    {"lblTNTUnrealD3D", Kind::Label, "Unreal Direct3D settings", "frameTNTSettings", 1, "These settings are dynamic!!"},
    {"chkUnrealTrueC", Kind::Check, "TrueColor", "frameTNTSettings", 1},
    {"chkUnrealDoTri", Kind::Check, "DoTrilinear", "frameTNTSettings", 1},
    {"chkUnrealTB", Kind::Check, "TripleBuffering", "frameTNTSettings", 1},
    {"chkUnrealDoFlip", Kind::Check, "DoFlip", "frameTNTSettings", 1},
    {"lblTNTDetonator", Kind::Label, "Detonator Driver Options", "frameTNTSettings", 1},
    {"chkTNTCpuOpt", Kind::Check, "Disable support for Pentium III", "frameTNTSettings", 1, "Disable support for Pentium III / Katmai"},
    {"chkTNTNV4", Kind::Check, "Power User", "frameTNTSettings", 1},
    {"chkTNTDX6", Kind::Check, "DX6 Support", "frameTNTSettings", 1},
    {"chkTNTSetVsync", Kind::Check, "VSync On/Off", "frameTNTSettings", 1},
    {"frameTNTGL", Kind::Frame, "OpenGL", nullptr, 1},
    {"lblTNTGLtexq", Kind::Label, "Texture Quality", "frameTNTGL", 1},
    {"lstTNTGLtexq", Kind::OneRowList, nullptr, "frameTNTGL", 1},
    {"frameTNTD3D", Kind::Frame, "Direct3D", nullptr, 1},
    {"chkTNTFogTable", Kind::Check, "Fog Table Emulation", "frameTNTD3D", 1},
    {"chkTNTD3Daa", Kind::Check, "Anti-Aliasing", "frameTNTD3D", 1},
    {"sldTNTD3Daa", Kind::Slider, nullptr, "frameTNTD3D", 1, nullptr, 6},
    {"lblTNTD3DaaVal", Kind::Label, nullptr, "frameTNTD3D", 1},
    {"lblTNTD3DaaI", Kind::Label, "Best Image Quality", "frameTNTD3D", 1},
    {"lblTNTD3DaaP", Kind::Label, "Best Performance", "frameTNTD3D", 1},
    {"chkTNTD3Ddither", Kind::Check, "Allow mipmap dithering", "frameTNTD3D", 1},
    {"lblTNTD3Dmip", Kind::Label, "Mipmap Levels", "frameTNTD3D", 1},
    {"lstTNTD3Dmip", Kind::OneRowList, nullptr, "frameTNTD3D", 1},
    {"lblTNTD3Dmipm", Kind::Label, "Auto mipmap method", "frameTNTD3D", 1},
    {"lstTNTD3Dmipm", Kind::OneRowList, nullptr, "frameTNTD3D", 1},
    {"lblTNTD3Dmipd", Kind::Label, "Mipmap detail level", "frameTNTD3D", 1},
    {"lstTNTD3Dmipd", Kind::OneRowList, nullptr, "frameTNTD3D", 1},
    {"frameTNTOC", Kind::Frame, "Overclocking - Hercules Drivers Only", nullptr, 1},
    {"lblTNTCoreClk", Kind::Label, "Core", "frameTNTOC", 1},
    {"sldTNTCoreClk", Kind::Slider, nullptr, "frameTNTOC", 1, nullptr, 30},
    {"lblTNTCoreVal", Kind::Label, nullptr, "frameTNTOC", 1},
    {"lblTNTMemClk", Kind::Label, "Memory", "frameTNTOC", 1},
    {"sldTNTMemClk", Kind::Slider, nullptr, "frameTNTOC", 1, nullptr, 20},
    {"lblTNTMemVal", Kind::Label, nullptr, "frameTNTOC", 1},
    {"lblTNTdriver", Kind::Label, "TNT driver", nullptr, 1},
    {"lblTNTdriverVal", Kind::Label, nullptr, nullptr, 1},
    {"cmdTNTdefaults", Kind::Button, "Reset Defaults", nullptr, 1},
    {"cmdTNTapply", Kind::Button, "Apply all settings", nullptr, 1},

    // Tab 2, " 3Dfx"
    {"frame3DfxBanshee", Kind::Frame, "Banshee", nullptr, 2},
    {"cmdShowBanD3D", Kind::Button, "D3D Options", "frame3DfxBanshee", 2},
    {"cmdShowBanGlide", Kind::Button, "Glide Options", "frame3DfxBanshee", 2},
    {"lbl3DfxBansheeGrx", Kind::Label, "Graphics Core", "frame3DfxBanshee", 2},
    {"sld3DfxBansheeGrx", Kind::Slider, nullptr, "frame3DfxBanshee", 2, nullptr, 20},
    {"lbl3DfxBansheeGrxVal", Kind::Label, nullptr, "frame3DfxBanshee", 2},
    {"lblBansheeMem", Kind::Label, "Memory Speed", "frame3DfxBanshee", 2},
    {"sld3DfxBansheeMem", Kind::Slider, nullptr, "frame3DfxBanshee", 2, nullptr, 20},
    {"lbl3DfxBansheeMemVal", Kind::Label, nullptr, "frame3DfxBanshee", 2},
    {"cmd3DfxBansheereset", Kind::Button, "Defaults", "frame3DfxBanshee", 2},
    {"cmd3DfxBansheeapply", Kind::Button, "Apply", "frame3DfxBanshee", 2},
    {"frame3DfxV", Kind::Frame, "Voodoo", nullptr, 2},
    {"lbl3DfxVCore", Kind::Label, "Graphics Core", "frame3DfxV", 2},
    {"sld3DfxVCore", Kind::Slider, nullptr, "frame3DfxV", 2, nullptr, 10},
    {"lbl3DfxVCoreVal", Kind::Label, nullptr, "frame3DfxV", 2},
    {"chk3DfxVVsync", Kind::Check, "VSync", "frame3DfxV", 2},
    {"chk3DfxVFastMem", Kind::Check, "Fast Mem", "frame3DfxV", 2},
    {"chk3DfxVFastPCI", Kind::Check, "Fast PCI", "frame3DfxV", 2},
    {"cmd3DfxVreset", Kind::Button, "Reset to Defaults", "frame3DfxV", 2},
    {"cmd3DfxVapply", Kind::Button, "Apply", "frame3DfxV", 2},
    {"frame3DfxV2", Kind::Frame, "Voodoo 2", nullptr, 2},
    {"chkV2sli", Kind::Check, "Disable SLI", "frame3DfxV2", 2},
    {"cmdV2SwitchD3D", Kind::Button, "D3D Options", "frame3DfxV2", 2},
    {"cmdV2SwitchGlide", Kind::Button, "Glide Options", "frame3DfxV2", 2},
    {"cmd3DfxV2reset", Kind::Button, "Defaults", "frame3DfxV2", 2},
    {"cmd3DfxV2apply", Kind::Button, "Apply", "frame3DfxV2", 2},
    {"frameV2D3D", Kind::Frame, "Direct3D", "frame3DfxV2", 2},
    {"chkV2D3Dvs", Kind::Check, "VSync", "frameV2D3D", 2},
    {"chkV2D3Dam", Kind::Check, "Auto Mipmapping", "frameV2D3D", 2},
    {"chkV2D3Dft", Kind::Check, "Force Trilinear", "frameV2D3D", 2},
    {"chkV2D3Dfa", Kind::Check, "Force Anti Aliasing", "frameV2D3D", 2},
    {"lblV2D3DCore", Kind::Label, "Core Speed", "frameV2D3D", 2},
    {"sldV2D3DCore", Kind::Slider, nullptr, "frameV2D3D", 2, nullptr, 20},
    {"lblV2D3DCoreVal", Kind::Label, nullptr, "frameV2D3D", 2},
    {"lblV2D3DRG", Kind::Label, "Red Gamma", "frameV2D3D", 2},
    {"sldV2D3DRG", Kind::Slider, nullptr, "frameV2D3D", 2, nullptr, kGammaMax},
    {"lblV2DRGVal", Kind::Label, nullptr, "frameV2D3D", 2},
    {"lblV2D3DGG", Kind::Label, "Green Gamma", "frameV2D3D", 2},
    {"sldV2D3DGG", Kind::Slider, nullptr, "frameV2D3D", 2, nullptr, kGammaMax},
    {"lblV2DGGVal", Kind::Label, nullptr, "frameV2D3D", 2},
    {"lblV2D3DBG", Kind::Label, "Blue Gamma", "frameV2D3D", 2},
    {"sldV2D3DBG", Kind::Slider, nullptr, "frameV2D3D", 2, nullptr, kGammaMax},
    {"lblV2DBGVal", Kind::Label, nullptr, "frameV2D3D", 2},
    {"frameV2Glide", Kind::Frame, "Glide", "frame3DfxV2", 2},
    {"chkV2Gtriple", Kind::Check, "Triple Buffering", "frameV2Glide", 2},
    {"chkV2Glimit", Kind::Check, "Limit to 2Mb", "frameV2Glide", 2},
    {"chkV2Gadvance", Kind::Check, "Advanced Filtering", "frameV2Glide", 2},
    {"chkV2GVSync", Kind::Check, "VSync", "frameV2Glide", 2},
    {"lblV2GCore", Kind::Label, "Core Speed", "frameV2Glide", 2},
    {"sldV2GCore", Kind::Slider, nullptr, "frameV2Glide", 2, nullptr, 20},
    {"lblV2GCoreVal", Kind::Label, nullptr, "frameV2Glide", 2},
    {"Label1", Kind::Label, "Red Gamma", "frameV2Glide", 2},
    {"sldV2GRG", Kind::Slider, nullptr, "frameV2Glide", 2, nullptr, kGammaMax},
    {"lblV2GRGVal", Kind::Label, nullptr, "frameV2Glide", 2},
    {"lblV2GGG", Kind::Label, "Green Gamma", "frameV2Glide", 2},
    {"sldV2GGG", Kind::Slider, nullptr, "frameV2Glide", 2, nullptr, kGammaMax},
    {"lblV2GGGVal", Kind::Label, nullptr, "frameV2Glide", 2},
    {"lblV2GBG", Kind::Label, "Blue Gamma", "frameV2Glide", 2},
    {"sldV2GBG", Kind::Slider, nullptr, "frameV2Glide", 2, nullptr, kGammaMax},
    {"lblV2GBGVal", Kind::Label, nullptr, "frameV2Glide", 2},
    {"frameBansheeD3D", Kind::Frame, "Banshee - D3D", nullptr, 2},
    {"cmdBanDback", Kind::Button, "Back", "frameBansheeD3D", 2},
    {"chkBanDVSync", Kind::Check, "VSync", "frameBansheeD3D", 2},
    {"chkBanDauto", Kind::Check, "Auto Mipmapping", "frameBansheeD3D", 2},
    {"chkBanDtri", Kind::Check, "Force Trilinear", "frameBansheeD3D", 2},
    {"chkBanDantialias", Kind::Check, "Force Anti Aliasing", "frameBansheeD3D", 2},
    {"lblBanDRG", Kind::Label, "Red Gamma", "frameBansheeD3D", 2},
    {"sldBanDRG", Kind::Slider, nullptr, "frameBansheeD3D", 2, nullptr, kGammaMax},
    {"lblBanDRGval", Kind::Label, nullptr, "frameBansheeD3D", 2},
    {"lblBanDGG", Kind::Label, "Green Gamma", "frameBansheeD3D", 2},
    {"sldBanDGG", Kind::Slider, nullptr, "frameBansheeD3D", 2, nullptr, kGammaMax},
    {"lblBanDGGval", Kind::Label, nullptr, "frameBansheeD3D", 2},
    {"lblBanDBG", Kind::Label, "Blue Gamma", "frameBansheeD3D", 2},
    {"sldBanDBG", Kind::Slider, nullptr, "frameBansheeD3D", 2, nullptr, kGammaMax},
    {"lblBanDBGval", Kind::Label, nullptr, "frameBansheeD3D", 2},
    {"frameBansheeGlide", Kind::Frame, "Banshee - Glide", nullptr, 2},
    {"cmdBanGback", Kind::Button, "Back", "frameBansheeGlide", 2},
    {"chkBanGVSync", Kind::Check, "VSync", "frameBansheeGlide", 2},
    {"chkBanGrush", Kind::Check, "Rush Emulation", "frameBansheeGlide", 2},
    {"chkBanGadvance", Kind::Check, "Advanced Filtering", "frameBansheeGlide", 2},
    {"chkBanGtriple", Kind::Check, "Triple Buffering", "frameBansheeGlide", 2},
    {"lblBanGRG", Kind::Label, "Red Gamma", "frameBansheeGlide", 2},
    {"sldBanGRG", Kind::Slider, nullptr, "frameBansheeGlide", 2, nullptr, kGammaMax},
    {"lblBanGRGval", Kind::Label, nullptr, "frameBansheeGlide", 2},
    {"lblBanGGG", Kind::Label, "Green Gamma", "frameBansheeGlide", 2},
    {"sldBanGGG", Kind::Slider, nullptr, "frameBansheeGlide", 2, nullptr, kGammaMax},
    {"lblBanGGGval", Kind::Label, nullptr, "frameBansheeGlide", 2},
    {"lblBanGBG", Kind::Label, "Blue Gamma", "frameBansheeGlide", 2},
    {"sldBanGBG", Kind::Slider, nullptr, "frameBansheeGlide", 2, nullptr, kGammaMax},
    {"lblBanGBGval", Kind::Label, nullptr, "frameBansheeGlide", 2},

    // Tab 3, "  Other Stuff"
    {"frameMatrox", Kind::Frame, "Matrox G100/G200", nullptr, 3, "Matrox Live Settings"},
    {"chkG200sub", Kind::Check, "Sub-pixel Enable", "frameMatrox", 3},
    {"chkG200aniso", Kind::Check, "Anisotropic Filtering", "frameMatrox", 3},
    {"chkG200V", Kind::Check, "VSync", "frameMatrox", 3, "G200 VSync"},
    {"lblMatroxNote", Kind::Label, "Matrox Settings are applied dynamically", "frameMatrox", 3},
    {"frameHL", Kind::Frame, "Half-Life Game Launching", nullptr, 3},
    {"lblHLclient", Kind::Label, "Client Options", "frameHL", 3},
    {"cmdFindHL", Kind::Button, "Find Half-Life", "frameHL", 3},
    {"lblHLon", Kind::Label, "on drive", "frameHL", 3},
    {"txtHLdrive", Kind::Text, nullptr, "frameHL", 3, "Enter a drive letter. e.g C"},
    {"lblHLsemi", Kind::Label, ":\\", "frameHL", 3},
    {"lstHL", Kind::OneRowList, nullptr, "frameHL", 3},
    {"lblHLip", Kind::Label, "IP Address", "frameHL", 3},
    {"txtHLip", Kind::Text, nullptr, "frameHL", 3},
    {"lblHLdescription", Kind::Label, "Description", "frameHL", 3},
    {"txtHLdesc", Kind::Text, nullptr, "frameHL", 3},
    {"cmdHLsave", Kind::Button, "Save", "frameHL", 3},
    {"lstHLfaves", Kind::List, nullptr, "frameHL", 3},
    {"cmdHLdelIP", Kind::Button, "Delete", "frameHL", 3},
    {"cmdHLconnect", Kind::Button, "Connect", "frameHL", 3},
};

const Control kFirstRunControls[] = {
    {"frameFirstRun", Kind::Frame, "Configure Tunexa v1.0.6", nullptr, -1},
    {"Label1", Kind::Label, "Tunexa v1.0.6 Configuration", "frameFirstRun", -1},
    {"Label2", Kind::Label, "Please Choose the cards present in your system", "frameFirstRun", -1},
    {"chkRivaTNT", Kind::Check, "NVidia Riva TNT", "frameFirstRun", -1},
    {"chkVoodoo", Kind::Check, "3Dfx Voodoo", "frameFirstRun", -1},
    {"chkVoodoo2", Kind::Check, "3Dfx Voodoo2", "frameFirstRun", -1},
    {"chkBanshee", Kind::Check, "3Dfx Banshee", "frameFirstRun", -1},
    {"lblDisclaimer", Kind::Label, "By clicking OK, you agree to the fact that I cannot be held responsible for anything that happens to you or your hardware as a result of using Tunexa", "frameFirstRun", -1},
    {"cmdOKFirstRun", Kind::Button, "OK", "frameFirstRun", -1},
};
// clang-format on

const char* const kTabCaptions[] = {"  Main Settings", "   Riva TNT", " 3Dfx", "  Other Stuff"};

// The caption or title a control of that kind shows; nullopt when the widget is not that kind.
std::optional<QString> shownCaption(const QWidget* widget, Kind kind) {
    switch (kind) {
        case Kind::Label:
            if (auto* label = qobject_cast<const QLabel*>(widget)) {
                return label->text();
            }
            break;
        case Kind::Check:
            if (auto* box = qobject_cast<const QCheckBox*>(widget)) {
                return box->text();
            }
            break;
        case Kind::Button:
            if (auto* button = qobject_cast<const QPushButton*>(widget)) {
                return button->text();
            }
            break;
        case Kind::Frame:
            if (auto* frame = qobject_cast<const QGroupBox*>(widget)) {
                return frame->title();
            }
            break;
        case Kind::List:
            if (qobject_cast<const QListWidget*>(widget)) {
                return QString();
            }
            break;
        case Kind::OneRowList:
            if (qobject_cast<const ui::OneRowList*>(widget)) {
                return QString();
            }
            break;
        case Kind::Slider:
            if (qobject_cast<const QSlider*>(widget)) {
                return QString();
            }
            break;
        case Kind::Text:
            if (qobject_cast<const QLineEdit*>(widget)) {
                return QString();
            }
            break;
    }
    return std::nullopt;
}

// The nearest frame around `widget` inside `window`, or null.
const QGroupBox* enclosingFrame(const QWidget* widget, const QWidget* window) {
    for (const QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget()) {
        if (auto* frame = qobject_cast<const QGroupBox*>(up)) {
            return frame;
        }
    }
    return nullptr;
}

int tabOf(const QWidget* widget, const QTabWidget* tabs) {
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->widget(i)->isAncestorOf(widget)) {
            return i;
        }
    }
    return -1;
}

void expectControls(const QWidget& window, const QTabWidget* tabs, const Control& c) {
    SCOPED_TRACE(c.name);
    const auto found = window.findChildren<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_EQ(found.size(), 1) << "one control of that name";
    const QWidget* widget = found.first();

    const auto caption = shownCaption(widget, c.kind);
    ASSERT_TRUE(caption.has_value()) << "kind; it is a " << widget->metaObject()->className();
    if (c.caption != nullptr) {
        EXPECT_EQ(*caption, QString::fromLatin1(c.caption));
    }
    if (c.toolTip != nullptr) {
        EXPECT_EQ(widget->toolTip(), QString::fromLatin1(c.toolTip));
    }

    const QGroupBox* frame = enclosingFrame(widget, &window);
    EXPECT_EQ(frame ? frame->objectName() : QString(), QString::fromLatin1(c.frame ? c.frame : ""));
    if (tabs != nullptr) {
        EXPECT_EQ(tabOf(widget, tabs), c.tab);
    }

    if (c.kind == Kind::Slider) {
        auto* slider = static_cast<const QSlider*>(widget);
        EXPECT_EQ(slider->orientation(), Qt::Horizontal);
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), c.sliderMax);
        EXPECT_EQ(slider->singleStep(), 1);
        EXPECT_EQ(slider->pageStep(), 5);
    }
    // Controls without a caption of their own are named for assistive technology; value labels
    // must not be, or their text would be hidden.
    switch (c.kind) {
        case Kind::List:
        case Kind::OneRowList:
        case Kind::Slider:
        case Kind::Text:
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << "accessible name";
            break;
        case Kind::Label:
            EXPECT_TRUE(widget->accessibleName().isEmpty()) << "labels keep their text";
            break;
        default:
            break;
    }
}

TEST(Form1ControlsTest, WindowAndTabsHaveTheirCaptions) {
    Form1 form;
    EXPECT_EQ(form.objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tunexa v1.0.7 for Win95/98 - Public Beta"));
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), QString::fromLatin1(kTabCaptions[i])) << i;
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST(Form1ControlsTest, EveryControlExistsWithItsKindCaptionAndPlace) {
    Form1 form;
    const auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    ASSERT_NE(tabs, nullptr);
    for (const Control& c : kForm1Controls) {
        expectControls(form, tabs, c);
    }
}

TEST(Form1ControlsTest, EveryObjectNameIsUnique) {
    Form1 form;
    QHash<QString, int> seen;
    for (const QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty() &&
            !widget->objectName().startsWith(QLatin1String("qt_"))) {
            ++seen[widget->objectName()];
        }
    }
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
    }
}

TEST(Form1ControlsTest, VersionTitleIsInArialAndTheAboutLabelsAreAnArray) {
    Form1 form;
    EXPECT_EQ(form.ui.lblTXVersion->font().family(), QStringLiteral("Arial"));
    EXPECT_FALSE(form.ui.lblAbout2->text().isEmpty());
    for (int i = 0; i < Form1::kAboutLabelCount; ++i) {
        ASSERT_NE(form.lblAboutTX(i), nullptr);
        EXPECT_EQ(form.lblAboutTX(i)->objectName(), QStringLiteral("lblAboutTX_%1").arg(i));
    }
    EXPECT_EQ(form.lblAboutTX(-1), nullptr);
    EXPECT_EQ(form.lblAboutTX(5), nullptr);
}

TEST(Form1ControlsTest, PictureBoxesShowArtwork) {
    Form1 form;
    const std::pair<const char*, int> kFramesWithPictures[] = {
        {"frame3DfxBanshee", 2}, {"frameBansheeD3D", 1}, {"frameBansheeGlide", 1}, {"frameHL", 1}};
    for (const auto& [frameName, atLeast] : kFramesWithPictures) {
        auto* frame = form.findChild<QGroupBox*>(QString::fromLatin1(frameName));
        ASSERT_NE(frame, nullptr) << frameName;
        int pictures = 0;
        for (const QLabel* label : frame->findChildren<QLabel*>()) {
            if (label->objectName().startsWith(QLatin1String("pic")) && !label->pixmap().isNull()) {
                ++pictures;
            }
        }
        EXPECT_GE(pictures, atLeast) << frameName;
    }
}

TEST(FirstRunControlsTest, EveryControlExistsWithItsCaption) {
    FirstRun window;
    EXPECT_EQ(window.objectName(), QStringLiteral("FirstRun"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Configure Tunexa v1.0.6"));
    for (const Control& c : kFirstRunControls) {
        expectControls(window, nullptr, c);
    }
}

}  // namespace
}  // namespace tunexa::app
