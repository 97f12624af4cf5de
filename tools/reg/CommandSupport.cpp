#include "CommandSupport.h"

#include <algorithm>
#include <ctime>
#include <istream>
#include <ostream>
#include <utility>

#include "store/Ansi.h"
#include "store/KeyPath.h"

namespace tunexa::regtool::command {

using regfile::KeyNameError;
using regfile::parseKeyName;

namespace {

constexpr std::string_view kSuccess = "The operation completed successfully.";
constexpr std::string_view kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
constexpr std::string_view kCanceled = "The operation was canceled by the user.";

}  // namespace

int refuse(Context& c, std::string_view detail) {
    c.err << "ERROR: Invalid syntax. " << detail << '\n'
          << "Type \"" << kProgram << ' ' << (c.operation ? c.operation->name : "")
          << (c.operation ? " " : "") << "/?\" for usage.\n";
    return 1;
}

int notFound(Context& c) {
    c.err << kNotFound << '\n';
    return 1;
}

void beginChange(Context& c) {
    if (!c.changeTitle.empty() && !c.change) {
        c.change.emplace(c.hive, c.changeTitle);
    }
}

bool saveChange(Context& c) {
    if (!c.change) {
        return true;
    }
    const bool saved = c.change->commit();
    c.change.reset();
    if (!saved) {
        storeFailed(c);
    }
    return saved;
}

int succeed(Context& c) {
    if (!saveChange(c)) {
        return 1;
    }
    c.out << kSuccess << '\n';
    return 0;
}

int storeFailed(Context& c) {
    c.err << "ERROR: Error accessing the registry: " << c.hive.lastFailureMessage();
    if (c.operation != nullptr && !c.operation->notDone.empty()) {
        c.err << ". " << c.operation->notDone;
    }
    c.err << '\n';
    return 1;
}

int canceled(Context& c) {
    c.out << kCanceled << '\n';
    return 0;
}

int refuseText(Context& c, std::string_view what) {
    c.err << "ERROR: " << what
          << " holds characters that the store's code page (Windows-1252) cannot keep.\n";
    return 1;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return out;
}

std::string localTime(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool confirm(Context& c, const std::string& question) {
    while (true) {
        c.out << question << ' ' << std::flush;
        std::string answer;
        if (!std::getline(c.in, answer)) {
            c.out << '\n';
            return false;
        }
        while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) {
            answer.pop_back();
        }
        const std::string folded = lowerAscii(answer);
        if (folded == "y" || folded == "yes") {
            return true;
        }
        if (folded == "n" || folded == "no") {
            return false;
        }
    }
}

std::optional<std::string> toStoreText(std::string_view utf8) {
    bool lossless = true;
    std::string text = ansi::fromUtf8(utf8, &lossless);
    if (!lossless) {
        return std::nullopt;
    }
    return text;
}

std::string displayName(std::string_view name) {
    return name.empty() ? std::string(kDefaultName) : ansi::toUtf8(name);
}

std::optional<Arguments> parseArguments(Context& c, const std::vector<std::string>& args,
                                        int& exitCode) {
    const Operation& operation = *c.operation;
    auto fileSlotIs = [&](std::size_t index) {
        return operation.fileAt && *operation.fileAt == index;
    };
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool looksLikeSwitch = arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-');
        if (looksLikeSwitch) {
            const std::string whole = lowerAscii(std::string_view(arg).substr(1));
            const std::string beforeColon = whole.substr(0, whole.find(':'));
            const Switch* known = nullptr;
            for (const auto& candidate : operation.switches) {
                if (candidate.name == (candidate.attached ? beforeColon : whole)) {
                    known = &candidate;
                }
            }
            if (known != nullptr) {
                const std::string name(known->name);
                if (parsed.has(name)) {
                    exitCode = refuse(c, arg + " is given more than once.");
                    return std::nullopt;
                }
                std::string value;
                if (known->attached) {
                    value = arg.substr(std::min(arg.size(), name.size() + 2));
                    if (value.empty()) {
                        exitCode = refuse(c, arg + " needs a value after a colon.");
                        return std::nullopt;
                    }
                } else if (known->takesValue) {
                    if (i + 1 >= args.size()) {
                        exitCode = refuse(c, arg + " needs a value after it.");
                        return std::nullopt;
                    }
                    value = args[++i];
                }
                parsed.switches.emplace(name, std::move(value));
                continue;
            }
            if (!fileSlotIs(parsed.positionals.size())) {
                exitCode = refuse(c, "Unknown switch \"" + arg + "\".");
                return std::nullopt;
            }
        }
        if (parsed.positionals.size() >= operation.positionals + operation.optionalPositionals) {
            exitCode = refuse(c, "Too many arguments: \"" + arg + "\".");
            return std::nullopt;
        }
        parsed.positionals.push_back(arg);
    }
    if (parsed.positionals.size() < operation.positionals) {
        exitCode = refuse(c, fileSlotIs(parsed.positionals.size()) ? "The file name is missing."
                                                                   : "The key name is missing.");
        return std::nullopt;
    }
    return parsed;
}

std::optional<KeyName> keyArgument(Context& c, const std::string& text, int& exitCode) {
    const auto converted = toStoreText(text);
    if (!converted) {
        exitCode = refuseText(c, "The key name");
        return std::nullopt;
    }
    KeyNameError why = KeyNameError::None;
    auto key = parseKeyName(*converted, &why);
    if (!key) {
        c.err << (why == KeyNameError::Remote
                      ? "ERROR: Invalid key name. Remote machines are not supported: the store "
                        "is this computer's.\n"
                      : "ERROR: Invalid key name. A key starts with HKLM, HKCU, HKCR, HKU, HKCC "
                        "or their long names (HKEY_LOCAL_MACHINE, ...).\n");
        exitCode = 1;
        return std::nullopt;
    }
    if (const auto refusal = store::keyPathRefusal(key->path)) {
        c.err << "ERROR: Invalid key name: " << *refusal << ".\n";
        exitCode = 1;
        return std::nullopt;
    }
    return key;
}

namespace {

std::optional<ValueChoice> valueArgument(Context& c, const Arguments& args, int& exitCode) {
    ValueChoice choice;
    if (args.has("v")) {
        const auto name = toStoreText(args.value("v"));
        if (!name) {
            exitCode = refuseText(c, "The value name");
            return std::nullopt;
        }
        if (const auto refusal = store::valueNameRefusal(*name)) {
            c.err << "ERROR: Invalid value name: " << *refusal << ".\n";
            exitCode = 1;
            return std::nullopt;
        }
        choice = {true, *name};
    } else if (args.has("ve")) {
        choice = {true, ""};
    }
    return choice;
}

}  // namespace

std::optional<ValueTarget> valueTarget(Context& c, const Arguments& args, int& exitCode) {
    if (args.has("v") && args.has("ve")) {
        exitCode = refuse(c, "/v and /ve cannot be used together.");
        return std::nullopt;
    }
    auto key = keyArgument(c, args.positionals[0], exitCode);
    if (!key) {
        return std::nullopt;
    }
    auto choice = valueArgument(c, args, exitCode);
    if (!choice) {
        return std::nullopt;
    }
    return ValueTarget{std::move(*key), std::move(*choice)};
}

std::string keyDisplay(Context& c, const KeyName& key) {
    const auto stored = c.hive.storedPath(key.root, key.path);
    return ansi::toUtf8(KeyName{key.root, stored ? *stored : key.path}.fullName());
}

void walk(store::Hive& hive, store::HKEY root, const std::string& path,
          const std::function<void(const std::string&)>& visit) {
    visit(path);
    for (const auto& child : hive.subkeys(root, path)) {
        walk(hive, root, store::joinPath(path, child), visit);
    }
}

}  // namespace tunexa::regtool::command
