// The Half-Life frame on the real window: favourites kept in the store, the drive search and
// Connect, with scripted message-box answers and a counting busy pointer.

#include "launcher/gui/HalfLifePanel.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include <fstream>
#include <iterator>

#include "FakeBusyPointer.h"
#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "store/Registry.h"
#include "ui/ListBox.h"
#include "ui/WindowState.h"

namespace tunexa::launcher {
namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;

const MessageBox kEmptyDescription{"Please Enter A Description", "Please Enter A Decription",
                                   MessageButtons::Ok};
const MessageBox kInvalidAddress{
    "Please enter a valid IP address\r\nof the form XXX.XXX.XXX.XXX\r\ne.g. 192.168.0.1",
    "Invalid IP address", MessageButtons::Ok};
const MessageBox kChooseSlot{"Please choose a favourite from the list first.", "Tunexa",
                             MessageButtons::Ok};

class HalfLifePanelTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }
    void TearDown() override { store::useHive(nullptr); }

    static std::optional<std::string> stored(const std::string& name) {
        return store::RegGetString(store::HKEY_LOCAL_MACHINE, kHalfLifeKey, name);
    }
    static void put(const std::string& name, const char* text) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, kHalfLifeKey, name, text);
    }
    static QString items(const QListWidget* list) {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row) {
            texts << list->item(row)->text();
        }
        return texts.join('|');
    }
    void save(int slot, const QString& address, const QString& description) {
        ui::selectItem(ui_.lstHLfaves, slot);
        ui_.txtHLip->setText(address);
        ui_.txtHLdesc->setText(description);
        ui_.cmdHLsave->click();
    }
    void file(const std::string& name, const std::string& bytes = {}) {
        std::filesystem::create_directories((driveC_ / name).parent_path());
        std::ofstream(driveC_ / name, std::ios::binary) << bytes;
    }

    test::TempDir dir_;
    files::Drives drives_{dir_.path()};
    std::filesystem::path driveC_ = *drives_.driveRoot('C');
    app::Form1 form_;
    test::ScriptedMessageBoxes boxes_;
    test::FakeBusyPointer busy_;
    ui::PanelEnvironment env_{boxes_, form_, engine::driverSettings(), form_.popupMenu()};
    Ui::HalfLifeFrame& ui_ = form_.findChild<HalfLifeFrame*>()->ui;
    HalfLifePanel panel_{*form_.findChild<HalfLifeFrame*>(), env_, busy_, drives_};
};

// Slot n keeps "IP Address n" and "Description n"; "Path" the program in view when saved.
TEST_F(HalfLifePanelTest, FavouritesAreLoadedChosenSavedAndDeleted) {
    put("Description 3", "Clan server");
    put("IP Address 3", "192.168.0.10");
    put("Description 7", "LAN party");  // without its address: still shown
    put("Path", "D:\\Games\\hl.exe");
    panel_.LoadHLFavourites();
    EXPECT_EQ(items(ui_.lstHLfaves), "|||Clan server||||LAN party||");
    EXPECT_EQ(items(ui_.lstHL), "D:\\Games\\hl.exe");
    ui_.lstHLfaves->item(3)->setText("stale");  // choosing a slot shows what the store holds
    ui::selectItem(ui_.lstHLfaves, 3);
    EXPECT_EQ(ui_.txtHLdesc->text() + " " + ui_.txtHLip->text(), "Clan server 192.168.0.10");

    ui_.lstHL->addItem("C:\\B\\hl.exe");
    ui_.lstHL->setTopIndex(1);
    save(3, "10.0.0.1", "Office");
    EXPECT_EQ(*stored("IP Address 3") + " " + *stored("Description 3"), "10.0.0.1 Office");
    EXPECT_EQ(stored("Path"), "C:\\B\\hl.exe");
    EXPECT_EQ(items(ui_.lstHLfaves), "|||Office||||LAN party||");
    ui_.cmdHLdelIP->click();
    EXPECT_FALSE(stored("IP Address 3") || stored("Description 3"));
    EXPECT_EQ(items(ui_.lstHLfaves) + ui_.txtHLdesc->text() + ui_.txtHLip->text(),
              "|||||||LAN party||");
    EXPECT_EQ(stored("Path"), "C:\\B\\hl.exe");
    EXPECT_TRUE(boxes_.shown().empty());

    put("Path", "hl.exe");  // a program without a drive is not listed
    panel_.LoadHLFavourites();
    EXPECT_EQ(ui_.lstHL->count(), 0);
}

// An empty description is told but saved; an address without three full stops is told and
// neither value is written; "Path" is written either way. Without a slot nothing changes.
TEST_F(HalfLifePanelTest, SaveAndDeleteTellWhatIsMissing) {
    panel_.LoadHLFavourites();
    ui_.lstHL->addItem("C:\\Sierra\\hl.exe");
    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    save(4, "10.0.0", "");
    EXPECT_EQ(boxes_.shown(), (std::vector<MessageBox>{kEmptyDescription, kInvalidAddress}));
    EXPECT_EQ(form_.focusWidget(), ui_.txtHLip);
    EXPECT_FALSE(stored("IP Address 4") || stored("Description 4"));
    EXPECT_EQ(stored("Path"), "C:\\Sierra\\hl.exe");
    save(4, "...", "");
    EXPECT_EQ(form_.focusWidget(), ui_.txtHLdesc);
    EXPECT_EQ(*stored("IP Address 4") + "|" + *stored("Description 4"), "...|");
    save(5, "a.b.c.d", "x");
    EXPECT_EQ(stored("IP Address 5"), "a.b.c.d");

    ui_.lstHLfaves->clearSelection();
    boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    ui_.cmdHLsave->click();
    ui_.cmdHLdelIP->click();
    EXPECT_EQ(std::vector(boxes_.shown().end() - 2, boxes_.shown().end()),
              (std::vector<MessageBox>{kChooseSlot, kChooseSlot}));
    EXPECT_EQ(stored("Description 5"), "x");
}

// Every copy, a folder's before its subfolders', under the busy pointer; a letter without a
// drive finds nothing and says nothing. Cancel in the progress dialog keeps what was found.
TEST_F(HalfLifePanelTest, FindListsEveryCopyUnderTheBusyPointerUntilCancelled) {
    for (const char* name : {"Z/hl.exe", "A/B/HL.EXE", "A/hl.exe", "hl.exe", "A/readme.txt"}) {
        file(name);
    }
    std::vector<int> depths;  // the busy pointer's depth, and whether a dialog shows
    QString label;
    QObject::connect(&panel_, &HalfLifePanel::folderSearched, &panel_, [&](qulonglong folders) {
        QProgressDialog* dialog = panel_.progressDialog();
        depths.push_back(busy_.depth() + (dialog != nullptr ? 10 : 0));
        if (folders == 2 && dialog != nullptr && label.isEmpty()) {
            label = dialog->labelText();
            EXPECT_EQ(dialog->findChild<QPushButton*>()->text(), "Cancel");
            QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    const auto find = [&](const char* letter) {
        ui_.txtHLdrive->setText(letter);
        ui_.cmdFindHL->click();
        return items(ui_.lstHL);
    };
    ui_.lstHL->addItem("C:\\Old\\hl.exe");
    EXPECT_EQ(find("c"), "c:\\hl.exe|c:\\A\\hl.exe|c:\\A\\B\\HL.EXE|c:\\Z\\hl.exe");
    EXPECT_EQ(depths, std::vector<int>(4, 1));  // no dialog before the progress delay
    EXPECT_EQ(find("C:") + find("D"), "");
    panel_.setProgressDelay(std::chrono::milliseconds(0));
    EXPECT_EQ(find("C"), "C:\\hl.exe|C:\\A\\hl.exe");  // the root and C:\A were searched
    EXPECT_EQ(label, "Folders searched: 1");
    EXPECT_EQ(panel_.progressDialog(), nullptr);
    EXPECT_EQ(busy_.depth(), 0);
    EXPECT_TRUE(boxes_.shown().empty());
}

// Connect writes c:\tx106hl.bat for the program in view and minimises the window; a refusal is
// told, and the old file and the window stay.
TEST_F(HalfLifePanelTest, ConnectWritesTheBatchOrTellsWhyNot) {
    form_.show();
    file("tx106hl.bat", "old\r\n");
    ui_.lstHL->addItem("C:\\First\\hl.exe");
    ui_.lstHL->addItem("C:\\Games\\Half-Life\\hl.exe");
    ui_.lstHL->setTopIndex(1);
    for (const auto& [address, told] :
         {std::pair{"1.2.3.4 & format c:", "&"}, std::pair{"\xce\xa9.1.2.3", "server address"}}) {
        ui_.txtHLip->setText(QString::fromUtf8(address));
        boxes_.answer(MessageAnswer::Ok);
        ui_.cmdHLconnect->click();
        EXPECT_EQ(boxes_.shown().back().title, "Batch File Not Written");
        EXPECT_TRUE(boxes_.shown().back().prompt.contains(told)) << told;
    }
    std::ifstream old(driveC_ / "tx106hl.bat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old\r\n");
    EXPECT_EQ(ui::windowState(&form_), ui::WindowState::Normal);
    ui_.txtHLip->setText("192.168.0.1");
    ui_.cmdHLconnect->click();
    std::ifstream in(driveC_ / "tx106hl.bat", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "C:\r\ncd\\\r\ncd \"Games\\Half-Life\\\"\r\n"
              "hl.exe -dev -console +connect 192.168.0.1\r\nexit\r\n\r\n");
    EXPECT_EQ(ui::windowState(&form_), ui::WindowState::Minimised);
    EXPECT_EQ(boxes_.shown().size(), 2u);
}

}  // namespace
}  // namespace tunexa::launcher
