#pragma once

// Shared pieces of the engine tests: a fresh hive per test with a readable look at what it
// holds, and a panel stand-in that answers every control from one table of texts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "TempRoot.h"
#include "engine/ControlReader.h"
#include "engine/DriverSettings.h"
#include "store/Registry.h"

namespace tunexa::engine::test {

using store::HKEY_LOCAL_MACHINE;

class HiveTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "hive.db"); }
    void TearDown() override { store::useHive(nullptr); }  // closed before its folder goes

    // "absent", "text:110", "dword:-1", "byte:3": a number's bytes are taken low byte first.
    static std::string stored(std::string_view key, std::string_view name) {
        const auto value = store::currentHive().getValue(HKEY_LOCAL_MACHINE, key, name);
        if (!value || value->type == store::REG_SZ) {
            return value ? "text:" + std::string(value->data.begin(), value->data.end()) : "absent";
        }
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < value->data.size() && i < 4; ++i) {
            number |= std::uint32_t{value->data[i]} << 8 * i;
        }
        const bool dword = value->type == store::REG_DWORD && value->data.size() == 4;
        return (dword ? "dword:" : "byte:") + std::to_string(static_cast<std::int32_t>(number));
    }
    static void putText(std::string_view key, std::string_view name, std::string_view text) {
        store::RegSetString(HKEY_LOCAL_MACHINE, key, name, text);
    }
    static void putDword(std::string_view key, std::string_view name, std::int32_t value) {
        store::RegSetDword(HKEY_LOCAL_MACHINE, key, name, value);
    }

  private:
    tunexa::test::TempDir dir_;
};

// A panel answering from one table of what each control shows: a label's caption, a list's
// selected text, a check box's value in decimal; anything else is empty or unchecked.
struct FakeControls : ControlReader {
    std::map<std::string, std::string, std::less<>> shown;

    std::string caption(std::string_view name) const override { return text(name); }
    std::string selectedText(std::string_view name) const override { return text(name); }
    int checkValue(std::string_view name) const override { return std::atoi(text(name).c_str()); }
    std::string text(std::string_view name) const {
        return shown.contains(name) ? shown.find(name)->second : std::string();
    }
};

}  // namespace tunexa::engine::test
