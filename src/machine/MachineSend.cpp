#include "machine/MachineSend.h"

#include <functional>
#include <utility>

#include "engine/StoreKeys.h"
#include "machine/SendFiles.h"
#include "machine/WindowsInstallation.h"
#include "platform/files/HostFiles.h"
#include "store/Ansi.h"
#include "store/Registry.h"

namespace tunexa::machine {

namespace {

using Outcome = SendReport::Outcome;
using FileWrite = std::function<files::Result<store::ChangeItem>()>;

SendReport refused(SendReport report, std::string problem) {
    report.outcome = Outcome::Refused;
    report.problem = std::move(problem);
    return report;
}

// The Windows folder goes into the boot batch file: it must be the one C:\MSDOS.SYS names (never
// a guess in its place), and a plain DOS path, since MSDOS.SYS is anyone's text.
std::optional<std::string> windowsFolderProblem(const WindowsInstallation& windows) {
    const auto& named = windows.msdosSysWinDir;
    const std::string line = named
                                 ? "C:\\MSDOS.SYS names the Windows folder in the line \"WinDir=" +
                                       ansi::toUtf8(*named) + "\""
                                 : "The Windows folder " + ansi::toUtf8(windows.windowsPath);
    if (auto problem = dosPathProblem(named ? *named : windows.windowsPath)) {
        return line + ", which cannot go into the boot batch file: " + *problem + ".";
    }
    if (named && !windows.namedByMsdosSys) {
        return line + ", which holds no SYSTEM.DAT; Tunexa sends only to the folder Windows " +
               "starts from.";
    }
    return std::nullopt;
}

std::string bootBatchPath(store::Hive& hive) {
    const auto bootDir = store::textOf(
        hive.getValue(store::HKEY_LOCAL_MACHINE, engine::kSetupKey, engine::kBootDirValue));
    return engine::bootBatchPath(bootDir.value_or(std::string()));
}

// The writes as one recorded change: the first that fails stops them, and the change, not
// committed, puts back every file already written. The failure; empty when saved.
std::string writeAsOneChange(store::Hive& hive, const std::string& title,
                             const std::vector<FileWrite>& writes) {
    store::Change change(hive, title, &files::hostFiles());
    for (const FileWrite& write : writes) {
        auto item = write();
        if (!item) {
            return item.error();
        }
        change.addFile(std::move(*item));
    }
    if (!change.commit()) {
        return "Tunexa's settings store did not save the change: " + hive.lastFailureMessage();
    }
    return {};
}

SendReport stage(store::Hive& hive, const std::string& title, SendReport report,
                 const files::Drives& drives) {
    report.bootBatch = bootBatchPath(hive);
    const auto existing = drives.readFile(report.bootBatch);
    if (!existing) {
        return refused(report, "The boot batch file " + ansi::toUtf8(report.bootBatch) +
                                   " cannot be read: " + existing.error());
    }
    const BootBatchFile batch = withBootBlock(existing->value_or(""), report.windowsPath);
    if (batch.block == BootBatchFile::Block::Foreign) {
        return refused(report, ansi::toUtf8(report.bootBatch) +
                                   " already imports a send into another Windows folder; "
                                   "remove Tunexa's lines from it first.");
    }
    report.blockAdded = batch.block == BootBatchFile::Block::Added;
    const auto folder = drives.open(kSendFolder);
    const auto found = resolveWindowsPath(drives, kSendFolder);
    if (!folder || !found || (found->exists() && !found->isFolder)) {
        return refused(report, std::string(kSendFolder) + " cannot hold the send: " +
                                   (!folder ? folder.error()
                                    : found ? "it is a file"
                                            : found.error()));
    }
    const bool makeFolder = !found->exists();
    if (makeFolder) {
        if (const auto made = folder->drive->makeFolder(folder->names); !made) {
            return refused(
                report, "Cannot make the folder " + std::string(kSendFolder) + ": " + made.error());
        }
    }
    std::vector<FileWrite> writes;
    if (report.blockAdded) {
        writes.emplace_back(
            [&] { return files::replaceFileForChange(report.bootBatch, batch.bytes, drives); });
    }
    const std::string text = sendFileText(report.sent);
    writes.emplace_back([&] { return files::replaceFileForChange(kSendFile, text, drives); });
    if (std::string failure = writeAsOneChange(hive, title, writes); !failure.empty()) {
        if (makeFolder) {
            folder->drive->removeFolder(folder->names);
        }
        return refused(report, failure);
    }
    report.outcome = Outcome::Staged;
    return report;
}

}  // namespace

SendReport sendToMachine(store::Hive& hive, const std::string& title, const files::Drives& drives) {
    SendReport report;
    const auto windows = findWindowsInstallation(drives);
    if (!windows) {
        return refused(report, std::string(kNoWindowsFound));
    }
    report.windowsPath = windows->windowsPath;
    const std::string shownWindows = ansi::toUtf8(windows->windowsPath);
    if (auto problem = windowsFolderProblem(*windows)) {
        return refused(report, *problem);
    }
    if (!regeditThere(windows->windowsPath, drives)) {
        return refused(report, "There is no REGEDIT.EXE in " + shownWindows +
                                   " to import the settings when the machine starts.");
    }
    const Comparison comparison = compareWithMachine(hive, *windows);
    if (!comparison.read()) {
        return refused(report, shownWindows + "\\SYSTEM.DAT cannot be read: " + comparison.failure);
    }
    report.bansheeNote = comparison.bansheeNote;
    report.sent = comparison.differing();
    const SendState state = sendState(drives);
    if (!state.problem.empty()) {
        return refused(report, state.problem);
    }
    const std::string changeTitle = title.empty() ? "Send settings to " + shownWindows : title;
    if (!report.sent.empty()) {
        return stage(hive, changeTitle, std::move(report), drives);
    }
    report.outcome = Outcome::NothingDiffers;
    if (state.waiting) {
        const std::string failure = writeAsOneChange(
            hive, changeTitle, {[&] { return files::removeFileForChange(kSendFile, drives); }});
        if (!failure.empty()) {
            return refused(report, "The waiting " + std::string(kSendFile) +
                                       " no longer matches Tunexa's settings and could not be "
                                       "taken back: " +
                                       failure);
        }
        report.withdrawn = true;
    }
    return report;
}

std::string valueLineStart(std::string_view key, std::string_view name) {
    return "    " + shownKey(key) + "    " +
           (name.empty() ? std::string("(Default)") : ansi::toUtf8(name));
}

std::vector<std::string> describeSend(const SendReport& report) {
    const std::string systemDat = ansi::toUtf8(report.windowsPath) + "\\SYSTEM.DAT";
    std::vector<std::string> lines;
    switch (report.outcome) {
        case Outcome::Refused:
            return {report.problem + " Nothing was written."};
        case Outcome::NothingDiffers:
            lines.push_back("Nothing was sent: every value Tunexa manages agrees with " +
                            systemDat + ".");
            if (report.withdrawn) {
                lines.push_back("The waiting " + std::string(kSendFile) +
                                " was taken back: it would have changed the machine away from "
                                "these settings.");
            }
            break;
        case Outcome::Staged:
            lines.push_back(std::string(kSendFile) + " holds the " +
                            (report.sent.size() == 1
                                 ? std::string("value that differs")
                                 : std::to_string(report.sent.size()) + " values that differ") +
                            " from " + systemDat + ":");
            for (const ValueOnBoth& value : report.sent) {
                lines.push_back(valueLineStart(value.key, value.name) + "    " +
                                (value.tunexa ? shownValue(value.tunexa) : "delete"));
            }
            lines.push_back(ansi::toUtf8(report.bootBatch) +
                            (report.blockAdded ? " now imports it" : " already imports it") +
                            " at the next start of Windows, once; a check afterwards tells what "
                            "arrived.");
            break;
    }
    if (!report.bansheeNote.empty()) {
        lines.push_back(report.bansheeNote);
    }
    return lines;
}

}  // namespace tunexa::machine
