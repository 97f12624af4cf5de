#include "platform/display/DefaultDisplayMode.h"

#include <string>

#include "store/Registry.h"

namespace tunexa::platform {

bool recordDefaultDisplayMode(const DefaultDisplayMode& mode) {
    store::FailureWatch watch;
    store::Change change(store::currentHive(), "Display: " + std::to_string(mode.width) + "x" +
                                                   std::to_string(mode.height) + "x" +
                                                   std::to_string(mode.bitsPerPel) +
                                                   " as the default");
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kDisplaySettingsKey, "Resolution",
                        std::to_string(mode.width) + "," + std::to_string(mode.height));
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kDisplaySettingsKey, "BitsPerPixel",
                        std::to_string(mode.bitsPerPel));
    return change.commit() && !watch.failed();
}

}  // namespace tunexa::platform
