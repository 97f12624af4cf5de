#include "panels/voodoo/VoodooPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/AppFont.h"
#include "app/Form1.h"
#include "engine/DriverSettings.h"
#include "store/Registry.h"

namespace tunexa::panels {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;

constexpr const char* kVoodooKey = "Software\\Tunexa\\Tunexa\\3Dfx";

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string glideFile(const char* clock, int fastMem, int fastPci, int vsync) {
    return std::string("REM -- Written by Tunexa v1.0.7 for Win95/98 - Public Beta --\r\n") +
           "SET SST_GRXCLK=" + clock + "\r\n" + "SET SST_FASTMEM=" + std::to_string(fastMem) +
           "\r\n" + "SET SST_FASTPCIRD=" + std::to_string(fastPci) + "\r\n" +
           "SET SST_SWAP_EN_WAIT_ON_VSYNC=" + std::to_string(vsync) + "\r\n" +
           "SET FX_GLIDE_SWAPINTERVAL=0\r\n";
}

std::optional<std::string> ownValue(const char* name) {
    return store::RegGetString(store::HKEY_LOCAL_MACHINE, kVoodooKey, name);
}

void storeOwnValue(const char* name, const char* text) {
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kVoodooKey, name, text);
}

MessageBox box(const char* prompt, const char* title, MessageButtons buttons) {
    return MessageBox{prompt, title, buttons};
}

MessageBox result(const char* text) {
    return box(text, text, MessageButtons::Ok);
}

class VoodooPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::useHiveFile(dir_ / "registry.db");
        engine::driverSettings() = {};
    }

    fs::path batchFile() const { return *drives_.toHost("c:\\tunexa.bat"); }

    void apply(MessageAnswer answer) {
        boxes_.answer(answer).answer(MessageAnswer::Ok);
        ui_.cmd3DfxVapply->click();
    }
    void reset(MessageAnswer answer) {
        boxes_.answer(answer).answer(MessageAnswer::Ok);
        ui_.cmd3DfxVreset->click();
    }

    void expectNoOwnValues() {
        for (const char* name :
             {"Voodoo GRXCLK", "Voodoo Vsync", "Voodoo FastMem", "Voodoo FastPCI"}) {
            EXPECT_FALSE(ownValue(name)) << name;
        }
    }

    test::TempDir dir_;
    files::Drives drives_{dir_.path()};
    app::Form1 form_;
    test::ScriptedMessageBoxes boxes_;
    ui::PanelEnvironment env_{boxes_, form_, engine::driverSettings(), form_.popupMenu()};
    VoodooFrame& frame_ = *form_.findChild<VoodooFrame*>();
    Ui::VoodooFrame& ui_ = frame_.ui;
    VoodooPanel panel_{frame_, env_, drives_};
};

TEST_F(VoodooPanelTest, DefaultsAppliedWriteTheSixLinesThenTheOwnValues) {
    reset(MessageAnswer::Yes);
    apply(MessageAnswer::Yes);

    EXPECT_EQ(bytesOf(batchFile()), glideFile("50", 0, 0, 1));
    EXPECT_EQ(ownValue("Voodoo GRXCLK"), "50");
    EXPECT_EQ(ownValue("Voodoo Vsync"), "1");
    EXPECT_EQ(ownValue("Voodoo FastMem"), "0");
    EXPECT_EQ(ownValue("Voodoo FastPCI"), "0");
    const std::vector<MessageBox> expected{
        box("Are you sure?", "Restoring Defaults", MessageButtons::YesNo),
        result("Defaults Restored"),
        box("Are you sure?", "Applying Voodoo Settings", MessageButtons::YesNo),
        result("Voodoo Settings Applied"),
    };
    EXPECT_EQ(boxes_.shown(), expected);
}

TEST_F(VoodooPanelTest, ApplyingTwiceReplacesTheFileWhole) {
    ui_.sld3DfxVCore->setValue(7);
    ui_.chk3DfxVFastMem->setChecked(true);
    apply(MessageAnswer::Yes);
    ui_.sld3DfxVCore->setValue(3);
    ui_.chk3DfxVFastMem->setChecked(false);
    ui_.chk3DfxVFastPCI->setChecked(true);
    apply(MessageAnswer::Yes);

    EXPECT_EQ(bytesOf(batchFile()), glideFile("53", 0, 1, 0));
    EXPECT_EQ(ownValue("Voodoo GRXCLK"), "53");
    EXPECT_EQ(ownValue("Voodoo FastPCI"), "1");
    EXPECT_EQ(boxes_.shown().back(), result("Voodoo Settings Applied"));
}

TEST_F(VoodooPanelTest, DeclinedApplyWritesNothing) {
    ui_.sld3DfxVCore->setValue(4);
    apply(MessageAnswer::No);

    EXPECT_FALSE(fs::exists(batchFile()));
    expectNoOwnValues();
    EXPECT_EQ(boxes_.shown().back(), result("Settings Not Applied"));
}

TEST_F(VoodooPanelTest, TheSliderWritesItsClockIntoTheLabel) {
    for (const auto& [position, text] :
         {std::pair{5, "55"}, std::pair{0, "50"}, std::pair{10, "60"}, std::pair{1, "51"}}) {
        ui_.sld3DfxVCore->setValue(position);
        EXPECT_EQ(ui_.lbl3DfxVCoreVal->text(), text) << position;
    }
}

TEST_F(VoodooPanelTest, LoadSetsTheControlsFromTheOwnValues) {
    storeOwnValue("Voodoo GRXCLK", "58");
    storeOwnValue("Voodoo Vsync", "0");
    storeOwnValue("Voodoo FastMem", "1");
    storeOwnValue("Voodoo FastPCI", "1");
    ui_.chk3DfxVVsync->setChecked(true);
    panel_.LoadVoodooPanel();

    EXPECT_EQ(ui_.sld3DfxVCore->value(), 8);
    EXPECT_EQ(ui_.lbl3DfxVCoreVal->text(), "58");
    EXPECT_FALSE(ui_.chk3DfxVVsync->isChecked());
    EXPECT_TRUE(ui_.chk3DfxVFastMem->isChecked());
    EXPECT_TRUE(ui_.chk3DfxVFastPCI->isChecked());
}

TEST_F(VoodooPanelTest, UnknownTextsLeaveTheControlsAsTheyWere) {
    ui_.sld3DfxVCore->setValue(2);
    ui_.chk3DfxVVsync->setChecked(true);
    storeOwnValue("Voodoo GRXCLK", "65");
    storeOwnValue("Voodoo Vsync", "yes");
    storeOwnValue("Voodoo FastMem", "");
    panel_.LoadVoodooPanel();

    EXPECT_EQ(ui_.sld3DfxVCore->value(), 2);
    EXPECT_EQ(ui_.lbl3DfxVCoreVal->text(), "65");
    EXPECT_TRUE(ui_.chk3DfxVVsync->isChecked());
    EXPECT_FALSE(ui_.chk3DfxVFastMem->isChecked());

    // The label carries the clock: an Apply without touching the slider writes 65 again.
    apply(MessageAnswer::Yes);
    EXPECT_EQ(bytesOf(batchFile()), glideFile("65", 0, 0, 1));
    EXPECT_EQ(ownValue("Voodoo GRXCLK"), "65");
}

TEST_F(VoodooPanelTest, MissingValuesShowAnEmptyClockThatApplyWritesAsItIs) {
    ui_.sld3DfxVCore->setValue(6);
    panel_.LoadVoodooPanel();
    EXPECT_EQ(ui_.sld3DfxVCore->value(), 6);
    EXPECT_EQ(ui_.lbl3DfxVCoreVal->text(), "");

    apply(MessageAnswer::Yes);
    EXPECT_EQ(bytesOf(batchFile()), glideFile("", 0, 0, 0));
    EXPECT_EQ(ownValue("Voodoo GRXCLK"), "");
}

TEST_F(VoodooPanelTest, ResetChangesOnlyTheControls) {
    storeOwnValue("Voodoo GRXCLK", "59");
    writeBytes(batchFile(), "old\r\n");
    ui_.sld3DfxVCore->setValue(9);
    ui_.chk3DfxVVsync->setChecked(false);
    ui_.chk3DfxVFastMem->setChecked(true);
    ui_.chk3DfxVFastPCI->setChecked(true);
    reset(MessageAnswer::Yes);

    EXPECT_EQ(ui_.sld3DfxVCore->value(), 0);
    EXPECT_EQ(ui_.lbl3DfxVCoreVal->text(), "50");
    EXPECT_TRUE(ui_.chk3DfxVVsync->isChecked());
    EXPECT_FALSE(ui_.chk3DfxVFastMem->isChecked());
    EXPECT_FALSE(ui_.chk3DfxVFastPCI->isChecked());
    EXPECT_EQ(bytesOf(batchFile()), "old\r\n");
    EXPECT_EQ(ownValue("Voodoo GRXCLK"), "59");
}

TEST_F(VoodooPanelTest, DeclinedResetChangesNothing) {
    ui_.sld3DfxVCore->setValue(9);
    ui_.chk3DfxVFastMem->setChecked(true);
    reset(MessageAnswer::No);

    EXPECT_EQ(ui_.lbl3DfxVCoreVal->text(), "59");
    EXPECT_TRUE(ui_.chk3DfxVFastMem->isChecked());
    EXPECT_EQ(boxes_.shown().back(), result("Defaults Not Restored"));
}

TEST_F(VoodooPanelTest, AnUnsafeStoredClockIsRefusedAndNothingIsWritten) {
    writeBytes(batchFile(), "old\r\n");
    for (const char* clock : {"50\r\ndel c:\\autoexec.bat", "50 & deltree c:\\", "%COMSPEC%"}) {
        storeOwnValue("Voodoo GRXCLK", clock);
        storeOwnValue("Voodoo Vsync", "1");
        panel_.LoadVoodooPanel();
        ui_.chk3DfxVVsync->setChecked(false);
        apply(MessageAnswer::Yes);

        const MessageBox& told = boxes_.shown().back();
        EXPECT_EQ(told.title, "Settings Not Applied");
        EXPECT_TRUE(
            told.prompt.startsWith("Settings Not Applied\r\nThe core clock cannot go "
                                   "into a batch file"))
            << told.prompt.toStdString();
        EXPECT_EQ(bytesOf(batchFile()), "old\r\n") << clock;
        EXPECT_EQ(ownValue("Voodoo GRXCLK"), clock);
        EXPECT_EQ(ownValue("Voodoo Vsync"), "1") << clock;
    }
}

TEST_F(VoodooPanelTest, AMissingDriveIsToldAndTheOwnValuesStayUnwritten) {
    // Drive C mapped to a folder that is gone, as when a disk is not mounted.
    fs::create_directories(dir_ / "dosdevices");
    fs::create_directory_symlink(dir_ / "unmounted", dir_ / "dosdevices" / "c:");
    ui_.sld3DfxVCore->setValue(5);
    apply(MessageAnswer::Yes);

    const MessageBox& told = boxes_.shown().back();
    EXPECT_EQ(told.title, "Settings Not Applied");
    EXPECT_TRUE(told.prompt.startsWith("Settings Not Applied\r\nCannot write"))
        << told.prompt.toStdString();
    EXPECT_NE(told.prompt.indexOf("tunexa.bat"), -1);
    expectNoOwnValues();
}

TEST_F(VoodooPanelTest, AFileThatCannotBeWrittenKeepsTheOldFileAndTheOwnValues) {
    storeOwnValue("Voodoo GRXCLK", "52");
    writeBytes(batchFile(), "old\r\n");
    // Tests run as root, so permissions would not stop the write; a file-size limit below the
    // batch file's size makes the write itself fail.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ui_.sld3DfxVCore->setValue(8);
    apply(MessageAnswer::Yes);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(boxes_.shown().back().title, "Settings Not Applied");
    EXPECT_EQ(bytesOf(batchFile()), "old\r\n");
    EXPECT_EQ(ownValue("Voodoo GRXCLK"), "52");
    EXPECT_FALSE(ownValue("Voodoo Vsync"));
}

TEST_F(VoodooPanelTest, AReadOnlyDriveIsTold) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root; the size-limit test covers a failed write";
    }
    const fs::path driveC = batchFile().parent_path();
    fs::permissions(driveC, fs::perms::owner_read | fs::perms::owner_exec);
    apply(MessageAnswer::Yes);
    fs::permissions(driveC, fs::perms::owner_all);

    EXPECT_EQ(boxes_.shown().back().title, "Settings Not Applied");
    EXPECT_FALSE(fs::exists(batchFile()));
    expectNoOwnValues();
}

// The Voodoo Graphics panel loaded from its own values, for the docs.
TEST_F(VoodooPanelTest, VoodooScreenshot) {
    app::applyProgramFont();
    storeOwnValue("Voodoo GRXCLK", "55");
    storeOwnValue("Voodoo Vsync", "1");
    storeOwnValue("Voodoo FastMem", "1");
    storeOwnValue("Voodoo FastPCI", "0");
    panel_.LoadVoodooPanel();
    form_.ui.SSTab1->setCurrentIndex(2);
    form_.show();
    QApplication::processEvents();
    const QDir folder(QStringLiteral(TUNEXA_SCREENSHOT_DIR));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(frame_.grab().save(folder.filePath(QStringLiteral("voodoo.png"))));
}

}  // namespace
}  // namespace tunexa::panels
