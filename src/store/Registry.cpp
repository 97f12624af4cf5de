#include "Registry.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace tunexa::store {

namespace {

std::unique_ptr<Hive>& hiveSlot() {
    static std::unique_ptr<Hive> hive;
    return hive;
}

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

}  // namespace

std::filesystem::path defaultHivePath() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (dataHome != nullptr && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share";
    }
    return base / "tunexa" / "registry.db";
}

Hive& currentHive() {
    auto& hive = hiveSlot();
    if (!hive) {
        hive = Hive::open(defaultHivePath());
    }
    return *hive;
}

void useHive(std::unique_ptr<Hive> hive) {
    hiveSlot() = std::move(hive);
}

const OpenReport& useHiveFile(const std::filesystem::path& file) {
    useHive(Hive::open(file));
    return currentHive().report();
}

std::optional<std::string> RegGetString(HKEY root, std::string_view key, std::string_view name) {
    return textOf(currentHive().getValue(root, key, name));
}

std::optional<std::string> textOf(const std::optional<RawValue>& value) {
    if (!value || value->type != REG_SZ) {
        return std::nullopt;
    }
    // Text before the first NUL: a value stored with or without its terminator reads the same.
    const auto& data = value->data;
    if (data.empty()) {
        return std::string();
    }
    const auto* begin = reinterpret_cast<const char*>(data.data());
    const auto* nul = static_cast<const char*>(std::memchr(begin, 0, data.size()));
    return std::string(begin, nul != nullptr ? static_cast<std::size_t>(nul - begin) : data.size());
}

void RegSetString(HKEY root, std::string_view key, std::string_view name, std::string_view text) {
    const Bytes data = bytesOf(text);
    currentHive().setValue(root, key, name, REG_SZ, data);
}

std::int32_t RegGetDword(HKEY root, std::string_view key, std::string_view name) {
    auto value = currentHive().getValue(root, key, name);
    // A four-byte buffer: longer data does not fit and reads as 0, as does another type.
    if (!value || value->type != REG_DWORD || value->data.size() > 4) {
        return 0;
    }
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < value->data.size(); ++i) {
        result |= static_cast<std::uint32_t>(value->data[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(result);
}

void RegSetDword(HKEY root, std::string_view key, std::string_view name, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const Bytes data = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                        static_cast<std::uint8_t>(bits >> 16),
                        static_cast<std::uint8_t>(bits >> 24)};
    currentHive().setValue(root, key, name, REG_DWORD, data);
}

void RegDeleteValue(HKEY root, std::string_view key, std::string_view name) {
    currentHive().deleteValue(root, key, name);
}

int RegGetBinary(HKEY root, std::string_view key, std::string_view name) {
    auto value = currentHive().getValue(root, key, name);
    // A one-byte buffer: exactly one byte of binary data reads; anything else is 0.
    if (!value || value->type != REG_BINARY || value->data.size() != 1) {
        return 0;
    }
    return value->data[0];
}

void RegSetBinary(HKEY root, std::string_view key, std::string_view name, int value) {
    const Bytes data = {static_cast<std::uint8_t>(value & 0xFF)};
    currentHive().setValue(root, key, name, REG_BINARY, data);
}

Batch::Batch(Hive& hive) : hive_(hive) {
    open_ = hive_.beginBatch() || hive_.inBatch();
}

Batch::~Batch() {
    if (open_) {
        hive_.rollbackBatch();
    }
}

bool Batch::commit() {
    if (!open_) {
        return false;
    }
    open_ = false;
    return hive_.commitBatch();
}

FailureWatch::FailureWatch(Hive& hive) : hive_(hive), start_(hive.failureCount()) {}

bool FailureWatch::failed() const {
    return hive_.failureCount() != start_;
}

std::string FailureWatch::reason() const {
    return failed() ? hive_.lastFailureMessage() : std::string();
}

}  // namespace tunexa::store
