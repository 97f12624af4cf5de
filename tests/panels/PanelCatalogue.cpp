#include "PanelCatalogue.h"

#include "launcher/gui/HalfLifeFrame.h"
#include "panels/banshee/BansheeFrame.h"
#include "panels/live/MatroxFrame.h"
#include "panels/tnt/TntTab.h"
#include "panels/voodoo/VoodooFrame.h"
#include "panels/voodoo2/Voodoo2Frame.h"
#include "system/DisplayFrame.h"

namespace tunexa::test {

namespace {

template <typename T>
std::function<std::unique_ptr<QWidget>()> factory() {
    return [] { return std::make_unique<T>(); };
}

using K = Kind;

}  // namespace

std::string kindName(Kind kind) {
    switch (kind) {
        case K::Frame:
            return "frame";
        case K::CheckBox:
            return "check box";
        case K::Button:
            return "button";
        case K::Label:
            return "label";
        case K::ValueLabel:
            return "value label";
        case K::List:
            return "list box";
        case K::OneRowList:
            return "one-row list";
        case K::Slider:
            return "slider";
        case K::TextBox:
            return "text box";
        case K::Picture:
            return "picture";
    }
    return "?";
}

const std::vector<Panel>& panels() {
    static const std::vector<Panel> all = {
        {"DisplayFrame",
         factory<system::DisplayFrame>(),
         {
             {"frameMainDisplay", K::Frame, "Main Display Settings"},
             {"lstMainRes", K::List, "Display modes"},
             {"cmdSwitchDisplay", K::Button, "Switch resolution"},
             {"lblResolution", K::Label, "Current Resolution"},
             {"lblCurrentRes", K::ValueLabel, ""},
         },
         {"lstMainRes", "cmdSwitchDisplay"},
         {}},
        {"TntTab",
         factory<panels::TntTab>(),
         {
             {"frameTNTSettings", K::Frame, "Dynamic Settings"},
             {"lblTNTUnrealD3D", K::Label, "Unreal Direct3D settings",
              "These settings are dynamic!!"},
             {"chkUnrealTrueC", K::CheckBox, "TrueColor"},
             {"chkUnrealDoTri", K::CheckBox, "DoTrilinear"},
             {"chkUnrealTB", K::CheckBox, "TripleBuffering"},
             {"chkUnrealDoFlip", K::CheckBox, "DoFlip"},
             {"lblTNTDetonator", K::Label, "Detonator Driver Options"},
             {"chkTNTCpuOpt", K::CheckBox, "Disable support for Pentium III",
              "Disable support for Pentium III / Katmai"},
             {"chkTNTNV4", K::CheckBox, "Power User"},
             {"chkTNTDX6", K::CheckBox, "DX6 Support"},
             {"chkTNTSetVsync", K::CheckBox, "VSync On/Off"},
             {"frameTNTGL", K::Frame, "OpenGL"},
             {"lblTNTGLtexq", K::Label, "Texture Quality"},
             {"lstTNTGLtexq", K::OneRowList, "Texture quality"},
             {"frameTNTD3D", K::Frame, "Direct3D"},
             {"chkTNTFogTable", K::CheckBox, "Fog Table Emulation"},
             {"chkTNTD3Daa", K::CheckBox, "Anti-Aliasing"},
             {"sldTNTD3Daa", K::Slider, "Anti-aliasing method"},
             {"lblTNTD3DaaVal", K::ValueLabel, ""},
             {"lblTNTD3DaaI", K::Label, "Best Image Quality"},
             {"lblTNTD3DaaP", K::Label, "Best Performance"},
             {"chkTNTD3Ddither", K::CheckBox, "Allow mipmap dithering"},
             {"lblTNTD3Dmip", K::Label, "Mipmap Levels"},
             {"lstTNTD3Dmip", K::OneRowList, "Mipmap levels"},
             {"lblTNTD3Dmipm", K::Label, "Auto mipmap method"},
             {"lstTNTD3Dmipm", K::OneRowList, "Auto mipmap method"},
             {"lblTNTD3Dmipd", K::Label, "Mipmap detail level"},
             {"lstTNTD3Dmipd", K::OneRowList, "Mipmap detail level"},
             {"frameTNTOC", K::Frame, "Overclocking - Hercules Drivers Only"},
             {"lblTNTCoreClk", K::Label, "Core"},
             {"sldTNTCoreClk", K::Slider, "Core clock"},
             {"lblTNTCoreVal", K::ValueLabel, ""},
             {"lblTNTMemClk", K::Label, "Memory"},
             {"sldTNTMemClk", K::Slider, "Memory clock"},
             {"lblTNTMemVal", K::ValueLabel, ""},
             {"lblTNTdriver", K::Label, "TNT driver"},
             {"lblTNTdriverVal", K::ValueLabel, ""},
             {"cmdTNTdefaults", K::Button, "Reset Defaults"},
             {"cmdTNTapply", K::Button, "Apply all settings"},
         },
         {"chkUnrealTrueC", "chkUnrealDoTri", "chkUnrealTB",    "chkUnrealDoFlip", "chkTNTCpuOpt",
          "chkTNTNV4",      "chkTNTDX6",      "chkTNTSetVsync", "sldTNTCoreClk",   "sldTNTMemClk",
          "chkTNTFogTable", "chkTNTD3Daa",    "sldTNTD3Daa",    "chkTNTD3Ddither", "lstTNTD3Dmip",
          "lstTNTD3Dmipm",  "lstTNTD3Dmipd",  "lstTNTGLtexq",   "cmdTNTdefaults",  "cmdTNTapply"},
         {}},
        {"Voodoo2Frame",
         factory<panels::Voodoo2Frame>(),
         {
             {"frame3DfxV2", K::Frame, "Voodoo 2"},
             {"chkV2sli", K::CheckBox, "Disable SLI"},
             {"cmdV2SwitchD3D", K::Button, "D3D Options"},
             {"cmdV2SwitchGlide", K::Button, "Glide Options"},
             {"cmd3DfxV2reset", K::Button, "Defaults"},
             {"cmd3DfxV2apply", K::Button, "Apply"},
             {"frameV2D3D", K::Frame, "Direct3D"},
             {"chkV2D3Dvs", K::CheckBox, "VSync"},
             {"chkV2D3Dam", K::CheckBox, "Auto Mipmapping"},
             {"chkV2D3Dft", K::CheckBox, "Force Trilinear"},
             {"chkV2D3Dfa", K::CheckBox, "Force Anti Aliasing"},
             {"lblV2D3DCore", K::Label, "Core Speed"},
             {"sldV2D3DCore", K::Slider, "Core clock"},
             {"lblV2D3DCoreVal", K::ValueLabel, ""},
             {"lblV2D3DRG", K::Label, "Red Gamma"},
             {"sldV2D3DRG", K::Slider, "Red gamma"},
             {"lblV2DRGVal", K::ValueLabel, ""},
             {"lblV2D3DGG", K::Label, "Green Gamma"},
             {"sldV2D3DGG", K::Slider, "Green gamma"},
             {"lblV2DGGVal", K::ValueLabel, ""},
             {"lblV2D3DBG", K::Label, "Blue Gamma"},
             {"sldV2D3DBG", K::Slider, "Blue gamma"},
             {"lblV2DBGVal", K::ValueLabel, ""},
             {"frameV2Glide", K::Frame, "Glide"},
             {"chkV2Gtriple", K::CheckBox, "Triple Buffering"},
             {"chkV2Glimit", K::CheckBox, "Limit to 2Mb"},
             {"chkV2Gadvance", K::CheckBox, "Advanced Filtering"},
             {"chkV2GVSync", K::CheckBox, "VSync"},
             {"lblV2GCore", K::Label, "Core Speed"},
             {"sldV2GCore", K::Slider, "Core clock"},
             {"lblV2GCoreVal", K::ValueLabel, ""},
             {"Label1", K::Label, "Red Gamma"},
             {"sldV2GRG", K::Slider, "Red gamma"},
             {"lblV2GRGVal", K::ValueLabel, ""},
             {"lblV2GGG", K::Label, "Green Gamma"},
             {"sldV2GGG", K::Slider, "Green gamma"},
             {"lblV2GGGVal", K::ValueLabel, ""},
             {"lblV2GBG", K::Label, "Blue Gamma"},
             {"sldV2GBG", K::Slider, "Blue gamma"},
             {"lblV2GBGVal", K::ValueLabel, ""},
         },
         {"chkV2sli",      "cmdV2SwitchD3D", "cmdV2SwitchGlide", "chkV2D3Dvs",    "chkV2D3Dam",
          "chkV2D3Dft",    "chkV2D3Dfa",     "sldV2D3DCore",     "sldV2D3DRG",    "sldV2D3DGG",
          "sldV2D3DBG",    "chkV2Gtriple",   "chkV2Glimit",      "chkV2Gadvance", "chkV2GVSync",
          "sldV2GCore",    "sldV2GRG",       "sldV2GGG",         "sldV2GBG",      "cmd3DfxV2reset",
          "cmd3DfxV2apply"},
         {"frameV2Glide"}},
        {"VoodooFrame",
         factory<panels::VoodooFrame>(),
         {
             {"frame3DfxV", K::Frame, "Voodoo"},
             {"lbl3DfxVCore", K::Label, "Graphics Core"},
             {"sld3DfxVCore", K::Slider, "Graphics core clock"},
             {"lbl3DfxVCoreVal", K::ValueLabel, ""},
             {"chk3DfxVVsync", K::CheckBox, "VSync"},
             {"chk3DfxVFastMem", K::CheckBox, "Fast Mem"},
             {"chk3DfxVFastPCI", K::CheckBox, "Fast PCI"},
             {"cmd3DfxVreset", K::Button, "Reset to Defaults"},
             {"cmd3DfxVapply", K::Button, "Apply"},
         },
         {"sld3DfxVCore", "chk3DfxVVsync", "chk3DfxVFastMem", "chk3DfxVFastPCI", "cmd3DfxVreset",
          "cmd3DfxVapply"},
         {}},
        {"BansheeFrame",
         factory<panels::BansheeFrame>(),
         {
             {"frame3DfxBanshee", K::Frame, "Banshee"},
             {"picBansheeCard", K::Picture, "Banshee card"},
             {"picBansheeChip", K::Picture, "Banshee chip"},
             {"cmdShowBanD3D", K::Button, "D3D Options"},
             {"cmdShowBanGlide", K::Button, "Glide Options"},
             {"lbl3DfxBansheeGrx", K::Label, "Graphics Core"},
             {"sld3DfxBansheeGrx", K::Slider, "Graphics core clock"},
             {"lbl3DfxBansheeGrxVal", K::ValueLabel, ""},
             {"lblBansheeMem", K::Label, "Memory Speed"},
             {"sld3DfxBansheeMem", K::Slider, "Memory clock"},
             {"lbl3DfxBansheeMemVal", K::ValueLabel, ""},
             {"cmd3DfxBansheereset", K::Button, "Defaults"},
             {"cmd3DfxBansheeapply", K::Button, "Apply"},
             {"frameBansheeD3D", K::Frame, "Banshee - D3D"},
             {"picBanD3D", K::Picture, "Direct3D card"},
             {"cmdBanDback", K::Button, "Back"},
             {"chkBanDVSync", K::CheckBox, "VSync"},
             {"chkBanDauto", K::CheckBox, "Auto Mipmapping"},
             {"chkBanDtri", K::CheckBox, "Force Trilinear"},
             {"chkBanDantialias", K::CheckBox, "Force Anti Aliasing"},
             {"lblBanDRG", K::Label, "Red Gamma"},
             {"sldBanDRG", K::Slider, "Red gamma"},
             {"lblBanDRGval", K::ValueLabel, ""},
             {"lblBanDGG", K::Label, "Green Gamma"},
             {"sldBanDGG", K::Slider, "Green gamma"},
             {"lblBanDGGval", K::ValueLabel, ""},
             {"lblBanDBG", K::Label, "Blue Gamma"},
             {"sldBanDBG", K::Slider, "Blue gamma"},
             {"lblBanDBGval", K::ValueLabel, ""},
             {"frameBansheeGlide", K::Frame, "Banshee - Glide"},
             {"picBanGlide", K::Picture, "Glide card"},
             {"cmdBanGback", K::Button, "Back"},
             {"chkBanGVSync", K::CheckBox, "VSync"},
             {"chkBanGrush", K::CheckBox, "Rush Emulation"},
             {"chkBanGadvance", K::CheckBox, "Advanced Filtering"},
             {"chkBanGtriple", K::CheckBox, "Triple Buffering"},
             {"lblBanGRG", K::Label, "Red Gamma"},
             {"sldBanGRG", K::Slider, "Red gamma"},
             {"lblBanGRGval", K::ValueLabel, ""},
             {"lblBanGGG", K::Label, "Green Gamma"},
             {"sldBanGGG", K::Slider, "Green gamma"},
             {"lblBanGGGval", K::ValueLabel, ""},
             {"lblBanGBG", K::Label, "Blue Gamma"},
             {"sldBanGBG", K::Slider, "Blue gamma"},
             {"lblBanGBGval", K::ValueLabel, ""},
         },
         {"cmdShowBanD3D",     "cmdShowBanGlide",     "sld3DfxBansheeGrx",
          "sld3DfxBansheeMem", "cmd3DfxBansheereset", "cmd3DfxBansheeapply",
          "cmdBanDback",       "chkBanDVSync",        "chkBanDauto",
          "chkBanDtri",        "chkBanDantialias",    "sldBanDRG",
          "sldBanDGG",         "sldBanDBG",           "cmdBanGback",
          "chkBanGVSync",      "chkBanGrush",         "chkBanGadvance",
          "chkBanGtriple",     "sldBanGRG",           "sldBanGGG",
          "sldBanGBG"},
         {"frameBansheeD3D", "frameBansheeGlide"}},
        {"MatroxFrame",
         factory<panels::MatroxFrame>(),
         {
             {"frameMatrox", K::Frame, "Matrox G100/G200", "Matrox Live Settings"},
             {"chkG200sub", K::CheckBox, "Sub-pixel Enable"},
             {"chkG200aniso", K::CheckBox, "Anisotropic Filtering"},
             {"chkG200V", K::CheckBox, "VSync", "G200 VSync"},
             {"lblMatroxNote", K::Label, "Matrox Settings are applied dynamically"},
         },
         {"chkG200sub", "chkG200aniso", "chkG200V"},
         {}},
        {"HalfLifeFrame",
         factory<launcher::HalfLifeFrame>(),
         {
             {"frameHL", K::Frame, "Half-Life Game Launching"},
             {"picHL", K::Picture, "Game server"},
             {"lblHLclient", K::Label, "Client Options"},
             {"cmdFindHL", K::Button, "Find Half-Life"},
             {"lblHLon", K::Label, "on drive"},
             {"txtHLdrive", K::TextBox, "Drive letter", "Enter a drive letter. e.g C"},
             {"lblHLsemi", K::Label, ":\\"},
             {"lstHL", K::OneRowList, "Half-Life program"},
             {"lblHLip", K::Label, "IP Address"},
             {"txtHLip", K::TextBox, "IP address"},
             {"lblHLdescription", K::Label, "Description"},
             {"txtHLdesc", K::TextBox, "Description"},
             {"cmdHLsave", K::Button, "Save"},
             {"lstHLfaves", K::List, "Favourite servers"},
             {"cmdHLdelIP", K::Button, "Delete"},
             {"cmdHLconnect", K::Button, "Connect"},
         },
         {"cmdFindHL", "txtHLdrive", "lstHL", "txtHLip", "txtHLdesc", "cmdHLsave", "lstHLfaves",
          "cmdHLdelIP", "cmdHLconnect"},
         {}},
    };
    return all;
}

const std::vector<SliderRange>& sliderRanges() {
    static const std::vector<SliderRange> ranges = {
        {"sldTNTCoreClk", 30},     {"sldTNTMemClk", 20}, {"sldTNTD3Daa", 6},
        {"sldV2D3DCore", 20},      {"sldV2GCore", 20},   {"sld3DfxBansheeGrx", 20},
        {"sld3DfxBansheeMem", 20}, {"sld3DfxVCore", 10}, {"sldV2D3DRG", 40},
        {"sldV2D3DGG", 40},        {"sldV2D3DBG", 40},   {"sldV2GRG", 40},
        {"sldV2GGG", 40},          {"sldV2GBG", 40},     {"sldBanDRG", 40},
        {"sldBanDGG", 40},         {"sldBanDBG", 40},    {"sldBanGRG", 40},
        {"sldBanGGG", 40},         {"sldBanGBG", 40},
    };
    return ranges;
}

const std::vector<std::pair<const char*, const char*>>& widestValues() {
    static const std::vector<std::pair<const char*, const char*>> values = {
        {"lblCurrentRes", "1600x1200"},
        {"lblTNTD3DaaVal", "4x4"},
        {"lblTNTCoreVal", "120"},
        {"lblTNTMemVal", "130"},
        {"lblTNTdriverVal", "NVIDIA RIVA TNT"},
        {"lblV2D3DCoreVal", "110"},
        {"lblV2DRGVal", "2.00"},
        {"lblV2DGGVal", "2.00"},
        {"lblV2DBGVal", "2.00"},
        {"lblV2GCoreVal", "110"},
        {"lblV2GRGVal", "2.00"},
        {"lblV2GGGVal", "2.00"},
        {"lblV2GBGVal", "2.00"},
        {"lbl3DfxVCoreVal", "60"},
        {"lbl3DfxBansheeGrxVal", "120"},
        {"lbl3DfxBansheeMemVal", "120"},
        {"lblBanDRGval", "2.00"},
        {"lblBanDGGval", "2.00"},
        {"lblBanDBGval", "2.00"},
        {"lblBanGRGval", "2.00"},
        {"lblBanGGGval", "2.00"},
        {"lblBanGBGval", "2.00"},
    };
    return values;
}

}  // namespace tunexa::test
