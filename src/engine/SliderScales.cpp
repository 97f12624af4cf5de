#include "engine/SliderScales.h"

namespace tunexa::engine {

std::string ClockScale::text(int position) const {
    if (position < 0 || position >= positions) {
        return {};
    }
    return std::to_string(position + offsetMhz);
}

std::optional<int> ClockScale::position(std::string_view clockText, int searched) const {
    const int last = searched < positions ? searched : positions;
    for (int p = 0; p < last; ++p) {
        if (text(p) == clockText) {
            return p;
        }
    }
    return std::nullopt;
}

std::string gammaText(int position) {
    if (position < 0 || position >= kGammaPositions) {
        return {};
    }
    const int hundredths = position * 5;
    const int fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + "." + (fraction < 10 ? "0" : "") +
           std::to_string(fraction);
}

std::optional<int> gammaPosition(std::string_view text) {
    for (int p = 0; p < kGammaPositions; ++p) {
        if (gammaText(p) == text) {
            return p;
        }
    }
    return std::nullopt;
}

}  // namespace tunexa::engine
