#pragma once

// Shared pieces of the engine tests: a fresh hive per test, typed looks into it, and a panel
// stand-in that answers the control reader from tables.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TempRoot.h"
#include "engine/ControlReader.h"
#include "store/Registry.h"

namespace tunexa::engine::test {

// What the hive holds under a name, in a form a test can compare: "absent", "text:110",
// "dword:-1", "binary:03" (each byte as two hex digits), or the type code and size otherwise.
inline std::string describe(const std::optional<store::RawValue>& value) {
    if (!value) {
        return "absent";
    }
    const auto& data = value->data;
    if (value->type == store::REG_SZ) {
        return "text:" + std::string(data.begin(), data.end());
    }
    if (value->type == store::REG_DWORD && data.size() == 4) {
        const std::uint32_t bits = data[0] | (data[1] << 8) | (data[2] << 16) |
                                   (static_cast<std::uint32_t>(data[3]) << 24);
        return "dword:" + std::to_string(static_cast<std::int32_t>(bits));
    }
    if (value->type == store::REG_BINARY) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::string text = "binary:";
        for (const auto byte : data) {
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
        }
        return text;
    }
    return "type " + std::to_string(value->type) + " size " + std::to_string(data.size());
}

class HiveTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "hive.db"); }
    // Closed before its folder goes away.
    void TearDown() override { store::useHive(nullptr); }

    static store::Hive& hive() { return store::currentHive(); }

    static std::optional<store::RawValue> raw(std::string_view key, std::string_view name) {
        return hive().getValue(store::HKEY_LOCAL_MACHINE, key, name);
    }

    static std::string stored(std::string_view key, std::string_view name) {
        return describe(raw(key, name));
    }

    static void putText(std::string_view key, std::string_view name, std::string_view text) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, key, name, text);
    }

    static void putDword(std::string_view key, std::string_view name, std::int32_t value) {
        store::RegSetDword(store::HKEY_LOCAL_MACHINE, key, name, value);
    }

    static void putBinary(std::string_view key, std::string_view name, int value) {
        store::RegSetBinary(store::HKEY_LOCAL_MACHINE, key, name, value);
    }
    // A binary value of two bytes, as no reader of one byte or one dword takes it.
    static void putBinary2(std::string_view key, std::string_view name) {
        const store::Bytes data = {1, 0};
        store::currentHive().setValue(store::HKEY_LOCAL_MACHINE, key, name, store::REG_BINARY,
                                      data);
    }

  private:
    tunexa::test::TempDir dir_;
};

// A panel answering from tables; controls it does not know read as empty or unchecked.
class FakeControls : public ControlReader {
  public:
    std::map<std::string, std::string, std::less<>> captions;
    std::map<std::string, int, std::less<>> checks;
    std::map<std::string, std::string, std::less<>> selections;
    // Every control read, in order.
    mutable std::vector<std::string> reads;

    std::string caption(std::string_view labelName) const override {
        reads.emplace_back(labelName);
        return find(captions, labelName).value_or("");
    }
    int checkValue(std::string_view checkBoxName) const override {
        reads.emplace_back(checkBoxName);
        return find(checks, checkBoxName).value_or(0);
    }
    std::string selectedText(std::string_view listName) const override {
        reads.emplace_back(listName);
        return find(selections, listName).value_or("");
    }

  private:
    template <typename Value>
    static std::optional<Value> find(const std::map<std::string, Value, std::less<>>& table,
                                     std::string_view name) {
        const auto it = table.find(name);
        if (it == table.end()) {
            return std::nullopt;
        }
        return it->second;
    }
};

}  // namespace tunexa::engine::test
