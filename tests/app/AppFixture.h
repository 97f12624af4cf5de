#pragma once

// The program on its real windows with fake platform services, a fresh hive and a data and
// config root of its own (drive C, the autostart entry). Stored names are spelled out here rather
// than taken from the program, so a misspelt one shows.

#include <gmock/gmock.h>

#include <QCoreApplication>

#include <filesystem>
#include <memory>

#include "FakePlatform.h"
#include "HiveTest.h"
#include "StoreEntries.h"
#include "app/Application.h"
#include "engine/RegMethods.h"
#include "platform/files/Drives.h"
#include "store/Registry.h"
#include "ui/CheckBox.h"
#include "ui/WindowState.h"

namespace tunexa::app::test {

using namespace tunexa::test;
using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using store::HKEY_LOCAL_MACHINE;
using testing::HasSubstr;

inline constexpr const char* kOwnKey = "Software\\Tunexa\\Tunexa";
inline constexpr const char* kV2D3D = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
inline constexpr int kTNTTab = 1;
inline constexpr int k3DfxTab = 2;

// Each card's flag, its box on the first tab and what the flag switches on and off, in the order
// the first run writes the flags.
struct CardControls {
    const char* flag;
    const char* box;
    std::vector<const char*> switched;  // frames, buttons and the tray branch ("mPop...")
};
// clang-format off
inline const CardControls kCards[] = {
    {"TNT Available", "chkConfTNT", {"frameTNTOC", "frameTNTSettings", "frameTNTD3D", "frameTNTGL",
                                     "cmdTNTdefaults", "cmdTNTapply", "mPopRivaMain"}},
    {"Voodoo Available", "chkConfVoodoo", {"frame3DfxV"}},
    {"Voodoo2 Available", "chkConfV2", {"frame3DfxV2", "mPopV2Main"}},
    {"Banshee Available", "chkConfBanshee", {"frame3DfxBanshee", "mPopBansheeMain"}}};
// clang-format on

// A text value under HKEY_LOCAL_MACHINE, "(absent)" when there is none.
inline std::string text(const char* key, const std::string& name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, key, name).value_or("(absent)");
}

class AppFixture : public HiveTest {
  protected:
    void SetUp() override {
        for (const char* folder : {"data", "config"}) {  // the user folders, empty for each case
            std::filesystem::remove_all(isolatedRoot() / folder);
        }
        freshStore("registry");
        files::Drives drives;
        ASSERT_TRUE(drives.ensureDriveC().ok());
        driveC_ = *drives.driveRoot('C');
    }

    // A hive of its own, for each row of a table-driven case.
    void freshStore(const std::string& name) {
        app_.reset();
        store::useHiveFile(dir_ / (name + ".db"));
        engine::driverSettings() = {};
    }
    static void setFlag(const char* name, const char* value) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kOwnKey, name, value);
    }
    static std::string flag(const char* name) { return text(kOwnKey, name); }
    // A configured machine, each card's flag `cards` ("Start Minimised" absent for null).
    static void configured(const char* startMinimised = "0", const char* cards = "1") {
        setFlag("Configure", "0");
        if (startMinimised != nullptr) {
            setFlag("Start Minimised", startMinimised);
        }
        for (const auto& card : kCards) {
            setFlag(card.flag, cards);
        }
    }

    void start() {
        app_ = std::make_unique<Application>(
            PlatformServices{boxes_, tray_, busy_, modes_, power_, questions_, paths_});
        app_->start();
        QCoreApplication::processEvents();
    }

    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return app_->window().findChild<Widget*>(QString::fromLatin1(name));
    }
    int check(const char* name) { return ui::checkValue(control<QCheckBox>(name)); }
    void click(const char* name) { control<QAbstractButton>(name)->click(); }
    QAction* menuItem(const char* name) {
        return app_->window().popupMenu().item(QString::fromLatin1(name));
    }
    Form1& form() { return app_->window(); }
    bool tabOn(int index) { return ui::isTabOn(form().ui.SSTab1, index); }
    const platform::MessageBox& lastBox() { return boxes_.shown().back(); }
    std::string lastPrompt() { return lastBox().prompt.toStdString(); }

    std::filesystem::path driveC_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeTrayIcon tray_;
    test::FakeBusyPointer busy_;
    test::FakeDisplayModes modes_;
    test::FakePower power_;
    test::ScriptedTextQuestions questions_;
    test::ScriptedPathChoices paths_;
    std::unique_ptr<Application> app_;
};

}  // namespace tunexa::app::test
