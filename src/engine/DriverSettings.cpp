#include "engine/DriverSettings.h"

namespace tunexa::engine {

DriverSettings& driverSettings() {
    static DriverSettings record;
    return record;
}

}  // namespace tunexa::engine
