#include "system/DefaultDisplayMode.h"

#include <string>

#include "engine/StoreKeys.h"
#include "store/Registry.h"

namespace tunexa::system {

namespace {

bool recordDefaultDisplayMode(const platform::DisplayMode& mode) {
    const std::string width = std::to_string(mode.dmPelsWidth);
    const std::string height = std::to_string(mode.dmPelsHeight);
    const std::string bits = std::to_string(mode.dmBitsPerPel);
    store::FailureWatch watch;
    store::Change change(store::currentHive(),
                         "Display: " + width + "x" + height + "x" + bits + " as the default");
    store::RegSetString(store::HKEY_LOCAL_MACHINE, engine::kDisplaySettingsKey, "Resolution",
                        width + "," + height);
    store::RegSetString(store::HKEY_LOCAL_MACHINE, engine::kDisplaySettingsKey, "BitsPerPixel",
                        bits);
    return change.commit() && !watch.failed();
}

}  // namespace

int changeDisplayModeAsDefault(platform::DisplayModes& modes, const platform::DisplayMode& mode) {
    const int result = modes.ChangeDisplayMode(mode);
    if (result != platform::DISP_CHANGE_SUCCESSFUL && result != platform::DISP_CHANGE_RESTART) {
        return result;
    }
    if (!recordDefaultDisplayMode(mode)) {
        return platform::DISP_CHANGE_NOTUPDATED;
    }
    return result;
}

}  // namespace tunexa::system
