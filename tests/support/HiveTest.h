#pragma once

// A test with a hive file of its own in a fresh folder, installed as the process's hive so that
// the seven store operations (RegGetString, ...) see what the code under test wrote.

#include <gtest/gtest.h>

#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::test {

class HiveTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }
    void TearDown() override { store::useHive(nullptr); }
    store::Hive& hive() { return store::currentHive(); }

    TempDir dir_;
};

}  // namespace tunexa::test
