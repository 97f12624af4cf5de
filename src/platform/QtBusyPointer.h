#pragma once

// The busy pointer as the application's override cursor (a wait cursor over every window).

#include "platform/BusyPointer.h"

namespace tunexa::platform {

class QtBusyPointer final : public BusyPointer {
  public:
    void begin() override;
    void end() override;
};

}  // namespace tunexa::platform
