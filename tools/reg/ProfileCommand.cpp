// PROFILE: the named setups the window keeps, listed, saved, applied and deleted.
#include <ostream>

#include "CommandSupport.h"
#include "engine/DisplayClass.h"
#include "engine/ManagedValues.h"
#include "platform/files/Drives.h"
#include "platform/files/HostFiles.h"
#include "store/Ansi.h"
#include "store/Profiles.h"
#include "store/Registry.h"

namespace tunexa::regtool {

namespace {

using namespace command;

constexpr std::array<Switch, 1> kSwitches = {{{"f", false}}};

// What a profile covers on this machine: the values Tunexa manages, the Banshee clocks under
// the display class its driver has, and the Glide batch file on drive C:.
store::ManagedSet managedSet() {
    engine::DriverSettings settings;
    engine::FindBansheeClassKey(settings);
    return engine::managedSet(settings, files::locationOnDrives);
}

// The profile as stored, for a name given in any case.
std::optional<std::string> storedName(Context& c, const std::string& name) {
    for (const std::string& candidate : store::profileNames(c.hive)) {
        if (ansi::equalsIgnoringCase(candidate, name)) {
            return candidate;
        }
    }
    return std::nullopt;
}

int profile(Context& c, const Arguments& args) {
    const std::string action = lowerAscii(args.positionals[0]);
    if (action == "list") {
        if (args.positionals.size() > 1) {
            return refuse(c, "PROFILE LIST takes no name.");
        }
        const auto managed = managedSet();
        store::ReadOnceFiles currentFiles(files::hostFiles());
        for (const std::string& name : store::profileNames(c.hive)) {
            const bool current = store::profileMatches(c.hive, &currentFiles, name, managed);
            c.out << (current ? "* " : "  ") << ansi::toUtf8(name) << '\n';
        }
        return 0;
    }
    if (action != "save" && action != "apply" && action != "delete") {
        return refuse(c, "\"" + args.positionals[0] + "\" is not LIST, SAVE, APPLY or DELETE.");
    }
    if (args.positionals.size() < 2) {
        return refuse(c, "The profile's name is missing.");
    }
    const auto name = toStoreText(args.positionals[1]);
    if (!name) {
        return refuseText(c, "The profile's name");
    }
    if (const auto problem = store::profileNameProblem(*name)) {
        c.err << "ERROR: " << *problem << '\n';
        return 1;
    }
    const auto existing = storedName(c, *name);
    const std::string shown = "\"" + ansi::toUtf8(existing.value_or(*name)) + "\"";
    if (action != "save" && !existing) {
        c.err << "ERROR: There is no profile " << shown << ".\n";
        return 1;
    }
    const bool force = args.has("f");
    bool done = false;
    if (action == "save") {
        if (existing && !force && !confirm(c, "Profile " + shown + " exists, overwrite(Yes/No)?")) {
            return canceled(c);
        }
        done = store::saveProfile(c.hive, &files::hostFiles(), *name, managedSet());
    } else if (action == "apply") {
        done = store::applyProfile(c.hive, &files::hostFiles(), *existing, managedSet());
    } else {
        if (!force && !confirm(c, "Delete the profile " + shown + " (Yes/No)?")) {
            return canceled(c);
        }
        done = store::deleteProfile(c.hive, *existing);
    }
    return done ? succeed(c) : storeFailed(c);
}

}  // namespace

namespace command {

extern const Operation kProfileOperation = {
    .name = "PROFILE",
    .switches = kSwitches,
    .optionalPositionals = 1,
    .usage =
        "tunexa-reg PROFILE LIST | SAVE NAME | APPLY NAME | DELETE NAME [/f]\n"
        "  The profiles Tunexa keeps under HKLM\\Software\\Tunexa\\Tunexa\\Profiles:\n"
        "  LIST names them (* marks the one the current settings match); SAVE keeps\n"
        "  the current settings under NAME; APPLY puts NAME's settings back exactly;\n"
        "  DELETE removes it. Each change is recorded and can be undone.\n"
        "  /f    replace or delete without asking\n",
    .run = profile};

}  // namespace command

}  // namespace tunexa::regtool
