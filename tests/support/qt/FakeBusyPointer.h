#pragma once

// Counts the busy pointer's nesting, so tests can see it shown during an action and gone after.

#include "platform/BusyPointer.h"

namespace tunexa::test {

class FakeBusyPointer final : public platform::BusyPointer {
  public:
    void begin() override {
        ++depth_;
        ++shown_;
    }
    void end() override { --depth_; }

    int depth() const { return depth_; }
    int timesShown() const { return shown_; }

  private:
    int depth_ = 0;
    int shown_ = 0;
};

}  // namespace tunexa::test
