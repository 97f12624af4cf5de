#include "launcher/core/LaunchBatch.h"

#include <optional>
#include <utility>
#include <vector>

#include "platform/files/BatchText.h"
#include "platform/files/HostFiles.h"
#include "platform/files/TextFiles.h"
#include "store/Ansi.h"

namespace tunexa::launcher {

namespace {

constexpr std::string_view kProgramName = "hl.exe";

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

files::Result<std::string> launchBatchContent(std::string_view programPath,
                                              std::string_view address) {
    using Content = files::Result<std::string>;
    if (programPath.empty()) {
        return Content::failure("Find Half-Life first: there is no program to start.");
    }
    const bool drivePath = programPath.size() > 3 && isDriveLetter(programPath[0]) &&
                           programPath[1] == ':' && programPath[2] == '\\';
    const std::size_t nameStart = programPath.rfind('\\') + 1;
    if (!drivePath || !ansi::equalsIgnoringCase(programPath.substr(nameStart), kProgramName)) {
        std::string message(1, '"');
        message += ansi::toUtf8(programPath);
        message +=
            "\" is not a Half-Life program: the path must name hl.exe on a drive, like "
            "C:\\Sierra\\Half-Life\\hl.exe.";
        return Content::failure(std::move(message));
    }
    const std::string_view drive = programPath.substr(0, 2);
    const std::string_view folder = programPath.substr(3, nameStart - 3);
    if (auto problem = files::batchTextProblem("The Half-Life folder", folder)) {
        return Content::failure(*problem);
    }
    if (auto problem = files::batchTextProblem("The server address", address)) {
        return Content::failure(*problem);
    }
    const std::vector<std::string> lines{
        std::string(drive),
        "cd\\",
        std::string("cd \"").append(folder).append("\""),
        std::string("hl.exe -dev -console +connect ").append(address),
        "exit",
        "",
    };
    return Content::success(files::joinLinesCrLf(lines));
}

files::Result<store::ChangeItem> writeLaunchBatch(std::string_view programPath,
                                                  std::string_view address,
                                                  const files::Drives& drives) {
    const auto content = launchBatchContent(programPath, address);
    if (!content) {
        return files::Result<store::ChangeItem>::failure(content.error());
    }
    return files::replaceFileForChange(kLaunchBatchPath, *content, drives);
}

}  // namespace tunexa::launcher
