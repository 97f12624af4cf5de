// The "Drive C:" frame of Main Settings: what drive C: is and choosing it, "Send to drive C:"
// (what it wrote, told) and "Check drive C:" (its window, or why the machine cannot be read).
#include <QLineEdit>
#include <QTreeWidget>

#include "AppFixture.h"
#include "CregFile.h"
#include "app/CheckWindow.h"

namespace tunexa::app::test {
namespace {

class DriveCTest : public AppFixture {
  protected:
    QString driveCShown() { return control<QLineEdit>("txtDriveC")->text(); }
    // The prompt of the one message box the button shows.
    std::string clickAnswered(const char* button) {
        boxes_.answer(MessageAnswer::Ok);
        click(button);
        return lastBox().title.toStdString() + ": " + lastPrompt();
    }
};

TEST_F(DriveCTest, SendCheckAndTheChoiceOfDriveCShowWhatTheyDid) {
    putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", buildCregFile(kSystemDat));
    putFile(driveC_ / "WINDOWS" / "REGEDIT.EXE", "MZ");
    configured();
    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_RGAMMA", "1.20");
    start();
    // A folder in the home folder is shown from "~"; the tests' home holds the data root.
    EXPECT_EQ(driveCShown().toStdString(), "the folder ~/data/tunexa/drive_c");

    EXPECT_THAT(clickAnswered("cmdSendDriveC"),
                HasSubstr("Send to Drive C:: C:\\TUNEXA\\SEND.REG holds the 2 values that differ "
                          "from C:\\WINDOWS\\SYSTEM.DAT:\r\n"));
    EXPECT_EQ(menuItem("mPopUndo")->text(), "Undo Send settings to C:\\WINDOWS");
    click("cmdCheckDriveC");
    const auto* check = form().findChild<CheckWindow*>();
    ASSERT_TRUE(check != nullptr && check->isVisible());
    const QTreeWidgetItem* row = check->ui.lstCheckValues->topLevelItem(1);
    EXPECT_EQ(QStringList({row->text(0), row->text(1), row->text(2), row->text(3)}),
              QStringList({"HKEY_LOCAL_MACHINE\\" + QString::fromLatin1(kV2D3D), "SSTV2_RGAMMA",
                           "REG_SZ 1.20", "absent"}));
    EXPECT_THAT(check->ui.lblCheckSend->text().toStdString(),
                HasSubstr("A send waits for the next start of Windows"));

    // Another folder; a file that is no disk image refused, nothing changed; Cancel.
    std::filesystem::create_directories(dir_ / "machine");
    paths_.answers = {QString::fromStdString((dir_ / "machine").string()),
                      QString::fromStdString(putFile(dir_ / "notes.txt", "not a disk"))};
    click("cmdDriveCFolder");
    EXPECT_EQ(driveCShown().toStdString(), "the folder " + (dir_ / "machine").string());
    EXPECT_THAT(clickAnswered("cmdDriveCImage"), HasSubstr("Drive C:: Drive C: was not changed"));
    click("cmdDriveCImage");
    EXPECT_EQ(driveCShown().toStdString(), "the folder " + (dir_ / "machine").string());
    EXPECT_THAT(clickAnswered("cmdCheckDriveC"),
                HasSubstr("No Windows 95/98 installation was found on drive C:"));
}

}  // namespace
}  // namespace tunexa::app::test
