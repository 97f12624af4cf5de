#pragma once

// The driver settings record: one field per driver value the program manages, named after the
// store value it mirrors, grouped by card and key. The program shares one instance
// (driverSettings()); every routine also takes a record of its own so that tests stay apart.

#include <string>

#include "engine/SettingValue.h"

namespace tunexa::engine {

// Riva TNT: the Detonator driver's Direct3D, OpenGL and NV4Tweak values.
struct TNTSettings {
    SettingValue AAMETHOD;
    SettingValue ANTIALIASENABLE;
    SettingValue AUTOMIPMAPMETHOD;
    SettingValue DX6ENABLE;
    SettingValue LODBIASADJUST;
    SettingValue MCLK;
    SettingValue NVCLK;
    SettingValue MIPMAPDITHERENABLE;
    SettingValue MIPMAPLEVELS;
    SettingValue NOVSYNC;
    SettingValue TextureQuality;
    SettingValue FOGTABLEENABLE;
    SettingValue PowerUser;
    SettingValue CPUOPTDISABLE;
    // Shown by the TNT panel, read from the driver's display-class key, never written.
    SettingValue DriverDesc;
    SettingValue DriverDate;

    bool operator==(const TNTSettings&) const = default;
};

// Voodoo2, Direct3D key.
struct V2D3DSettings {
    SettingValue SSTV2_GRXCLK;
    SettingValue SSTV2_RGAMMA;
    SettingValue SSTV2_GGAMMA;
    SettingValue SSTV2_BGAMMA;
    SettingValue SSTV2_ANTIALIAS;
    SettingValue SSTV2_FORCE_TRILINEAR;
    SettingValue SSTV2_AUTOMIPMAP;
    SettingValue SSTV2_SWAPINTERVAL;

    bool operator==(const V2D3DSettings&) const = default;
};

// Voodoo2, Glide key.
struct V2GlideSettings {
    SettingValue SSTV2_GRXCLK;
    SettingValue SSTV2_RGAMMA;
    SettingValue SSTV2_GGAMMA;
    SettingValue SSTV2_BGAMMA;
    SettingValue FX_GLIDE_SWAPINTERVAL;
    SettingValue FX_GLIDE_ALLOC_COLOR;
    SettingValue FX_GLIDE_LOD_DITHER;
    SettingValue SSTV2_TMU_MEMSIZE;
    SettingValue SSTV2_SLIDETECT;

    bool operator==(const V2GlideSettings&) const = default;
};

// Banshee, Direct3D key.
struct BanD3DSettings {
    SettingValue SSTH3_RGAMMA;
    SettingValue SSTH3_GGAMMA;
    SettingValue SSTH3_BGAMMA;
    SettingValue SSTH3_ANTIALIAS;
    SettingValue SSTH3_AUTOMIPMAP;
    SettingValue SSTH3_FORCE_TRILINEAR;
    SettingValue SSTH3_SWAPINTERVAL;

    bool operator==(const BanD3DSettings&) const = default;
};

// Banshee, Glide key.
struct BanGlideSettings {
    SettingValue SSTH3_RGAMMA;
    SettingValue SSTH3_GGAMMA;
    SettingValue SSTH3_BGAMMA;
    SettingValue FX_GLIDE_SWAPINTERVAL;
    SettingValue FX_GLIDE_LOD_DITHER;
    SettingValue FX_GLIDE_EMUL_RUSH;
    SettingValue FX_GLIDE_ALLOC_COLOR;

    bool operator==(const BanGlideSettings&) const = default;
};

// Banshee clocks, kept in the "DEFAULT" subkey of the adapter's display-class key.
struct BanClockSettings {
    SettingValue memclock;
    SettingValue grxclock;
    // That subkey's path below the local-machine root; empty until a scan found the Banshee.
    std::string ClassKey;

    bool operator==(const BanClockSettings&) const = default;
};

struct DriverSettings {
    TNTSettings TNT;
    V2D3DSettings V2D3D;
    V2GlideSettings V2Glide;
    BanD3DSettings BanD3D;
    BanGlideSettings BanGlide;
    BanClockSettings BanClock;

    bool operator==(const DriverSettings&) const = default;
};

// The program's one record, alive until the program ends; every field starts absent.
DriverSettings& driverSettings();

}  // namespace tunexa::engine
