#pragma once

// The fixed mappings between a slider position and the text the driver stores: the clock scales
// (position p stands for p + offset MHz, as plain decimal text) and the gamma scale (41 texts
// "0.00" to "2.00" in steps of 0.05). Texts map back to a position only when they match one of
// the scale's texts character for character.

#include <optional>
#include <string>
#include <string_view>

namespace tunexa::engine {

struct ClockScale {
    int offsetMhz;  // the clock at position 0
    int positions;  // number of slider positions

    std::string text(int position) const;
    // The position whose text equals `text` exactly, looking only at the first `searched`
    // positions (a tray menu may cover fewer speeds than the slider); nothing otherwise.
    std::optional<int> position(std::string_view text, int searched) const;
    std::optional<int> position(std::string_view text) const { return position(text, positions); }
};

inline constexpr ClockScale kTNTCoreClock{90, 31};
inline constexpr ClockScale kTNTMemoryClock{110, 21};
inline constexpr ClockScale kVoodoo2CoreClock{90, 21};
inline constexpr ClockScale kBansheeClock{100, 21};
inline constexpr ClockScale kVoodooCoreClock{50, 11};

inline constexpr int kGammaPositions = 41;
inline constexpr int kNeutralGammaPosition = 20;  // "1.00"

// T(p): "0.00", "0.05", ... "2.00" for positions 0 to 40; empty outside.
std::string gammaText(int position);
// The position p with T(p) == text, or nothing ("1.8", "1,80", " 1.80", "2.05" give nothing).
std::optional<int> gammaPosition(std::string_view text);

}  // namespace tunexa::engine
