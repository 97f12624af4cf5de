#pragma once

// Display modes for tests: a fixed list of modes, every switch the platform was asked for
// recorded, and a scripted answer to it.

#include <cstddef>
#include <vector>

#include "platform/display/DisplayModes.h"

namespace tunexa::test {

class FakeDisplayModes final : public platform::DisplayModes {
  public:
    struct Switch {
        std::uint32_t width;
        std::uint32_t height;
        std::uint16_t bitsPerPel;
        friend bool operator==(const Switch&, const Switch&) = default;
    };

    explicit FakeDisplayModes(std::vector<platform::DisplayMode> modes = {})
        : modes_(std::move(modes)) {}

    bool EnumerateDisplayMode(int index, platform::DisplayMode& mode) override {
        if (index < 0 || static_cast<std::size_t>(index) >= modes_.size()) {
            return false;
        }
        mode = modes_[static_cast<std::size_t>(index)];
        return true;
    }

    // The answer of every later switch.
    void answer(int result) { result_ = result; }
    const std::vector<Switch>& switches() const { return switches_; }

  protected:
    int applyDisplayMode(std::uint32_t width, std::uint32_t height,
                         std::uint16_t bitsPerPel) override {
        switches_.push_back({width, height, bitsPerPel});
        return result_;
    }

  private:
    std::vector<platform::DisplayMode> modes_;
    std::vector<Switch> switches_;
    int result_ = platform::DISP_CHANGE_SUCCESSFUL;
};

}  // namespace tunexa::test
