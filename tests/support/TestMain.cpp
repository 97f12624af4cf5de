// The test main: this process's user folders point at a private temporary folder, removed again
// at the end; built with TUNEXA_TEST_QT, a QApplication runs the tests (offscreen by default).

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "TempRoot.h"

#ifdef TUNEXA_TEST_QT
#include <QApplication>
#endif

// libcreg leaks a 24-byte data-block entry when it gives up on some damaged files (a bare C
// program that frees everything shows it too); LeakSanitizer still reports every leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcreg_data_block_entry_initialize\n";
}

int main(int argc, char** argv) {
    tunexa::test::isolateUserFolders();
#ifdef TUNEXA_TEST_QT
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const QApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(tunexa::test::isolatedRoot(), ignored);
    return result;
}
