// The panel fixture, and the four card panels as data for the shared panel tests. The seeded
// stores hold every value off its factory setting, the odd stored type and values off the scales;
// the tray cases run in order, each on the state the one before left.

#include "PanelFixture.h"

#include <algorithm>
#include <map>

#include "engine/RegMethods.h"
#include "panels/banshee/BansheePanel.h"
#include "panels/tnt/TntPanel.h"
#include "panels/voodoo/VoodooPanel.h"
#include "panels/voodoo2/Voodoo2Panel.h"
#include "store/Registry.h"

namespace tunexa::test {

PanelFixture::PanelFixture() : env{boxes, form, engine::driverSettings(), form.popupMenu()} {
    store::useHiveFile(dir / "registry.db");
    engine::driverSettings() = {};
}

PanelFixture::~PanelFixture() {
    EXPECT_EQ(boxes.pending(), 0U) << "scripted answers left over";
    engine::driverSettings() = {};
    store::useHive(nullptr);
}

void PanelFixture::load() {
    engine::ReadDriverSettings(card_->name);
    load_();
}

void PanelFixture::expect(const std::vector<const char*>& expected) const {
    for (const std::string entry : expected) {
        const std::string name = entry.substr(0, entry.find('='));
        EXPECT_EQ(name.find(':') == std::string::npos ? name + "=" + controlState(form, name)
                                                      : storeEntry(name),
                  entry);
    }
}

void PanelFixture::expectStore(const StoreEntries& base, const StoreEntries& changes) const {
    std::map<std::string, std::string> expected;  // by key and value name
    for (const StoreEntries* entries : {&base, &changes}) {
        for (const std::string& entry : *entries) {
            expected[entry.substr(0, entry.find('='))] = entry;
        }
    }
    StoreEntries present;
    for (const auto& [name, entry] : expected) {
        if (entry.back() != '=' &&
            std::count(card_->keys.begin(), card_->keys.end(), name.substr(0, name.find(':')))) {
            present.push_back(entry);
        }
    }
    EXPECT_EQ(store(), present);
}

const Card& tntCard() {
    static const Card card{
        "TNT",
        [](PanelFixture& t) -> std::function<void()> {
            auto* tab = t.find<panels::TntTab>("panelTNT");
            auto* panel = new panels::TntPanel(*tab, t.env, tab);
            panel->FillTNTLists();
            return [panel] { panel->LoadTNTPanel(); };
        },
        {"cmdTNTapply", "cmdTNTdefaults", "Applying Settings", "TNT Settings Applied",
         "TNT Settings Applied\r\nA reboot is needed to force changes"},
        {"N", "NG", "NT"},
        // As the Detonator driver leaves it: FOGTABLEENABLE a double word, not one byte.
        {"N:AAMETHOD=d4", "N:ANTIALIASENABLE=d1", "N:AUTOMIPMAPMETHOD=d1", "N:DX6ENABLE=d0",
         "N:LODBIASADJUST=d6", "N:MCLK=s125", "N:NVCLK=s100", "N:MIPMAPDITHERENABLE=d1",
         "N:MIPMAPLEVELS=d5", "N:NOVSYNC=d1", "N:FOGTABLEENABLE=d1", "N:CPUOPTDISABLE=d1",
         "NG:TextureQuality=b03", "NT:PowerUser=d1", "C3D:minivdd=sNV4.VXD", "C1D:minivdd=snv4.vxd",
         "C1:DriverDesc=sNVIDIA RIVA TNT"},
        // A detail level the list does not know leaves the factory one; Fog Table becomes a byte.
        {"N:LODBIASADJUST=d0", "N:FOGTABLEENABLE=b01"},
        // Fog Table, Power User and the Pentium III box have no factory value.
        {"N:AAMETHOD=d1", "N:ANTIALIASENABLE=d1", "N:AUTOMIPMAPMETHOD=d0", "N:DX6ENABLE=d1",
         "N:LODBIASADJUST=d0", "N:MCLK=s110", "N:NVCLK=s90", "N:MIPMAPDITHERENABLE=d0",
         "N:MIPMAPLEVELS=d12", "N:NOVSYNC=d0", "N:FOGTABLEENABLE=b01", "N:CPUOPTDISABLE=d1",
         "NG:TextureQuality=b01", "NT:PowerUser=d1"},
        {"sldTNTMemClk=15", "mPopRivaMemSpeed=15", "sldTNTCoreClk=10", "mPopRivaCoreSpeed=10",
         "mPopTNTV=0", "sldTNTD3Daa=4", "lblTNTdriverVal=NVIDIA RIVA TNT"},
        {"mPopRivaMemSpeed=0", "mPopRivaCoreSpeed=0", "mPopTNTV=1", "sldTNTD3Daa=1"},
        {"lblTNTMemVal=", "lblTNTCoreVal=", "mPopRivaMemSpeed=", "mPopRivaCoreSpeed=",
         "chkTNTSetVsync=1", "mPopTNTV=1", "lstTNTD3Dmip=", "lstTNTD3Dmipm=Bilinear",
         "lblTNTD3DaaVal=2x2", "chkTNTD3Daa=0", "!sldTNTD3Daa=disabled", "lblTNTdriverVal="},
        // Unticking anti-aliasing greys its group.
        {"chkTNTFogTable=0", "chkTNTNV4=0", "chkTNTCpuOpt=0", "chkTNTD3Daa=0",
         "!sldTNTD3Daa=disabled", "!lblTNTD3DaaI=disabled", "!lblTNTD3DaaP=disabled",
         "!lblTNTD3DaaVal=disabled"},
        {{"mPopRivaMemDefaults",
          {"sldTNTMemClk=0", "lblTNTMemVal=110", "mPopRivaMemSpeed=15", "N:MCLK=s125"}},
         {"mPopRivaCoreSpeed_30",
          {"sldTNTCoreClk=30", "lblTNTCoreVal=120", "mPopRivaCoreSpeed=30", "N:NVCLK=s120",
           "N:MCLK=s110", "mPopRivaMemSpeed=0", "N:FOGTABLEENABLE=b00", "NT:PowerUser=d0",
           "N:CPUOPTDISABLE=d0", "N:ANTIALIASENABLE=d0"}},
         {"mPopTNTV_1", {"chkTNTSetVsync=1", "mPopTNTV=1", "N:NOVSYNC=d0"}},
         {"mPopRivaCoreDefaults", {"lblTNTCoreVal=90", "mPopRivaCoreSpeed=30", "N:NVCLK=s120"}},
         {"mPopRivaMemSpeed_20",
          {"sldTNTMemClk=20", "lblTNTMemVal=130", "mPopRivaMemSpeed=20", "N:MCLK=s130"}}},
        {"chkTNTDX6|N:DX6ENABLE|d1|d0", "chkTNTCpuOpt|N:CPUOPTDISABLE|d1|d0",
         "chkTNTNV4|NT:PowerUser|d1|d0", "chkTNTFogTable|N:FOGTABLEENABLE|b01|b00",
         "chkTNTD3Ddither|N:MIPMAPDITHERENABLE|d1|d0", "chkTNTSetVsync|N:NOVSYNC|d0|d1",
         "chkTNTD3Daa|N:ANTIALIASENABLE|d1|d0"}};
    return card;
}

const Card& voodoo2Card() {
    static const Card card{
        "Voodoo2",
        [](PanelFixture& t) -> std::function<void()> {
            auto* panel =
                new panels::Voodoo2Panel(*t.find<panels::Voodoo2Frame>("panelVoodoo2"), t.env);
            return [panel] { panel->LoadVoodoo2Panel(); };
        },
        {"cmd3DfxV2apply", "cmd3DfxV2reset", "Applying Voodoo2 Settings",
         "Voodoo2 Settings Applied"},
        {"VD", "VG"},
        // SLI detection switched off as the program stores it: the text "0" in both keys.
        {"VD:SSTV2_GRXCLK=s98", "VD:SSTV2_RGAMMA=s1.80", "VD:SSTV2_GGAMMA=s0.00",
         "VD:SSTV2_BGAMMA=s1.8", "VD:SSTV2_ANTIALIAS=s1", "VD:SSTV2_FORCE_TRILINEAR=s1",
         "VD:SSTV2_AUTOMIPMAP=s1", "VD:SSTV2_SWAPINTERVAL=d1", "VD:SSTV2_SLIDETECT=s0",
         "VG:SSTV2_GRXCLK=s105", "VG:SSTV2_RGAMMA=s2.00", "VG:SSTV2_GGAMMA=s0.05",
         "VG:FX_GLIDE_SWAPINTERVAL=d0", "VG:FX_GLIDE_LOD_DITHER=d1", "VG:FX_GLIDE_ALLOC_COLOR=d3",
         "VG:SSTV2_TMU_MEMSIZE=d2", "VG:SSTV2_SLIDETECT=s0"},
        // A missing gamma is stored as its empty label.
        {"VG:SSTV2_BGAMMA=s"},
        {"VD:SSTV2_GRXCLK=s90", "VD:SSTV2_RGAMMA=s1.00", "VD:SSTV2_GGAMMA=s1.00",
         "VD:SSTV2_BGAMMA=s1.00", "VD:SSTV2_ANTIALIAS=s0", "VD:SSTV2_SWAPINTERVAL=d0",
         "VG:SSTV2_GRXCLK=s90", "VG:SSTV2_RGAMMA=s1.00", "VG:SSTV2_GGAMMA=s1.00",
         "VG:SSTV2_BGAMMA=s1.00", "VG:FX_GLIDE_SWAPINTERVAL=d1"},
        {"sldV2D3DCore=8", "mPopV2D3DCoreClock=8", "sldV2D3DRG=36", "sldV2D3DGG=0", "sldV2D3DBG=20",
         "sldV2GCore=0", "mPopV2GCoreClock=", "sldV2GRG=40", "sldV2GGG=1", "sldV2GBG=20",
         "mPopV2D3DV=1", "mPopV2GV=0"},
        {"mPopV2D3DCoreClock=0", "mPopV2GCoreClock=0", "mPopV2D3DV=0", "mPopV2GV=1"},
        {"lblV2D3DCoreVal=", "lblV2GBGVal=", "mPopV2D3DCoreClock=", "mPopV2GCoreClock=",
         "mPopV2D3DV=0", "chkV2GVSync=0"},
        {"chkV2sli=1", "chkV2D3Dfa=0", "sldV2GRG=30"},
        {{"mPopV2D3DCoreDefault",
          {"sldV2D3DCore=0", "lblV2D3DCoreVal=90", "mPopV2D3DCoreClock=8", "VD:SSTV2_GRXCLK=s98"}},
         {"mPopV2GCoreClock_10",
          {"sldV2GCore=10", "lblV2GCoreVal=100", "mPopV2GCoreClock=10", "VG:SSTV2_GRXCLK=s100",
           "VD:SSTV2_GRXCLK=s90", "mPopV2D3DCoreClock=0", "VG:SSTV2_SLIDETECT=s0",
           "VD:SSTV2_SLIDETECT=s0", "chkV2sli=1", "VD:SSTV2_ANTIALIAS=s0",
           "VG:SSTV2_RGAMMA=s1.50"}},
         {"mPopV2D3DV_0", {"chkV2D3Dvs=0", "mPopV2D3DV=0", "VD:SSTV2_SWAPINTERVAL=d0"}},
         {"mPopV2GV_1", {"chkV2GVSync=1", "mPopV2GV=1", "VG:FX_GLIDE_SWAPINTERVAL=d1"}},
         {"mPopV2GCoreDefault",
          {"lblV2GCoreVal=90", "mPopV2GCoreClock=10", "VG:SSTV2_GRXCLK=s100"}},
         {"mPopV2D3DCoreClock_5",
          {"sldV2D3DCore=5", "mPopV2D3DCoreClock=5", "VD:SSTV2_GRXCLK=s95",
           "VG:SSTV2_GRXCLK=s90"}}},
        {"chkV2D3Dfa|VD:SSTV2_ANTIALIAS|s1|s0", "chkV2D3Dft|VD:SSTV2_FORCE_TRILINEAR|s1|s0|",
         "chkV2D3Dam|VD:SSTV2_AUTOMIPMAP|s1|s0|", "chkV2D3Dvs|VD:SSTV2_SWAPINTERVAL|d1|d0",
         "chkV2GVSync|VG:FX_GLIDE_SWAPINTERVAL|d1|d0",
         "chkV2Gadvance|VG:FX_GLIDE_LOD_DITHER|d1|d0|",
         "chkV2Gtriple|VG:FX_GLIDE_ALLOC_COLOR|d3|d2|", "chkV2Glimit|VG:SSTV2_TMU_MEMSIZE|d2|d4|"},
        {"cmdV2SwitchGlide>frameV2Glide", "cmdV2SwitchGlide>frameV2Glide",
         "cmdV2SwitchD3D>frameV2D3D"}};
    return card;
}

const Card& bansheeCard() {
    static const Card card{
        "Banshee",
        [](PanelFixture& t) -> std::function<void()> {
            auto* panel =
                new panels::BansheePanel(*t.find<panels::BansheeFrame>("panelBanshee"), t.env);
            return [panel] { panel->LoadBansheePanel(); };
        },
        {"cmd3DfxBansheeapply", "cmd3DfxBansheereset", "Applying Banshee Settings",
         "Banshee Settings Applied"},
        {"BD", "BG", "C3D", "DI"},
        {"C3D:minivdd=s3dfxvb.vxd", "C3D:grxclock=s107", "C3D:memclock=s115",
         "BD:SSTH3_RGAMMA=s1.40", "BD:SSTH3_GGAMMA=s0.60", "BD:SSTH3_BGAMMA=s1,80",
         "BD:SSTH3_ANTIALIAS=s1", "BD:SSTH3_AUTOMIPMAP=s1", "BD:SSTH3_FORCE_TRILINEAR=s1",
         "BD:SSTH3_SWAPINTERVAL=d0", "BG:SSTH3_RGAMMA=s1.10", "BG:SSTH3_GGAMMA=s1.25",
         "BG:SSTH3_BGAMMA=s0.90", "BG:FX_GLIDE_SWAPINTERVAL=d0", "BG:FX_GLIDE_LOD_DITHER=d1",
         "BG:FX_GLIDE_EMUL_RUSH=d1", "BG:FX_GLIDE_ALLOC_COLOR=d3"},
        // Each clock under its second name too, and the Diamond driver's "Retail".
        {"C3D:MemClocking=s115", "C3D:GraphicsClock=s107", "DI:Retail=s1"},
        {"C3D:minivdd=s3dfxvb.vxd", "C3D:grxclock=s100", "C3D:memclock=s100",
         "C3D:MemClocking=s100", "C3D:GraphicsClock=s100", "BD:SSTH3_RGAMMA=s1.00",
         "BD:SSTH3_GGAMMA=s1.00", "BD:SSTH3_BGAMMA=s1.00", "BD:SSTH3_ANTIALIAS=s0",
         "BD:SSTH3_SWAPINTERVAL=d1", "BG:SSTH3_RGAMMA=s1.00", "BG:SSTH3_GGAMMA=s1.00",
         "BG:SSTH3_BGAMMA=s1.00", "BG:FX_GLIDE_SWAPINTERVAL=d1", "BG:FX_GLIDE_EMUL_RUSH=d0",
         "DI:Retail=s1"},
        {"sld3DfxBansheeGrx=7", "mPopBCore=7", "sld3DfxBansheeMem=0", "mPopBMem=", "sldBanDRG=28",
         "sldBanDGG=12", "sldBanDBG=20", "sldBanGRG=22", "sldBanGGG=25", "sldBanGBG=18"},
        {"mPopBCore=0", "mPopBMem=0"},
        {"lbl3DfxBansheeGrxVal=", "lbl3DfxBansheeMemVal=", "lblBanDRGval=", "mPopBCore=",
         "mPopBMem="},
        {"sldBanDGG=26", "chkBanGtriple=0"},
        {{"mPopBCoreDefault",
          {"sld3DfxBansheeGrx=0", "lbl3DfxBansheeGrxVal=100", "mPopBCore=7", "C3D:grxclock=s107"}},
         {"mPopBMem_10",
          {"sld3DfxBansheeMem=10", "lbl3DfxBansheeMemVal=110", "mPopBMem=10", "C3D:memclock=s110",
           "C3D:MemClocking=s110", "C3D:grxclock=s100", "mPopBCore=0", "BD:SSTH3_GGAMMA=s1.30",
           "BG:FX_GLIDE_ALLOC_COLOR="}},
         {"mPopBCore_5",
          {"sld3DfxBansheeGrx=5", "mPopBCore=5", "C3D:grxclock=s105", "C3D:GraphicsClock=s105"}},
         {"mPopBMemDefault", {"lbl3DfxBansheeMemVal=100", "mPopBMem=10", "C3D:memclock=s110"}}},
        {"chkBanDantialias|BD:SSTH3_ANTIALIAS|s1|s0", "chkBanDtri|BD:SSTH3_FORCE_TRILINEAR|s1|s0|",
         "chkBanDauto|BD:SSTH3_AUTOMIPMAP|s1|s0|", "chkBanDVSync|BD:SSTH3_SWAPINTERVAL|d1|d0",
         "chkBanGVSync|BG:FX_GLIDE_SWAPINTERVAL|d1|d0",
         "chkBanGadvance|BG:FX_GLIDE_LOD_DITHER|d1|d0|",
         "chkBanGtriple|BG:FX_GLIDE_ALLOC_COLOR|d3|d2|", "chkBanGrush|BG:FX_GLIDE_EMUL_RUSH|d1|d0"},
        {"cmdShowBanGlide>frameBansheeGlide", "cmdBanGback>frame3DfxBanshee",
         "cmdShowBanD3D>frameBansheeD3D", "cmdBanDback>frame3DfxBanshee",
         "cmdShowBanD3D>frameBansheeD3D"}};
    return card;
}

// Outside the driver settings: its own values under the program's key, and a batch file.
const Card& voodooCard() {
    static const Card card{
        "Voodoo",
        [](PanelFixture& t) -> std::function<void()> {
            auto* panel = new panels::VoodooPanel(*t.find<panels::VoodooFrame>("panelVoodoo"),
                                                  t.env, files::Drives(t.dir.path()));
            return [panel] { panel->LoadVoodooPanel(); };
        },
        {"cmd3DfxVapply", "cmd3DfxVreset", "Applying Voodoo Settings", "Voodoo Settings Applied"},
        {"3D"},
        {"3D:Voodoo GRXCLK=s58", "3D:Voodoo Vsync=s0", "3D:Voodoo FastMem=s1",
         "3D:Voodoo FastPCI=syes"},
        {"3D:Voodoo FastPCI=s0"},
        {"3D:Voodoo GRXCLK=s50", "3D:Voodoo Vsync=s1", "3D:Voodoo FastMem=s0",
         "3D:Voodoo FastPCI=s0"},
        {"sld3DfxVCore=8"},
        {},
        {"lbl3DfxVCoreVal="},
        {"chk3DfxVFastPCI=1", "sld3DfxVCore=3"},
        {},
        {"chk3DfxVVsync|3D:Voodoo Vsync|s1|s0", "chk3DfxVFastMem|3D:Voodoo FastMem|s1|s0",
         "chk3DfxVFastPCI|3D:Voodoo FastPCI|s1|s0"}};
    return card;
}

}  // namespace tunexa::test
