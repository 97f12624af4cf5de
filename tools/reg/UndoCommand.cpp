// UNDO: the newest change, or the newest N, undone as one change after saying what differs.
#include <charconv>
#include <ostream>

#include "CommandSupport.h"
#include "platform/files/HostFiles.h"
#include "store/Undo.h"

namespace tunexa::regtool {

namespace {

using namespace command;

constexpr std::array<Switch, 1> kSwitches = {{{"f", false}}};

int undo(Context& c, const Arguments& args) {
    std::size_t count = 1;
    if (!args.positionals.empty()) {
        const std::string& text = args.positionals[0];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (error != std::errc() || end != text.data() + text.size() || count == 0 ||
            count > store::kKeptChanges) {
            return refuse(c, "N must be a number of changes from 1 to " +
                                 std::to_string(store::kKeptChanges) + ".");
        }
    }
    if (count > c.hive.changes(count).size()) {
        c.err << "ERROR: Only " << c.hive.changes(count).size()
              << " changes are recorded. Nothing was undone.\n";
        return 1;
    }
    const auto plan = store::planUndoLast(c.hive, &files::hostFiles(), count);
    if (!plan.problem.empty()) {
        c.err << "ERROR: " << plan.problem << '\n';
        return 1;
    }
    if (!plan.differences.empty()) {
        c.out << "These were changed since, by another program or by hand:\n";
        for (const store::UndoDifference& difference : plan.differences) {
            c.out << kIndent << store::describeItem(difference.item) << ": now "
                  << store::describeImage(difference.item, difference.now) << ", the change left "
                  << store::describeImage(difference.item, difference.item.after) << '\n';
        }
        if (!args.has("f") && !confirm(c, "Undo anyway and overwrite them (Yes/No)?")) {
            return canceled(c);
        }
    }
    if (!store::applyUndo(c.hive, &files::hostFiles(), plan)) {
        return storeFailed(c);
    }
    for (const store::ChangeInfo& change : plan.changes) {
        c.out << "Undone: " << change.title << '\n';
    }
    return succeed(c);
}

}  // namespace

namespace command {

extern const Operation kUndoOperation = {
    .name = "UNDO",
    .switches = kSwitches,
    .positionals = 0,
    .optionalPositionals = 1,
    .usage =
        "tunexa-reg UNDO [N] [/f]\n"
        "  Undoes the newest N changes (1 when not given) as one change, putting back\n"
        "  every value, key and file exactly as it was; undoing an undo redoes it.\n"
        "  /f    overwrite values changed since without asking\n",
    .run = undo};

}  // namespace command

}  // namespace tunexa::regtool
