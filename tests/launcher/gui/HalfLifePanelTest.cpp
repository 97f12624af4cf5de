// The Half-Life frame on the real window: favourites kept in the store, the drive search and
// Connect, with scripted message-box answers and a counting busy pointer.

#include "launcher/gui/HalfLifePanel.h"

#include <gmock/gmock.h>

#include "FakePlatform.h"
#include "HiveTest.h"
#include "StoreEntries.h"
#include "app/Form1.h"
#include "store/Registry.h"
#include "ui/ListBox.h"
#include "ui/WindowState.h"

namespace tunexa::launcher {
namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;
using testing::HasSubstr;

constexpr const char* kFavourites = "Software\\Tunexa\\Tunexa\\Half Life";

class HalfLifePanelTest : public test::HiveTest {
  protected:
    // The stored value, "-" when there is none.
    static std::string stored(const std::string& name) {
        return store::RegGetString(store::HKEY_LOCAL_MACHINE, kFavourites, name).value_or("-");
    }
    static void put(const std::string& name, const char* text) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, kFavourites, name, text);
    }
    static std::string items(const QListWidget* list) {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row) {
            texts << list->item(row)->text();
        }
        return texts.join('|').toStdString();
    }
    // Save in `slot` (none for -1), each notice answered.
    void save(int slot, const char* address, const char* description) {
        slot < 0 ? ui_.lstHLfaves->clearSelection() : void(ui::selectItem(ui_.lstHLfaves, slot));
        ui_.txtHLip->setText(address);
        ui_.txtHLdesc->setText(description);
        boxes_.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
        ui_.cmdHLsave->click();
    }

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
TEST_F(HalfLifePanelTest, FavouritesAreLoadedChosenSavedAndDeletedOrToldWhatIsMissing) {
    put("Description 3", "Clan server");
    put("IP Address 3", "192.168.0.10");
    put("Description 7", "LAN party");  // without its address: still shown
    put("Path", "D:\\Games\\hl.exe");
    panel_.LoadHLFavourites();
    EXPECT_EQ(items(ui_.lstHLfaves) + " " + items(ui_.lstHL),
              "|||Clan server||||LAN party|| D:\\Games\\hl.exe");
    ui_.lstHLfaves->item(3)->setText("stale");  // choosing a slot shows what the store holds
    ui::selectItem(ui_.lstHLfaves, 3);
    EXPECT_EQ(ui_.txtHLdesc->text() + " " + ui_.txtHLip->text(), "Clan server 192.168.0.10");

    ui_.lstHL->addItem("C:\\B\\hl.exe");
    ui_.lstHL->setTopIndex(1);
    save(3, "10.0.0.1", "Office");
    EXPECT_EQ(stored("IP Address 3") + stored("Description 3") + stored("Path"),
              "10.0.0.1OfficeC:\\B\\hl.exe");
    EXPECT_EQ(items(ui_.lstHLfaves), "|||Office||||LAN party||");
    ui_.cmdHLdelIP->click();
    EXPECT_EQ(stored("IP Address 3") + stored("Description 3") + stored("Path"), "--C:\\B\\hl.exe");
    EXPECT_EQ(items(ui_.lstHLfaves) + ui_.txtHLdesc->text().toStdString(), "|||||||LAN party||");
    EXPECT_TRUE(boxes_.shown().empty());

    put("Path", "hl.exe");  // a program without a drive is not listed
    panel_.LoadHLFavourites();
    EXPECT_EQ(ui_.lstHL->count(), 0);

    // An empty description is told but saved; an address without three full stops is told and
    // neither value is written; "Path" is written either way. Without a slot nothing changes.
    ui_.lstHL->addItem("C:\\Sierra\\hl.exe");
    save(4, "10.0.0", "");
    EXPECT_EQ(boxes_.shown(),
              (std::vector<MessageBox>{
                  {"Please Enter A Description", "Please Enter A Decription", MessageButtons::Ok},
                  {"Please enter a valid IP address\r\nof the form XXX.XXX.XXX.XXX\r\ne.g. "
                   "192.168.0.1",
                   "Invalid IP address", MessageButtons::Ok}}));
    EXPECT_EQ(form_.focusWidget(), ui_.txtHLip);
    EXPECT_EQ(stored("IP Address 4") + stored("Description 4") + stored("Path"),
              "--C:\\Sierra\\hl.exe");
    save(4, "a.b.c.d", "");
    EXPECT_EQ(form_.focusWidget(), ui_.txtHLdesc);
    EXPECT_EQ(stored("IP Address 4") + "|" + stored("Description 4"), "a.b.c.d|");

    save(-1, "1.2.3.4", "x");
    ui_.cmdHLdelIP->click();
    const MessageBox chooseSlot{"Please choose a favourite from the list first.", "Tunexa",
                                MessageButtons::Ok};
    EXPECT_EQ(std::vector(boxes_.shown().end() - 2, boxes_.shown().end()),
              (std::vector<MessageBox>{chooseSlot, chooseSlot}));
    EXPECT_EQ(stored("IP Address 4"), "a.b.c.d");
}

// A store another program holds: Save and Delete say so with the store's reason, and the slot's
// item and the text boxes show what the store holds.
TEST_F(HalfLifePanelTest, SaveAndDeleteTheStoreDoesNotTakeAreToldAndShowWhatItHolds) {
    put("Description 2", "Kept");
    put("IP Address 2", "10.0.0.2");
    panel_.LoadHLFavourites();
    ui::selectItem(ui_.lstHLfaves, 2);
    const test::StoreLock lock;
    for (const auto& [button, title] : {std::pair{ui_.cmdHLsave, "Favourite Not Saved"},
                                        std::pair{ui_.cmdHLdelIP, "Favourite Not Deleted"}}) {
        ui_.txtHLip->setText("1.2.3.4");
        ui_.txtHLdesc->setText("New");
        boxes_.answer(MessageAnswer::Ok);
        button->click();
        ASSERT_EQ(boxes_.pending(), 0u) << "not told";
        EXPECT_EQ(boxes_.shown().back().title, title);
        EXPECT_THAT(boxes_.shown().back().prompt.toStdString(), HasSubstr("locked"));
        EXPECT_EQ(items(ui_.lstHLfaves) + " " +
                      (ui_.txtHLdesc->text() + " " + ui_.txtHLip->text()).toStdString(),
                  "||Kept||||||| Kept 10.0.0.2");
    }
    EXPECT_EQ(stored("IP Address 2") + stored("Description 2"), "10.0.0.2Kept");
}

// The search runs under the busy pointer; past its delay (none here) a progress dialog shows,
// and its Cancel keeps what was found so far: here in the root and C:\A, not in C:\A\B.
TEST_F(HalfLifePanelTest, FindShowsProgressUnderTheBusyPointerUntilCancelled) {
    for (const char* name : {"A/B/hl.exe", "A/hl.exe", "hl.exe"}) {
        test::putFile(driveC_ / name, "");
    }
    QObject::connect(&panel_, &HalfLifePanel::folderSearched, &panel_, [&] {
        if (QProgressDialog* dialog = panel_.progressDialog()) {
            EXPECT_EQ(busy_.depth, 1);
            dialog->cancel();  // as its Cancel button does
        }
    });
    panel_.setProgressDelay(std::chrono::milliseconds(0));
    ui_.txtHLdrive->setText("C");
    ui_.cmdFindHL->click();
    EXPECT_EQ(items(ui_.lstHL), "C:\\hl.exe|C:\\A\\hl.exe");
    EXPECT_EQ(panel_.progressDialog(), nullptr);
    EXPECT_EQ(busy_.depth, 0);
}

// Connect writes c:\tx106hl.bat for the program in view and minimises the window. An address
// the batch file cannot hold, or a store that does not take the change recording the file, is
// told, and the old file and the window stay.
TEST_F(HalfLifePanelTest, ConnectWritesTheBatchOrTellsWhyNot) {
    const auto batch = [this] { return test::fileBytes(driveC_ / "tx106hl.bat"); };
    form_.show();
    test::putFile(driveC_ / "tx106hl.bat", "old\r\n");
    ui_.lstHL->addItems({"C:\\First\\hl.exe", "C:\\Games\\Half-Life\\hl.exe"});
    ui_.lstHL->setTopIndex(1);
    for (const auto& [address, told] :
         {std::pair{"\xce\xa9.1.2.3", "server address"},
          std::pair{"192.168.0.1", "c:\\tx106hl.bat was left as it was: database is locked"}}) {
        std::optional<test::StoreLock> lock;
        if (told[0] == 'c') {
            lock.emplace();
        }
        ui_.txtHLip->setText(QString::fromUtf8(address));
        boxes_.answer(MessageAnswer::Ok);
        ui_.cmdHLconnect->click();
        ASSERT_EQ(boxes_.pending(), 0u) << "no box for " << address;
        EXPECT_EQ(boxes_.shown().back().title, "Batch File Not Written");
        EXPECT_THAT(boxes_.shown().back().prompt.toStdString(), HasSubstr(told));
    }
    EXPECT_EQ(batch(), "old\r\n");
    EXPECT_EQ(ui::windowState(&form_), ui::WindowState::Normal);
    ui_.txtHLip->setText("192.168.0.1");
    ui_.cmdHLconnect->click();
    EXPECT_EQ(batch(),
              "C:\r\ncd\\\r\ncd \"Games\\Half-Life\\\"\r\n"
              "hl.exe -dev -console +connect 192.168.0.1\r\nexit\r\n\r\n");
    EXPECT_EQ(ui::windowState(&form_), ui::WindowState::Minimised);
    EXPECT_EQ(boxes_.shown().size(), 2u);
}

}  // namespace
}  // namespace tunexa::launcher
