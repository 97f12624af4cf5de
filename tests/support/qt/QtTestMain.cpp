#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>

#include "TempRoot.h"

int main(int argc, char** argv) {
    tunexa::test::isolateUserFolders();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(tunexa::test::isolatedRoot(), ignored);
    return result;
}
