#pragma once

// Checking that the settings arrived: the machine's SYSTEM.DAT read again and every managed
// value compared with the hive; whether a send waits for the next start of Windows (SEND.REG
// still there) or was run (SENT.REG there), and after a run which of its values the machine
// does not hold, deletions its REGEDIT ignored named as such.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "machine/MachineValues.h"
#include "machine/SendFiles.h"
#include "platform/files/Drives.h"
#include "store/Hive.h"

namespace tunexa::machine {

// A value of the last send that the machine does not hold.
struct NotArrived {
    std::string key;  // Windows-1252
    std::string name;
    std::optional<store::RawValue> sent;  // nothing: a deletion
    std::optional<store::RawValue> machine;
};

struct CheckReport {
    enum class Outcome { Agrees, Differs, CannotRead };
    Outcome outcome = Outcome::CannotRead;
    std::string problem;      // why the machine cannot be read (UTF-8)
    std::string windowsPath;  // Windows-1252
    std::size_t compared = 0;
    std::vector<ValueOnBoth> differing;
    SendState send;
    std::vector<NotArrived> notArrived;  // after a run, when no newer send waits
    std::string bansheeNote;
};

CheckReport checkMachine(store::Hive& hive, const files::Drives& drives = files::Drives());

// The send's state in words (UTF-8): "A send waits for the next start of Windows: ...". With
// `notArrived`, a run send is told with what of it did not arrive.
std::vector<std::string> describeSendState(const SendState& send,
                                           const std::vector<NotArrived>* notArrived = nullptr);
// The whole check, line by line (UTF-8): the summary, a line per differing value, then the send's
// state and the Banshee's note.
std::vector<std::string> describeCheck(const CheckReport& report);
// Its first line: whether the values agree, or why the machine cannot be read.
std::string checkSummary(const CheckReport& report);
// Its last lines: the send's state and the Banshee's note.
std::vector<std::string> checkStateLines(const CheckReport& report);
// A value the machine did not take, for the end of a line: "sent REG_SZ 100, the machine
// holds REG_SZ 90" or "deletion ignored: the machine still holds REG_SZ 1".
std::string describeNotArrived(const NotArrived& value);

}  // namespace tunexa::machine
