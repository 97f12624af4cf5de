// HISTORY: the recorded changes, newest first, each with the index UNDO counts by.
#include <ostream>

#include "CommandSupport.h"
#include "store/Registry.h"

namespace tunexa::regtool {

namespace {

using namespace command;

int history(Context& c, const Arguments&) {
    const store::FailureWatch watch(c.hive);
    const auto changes = c.hive.changes();
    if (watch.failed()) {
        return storeFailed(c);  // an unreadable record is not an empty one
    }
    if (changes.empty()) {
        c.out << "No change is recorded.\n";
        return 0;
    }
    std::size_t index = 0;
    for (const store::ChangeInfo& change : changes) {
        c.out << ++index << kIndent << localTime(change.time) << kIndent << change.title;
        if (!change.damage.empty()) {
            c.out << " (record damaged: " << change.damage << ')';
        }
        c.out << '\n';
    }
    return 0;
}

}  // namespace

namespace command {

extern const Operation kHistoryOperation = {
    .name = "HISTORY",
    .switches = {},
    .positionals = 0,
    .usage =
        "tunexa-reg HISTORY\n"
        "  The changes Tunexa and tunexa-reg made, newest first (the last 500), each with\n"
        "  its index: \"tunexa-reg UNDO N\" undoes the newest N.\n",
    .run = history};

}  // namespace command

}  // namespace tunexa::regtool
