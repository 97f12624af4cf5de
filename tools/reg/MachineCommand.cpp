// MACHINE: the Windows 95/98 machine on drive C:: what drive C: holds, choosing it, and the
// machine's settings read, sent for its next start and checked.
#include <filesystem>
#include <ostream>

#include "CommandSupport.h"
#include "machine/MachineCheck.h"
#include "machine/MachineRead.h"
#include "machine/MachineSend.h"
#include "platform/files/DriveC.h"
#include "store/Ansi.h"

namespace tunexa::regtool {

namespace {

using namespace command;

// The lines on standard output, or with "ERROR: " on standard error; `exitCode` passed on.
int print(Context& c, const std::vector<std::string>& lines, int exitCode, bool failed = false) {
    for (const std::string& line : lines) {
        (failed ? c.err << "ERROR: " : c.out) << line << '\n';
    }
    return exitCode;
}

int status(Context& c) {
    const files::Drives drives;
    c.out << "Drive C:        " << files::describeDriveC(drives) << '\n';
    const auto windows = machine::findWindowsInstallation(drives);
    if (!windows) {
        return print(c, {std::string(machine::kNoWindowsFound)}, 1, true);
    }
    const auto facts = machine::systemDatFacts(*windows);
    c.out << "Windows folder: " << ansi::toUtf8(windows->windowsPath) << '\n'
          << "SYSTEM.DAT:     "
          << (facts ? std::to_string(facts->size) + " bytes, " + localTime(facts->modified)
                    : std::string("cannot be read"))
          << '\n'
          << "REGEDIT.EXE:    "
          << (machine::regeditThere(windows->windowsPath, drives)
                  ? "there"
                  : "missing: the machine cannot import a send")
          << '\n';
    return print(c, machine::describeSendState(machine::sendState(drives)), 0);
}

int use(Context& c, const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (const files::Status used =
            files::useAsDriveC(error ? std::filesystem::path(path) : absolute);
        !used) {
        return print(c, {used.error()}, 1, true);
    }
    return print(c, {"Drive C: is now " + files::describeDriveC() + "."}, 0);
}

int machineCommand(Context& c, const Arguments& args) {
    if (args.positionals.empty()) {
        return status(c);
    }
    const std::string action = lowerAscii(args.positionals[0]);
    if (action == "use") {
        return args.positionals.size() == 2 ? use(c, args.positionals[1])
                                            : refuse(c,
                                                     "MACHINE USE needs the folder or disk "
                                                     "image that is to be drive C:.");
    }
    if (args.positionals.size() > 1) {
        return refuse(c, "MACHINE " + args.positionals[0] + " takes nothing more.");
    }
    if (action == "read") {
        const auto read = machine::readDriveC(c.hive, c.changeTitle);
        return print(c, machine::describeRead(read), read.saved ? 0 : 1, !read.saved);
    }
    if (action == "send") {
        const auto sent = machine::sendToMachine(c.hive, c.changeTitle);
        const bool refused = sent.outcome == machine::SendReport::Outcome::Refused;
        return print(c, machine::describeSend(sent), refused ? 1 : 0, refused);
    }
    if (action == "check") {
        using Outcome = machine::CheckReport::Outcome;
        const auto checked = machine::checkMachine(c.hive);
        const int exitCode = checked.outcome == Outcome::Agrees    ? 0
                             : checked.outcome == Outcome::Differs ? 1
                                                                   : 2;
        return print(c, machine::describeCheck(checked), exitCode, exitCode == 2);
    }
    return refuse(c, "\"" + args.positionals[0] + "\" is not READ, SEND, CHECK or USE.");
}

}  // namespace

namespace command {

extern const Operation kMachineOperation = {
    .name = "MACHINE",
    .switches = {},
    .positionals = 0,
    .optionalPositionals = 2,
    .fileAt = 1,
    .usage =
        "tunexa-reg MACHINE [READ | SEND | CHECK | USE PATH]\n"
        "  The Windows 95/98 machine on drive C:. Alone: what drive C: is, the Windows\n"
        "  folder, SYSTEM.DAT's size and date, whether REGEDIT.EXE is there, and a send\n"
        "  waiting or run.\n"
        "  READ   reads the machine's driver settings into the store, as one change.\n"
        "  SEND   writes every managed value that differs from the machine's SYSTEM.DAT\n"
        "         into C:\\TUNEXA\\SEND.REG and has the boot batch file import it at the\n"
        "         next start of Windows, as one change; 1 when refused.\n"
        "  CHECK  compares the machine's SYSTEM.DAT with the store again: 0 when every\n"
        "         managed value agrees, 1 when some differ, 2 when it cannot be read.\n"
        "  USE    makes PATH, a folder or a disk image file, drive C:.\n",
    .run = machineCommand,
    .records = true};

}  // namespace command

}  // namespace tunexa::regtool
