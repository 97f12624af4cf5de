// QUERY: a key's values and subkeys, one value, or the whole tree below a key.
#include <array>
#include <optional>
#include <ostream>
#include <utility>

#include "Command.h"
#include "CommandSupport.h"
#include "store/Ansi.h"
#include "store/KeyPath.h"
#include "store/Registry.h"
#include "store/ValueText.h"

namespace tunexa::regtool {

namespace {

using namespace command;

void printValue(Context& c, const store::NamedValue& value) {
    c.out << kIndent << displayName(value.name) << kIndent << store::typeName(value.type) << kIndent
          << store::formatData(value.type, value.data) << '\n';
}

// The value a name given in any case names, with its name as it was created.
std::optional<store::NamedValue> findValue(Context& c, store::HKEY root, const std::string& path,
                                           const std::string& name) {
    for (auto& candidate : c.hive.values(root, path)) {
        if (ansi::equalsIgnoringCase(candidate.name, name)) {
            return std::move(candidate);
        }
    }
    return std::nullopt;
}

int query(Context& c, const Arguments& args) {
    int exitCode = 1;
    const auto target = valueTarget(c, args, exitCode);
    if (!target) {
        return exitCode;
    }
    const KeyName& key = target->key;
    const ValueChoice& choice = target->choice;
    const auto stored = c.hive.storedPath(key.root, key.path);
    if (!stored) {
        return notFound(c);
    }
    const KeyName start{key.root, *stored};
    auto fullName = [&](const std::string& path) {
        return ansi::toUtf8(KeyName{key.root, path}.fullName());
    };

    if (choice.given) {
        auto findIn = [&](const std::string& path) {
            return findValue(c, key.root, path, choice.name);
        };
        if (!args.has("s")) {
            const auto value = findIn(start.path);
            if (!value && !choice.name.empty()) {
                return notFound(c);
            }
            c.out << '\n' << fullName(start.path) << '\n';
            if (value) {
                printValue(c, *value);
            } else {
                c.out << kIndent << kDefaultName << kIndent << "REG_SZ" << kIndent
                      << "(value not set)\n";
            }
            c.out << '\n';
            return 0;
        }
        std::size_t matches = 0;
        walk(c.hive, key.root, start.path, [&](const std::string& path) {
            const auto value = findIn(path);
            if (value) {
                ++matches;
                c.out << '\n' << fullName(path) << '\n';
                printValue(c, *value);
            }
        });
        c.out << "\nEnd of search: " << matches << " match(es) found.\n";
        return matches > 0 ? 0 : 1;
    }

    if (args.has("s")) {
        walk(c.hive, key.root, start.path, [&](const std::string& path) {
            c.out << '\n' << fullName(path) << '\n';
            for (const auto& value : c.hive.values(key.root, path)) {
                printValue(c, value);
            }
        });
        c.out << '\n';
        return 0;
    }

    c.out << '\n';
    const auto values = c.hive.values(key.root, start.path);
    if (!values.empty()) {
        c.out << fullName(start.path) << '\n';
        for (const auto& value : values) {
            printValue(c, value);
        }
        c.out << '\n';
    }
    for (const auto& child : c.hive.subkeys(key.root, start.path)) {
        c.out << fullName(store::joinPath(start.path, child)) << '\n';
    }
    return 0;
}

constexpr std::array<Switch, 3> kSwitches = {{{"v", true}, {"ve", false}, {"s", false}}};

}  // namespace

namespace command {

extern const Operation kQueryOperation = {
    .name = "QUERY",
    .switches = kSwitches,
    .usage =
        "tunexa-reg QUERY KEY [/v NAME | /ve] [/s]\n"
        "  KEY   ROOT\\Subkey, ROOT one of HKLM HKCU HKCR HKU HKCC (or the long names)\n"
        "  /v    the value NAME only      /ve   the default value only\n"
        "  /s    the key and every key below it\n",
    .run = query};

}  // namespace command

}  // namespace tunexa::regtool
