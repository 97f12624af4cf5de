#pragma once

// A reference to one field of the driver settings record that fits in a constant table: two
// plain function pointers, one for changing the field and one for reading it.

#include "engine/DriverSettings.h"

namespace tunexa::engine::detail {

struct FieldRef {
    SettingValue& (*of)(DriverSettings&) = nullptr;
    const SettingValue& (*in)(const DriverSettings&) = nullptr;

    explicit constexpr operator bool() const { return of != nullptr; }
};

template <auto Group, auto Field>
SettingValue& fieldOf(DriverSettings& settings) {
    return (settings.*Group).*Field;
}

template <auto Group, auto Field>
const SettingValue& fieldIn(const DriverSettings& settings) {
    return (settings.*Group).*Field;
}

// field<&DriverSettings::TNT, &TNTSettings::AAMETHOD> names DriverSettings.TNT.AAMETHOD.
template <auto Group, auto Field>
inline constexpr FieldRef field{&fieldOf<Group, Field>, &fieldIn<Group, Field>};

inline constexpr auto groupTNT = &DriverSettings::TNT;
inline constexpr auto groupV2D3D = &DriverSettings::V2D3D;
inline constexpr auto groupV2Glide = &DriverSettings::V2Glide;
inline constexpr auto groupBanD3D = &DriverSettings::BanD3D;
inline constexpr auto groupBanGlide = &DriverSettings::BanGlide;
inline constexpr auto groupBanClock = &DriverSettings::BanClock;

}  // namespace tunexa::engine::detail
