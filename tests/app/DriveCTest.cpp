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
    // Clicks the button, its one message box answered; the box.
    platform::MessageBox clickAnswered(const char* button) {
        boxes_.answer(MessageAnswer::Ok);
        click(button);
        return lastBox();
    }
};

TEST_F(DriveCTest, SendAndCheckShowWhatTheyDid) {
    putFile(driveC_ / "WINDOWS" / "SYSTEM.DAT", buildCregFile(kSystemDat));
    putFile(driveC_ / "WINDOWS" / "REGEDIT.EXE", "MZ");
    configured();
    store::RegSetString(HKEY_LOCAL_MACHINE, kV2D3D, "SSTV2_RGAMMA", "1.20");
    start();

    const auto sent = clickAnswered("cmdSendDriveC");
    EXPECT_EQ(sent.title, "Send to Drive C:");
    EXPECT_THAT(sent.prompt.toStdString(),
                HasSubstr("C:\\TUNEXA\\SEND.REG holds the 2 values that differ from "
                          "C:\\WINDOWS\\SYSTEM.DAT:\r\n"));
    EXPECT_EQ(store::currentHive().changes().front().title, "Send settings to C:\\WINDOWS");
    EXPECT_EQ(menuItem("mPopUndo")->text(), "Undo Send settings to C:\\WINDOWS");

    click("cmdCheckDriveC");
    const auto* check = form().findChild<CheckWindow*>();
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isVisible());
    EXPECT_EQ(check->ui.lblCheckSummary->text().left(4), "2 of");
    const QTreeWidgetItem* row = check->ui.lstCheckValues->topLevelItem(1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(QStringList({row->text(0), row->text(1), row->text(2), row->text(3)}),
              QStringList({"HKEY_LOCAL_MACHINE\\" + QString::fromLatin1(kV2D3D), "SSTV2_RGAMMA",
                           "REG_SZ 1.20", "absent"}));
    EXPECT_THAT(check->ui.lblCheckSend->text().toStdString(),
                HasSubstr("A send waits for the next start of Windows"));

    std::filesystem::remove_all(driveC_ / "WINDOWS");
    EXPECT_THAT(clickAnswered("cmdCheckDriveC").prompt.toStdString(),
                HasSubstr("No Windows 95/98 installation was found on drive C:"));
}

// Choosing a folder shows it; a file that is no disk image is refused and changes nothing; Cancel
// does nothing.
TEST_F(DriveCTest, DriveCIsShownAndChosen) {
    configured();
    start();
    const QString folder = QString::fromStdString(std::filesystem::canonical(driveC_).string());
    EXPECT_EQ(driveCShown(), "the folder " + folder);

    const auto other = dir_ / "machine";
    std::filesystem::create_directories(other);
    paths_.answer(QString::fromStdString(other.string()));
    click("cmdDriveCFolder");
    EXPECT_EQ(driveCShown(), "the folder " + QString::fromStdString(other.string()));

    paths_.answer(QString::fromStdString(putFile(dir_ / "notes.txt", "not a disk")));
    EXPECT_THAT(clickAnswered("cmdDriveCImage").prompt.toStdString(),
                HasSubstr("Drive C: was not changed"));
    paths_.answer(std::nullopt);
    click("cmdDriveCImage");
    EXPECT_EQ(driveCShown(), "the folder " + QString::fromStdString(other.string()));
    EXPECT_EQ(paths_.asked().size(), 3u);
}

}  // namespace
}  // namespace tunexa::app::test
