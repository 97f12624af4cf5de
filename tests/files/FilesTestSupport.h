#pragma once

// A data root with its drive C made, and file helpers, shared by the drive and text-file tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "TempRoot.h"
#include "platform/files/Drives.h"

namespace tunexa::files::test {

namespace fs = std::filesystem;

using tunexa::test::fileBytes;
using tunexa::test::putFile;

// Drive C is made before each test.
class DriveTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drives.ensureDriveC()); }
    // The entries of drive C, so a test sees that no temporary file stayed behind.
    long entriesOnC() const {
        return std::distance(fs::directory_iterator(driveC), fs::directory_iterator());
    }

    tunexa::test::TempDir dir;
    fs::path root = dir / "data";
    Drives drives{root};
    fs::path driveC = root / "drive_c";
    fs::path c = root / "dosdevices" / "c:";
};

}  // namespace tunexa::files::test
