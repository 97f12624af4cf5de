// DELETE: one value, every value of a key, or a key with everything below it, after asking.
#include <array>

#include "CommandSupport.h"
#include "store/Registry.h"

namespace tunexa::regtool {

namespace {

using namespace command;

int remove(Context& c, const Arguments& args) {
    int exitCode = 1;
    if ((args.has("v") ? 1 : 0) + (args.has("ve") ? 1 : 0) + (args.has("va") ? 1 : 0) > 1) {
        return refuse(c, "Use only one of /v, /ve and /va.");
    }
    const auto target = valueTarget(c, args, exitCode);
    if (!target) {
        return exitCode;
    }
    const KeyName& key = target->key;
    const ValueChoice& choice = target->choice;
    if (!c.hive.storedPath(key.root, key.path)) {
        return notFound(c);
    }
    const std::string shownKey = keyDisplay(c, key);
    const bool force = args.has("f");

    if (choice.given) {
        if (!c.hive.getValue(key.root, key.path, choice.name)) {
            return notFound(c);
        }
        if (!force &&
            !confirm(c, "Delete the registry value " + displayName(choice.name) + " (Yes/No)?")) {
            return canceled(c);
        }
        beginChange(c);
        return c.hive.deleteValue(key.root, key.path, choice.name) ? succeed(c) : storeFailed(c);
    }
    if (args.has("va")) {
        if (!force &&
            !confirm(c, "Delete all values under the registry key " + shownKey + " (Yes/No)?")) {
            return canceled(c);
        }
        beginChange(c);
        store::Batch batch(c.hive);
        for (const auto& value : c.hive.values(key.root, key.path)) {
            c.hive.deleteValue(key.root, key.path, value.name);
        }
        return batch.commit() ? succeed(c) : storeFailed(c);
    }
    if (key.path.empty()) {
        c.err << "ERROR: Invalid key name. A root key cannot be deleted.\n";
        return 1;
    }
    if (!force && !confirm(c, "Permanently delete the registry key " + shownKey + " (Yes/No)?")) {
        return canceled(c);
    }
    beginChange(c);
    return c.hive.deleteKeyTree(key.root, key.path) ? succeed(c) : storeFailed(c);
}

constexpr std::array<Switch, 4> kSwitches = {
    {{"v", true}, {"ve", false}, {"va", false}, {"f", false}}};

}  // namespace

namespace command {

extern const Operation kDeleteOperation = {
    .name = "DELETE",
    .switches = kSwitches,
    .usage =
        "tunexa-reg DELETE KEY [/v NAME | /ve | /va] [/f]\n"
        "  /v    the value NAME   /ve   the default value   /va   every value of the key\n"
        "  Without any of them the key and everything below it are deleted.\n"
        "  /f    delete without asking\n",
    .run = remove,
    .records = true};

}  // namespace command

}  // namespace tunexa::regtool
