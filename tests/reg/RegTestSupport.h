#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Command.h"
#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::regtool::test {

// Each test gets its own hive file, installed as the process's hive so that the seven store
// operations (RegGetString, ...) read what the tool wrote.
class RegTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }
    void TearDown() override { store::useHive(nullptr); }

    store::Hive& hive() { return store::currentHive(); }

    struct Outcome {
        int code = -1;
        std::string out;
        std::string err;
    };

    Outcome reg(const std::vector<std::string>& args, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        Outcome outcome;
        outcome.code = run(hive(), args, in, out, err);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }

    static store::Bytes bytes(std::string_view text) {
        return store::Bytes(text.begin(), text.end());
    }

    void set(std::string_view key, std::string_view name, std::uint32_t type,
             std::string_view data) {
        ASSERT_TRUE(hive().setValue(store::HKEY_LOCAL_MACHINE, key, name, type, bytes(data)));
    }

    tunexa::test::TempDir dir_;
};

}  // namespace tunexa::regtool::test
