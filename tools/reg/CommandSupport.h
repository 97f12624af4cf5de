#pragma once

// What every tunexa-reg operation shares: the operation's description (switches, positional
// arguments, usage), argument parsing, the refusals and messages reg.exe gives, the Yes/No
// question, and the key and value names taken from the command line.
//
// An operation is one file that defines its Operation description; Command.cpp lists them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/Roots.h"
#include "store/Changes.h"
#include "store/Hive.h"

namespace tunexa::regtool::command {

using regfile::KeyName;

inline constexpr std::string_view kProgram = "tunexa-reg";
inline constexpr std::string_view kDefaultName = "(Default)";
inline constexpr std::string_view kIndent = "    ";

struct Switch {
    std::string_view name;  // lower case, without the leading '/' or '-'
    bool takesValue;        // the next argument is its value
    bool attached = false;  // the value follows a colon in the same argument: /root:HKLM
};

struct Arguments {
    std::vector<std::string> positionals;
    std::map<std::string, std::string, std::less<>> switches;  // name -> value ("" for flags)

    bool has(std::string_view name) const { return switches.find(name) != switches.end(); }
    const std::string& value(std::string_view name) const { return switches.find(name)->second; }
};

struct Context;

struct Operation {
    std::string_view name;  // upper case, as the overview lists it
    std::span<const Switch> switches;
    std::size_t positionals = 1;          // KEY, or KEY FILE, or FILE
    std::size_t optionalPositionals = 0;  // that may follow them
    // The position of the file name among the positionals, if any: it may start with '/'.
    std::optional<std::size_t> fileAt = std::nullopt;
    std::string_view usage;
    int (*run)(Context& c, const Arguments& args);
    // The operation writes to the store: it runs as one recorded change titled after the
    // command line, saved by succeed() (or saveChange()).
    bool records = false;
    // What a store failure leaves undone, said after the store's words ("Nothing was imported.").
    std::string_view notDone = {};
};

struct Context {
    store::Hive& hive;
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    const Operation* operation = nullptr;
    // A recording operation's change: its title, and the change once it has begun.
    std::string changeTitle = {};
    std::optional<store::Change> change = {};
};

// Begins the recording operation's change, just before its first write: questions are asked
// before it, so the store is not held while the user answers.
void beginChange(Context& c);

// "ERROR: Invalid syntax. <detail>" and where to find the usage; exit code 1.
int refuse(Context& c, std::string_view detail);
// The key or value is not there; exit code 1.
int notFound(Context& c);
// Saves the operation's change with its record; false, with the store's words written, when the
// store refused it. Nothing to save outside a recording operation.
bool saveChange(Context& c);
// "The operation completed successfully." once the change is saved; exit code 0 (1 when the
// store refused it).
int succeed(Context& c);
// The store's last failure in its own words, then what the operation left undone; exit code 1.
int storeFailed(Context& c);
// The user answered No; exit code 0, as reg.exe gives.
int canceled(Context& c);
// An argument the store's code page cannot hold; exit code 1.
int refuseText(Context& c, std::string_view what);

// Asks a Yes/No question the way reg.exe does; anything else asks again, no answer is No.
bool confirm(Context& c, const std::string& question);

// The operation's arguments after its name, checked against its description. Nothing, with the
// refusal written and the exit code set, when they do not fit.
std::optional<Arguments> parseArguments(Context& c, const std::vector<std::string>& args,
                                        int& exitCode);

std::string lowerAscii(std::string_view text);

// "2026-12-06 21:14:03": seconds since 1970 as this machine's local time.
std::string localTime(std::int64_t seconds);

// Argument text to the store's code page; nothing when a character has no place in it.
std::optional<std::string> toStoreText(std::string_view utf8);

// A value name as query and the questions show it: "(Default)" for the unnamed value.
std::string displayName(std::string_view name);

// The key the argument names, or nothing with the refusal written and the exit code set.
std::optional<KeyName> keyArgument(Context& c, const std::string& text, int& exitCode);

// Which value /v or /ve names; "" is the default value. Not given with neither switch.
struct ValueChoice {
    bool given = false;
    std::string name;
};

// What query, add and delete work on: the key the first argument names and the value /v or /ve
// names. Nothing, with the exit code set, when /v and /ve come together (checked first) or either
// name is refused.
struct ValueTarget {
    KeyName key;
    ValueChoice choice;
};

std::optional<ValueTarget> valueTarget(Context& c, const Arguments& args, int& exitCode);

// The key's full name as the user sees it, spelled as stored when it exists.
std::string keyDisplay(Context& c, const KeyName& key);

// Calls `visit` for the key and every key below it, depth first, subkeys in the store's order.
void walk(store::Hive& hive, store::HKEY root, const std::string& path,
          const std::function<void(const std::string&)>& visit);

}  // namespace tunexa::regtool::command
