#include "panels/voodoo/GlideBatch.h"

#include <array>
#include <utility>

#include "platform/files/BatchText.h"
#include "platform/files/HostFiles.h"
#include "platform/files/TextFiles.h"

namespace tunexa::panels {

namespace {

std::string flagText(int value) {
    return value == 1 ? "1" : "0";
}

}  // namespace

files::Result<std::vector<std::string>> glideBatchLines(std::string_view writer,
                                                        const GlideSettings& settings) {
    using Lines = files::Result<std::vector<std::string>>;
    // The clock can come from the store, where anyone may have put any text.
    const std::array checked{
        std::pair{std::string_view("The program's title"), writer},
        std::pair{std::string_view("The core clock"), std::string_view(settings.coreClock)},
    };
    for (const auto& [what, text] : checked) {
        if (auto problem = files::batchTextProblem(what, text)) {
            return Lines::failure(*problem);
        }
    }
    return Lines::success({
        std::string("REM -- Written by ").append(writer).append(" --"),
        "SET SST_GRXCLK=" + settings.coreClock,
        "SET SST_FASTMEM=" + flagText(settings.fastMem),
        "SET SST_FASTPCIRD=" + flagText(settings.fastPci),
        "SET SST_SWAP_EN_WAIT_ON_VSYNC=" + flagText(settings.vsync),
        "SET FX_GLIDE_SWAPINTERVAL=0",
    });
}

files::Result<store::ChangeItem> writeGlideBatch(std::string_view writer,
                                                 const GlideSettings& settings,
                                                 const files::Drives& drives) {
    const auto lines = glideBatchLines(writer, settings);
    if (!lines) {
        return files::Result<store::ChangeItem>::failure(lines.error());
    }
    return files::writeTextFileForChange(kGlideBatchPath, *lines, drives);
}

}  // namespace tunexa::panels
