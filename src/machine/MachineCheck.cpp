#include "machine/MachineCheck.h"

#include "machine/MachineSend.h"
#include "machine/WindowsInstallation.h"
#include "regfile/Importer.h"
#include "store/Ansi.h"

namespace tunexa::machine {

namespace {

using Outcome = CheckReport::Outcome;
using regfile::RegOperation;

// What SENT.REG asked of the machine that its SYSTEM.DAT does not hold.
std::vector<NotArrived> notArrived(const ValueIndex& machine, const files::Drives& drives,
                                   std::string& problem) {
    const auto bytes = drives.readFile(kSentFile);
    if (!bytes || !bytes->has_value()) {
        problem = std::string(kSentFile) +
                  " cannot be read: " + (bytes ? std::string("it is gone") : bytes.error());
        return {};
    }
    std::vector<NotArrived> missing;
    for (const RegOperation& operation : regfile::parseRegFile(**bytes).operations) {
        if (operation.root != store::HKEY_LOCAL_MACHINE ||
            (operation.kind != RegOperation::Kind::SetValue &&
             operation.kind != RegOperation::Kind::DeleteValue)) {
            continue;
        }
        NotArrived value{operation.key, operation.name, std::nullopt,
                         machine.find(operation.key, operation.name)};
        if (operation.kind == RegOperation::Kind::SetValue) {
            value.sent = store::RawValue{operation.type, operation.data};
        }
        if (!sameValue(value.sent, value.machine)) {
            missing.push_back(std::move(value));
        }
    }
    return missing;
}

}  // namespace

CheckReport checkMachine(store::Hive& hive, const files::Drives& drives) {
    CheckReport report;
    const auto windows = findWindowsInstallation(drives);
    if (!windows) {
        report.problem = kNoWindowsFound;
        return report;
    }
    report.windowsPath = windows->windowsPath;
    const Comparison comparison = compareWithMachine(hive, *windows);
    if (!comparison.read()) {
        report.problem = ansi::toUtf8(windows->windowsPath) +
                         "\\SYSTEM.DAT cannot be read: " + comparison.failure;
        return report;
    }
    report.compared = comparison.values.size();
    report.differing = comparison.differing();
    report.bansheeNote = comparison.bansheeNote;
    report.send = sendState(drives);
    if (report.send.run && !report.send.waiting) {
        report.notArrived = notArrived(comparison.machine, drives, report.send.problem);
    }
    report.outcome = report.differing.empty() ? Outcome::Agrees : Outcome::Differs;
    return report;
}

std::string describeNotArrived(const NotArrived& value) {
    if (!value.sent) {
        return "deletion ignored: the machine still holds " + shownValue(value.machine);
    }
    return "sent " + shownValue(value.sent) + ", the machine holds " + shownValue(value.machine);
}

std::vector<std::string> describeSendState(const SendState& send,
                                           const std::vector<NotArrived>* notArrived) {
    const std::string sent = "The last send (" + std::string(kSentFile) + ") was run";
    std::vector<std::string> lines;
    if (send.waiting) {
        lines.push_back("A send waits for the next start of Windows: " + std::string(kSendFile) +
                        ".");
    } else if (send.run && (notArrived == nullptr || !send.problem.empty())) {
        lines.push_back(sent + ".");
    } else if (send.run && notArrived->empty()) {
        lines.push_back(sent + ", and every value in it arrived.");
    } else if (send.run) {
        lines.push_back(sent + "; these of its values did not arrive:");
        for (const NotArrived& value : *notArrived) {
            lines.push_back(valueLineStart(value.key, value.name) + "    " +
                            describeNotArrived(value));
        }
    } else if (send.problem.empty()) {
        lines.push_back("No send waits on drive C:, and none was run.");
    }
    if (!send.problem.empty()) {
        lines.push_back("What became of the last send cannot be told: " + send.problem);
    }
    return lines;
}

std::string checkSummary(const CheckReport& report) {
    if (report.outcome == Outcome::CannotRead) {
        return report.problem;
    }
    const std::string systemDat = ansi::toUtf8(report.windowsPath) + "\\SYSTEM.DAT";
    const std::string compared = std::to_string(report.compared);
    if (report.differing.empty()) {
        return "All " + compared + " values Tunexa manages agree with " + systemDat + ".";
    }
    return std::to_string(report.differing.size()) + " of the " + compared +
           " values Tunexa manages " + (report.differing.size() == 1 ? "differs" : "differ") +
           " from " + systemDat + ":";
}

std::vector<std::string> checkStateLines(const CheckReport& report) {
    auto lines = describeSendState(report.send, &report.notArrived);
    if (!report.bansheeNote.empty()) {
        lines.push_back(report.bansheeNote);
    }
    return lines;
}

std::vector<std::string> describeCheck(const CheckReport& report) {
    std::vector<std::string> lines = {checkSummary(report)};
    if (report.outcome == Outcome::CannotRead) {
        return lines;
    }
    for (const ValueOnBoth& value : report.differing) {
        lines.push_back(valueLineStart(value.key, value.name) + "    Tunexa: " +
                        shownValue(value.tunexa) + "    machine: " + shownValue(value.machine));
    }
    for (std::string& line : checkStateLines(report)) {
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace tunexa::machine
