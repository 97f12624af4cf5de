#pragma once

// The program on its real windows with fake platform services, a fresh hive and a drive C of its
// own: what every application test starts from.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "FakeBusyPointer.h"
#include "FakeDisplayModes.h"
#include "FakePower.h"
#include "FakeTrayIcon.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedTextQuestions.h"
#include "TempRoot.h"
#include "app/Application.h"
#include "app/ProgramKeys.h"
#include "engine/DriverSettings.h"
#include "platform/files/Drives.h"
#include "store/Registry.h"

namespace tunexa::app::test {

using namespace tunexa::test;

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class AppFixture : public testing::Test {
  protected:
    void SetUp() override {
        previousDataHome_ = std::getenv("XDG_DATA_HOME");
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        store::useHiveFile(dir_ / "registry.db");
        engine::driverSettings() = {};
        files::Drives drives;
        ASSERT_TRUE(drives.ensureDriveC().ok());
        driveC_ = *drives.driveRoot('C');
    }
    void TearDown() override {
        app_.reset();
        store::useHive(nullptr);
        setenv("XDG_DATA_HOME", previousDataHome_.c_str(), 1);
    }

    static void setFlag(const char* name, const char* value) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, kProgramKey, name, value);
    }
    static std::string flag(const char* name) {
        return store::RegGetString(store::HKEY_LOCAL_MACHINE, kProgramKey, name)
            .value_or("(absent)");
    }
    // A configured machine with every card available.
    static void configured(const char* startMinimised = "0") {
        setFlag(kConfigure, "0");
        setFlag(kStartMinimised, startMinimised);
        for (const char* card :
             {kTNTAvailable, kVoodooAvailable, kVoodoo2Available, kBansheeAvailable}) {
            setFlag(card, "1");
        }
    }

    Application& start() {
        app_ = std::make_unique<Application>(
            PlatformServices{boxes_, tray_, busy_, modes_, power_, questions_});
        app_->start();
        QCoreApplication::processEvents();
        return *app_;
    }

    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return app_->window().findChild<Widget*>(QString::fromLatin1(name));
    }
    template <typename Widget = QWidget>
    Widget* firstRunControl(const char* name) {
        return app_->firstRun()->findChild<Widget*>(QString::fromLatin1(name));
    }
    QAction* menuItem(const char* name) {
        return app_->window().popupMenu().item(QString::fromLatin1(name));
    }
    Form1& form() { return app_->window(); }

    test::TempDir dir_;
    std::string previousDataHome_;
    std::filesystem::path driveC_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeTrayIcon tray_;
    test::FakeBusyPointer busy_;
    test::FakeDisplayModes modes_;
    test::FakePower power_;
    test::ScriptedTextQuestions questions_;
    std::unique_ptr<Application> app_;
};

}  // namespace tunexa::app::test
