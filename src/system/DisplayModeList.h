#pragma once

// The display-mode records of the primary screen, slot i holding mode index i. It starts with
// slots 0 to 8 and grows by 8 slots at a time, keeping its contents.

#include <cstddef>
#include <vector>

#include "platform/display/DisplayModes.h"

namespace tunexa::system {

class DisplayModeList {
  public:
    static constexpr int kInitialSlots = 9;
    static constexpr int kGrowth = 8;

    DisplayModeList() : slots_(kInitialSlots) {}

    int slotCount() const { return static_cast<int>(slots_.size()); }
    void grow() { slots_.resize(slots_.size() + kGrowth); }

    // Slot `index`, 0 <= index < slotCount().
    platform::DisplayMode& operator[](int index) {
        return slots_.at(static_cast<std::size_t>(index));
    }
    const platform::DisplayMode& operator[](int index) const {
        return slots_.at(static_cast<std::size_t>(index));
    }

  private:
    std::vector<platform::DisplayMode> slots_;
};

}  // namespace tunexa::system
