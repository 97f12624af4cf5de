#pragma once

// The registry module: the seven value operations every other layer uses, over the process's
// hive. They report nothing to their callers, as the drivers' own tools expect; a failure is
// remembered so that an action which wrote can tell "saved" from "not saved" (FailureWatch).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Hive.h"

namespace tunexa::store {

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::uint32_t REG_LINK = 6;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

std::optional<std::string> RegGetString(HKEY root, std::string_view key, std::string_view name);
// A value's text as RegGetString reads it: a REG_SZ's bytes before the first NUL; nothing for
// another type or no value.
std::optional<std::string> textOf(const std::optional<RawValue>& value);
void RegSetString(HKEY root, std::string_view key, std::string_view name, std::string_view text);
std::int32_t RegGetDword(HKEY root, std::string_view key, std::string_view name);
void RegSetDword(HKEY root, std::string_view key, std::string_view name, std::int32_t value);
void RegDeleteValue(HKEY root, std::string_view key, std::string_view name);
int RegGetBinary(HKEY root, std::string_view key, std::string_view name);
void RegSetBinary(HKEY root, std::string_view key, std::string_view name, int value);

// `${XDG_DATA_HOME:-$HOME/.local/share}/tunexa/registry.db`.
std::filesystem::path defaultHivePath();

// The hive the seven operations use. Opened from defaultHivePath() on first use unless one was
// installed with useHive().
Hive& currentHive();
void useHive(std::unique_ptr<Hive> hive);
// Opens the file and installs it; returns what opening found.
const OpenReport& useHiveFile(const std::filesystem::path& file);

// One transaction around a group of writes (one card's Apply): all or nothing, one sync.
// Not committed when it goes away means rolled back.
class Batch {
  public:
    explicit Batch(Hive& hive = currentHive());
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    bool commit();

  private:
    Hive& hive_;
    bool open_ = false;
};

// Watches the hive from its creation on: did any store operation fail since, and why.
class FailureWatch {
  public:
    explicit FailureWatch(Hive& hive = currentHive());
    bool failed() const;
    // The last failure's message, or empty.
    std::string reason() const;

  private:
    Hive& hive_;
    std::uint64_t start_;
};

}  // namespace tunexa::store
