#pragma once

// The screen-wide busy pointer shown while a long action keeps the user-interface thread busy.
// Calls nest: each begin() needs its end(); ui::BusyPointerScope pairs them.

namespace tunexa::platform {

class BusyPointer {
  public:
    virtual ~BusyPointer() = default;
    virtual void begin() = 0;
    virtual void end() = 0;
};

}  // namespace tunexa::platform
