#include "launcher/core/Favourites.h"

#include <gtest/gtest.h>

#include "TempRoot.h"
#include "store/Registry.h"

namespace tunexa::launcher {
namespace {

using store::HKEY_LOCAL_MACHINE;

class FavouritesTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir / "hive.db"); }
    void TearDown() override { store::useHive(nullptr); }

    static std::optional<std::string> stored(const std::string& name) {
        return store::RegGetString(HKEY_LOCAL_MACHINE, kHalfLifeKey, name);
    }
    static void store(const std::string& name, const std::string& text) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kHalfLifeKey, name, text);
    }

    tunexa::test::TempDir dir;
};

TEST_F(FavouritesTest, ValueNamesAndKey) {
    EXPECT_EQ(kHalfLifeKey, "Software\\Tunexa\\Tunexa\\Half Life");
    EXPECT_EQ(ipAddressValueName(0), "IP Address 0");
    EXPECT_EQ(descriptionValueName(9), "Description 9");
}

TEST_F(FavouritesTest, AddressRule) {
    const std::pair<const char*, bool> cases[] = {
        {"10.0.0.1", true}, {"10.0.0", false},   {"...", true},   {"a.b.c.d", true},
        {"", false},        {"1.2.3.4.5", true}, {"1..2", false}, {"host.example.net:27015", false},
    };
    for (const auto& [address, valid] : cases) {
        EXPECT_EQ(isValidServerAddress(address), valid) << address;
    }
}

TEST_F(FavouritesTest, LoadGivesTenSlotsAndOnlyAPathWithADrive) {
    store(descriptionValueName(7), "LAN party");  // no IP Address 7: still shown
    store(descriptionValueName(0), "Home");
    store("Path", "hl.exe");
    auto loaded = LoadHLFavourites();
    EXPECT_EQ(loaded.descriptions.size(), 10u);
    EXPECT_EQ(loaded.descriptions[0], "Home");
    EXPECT_EQ(loaded.descriptions[7], "LAN party");
    EXPECT_EQ(loaded.descriptions[3], "");
    EXPECT_EQ(loaded.programPath, std::nullopt);

    store("Path", "D:\\Games\\hl.exe");
    EXPECT_EQ(LoadHLFavourites().programPath, "D:\\Games\\hl.exe");
}

TEST_F(FavouritesTest, SaveWritesAddressThenDescriptionAndPath) {
    const auto outcome = saveFavourite(2, "10.0.0.1", "Office", "C:\\Sierra\\hl.exe");
    EXPECT_TRUE(outcome.notices.empty());
    EXPECT_EQ(outcome.itemText, "Office");
    EXPECT_EQ(stored("IP Address 2"), "10.0.0.1");
    EXPECT_EQ(stored("Description 2"), "Office");
    EXPECT_EQ(stored("Path"), "C:\\Sierra\\hl.exe");
    const auto chosen = loadFavourite(2);
    EXPECT_EQ(chosen.address, "10.0.0.1");
    EXPECT_EQ(chosen.description, "Office");
    EXPECT_EQ(LoadHLFavourites().descriptions[2], "Office");
}

TEST_F(FavouritesTest, EmptyDescriptionIsToldButStillSaved) {
    store(descriptionValueName(3), "old");
    const auto outcome = saveFavourite(3, "1.2.3.4", "", "C:\\hl.exe");
    ASSERT_EQ(outcome.notices.size(), 1u);
    EXPECT_EQ(outcome.notices[0].title, "Please Enter A Decription");
    EXPECT_EQ(outcome.notices[0].prompt, "Please Enter A Description");
    EXPECT_EQ(outcome.notices[0].focus, Notice::Focus::Description);
    EXPECT_EQ(outcome.itemText, "");
    EXPECT_EQ(stored("IP Address 3"), "1.2.3.4");
    EXPECT_EQ(stored("Description 3"), "");
}

TEST_F(FavouritesTest, InvalidAddressWritesNeitherValueButStillThePath) {
    const auto outcome = saveFavourite(4, "10.0.0", "Broken", "C:\\Games\\hl.exe");
    ASSERT_EQ(outcome.notices.size(), 1u);
    EXPECT_EQ(outcome.notices[0].title, "Invalid IP address");
    EXPECT_EQ(outcome.notices[0].prompt,
              "Please enter a valid IP address\r\nof the form XXX.XXX.XXX.XXX\r\ne.g. 192.168.0.1");
    EXPECT_EQ(outcome.notices[0].focus, Notice::Focus::Address);
    EXPECT_EQ(outcome.itemText, std::nullopt);
    EXPECT_EQ(stored("IP Address 4"), std::nullopt);
    EXPECT_EQ(stored("Description 4"), std::nullopt);
    EXPECT_EQ(stored("Path"), "C:\\Games\\hl.exe");
}

TEST_F(FavouritesTest, BothNoticesInOrderWhenBothAreWrong) {
    const auto outcome = saveFavourite(1, "", "", std::nullopt);
    ASSERT_EQ(outcome.notices.size(), 2u);
    EXPECT_EQ(outcome.notices[0].focus, Notice::Focus::Description);
    EXPECT_EQ(outcome.notices[1].focus, Notice::Focus::Address);
}

TEST_F(FavouritesTest, WithoutAProgramThePathIsLeftAlone) {
    store("Path", "C:\\old\\hl.exe");
    saveFavourite(0, "1.1.1.1", "x", std::nullopt);
    EXPECT_EQ(stored("Path"), "C:\\old\\hl.exe");
}

TEST_F(FavouritesTest, DeleteRemovesOnlyThatSlot) {
    saveFavourite(5, "5.5.5.5", "Five", "C:\\hl.exe");
    saveFavourite(6, "6.6.6.6", "Six", "C:\\hl.exe");
    EXPECT_EQ(deleteFavourite(5), std::nullopt);
    EXPECT_EQ(stored("IP Address 5"), std::nullopt);
    EXPECT_EQ(stored("Description 5"), std::nullopt);
    EXPECT_EQ(stored("Description 6"), "Six");
    EXPECT_EQ(stored("Path"), "C:\\hl.exe");
    const auto chosen = loadFavourite(5);
    EXPECT_EQ(chosen.address, "");
    EXPECT_EQ(chosen.description, "");
    EXPECT_EQ(LoadHLFavourites().descriptions[5], "");
}

TEST_F(FavouritesTest, NoSlotChosenTouchesNothing) {
    store(descriptionValueName(0), "keep");
    for (const int slot : {-1, 10}) {
        const auto saved = saveFavourite(slot, "1.2.3.4", "x", "C:\\hl.exe");
        ASSERT_EQ(saved.notices.size(), 1u);
        EXPECT_EQ(saved.notices[0].prompt, chooseSlotNotice().prompt);
        EXPECT_EQ(saved.itemText, std::nullopt);
        EXPECT_TRUE(deleteFavourite(slot).has_value());
    }
    EXPECT_EQ(stored("Path"), std::nullopt);
    EXPECT_EQ(stored("Description 0"), "keep");
    EXPECT_EQ(stored("IP Address -1"), std::nullopt);
}

TEST_F(FavouritesTest, AnotherKeyCanBeGiven) {
    const std::string key = "Software\\Tunexa\\Tunexa\\Half Life\\Test";
    saveFavourite(0, "1.2.3.4", "Elsewhere", std::nullopt, key);
    EXPECT_EQ(LoadHLFavourites(key).descriptions[0], "Elsewhere");
    EXPECT_EQ(LoadHLFavourites().descriptions[0], "");
}

}  // namespace
}  // namespace tunexa::launcher
