#include "launcher/gui/HalfLifePanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "FakeBusyPointer.h"
#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/AppFont.h"
#include "app/Form1.h"
#include "engine/DriverSettings.h"
#include "launcher/core/FileMethods.h"
#include "store/Registry.h"
#include "ui/ListBox.h"
#include "ui/WindowState.h"

namespace tunexa::launcher {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using store::HKEY_LOCAL_MACHINE;

constexpr const char* kKey = "Software\\Tunexa\\Tunexa\\Half Life";

std::optional<std::string> stored(const std::string& name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, kKey, name);
}

void storeText(const std::string& name, const char* text) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kKey, name, text);
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items << list->item(row)->text();
    }
    return items;
}

const MessageBox kEmptyDescription{"Please Enter A Description", "Please Enter A Decription",
                                   MessageButtons::Ok};
const MessageBox kInvalidAddress{
    "Please enter a valid IP address\r\nof the form XXX.XXX.XXX.XXX\r\ne.g. 192.168.0.1",
    "Invalid IP address", MessageButtons::Ok};

class HalfLifePanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::useHiveFile(dir_ / "registry.db");
        engine::driverSettings() = {};
    }

    fs::path driveC() const { return *drives_.driveRoot('C'); }
    fs::path launchBatch() const { return driveC() / "tx106hl.bat"; }

    void clickSlot(int slot) {
        form_.show();
        QListWidget* list = ui_.lstHLfaves;
        list->scrollToItem(list->item(slot));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(slot)).center());
    }
    void save(const QString& address, const QString& description) {
        ui_.txtHLip->setText(address);
        ui_.txtHLdesc->setText(description);
        ui_.cmdHLsave->click();
    }
    void find(const QString& letter) {
        ui_.txtHLdrive->setText(letter);
        ui_.cmdFindHL->click();
    }
    void connectTo(const QString& program, const QString& address) {
        ui_.lstHL->clear();
        if (!program.isEmpty()) {
            ui_.lstHL->addItem(program);
        }
        ui_.txtHLip->setText(address);
        ui_.cmdHLconnect->click();
    }

    test::TempDir dir_;
    files::Drives drives_{dir_.path()};
    app::Form1 form_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeBusyPointer busy_;
    ui::PanelEnvironment env_{boxes_, form_, engine::driverSettings(), form_.popupMenu()};
    HalfLifeFrame& frame_ = *form_.findChild<HalfLifeFrame*>();
    Ui::HalfLifeFrame& ui_ = frame_.ui;
    HalfLifePanel panel_{frame_, env_, busy_, drives_};
};

// Favourites

TEST_F(HalfLifePanelTest, LoadShowsTenSlotsAndAProgramPathWithADrive) {
    storeText("Description 7", "LAN party");
    storeText("Description 0", "Home");
    storeText("IP Address 0", "10.0.0.1");
    storeText("Path", "D:\\Games\\hl.exe");
    panel_.LoadHLFavourites("Half Life");

    const QStringList expected{"Home", "", "", "", "", "", "", "LAN party", "", ""};
    EXPECT_EQ(itemsOf(ui_.lstHLfaves), expected);
    EXPECT_EQ(itemsOf(ui_.lstHL), QStringList{"D:\\Games\\hl.exe"});
}

TEST_F(HalfLifePanelTest, AProgramPathWithoutADriveIsNotListed) {
    storeText("Path", "hl.exe");
    panel_.LoadHLFavourites("Half Life");
    EXPECT_EQ(ui_.lstHL->count(), 0);
    EXPECT_EQ(ui_.lstHLfaves->count(), 10);
}

TEST_F(HalfLifePanelTest, LoadReadsTheSubkeyItIsGiven) {
    store::RegSetString(HKEY_LOCAL_MACHINE, "Software\\Tunexa\\Tunexa\\Other", "Description 1",
                        "elsewhere");
    panel_.LoadHLFavourites("Other");
    EXPECT_EQ(ui_.lstHLfaves->item(1)->text(), "elsewhere");
    ui::selectItem(ui_.lstHLfaves, 1);
    save("1.2.3.4", "moved");
    EXPECT_EQ(
        store::RegGetString(HKEY_LOCAL_MACHINE, "Software\\Tunexa\\Tunexa\\Other", "IP Address 1"),
        "1.2.3.4");
    EXPECT_FALSE(stored("IP Address 1"));
}

TEST_F(HalfLifePanelTest, ChoosingASlotShowsItsStoredTexts) {
    storeText("Description 3", "Clan server");
    storeText("IP Address 3", "192.168.0.10");
    panel_.LoadHLFavourites("Half Life");
    // The texts come from the store, not from the list item.
    ui_.lstHLfaves->item(3)->setText("stale");
    clickSlot(3);
    EXPECT_EQ(ui_.txtHLdesc->text(), "Clan server");
    EXPECT_EQ(ui_.txtHLip->text(), "192.168.0.10");

    clickSlot(4);
    EXPECT_EQ(ui_.txtHLdesc->text(), "");
    EXPECT_EQ(ui_.txtHLip->text(), "");
}

TEST_F(HalfLifePanelTest, SaveStoresTheSlotAndTheProgramInView) {
    panel_.LoadHLFavourites("Half Life");
    ui_.lstHL->addItem("C:\\A\\hl.exe");
    ui_.lstHL->addItem("C:\\B\\hl.exe");
    ui_.lstHL->setTopIndex(1);
    ui::selectItem(ui_.lstHLfaves, 2);
    save("10.0.0.1", "Office");

    EXPECT_EQ(stored("IP Address 2"), "10.0.0.1");
    EXPECT_EQ(stored("Description 2"), "Office");
    EXPECT_EQ(stored("Path"), "C:\\B\\hl.exe");
    EXPECT_EQ(ui_.lstHLfaves->item(2)->text(), "Office");
    EXPECT_EQ(ui::selectedIndex(ui_.lstHL), 1);
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(HalfLifePanelTest, AnEmptyDescriptionIsToldButSaved) {
    storeText("Description 3", "old");
    panel_.LoadHLFavourites("Half Life");
    ui::selectItem(ui_.lstHLfaves, 3);
    boxes_.answer(MessageAnswer::Ok);
    save("1.2.3.4", "");

    EXPECT_EQ(boxes_.shown(), std::vector<MessageBox>{kEmptyDescription});
    EXPECT_EQ(stored("IP Address 3"), "1.2.3.4");
    EXPECT_EQ(stored("Description 3"), "");
    EXPECT_EQ(ui_.lstHLfaves->item(3)->text(), "");
}

TEST_F(HalfLifePanelTest, AnInvalidAddressWritesNeitherValueButStillThePath) {
    storeText("Path", "C:\\Sierra\\hl.exe");
    panel_.LoadHLFavourites("Half Life");
    ui::selectItem(ui_.lstHLfaves, 4);
    boxes_.answer(MessageAnswer::Ok);
    save("10.0.0", "Broken");

    EXPECT_EQ(boxes_.shown(), std::vector<MessageBox>{kInvalidAddress});
    EXPECT_FALSE(stored("IP Address 4"));
    EXPECT_FALSE(stored("Description 4"));
    EXPECT_EQ(ui_.lstHLfaves->item(4)->text(), "");
    EXPECT_EQ(stored("Path"), "C:\\Sierra\\hl.exe");
}

TEST_F(HalfLifePanelTest, BothNoticesComeInOrder) {
    panel_.LoadHLFavourites("Half Life");
    ui::selectItem(ui_.lstHLfaves, 0);
    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    save("nowhere", "");
    EXPECT_EQ(boxes_.shown(), (std::vector<MessageBox>{kEmptyDescription, kInvalidAddress}));
    EXPECT_FALSE(stored("Description 0"));
}

TEST_F(HalfLifePanelTest, AddressesNeedThreeFullStops) {
    panel_.LoadHLFavourites("Half Life");
    ui::selectItem(ui_.lstHLfaves, 1);
    for (const auto& [address, accepted] :
         {std::pair{"10.0.0.1", true}, std::pair{"...", true}, std::pair{"a.b.c.d", true},
          std::pair{"10.0.0", false}, std::pair{"", false}}) {
        store::RegDeleteValue(HKEY_LOCAL_MACHINE, kKey, "IP Address 1");
        if (!accepted) {
            boxes_.answer(MessageAnswer::Ok);
        }
        save(address, "x");
        EXPECT_EQ(stored("IP Address 1").has_value(), accepted) << address;
    }
}

TEST_F(HalfLifePanelTest, WithoutAProgramListedThePathStaysAlone) {
    storeText("Path", "kept");
    panel_.LoadHLFavourites("Half Life");
    ui::selectItem(ui_.lstHLfaves, 1);
    save("1.2.3.4", "x");
    EXPECT_EQ(stored("Path"), "kept");
}

TEST_F(HalfLifePanelTest, WithoutASlotSaveAndDeleteAskForOneAndChangeNothing) {
    storeText("Description 2", "Two");
    storeText("IP Address 2", "2.2.2.2");
    storeText("Path", "C:\\Old\\hl.exe");
    panel_.LoadHLFavourites("Half Life");
    ui_.lstHL->clear();
    ui_.lstHL->addItem("C:\\New\\hl.exe");
    const MessageBox chooseSlot{"Please choose a favourite from the list first.", "Tunexa",
                                MessageButtons::Ok};

    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    save("1.2.3.4", "New");
    ui_.cmdHLdelIP->click();

    EXPECT_EQ(boxes_.shown(), (std::vector<MessageBox>{chooseSlot, chooseSlot}));
    EXPECT_EQ(stored("Path"), "C:\\Old\\hl.exe");
    EXPECT_EQ(stored("Description 2"), "Two");
    EXPECT_EQ(stored("IP Address 2"), "2.2.2.2");
    EXPECT_EQ(itemsOf(ui_.lstHLfaves), (QStringList{"", "", "Two", "", "", "", "", "", "", ""}));
    EXPECT_EQ(ui_.txtHLdesc->text(), "New");
}

TEST_F(HalfLifePanelTest, DeleteEmptiesTheSlotAndLeavesTheRest) {
    for (const char* slot : {"5", "6"}) {
        storeText(std::string("Description ") + slot, "server");
        storeText(std::string("IP Address ") + slot, "1.1.1.1");
    }
    storeText("Path", "C:\\hl.exe");
    panel_.LoadHLFavourites("Half Life");
    clickSlot(5);
    ui_.cmdHLdelIP->click();

    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(ui_.lstHLfaves->count(), 10);
    EXPECT_EQ(ui_.lstHLfaves->item(5)->text(), "");
    EXPECT_EQ(ui_.txtHLdesc->text(), "");
    EXPECT_EQ(ui_.txtHLip->text(), "");
    EXPECT_FALSE(stored("Description 5"));
    EXPECT_FALSE(stored("IP Address 5"));
    EXPECT_EQ(stored("Description 6"), "server");
    EXPECT_EQ(stored("Path"), "C:\\hl.exe");

    clickSlot(6);
    clickSlot(5);
    EXPECT_EQ(ui_.txtHLdesc->text(), "");
    EXPECT_EQ(ui_.txtHLip->text(), "");
    panel_.LoadHLFavourites("Half Life");
    EXPECT_EQ(ui_.lstHLfaves->item(5)->text(), "");
    EXPECT_EQ(ui_.lstHLfaves->item(6)->text(), "server");
}

// Finding Half-Life

class HalfLifeSearchTest : public HalfLifePanelTest {
  protected:
    void SetUp() override {
        HalfLifePanelTest::SetUp();
        for (const char* file : {"hl.exe", "A/hl.exe", "A/B/HL.EXE", "A/readme.txt", "Z/hl.exe"}) {
            writeBytes(driveC() / file, "");
        }
    }
    const QStringList allFound{"C:\\hl.exe", "C:\\A\\hl.exe", "C:\\A\\B\\HL.EXE", "C:\\Z\\hl.exe"};
};

TEST_F(HalfLifeSearchTest, FindListsEveryCopyFolderBeforeSubfolders) {
    ui_.lstHL->addItem("C:\\Old\\hl.exe");
    find("C");
    EXPECT_EQ(itemsOf(ui_.lstHL), allFound);
    EXPECT_TRUE(boxes_.shown().empty());

    std::vector<std::string> plain;
    SearchFileTree("C:\\", "hl.exe", plain, {}, drives_);
    QStringList plainItems;
    for (const auto& path : plain) {
        plainItems << QString::fromStdString(path);
    }
    EXPECT_EQ(itemsOf(ui_.lstHL), plainItems);
}

TEST_F(HalfLifeSearchTest, TheBusyPointerShowsForTheWholeSearch) {
    std::vector<int> depths;
    QObject::connect(&panel_, &HalfLifePanel::folderSearched, &panel_,
                     [&](qulonglong) { depths.push_back(busy_.depth()); });
    find("C");
    EXPECT_EQ(depths, std::vector<int>(4, 1));
    EXPECT_EQ(busy_.depth(), 0);
    EXPECT_EQ(busy_.timesShown(), 1);
    EXPECT_EQ(itemsOf(ui_.lstHL), allFound);
}

TEST_F(HalfLifeSearchTest, ALetterWithoutItsDriveFindsNothingQuietly) {
    for (const char* typed : {"C:", "D", ""}) {
        ui_.lstHL->addItem("C:\\Old\\hl.exe");
        find(typed);
        EXPECT_EQ(ui_.lstHL->count(), 0) << typed;
    }
    EXPECT_TRUE(boxes_.shown().empty());
    EXPECT_EQ(busy_.depth(), 0);
}

TEST_F(HalfLifeSearchTest, PathsStartWithTheLetterAsTyped) {
    find("c");
    ASSERT_EQ(ui_.lstHL->count(), 4);
    EXPECT_EQ(ui_.lstHL->item(0)->text(), "c:\\hl.exe");
    EXPECT_EQ(ui_.lstHL->item(3)->text(), "c:\\Z\\hl.exe");
}

TEST_F(HalfLifeSearchTest, ALinkLoopEnds) {
    fs::create_directory_symlink(driveC(), driveC() / "A" / "loop");
    find("C");
    EXPECT_EQ(itemsOf(ui_.lstHL), allFound);
}

TEST_F(HalfLifeSearchTest, CancelKeepsWhatWasFoundSoFar) {
    panel_.setProgressDelay(std::chrono::milliseconds(0));
    QString labelSeen;
    QObject::connect(&panel_, &HalfLifePanel::folderSearched, &panel_, [&](qulonglong folders) {
        QProgressDialog* dialog = panel_.progressDialog();
        if (folders == 2 && dialog != nullptr && labelSeen.isEmpty()) {
            labelSeen = dialog->labelText();
            EXPECT_TRUE(dialog->isVisible());
            const auto buttons = dialog->findChildren<QPushButton*>();
            ASSERT_EQ(buttons.size(), 1);
            EXPECT_EQ(buttons.first()->text(), "Cancel");
            QTest::mouseClick(buttons.first(), Qt::LeftButton);
        }
    });
    find("C");
    // The root and C:\A were searched: their copies stay, those below are not looked for.
    EXPECT_EQ(labelSeen, "Folders searched: 1");
    EXPECT_EQ(itemsOf(ui_.lstHL), (QStringList{"C:\\hl.exe", "C:\\A\\hl.exe"}));
    EXPECT_EQ(panel_.progressDialog(), nullptr);
    EXPECT_EQ(busy_.depth(), 0);

    // The next search is whole again.
    find("C");
    EXPECT_EQ(itemsOf(ui_.lstHL), allFound);
}

TEST_F(HalfLifeSearchTest, NoProgressDialogBeforeTheDelay) {
    panel_.setProgressDelay(std::chrono::hours(1));
    int dialogsSeen = 0;
    QObject::connect(&panel_, &HalfLifePanel::folderSearched, &panel_, [&](qulonglong) {
        dialogsSeen += panel_.progressDialog() != nullptr ? 1 : 0;
    });
    find("C");
    EXPECT_EQ(dialogsSeen, 0);
    EXPECT_EQ(itemsOf(ui_.lstHL), allFound);
}

// Connect

TEST_F(HalfLifePanelTest, ConnectWritesTheLaunchBatchAndMinimisesTheWindow) {
    form_.show();
    connectTo("C:\\Games\\Half-Life\\hl.exe", "192.168.0.1");
    EXPECT_EQ(bytesOf(launchBatch()),
              "C:\r\ncd\\\r\ncd \"Games\\Half-Life\\\"\r\n"
              "hl.exe -dev -console +connect 192.168.0.1\r\nexit\r\n\r\n");
    EXPECT_EQ(ui::windowState(&form_), ui::WindowState::Minimised);
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(HalfLifePanelTest, AProgramInTheRootWithoutAnAddress) {
    connectTo("C:\\hl.exe", "");
    EXPECT_EQ(bytesOf(launchBatch()),
              "C:\r\ncd\\\r\ncd \"\"\r\nhl.exe -dev -console +connect \r\nexit\r\n\r\n");
}

TEST_F(HalfLifePanelTest, ASecondConnectReplacesTheWholeFile) {
    connectTo("C:\\Games\\Half-Life\\hl.exe", "192.168.0.1");
    connectTo("D:\\HL\\HL.EXE", "10.0.0.2");
    EXPECT_EQ(
        bytesOf(launchBatch()),
        "D:\r\ncd\\\r\ncd \"HL\\\"\r\nhl.exe -dev -console +connect 10.0.0.2\r\nexit\r\n\r\n");
}

TEST_F(HalfLifePanelTest, ConnectUsesTheProgramInView) {
    ui_.lstHL->addItem("C:\\First\\hl.exe");
    ui_.lstHL->addItem("C:\\Second\\hl.exe");
    ui_.lstHL->setTopIndex(1);
    ui_.txtHLip->setText("1.2.3.4");
    ui_.cmdHLconnect->click();
    EXPECT_NE(bytesOf(launchBatch()).find("cd \"Second\\\""), std::string::npos);
    EXPECT_EQ(ui::selectedIndex(ui_.lstHL), 1);
}

struct Refusal {
    const char* program;
    const char* address;
    const char* toldAbout;
};

class HalfLifeRefusalTest : public HalfLifePanelTest,
                            public ::testing::WithParamInterface<Refusal> {};

TEST_P(HalfLifeRefusalTest, ARefusedConnectIsToldAndWritesNothing) {
    writeBytes(launchBatch(), "old\r\n");
    form_.show();
    boxes_.answer(MessageAnswer::Ok);
    connectTo(QString::fromUtf8(GetParam().program), QString::fromUtf8(GetParam().address));

    ASSERT_EQ(boxes_.shown().size(), 1u);
    const MessageBox& told = boxes_.shown().front();
    EXPECT_EQ(told.title, "Batch File Not Written");
    EXPECT_EQ(told.buttons, MessageButtons::Ok);
    EXPECT_NE(told.prompt.indexOf(QString::fromUtf8(GetParam().toldAbout)), -1)
        << told.prompt.toStdString();
    EXPECT_EQ(bytesOf(launchBatch()), "old\r\n");
    EXPECT_EQ(ui::windowState(&form_), ui::WindowState::Normal);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, HalfLifeRefusalTest,
    ::testing::Values(Refusal{"", "1.2.3.4", "Find Half-Life first"},
                      Refusal{"C:\\Games\\game.exe", "1.2.3.4", "is not a Half-Life program"},
                      Refusal{"hl.exe", "1.2.3.4", "is not a Half-Life program"},
                      Refusal{"C:\\Games\\hl.exe", "1.2.3.4 & format c:", "&"},
                      Refusal{"C:\\Games\\hl.exe", "1.2.3.4 | more", "|"},
                      Refusal{"C:\\Games\\hl.exe", "1.2.3.4 > nul", ">"},
                      Refusal{"C:\\Games\\hl.exe", "%PATH%", "%"},
                      Refusal{"C:\\A&B\\hl.exe", "1.2.3.4", "folder"},
                      Refusal{"C:\\Games\\hl.exe", "\xce\xa9.1.2.3", "server address"}));

// The Other Stuff tab with favourites, a found program and the Matrox options, for the docs.
TEST_F(HalfLifeSearchTest, OtherStuffScreenshot) {
    app::applyProgramFont();
    storeText("Description 0", "Home LAN");
    storeText("IP Address 0", "192.168.0.10");
    storeText("Description 1", "Clan server");
    storeText("Description 4", "Friday night");
    panel_.LoadHLFavourites("Half Life");
    find("C");
    ui_.lstHL->setTopIndex(1);
    clickSlot(0);
    ui_.txtHLdrive->setText("C");
    form_.ui.SSTab1->setCurrentIndex(3);
    for (const char* name : {"chkG200sub", "chkG200V"}) {
        form_.findChild<QCheckBox*>(name)->setChecked(true);
    }
    form_.resize(form_.sizeHint());
    QApplication::processEvents();
    const QDir folder(QStringLiteral(TUNEXA_SCREENSHOT_DIR));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(form_.grab().save(folder.filePath(QStringLiteral("other-stuff.png"))));
}

}  // namespace
}  // namespace tunexa::launcher
