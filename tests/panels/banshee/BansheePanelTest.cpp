// The Banshee panel driven through the real main window: the display-class scan, load from the
// store, the three pages, Apply and Defaults with their messages, and the tray's Banshee items.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "engine/RegMethods.h"
#include "panels/banshee/BansheePanel.h"
#include "store/Registry.h"

namespace tunexa {
namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;

constexpr const char* kD3DKey = "Software\\3Dfx Interactive\\Banshee\\D3D";
constexpr const char* kGlideKey = "Software\\3Dfx Interactive\\Banshee\\Glide";
constexpr const char* kDiamondKey = "Software\\Diamond\\D3D";

std::string classDefaultKey(const char* number) {
    return std::string("System\\CurrentControlSet\\Services\\Class\\Display\\") + number +
           "\\DEFAULT";
}

// What the store holds under a name: "absent", "text:<text>" or "dword:<n>".
std::string stored(const std::string& key, const std::string& name) {
    const auto value = store::currentHive().getValue(store::HKEY_LOCAL_MACHINE, key, name);
    if (!value) {
        return "absent";
    }
    if (value->type == store::REG_DWORD && value->data.size() == 4) {
        std::int32_t number = 0;
        std::memcpy(&number, value->data.data(), sizeof number);
        return "dword:" + std::to_string(number);
    }
    if (value->type == store::REG_SZ) {
        return "text:" + *store::RegGetString(store::HKEY_LOCAL_MACHINE, key, name);
    }
    return "type " + std::to_string(value->type);
}

void putText(const std::string& key, const char* name, const char* text) {
    store::RegSetString(store::HKEY_LOCAL_MACHINE, key, name, text);
}

void putDword(const std::string& key, const char* name, std::int32_t value) {
    store::RegSetDword(store::HKEY_LOCAL_MACHINE, key, name, value);
}

// A Banshee display class with its mini-VDD name and clocks.
void putClass(const char* number, const char* minivdd, const char* grxclock = nullptr,
              const char* memclock = nullptr) {
    const std::string key = classDefaultKey(number);
    putText(key, "minivdd", minivdd);
    if (grxclock != nullptr) {
        putText(key, "grxclock", grxclock);
    }
    if (memclock != nullptr) {
        putText(key, "memclock", memclock);
    }
}

// Every value under the given keys, for before/after comparisons.
std::vector<std::string> snapshot(const std::vector<std::string>& keys) {
    std::vector<std::string> values;
    for (const auto& key : keys) {
        for (const auto& value : store::currentHive().values(store::HKEY_LOCAL_MACHINE, key)) {
            values.push_back(key + "\\" + value.name + "=" + stored(key, value.name));
        }
    }
    return values;
}

MessageBox box(const QString& prompt, const char* title, MessageButtons buttons) {
    return {prompt, QString::fromUtf8(title), buttons};
}

MessageBox notice(const char* text) {
    return box(QString::fromUtf8(text), text, MessageButtons::Ok);
}

const MessageBox kSure =
    box(QStringLiteral("Are you sure?"), "Are you sure?", MessageButtons::YesNo);

class BansheePanelTest : public testing::Test {
  protected:
    void SetUp() override {
        store::useHiveFile(dir / "registry.db");
        engine::driverSettings() = {};
        form = std::make_unique<app::Form1>();
        frame = form->findChild<panels::BansheeFrame*>();
        ASSERT_NE(frame, nullptr);
        panel = new panels::BansheePanel(
            *frame,
            ui::PanelEnvironment{boxes, *form, engine::driverSettings(), form->popupMenu()});
    }

    void TearDown() override {
        EXPECT_EQ(boxes.pending(), 0u) << "scripted answers left over";
        form.reset();
        store::useHive(nullptr);
    }

    // Start-up's part: the record from the store, then the panel (which scans first).
    void loadFromStore() {
        engine::ReadDriverSettings(engine::kCardBanshee);
        panel->LoadBansheePanel();
    }

    template <typename Widget>
    Widget* control(const char* name) const {
        auto* widget = form->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QSlider* slider(const char* name) const { return control<QSlider>(name); }
    QCheckBox* check(const char* name) const { return control<QCheckBox>(name); }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    std::string caption(const char* name) const {
        return control<QLabel>(name)->text().toStdString();
    }

    std::vector<int> checkedItems(const char* name) const {
        std::vector<int> checked;
        const auto* items = form->popupMenu().group(QString::fromLatin1(name));
        EXPECT_NE(items, nullptr) << name;
        for (int i = 0; i < items->count(); ++i) {
            if (items->at(i)->isChecked()) {
                checked.push_back(i);
            }
        }
        return checked;
    }
    QAction* item(const char* group, int index) const {
        return form->popupMenu().group(QString::fromLatin1(group))->at(index);
    }
    QAction* item(const char* name) const {
        return form->popupMenu().item(QString::fromLatin1(name));
    }

    void applyConfirmed() {
        boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
        button("cmd3DfxBansheeapply")->click();
    }
    void defaultsConfirmed() {
        boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
        button("cmd3DfxBansheereset")->click();
    }

    test::TempDir dir;
    test::ScriptedMessageBoxes boxes;
    std::unique_ptr<app::Form1> form;
    panels::BansheeFrame* frame = nullptr;
    panels::BansheePanel* panel = nullptr;  // owned by the frame
};

struct ScanCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> classes;  // number, minivdd
    const char* winner;                                        // nullptr: no match
};

TEST_F(BansheePanelTest, TheScanSettlesOnTheLastMatch) {
    const std::vector<ScanCase> cases = {
        {"lowest of one name", {{"0002", "3dfxvb.vxd"}, {"0000", "3dfxvb.vxd"}}, "0000"},
        {"lowest of two", {{"0003", "3dfxvb.vxd"}, {"0001", "3dfxvb.vxd"}}, "0001"},
        {"fusionv beats 3dfxvb", {{"0000", "3dfxvb.vxd"}, {"0004", "fusionv.vxd"}}, "0004"},
        {"fusionv in 0005", {{"0005", "fusionv.vxd"}, {"0001", "3dfxvb.vxd"}}, "0005"},
        {"letter case", {{"0001", "3DFXVB.VXD"}, {"0002", "FusionV.vxd"}}, nullptr},
        {"class 0006", {{"0006", "3dfxvb.vxd"}}, nullptr},
        {"other drivers", {{"0000", "nv4.vxd"}, {"0003", "3dfxvb.vxd "}}, nullptr},
    };
    for (const auto& scan : cases) {
        SCOPED_TRACE(scan.name);
        store::currentHive().deleteKeyTree(store::HKEY_LOCAL_MACHINE, "System");
        engine::driverSettings() = {};
        // Each class holds clocks of its own, so where they were read from shows.
        for (const auto& [number, minivdd] : scan.classes) {
            const std::string clock = std::to_string(100 + std::stoi(number));
            putClass(number, minivdd, clock.c_str(), clock.c_str());
        }
        panel->LoadBansheePanel();
        const auto& clock = engine::driverSettings().BanClock;
        if (scan.winner == nullptr) {
            EXPECT_EQ(clock.ClassKey, "");
            EXPECT_TRUE(clock.grxclock.isAbsent());
            EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "");
            EXPECT_TRUE(checkedItems("mPopBCore").empty());
        } else {
            const int number = std::stoi(scan.winner);
            EXPECT_EQ(clock.ClassKey, classDefaultKey(scan.winner));
            EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), std::to_string(100 + number));
            EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), std::to_string(100 + number));
            EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{number});
            EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{number});
        }
    }
}

TEST_F(BansheePanelTest, AKeyFoundEarlierIsKeptWhenNoClassMatchesAnyMore) {
    putClass("0002", "3dfxvb.vxd", "104", "106");
    panel->LoadBansheePanel();
    putText(classDefaultKey("0002"), "minivdd", "other.vxd");
    panel->LoadBansheePanel();
    EXPECT_EQ(engine::driverSettings().BanClock.ClassKey, classDefaultKey("0002"));
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "104");
}

TEST_F(BansheePanelTest, ClocksMatchOnlyTheExactTextsOfTheTrayRange) {
    putClass("0001", "3dfxvb.vxd");
    const struct {
        const char* text;
        int position;  // -1: no match
    } cases[] = {{"100", 0},   {"105", 5},   {"110", 10},  {"115", -1}, {"120", -1},
                 {"100 ", -1}, {"0100", -1}, {" 105", -1}, {"99", -1},  {"", -1}};
    const struct {
        const char* value;
        const char* sliderName;
        const char* labelName;
        const char* group;
    } clocks[] = {{"grxclock", "sld3DfxBansheeGrx", "lbl3DfxBansheeGrxVal", "mPopBCore"},
                  {"memclock", "sld3DfxBansheeMem", "lbl3DfxBansheeMemVal", "mPopBMem"}};
    for (const auto& clock : clocks) {
        for (const auto& [text, position] : cases) {
            SCOPED_TRACE(std::string(clock.value) + " '" + text + "'");
            putText(classDefaultKey("0001"), clock.value, "103");
            panel->LoadBansheePanel();
            ASSERT_EQ(slider(clock.sliderName)->value(), 3);
            putText(classDefaultKey("0001"), clock.value, text);
            panel->LoadBansheePanel();
            EXPECT_EQ(caption(clock.labelName), text);
            if (position < 0) {
                EXPECT_EQ(slider(clock.sliderName)->value(), 3);
                EXPECT_TRUE(checkedItems(clock.group).empty());
            } else {
                EXPECT_EQ(slider(clock.sliderName)->value(), position);
                EXPECT_EQ(checkedItems(clock.group), std::vector<int>{position});
            }
        }
    }
}

struct GammaRow {
    const char* key;
    const char* valueName;
    const char* sliderName;
    const char* labelName;
};

constexpr GammaRow kGammas[] = {
    {kD3DKey, "SSTH3_RGAMMA", "sldBanDRG", "lblBanDRGval"},
    {kD3DKey, "SSTH3_GGAMMA", "sldBanDGG", "lblBanDGGval"},
    {kD3DKey, "SSTH3_BGAMMA", "sldBanDBG", "lblBanDBGval"},
    {kGlideKey, "SSTH3_RGAMMA", "sldBanGRG", "lblBanGRGval"},
    {kGlideKey, "SSTH3_GGAMMA", "sldBanGGG", "lblBanGGGval"},
    {kGlideKey, "SSTH3_BGAMMA", "sldBanGBG", "lblBanGBGval"},
};

TEST_F(BansheePanelTest, GammasUseTheSharedScale) {
    putText(kD3DKey, "SSTH3_GGAMMA", "0.85");
    putText(kD3DKey, "SSTH3_RGAMMA", "1.20");
    loadFromStore();
    EXPECT_EQ(slider("sldBanDGG")->value(), 17);
    EXPECT_EQ(caption("lblBanDGGval"), "0.85");
    EXPECT_EQ(slider("sldBanDRG")->value(), 24);
    EXPECT_EQ(caption("lblBanDRGval"), "1.20");

    for (const auto& gamma : kGammas) {
        SCOPED_TRACE(gamma.sliderName);
        putText(gamma.key, gamma.valueName, "1.80");
        loadFromStore();
        EXPECT_EQ(slider(gamma.sliderName)->value(), 36);
        EXPECT_EQ(caption(gamma.labelName), "1.80");
        for (const char* offScale : {"1.8", "1,80"}) {
            putText(gamma.key, gamma.valueName, offScale);
            loadFromStore();
            EXPECT_EQ(slider(gamma.sliderName)->value(), 36);
            EXPECT_EQ(caption(gamma.labelName), offScale);
        }
    }
}

TEST_F(BansheePanelTest, SlidersRewriteTheirLabels) {
    slider("sld3DfxBansheeMem")->setValue(20);
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "120");
    slider("sld3DfxBansheeMem")->setValue(0);
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "100");
    slider("sld3DfxBansheeGrx")->setValue(7);
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "107");
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "100");
    const char* const expected[] = {"0.05", "0.40", "0.75", "1.10", "1.45", "1.80"};
    int position = 1;
    for (std::size_t i = 0; i < std::size(kGammas); ++i) {
        slider(kGammas[i].sliderName)->setValue(position);
        EXPECT_EQ(caption(kGammas[i].labelName), expected[i]) << kGammas[i].sliderName;
        position += 7;
    }
    slider("sldBanGBG")->setValue(40);
    EXPECT_EQ(caption("lblBanGBGval"), "2.00");
    EXPECT_EQ(caption("lblBanDRGval"), "0.05");
}

TEST_F(BansheePanelTest, CheckBoxesCompareTheirFieldsAsTexts) {
    putDword(kGlideKey, "FX_GLIDE_ALLOC_COLOR", 3);
    loadFromStore();
    EXPECT_TRUE(check("chkBanGtriple")->isChecked());
    putDword(kGlideKey, "FX_GLIDE_ALLOC_COLOR", 1);
    loadFromStore();
    EXPECT_TRUE(check("chkBanGtriple")->isChecked());
    putDword(kGlideKey, "FX_GLIDE_ALLOC_COLOR", 2);
    loadFromStore();
    EXPECT_FALSE(check("chkBanGtriple")->isChecked());
    check("chkBanGtriple")->setChecked(true);
    store::RegDeleteValue(store::HKEY_LOCAL_MACHINE, kGlideKey, "FX_GLIDE_ALLOC_COLOR");
    loadFromStore();
    EXPECT_TRUE(check("chkBanGtriple")->isChecked());

    // A missing text leaves its box; a missing double word reads 0 and unchecks it.
    check("chkBanDantialias")->setChecked(true);
    for (const char* name : {"chkBanDVSync", "chkBanGVSync", "chkBanGadvance", "chkBanGrush"}) {
        check(name)->setChecked(true);
    }
    loadFromStore();
    EXPECT_TRUE(check("chkBanDantialias")->isChecked());
    for (const char* name : {"chkBanDVSync", "chkBanGVSync", "chkBanGadvance", "chkBanGrush"}) {
        EXPECT_FALSE(check(name)->isChecked()) << name;
    }

    putText(kD3DKey, "SSTH3_ANTIALIAS", "1");
    putText(kD3DKey, "SSTH3_FORCE_TRILINEAR", "1");
    putText(kD3DKey, "SSTH3_AUTOMIPMAP", "01");  // not one of the two texts
    putDword(kD3DKey, "SSTH3_SWAPINTERVAL", 1);
    putDword(kGlideKey, "FX_GLIDE_SWAPINTERVAL", 1);
    putDword(kGlideKey, "FX_GLIDE_LOD_DITHER", 1);
    putDword(kGlideKey, "FX_GLIDE_EMUL_RUSH", 1);
    loadFromStore();
    for (const char* name : {"chkBanDantialias", "chkBanDtri", "chkBanDVSync", "chkBanGVSync",
                             "chkBanGadvance", "chkBanGrush"}) {
        EXPECT_TRUE(check(name)->isChecked()) << name;
    }
    EXPECT_FALSE(check("chkBanDauto")->isChecked());
    putText(kD3DKey, "SSTH3_ANTIALIAS", "0");
    loadFromStore();
    EXPECT_FALSE(check("chkBanDantialias")->isChecked());
}

// Records which of the three pages are visible each time one of them is shown.
class PageWatch : public QObject {
  public:
    explicit PageWatch(const std::vector<QWidget*>& pages) : pages_(pages) {
        for (QWidget* page : pages_) {
            page->installEventFilter(this);
        }
    }
    int mostVisibleAtOnce = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            int visible = 0;
            for (QWidget* page : pages_) {
                visible += page->isVisible() ? 1 : 0;
            }
            mostVisibleAtOnce = std::max(mostVisibleAtOnce, visible);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::vector<QWidget*> pages_;
};

TEST_F(BansheePanelTest, OnePageShowsAtATime) {
    form->show();
    form->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
    panel->HideSubPages();
    auto* main = control<QWidget>("frame3DfxBanshee");
    auto* d3d = control<QWidget>("frameBansheeD3D");
    auto* glide = control<QWidget>("frameBansheeGlide");
    PageWatch watch({main, d3d, glide});
    const auto visible = [&] {
        return std::vector<bool>{main->isVisible(), d3d->isVisible(), glide->isVisible()};
    };
    EXPECT_EQ(visible(), (std::vector<bool>{true, false, false}));

    const struct {
        const char* button;
        std::vector<bool> pages;
    } steps[] = {
        {"cmdShowBanGlide", {false, false, true}}, {"cmdBanGback", {true, false, false}},
        {"cmdShowBanD3D", {false, true, false}},   {"cmdBanDback", {true, false, false}},
        {"cmdShowBanD3D", {false, true, false}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.button);
        button(step.button)->click();
        EXPECT_EQ(visible(), step.pages);
    }
    panel->cmdShowBanGlide_Click();
    EXPECT_EQ(visible(), (std::vector<bool>{false, false, true}));
    // A shown sub-page takes the main frame's place.
    QApplication::processEvents();
    EXPECT_EQ(glide->geometry(), main->geometry());
    panel->HideSubPages();
    EXPECT_EQ(visible(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(watch.mostVisibleAtOnce, 1);

    // A load keeps the page.
    panel->cmdShowBanD3D_Click();
    panel->LoadBansheePanel();
    EXPECT_EQ(visible(), (std::vector<bool>{false, true, false}));
}

TEST_F(BansheePanelTest, SubPageEditsAreAppliedFromTheMainFrame) {
    putClass("0001", "fusionv.vxd", "101", "102");
    loadFromStore();
    form->show();
    form->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
    button("cmdShowBanD3D")->click();
    check("chkBanDtri")->setChecked(true);
    slider("sldBanDRG")->setValue(30);
    button("cmdBanDback")->click();
    button("cmdShowBanGlide")->click();
    check("chkBanGrush")->setChecked(true);
    slider("sldBanGGG")->setValue(10);
    button("cmdBanGback")->click();
    slider("sld3DfxBansheeGrx")->setValue(8);
    applyConfirmed();
    EXPECT_EQ(boxes.shown(),
              (std::vector<MessageBox>{box(QStringLiteral("Are you sure?"),
                                           "Applying Banshee Settings", MessageButtons::YesNo),
                                       notice("Banshee Settings Applied")}));
    EXPECT_EQ(stored(kD3DKey, "SSTH3_FORCE_TRILINEAR"), "text:1");
    EXPECT_EQ(stored(kD3DKey, "SSTH3_RGAMMA"), "text:1.50");
    EXPECT_EQ(stored(kGlideKey, "FX_GLIDE_EMUL_RUSH"), "dword:1");
    EXPECT_EQ(stored(kGlideKey, "SSTH3_GGAMMA"), "text:0.50");
    EXPECT_EQ(stored(classDefaultKey("0001"), "grxclock"), "text:108");
    EXPECT_EQ(stored(classDefaultKey("0001"), "GraphicsClock"), "text:108");
    EXPECT_EQ(stored(classDefaultKey("0001"), "memclock"), "text:102");
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{8});
    EXPECT_TRUE(control<QWidget>("frame3DfxBanshee")->isVisible());
}

// A store full of non-default Banshee values, with the driver in class 0003.
void putNonDefaults() {
    putClass("0003", "3dfxvb.vxd", "107", "109");
    putText(kD3DKey, "SSTH3_RGAMMA", "1.40");
    putText(kD3DKey, "SSTH3_GGAMMA", "0.60");
    putText(kD3DKey, "SSTH3_BGAMMA", "1.8");
    putText(kD3DKey, "SSTH3_ANTIALIAS", "1");
    putText(kD3DKey, "SSTH3_AUTOMIPMAP", "1");
    putText(kD3DKey, "SSTH3_FORCE_TRILINEAR", "1");
    putDword(kD3DKey, "SSTH3_SWAPINTERVAL", 0);
    putText(kGlideKey, "SSTH3_RGAMMA", "1.10");
    putText(kGlideKey, "SSTH3_GGAMMA", "1.25");
    putText(kGlideKey, "SSTH3_BGAMMA", "0.90");
    putDword(kGlideKey, "FX_GLIDE_SWAPINTERVAL", 0);
    putDword(kGlideKey, "FX_GLIDE_LOD_DITHER", 1);
    putDword(kGlideKey, "FX_GLIDE_EMUL_RUSH", 1);
    putDword(kGlideKey, "FX_GLIDE_ALLOC_COLOR", 3);
}

std::vector<std::string> bansheeStore() {
    return snapshot({kD3DKey, kGlideKey, classDefaultKey("0003"), kDiamondKey});
}

TEST_F(BansheePanelTest, DefaultsThenApplyStoreExactlyTheFactoryValues) {
    putNonDefaults();
    loadFromStore();
    const auto storeBefore = bansheeStore();
    const auto recordBefore = engine::driverSettings();

    defaultsConfirmed();
    EXPECT_EQ(boxes.shown(),
              (std::vector<MessageBox>{
                  box(QStringLiteral("Are you sure?"), "Restoring Defaults", MessageButtons::YesNo),
                  notice("Defaults Restored")}));
    EXPECT_EQ(bansheeStore(), storeBefore);
    EXPECT_EQ(engine::driverSettings(), recordBefore);
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{7});
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{9});
    for (const auto& gamma : kGammas) {
        EXPECT_EQ(slider(gamma.sliderName)->value(), 20);
        EXPECT_EQ(caption(gamma.labelName), "1.00");
    }
    EXPECT_EQ(slider("sld3DfxBansheeGrx")->value(), 0);
    EXPECT_EQ(slider("sld3DfxBansheeMem")->value(), 0);
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "100");
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "100");

    applyConfirmed();
    EXPECT_EQ(boxes.shown().back(), notice("Banshee Settings Applied"));
    const std::string classKey = classDefaultKey("0003");
    const std::vector<std::string> expected = {
        std::string(kD3DKey) + "\\SSTH3_RGAMMA=text:1.00",
        std::string(kD3DKey) + "\\SSTH3_GGAMMA=text:1.00",
        std::string(kD3DKey) + "\\SSTH3_BGAMMA=text:1.00",
        std::string(kD3DKey) + "\\SSTH3_ANTIALIAS=text:0",
        std::string(kD3DKey) + "\\SSTH3_SWAPINTERVAL=dword:1",
        std::string(kGlideKey) + "\\SSTH3_RGAMMA=text:1.00",
        std::string(kGlideKey) + "\\SSTH3_GGAMMA=text:1.00",
        std::string(kGlideKey) + "\\SSTH3_BGAMMA=text:1.00",
        std::string(kGlideKey) + "\\FX_GLIDE_SWAPINTERVAL=dword:1",
        std::string(kGlideKey) + "\\FX_GLIDE_EMUL_RUSH=dword:0",
        classKey + "\\minivdd=text:3dfxvb.vxd",
        classKey + "\\grxclock=text:100",
        classKey + "\\memclock=text:100",
        classKey + "\\MemClocking=text:100",
        classKey + "\\GraphicsClock=text:100",
        std::string(kDiamondKey) + "\\Retail=text:1",
    };
    EXPECT_EQ(bansheeStore(), expected);
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{0});
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{0});
    EXPECT_TRUE(check("chkBanDVSync")->isChecked());
    EXPECT_TRUE(check("chkBanGVSync")->isChecked());
}

TEST_F(BansheePanelTest, DefaultsAnsweredNoKeepEveryControlAlsoOnHiddenPages) {
    putNonDefaults();
    loadFromStore();
    slider("sldBanGBG")->setValue(3);
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::Ok);
    button("cmd3DfxBansheereset")->click();
    EXPECT_EQ(boxes.shown().back(), notice("Defaults Not Restored"));
    EXPECT_EQ(caption("lblBanGBGval"), "0.15");
    EXPECT_EQ(caption("lblBanDBGval"), "1.8");
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "109");
    EXPECT_TRUE(check("chkBanGtriple")->isChecked());
    EXPECT_TRUE(check("chkBanDtri")->isChecked());
    EXPECT_FALSE(check("chkBanGVSync")->isChecked());
}

TEST_F(BansheePanelTest, ApplyAnsweredNoWritesNothing) {
    putNonDefaults();
    loadFromStore();
    const auto before = bansheeStore();
    slider("sld3DfxBansheeGrx")->setValue(2);
    check("chkBanGtriple")->setChecked(false);
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::Ok);
    button("cmd3DfxBansheeapply")->click();
    EXPECT_EQ(boxes.shown().back(), notice("Settings Not Applied"));
    EXPECT_EQ(bansheeStore(), before);
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "102");
    EXPECT_FALSE(check("chkBanGtriple")->isChecked());
}

TEST_F(BansheePanelTest, ApplyReloadsWithAFreshScan) {
    putNonDefaults();
    loadFromStore();
    // The adapter moved to another class after the panel was loaded.
    putClass("0001", "fusionv.vxd", "110", "104");
    slider("sld3DfxBansheeGrx")->setValue(1);
    applyConfirmed();
    EXPECT_EQ(stored(classDefaultKey("0003"), "grxclock"), "text:101");
    EXPECT_EQ(engine::driverSettings().BanClock.ClassKey, classDefaultKey("0001"));
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "110");
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "104");
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{10});
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{4});
}

TEST_F(BansheePanelTest, WithoutABansheeDriverApplySaysTheClocksWereNotSaved) {
    putText(kD3DKey, "SSTH3_RGAMMA", "1.40");
    loadFromStore();
    slider("sld3DfxBansheeGrx")->setValue(5);
    slider("sldBanGRG")->setValue(22);
    check("chkBanDantialias")->setChecked(true);
    applyConfirmed();
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown().back(),
              box(QStringLiteral("Banshee Settings Applied\r\nThe core and memory clocks were not "
                                 "saved because no Banshee driver was found."),
                  "Banshee Settings Applied", MessageButtons::Ok));
    EXPECT_EQ(stored(kD3DKey, "SSTH3_RGAMMA"), "text:1.40");
    EXPECT_EQ(stored(kD3DKey, "SSTH3_ANTIALIAS"), "text:1");
    EXPECT_EQ(stored(kGlideKey, "SSTH3_RGAMMA"), "text:1.10");
    EXPECT_EQ(snapshot({""}), std::vector<std::string>{});  // nothing landed in the root key
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "105");

    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    item("mPopBMem", 3)->trigger();
    ASSERT_EQ(boxes.shown().size(), 4u);
    EXPECT_EQ(boxes.shown().back(),
              box(QStringLiteral("The clock was not saved because no Banshee driver was found."),
                  "Tunexa", MessageButtons::Ok));
}

TEST_F(BansheePanelTest, ApplyTellsWhenTheStoreDidNotSave) {
    putNonDefaults();
    loadFromStore();
    const auto recordBefore = engine::driverSettings();
    store::useHive(store::Hive::open(dir / "registry.db", store::OpenMode::ReadOnly));
    slider("sld3DfxBansheeMem")->setValue(1);
    applyConfirmed();
    ASSERT_EQ(boxes.shown().size(), 2u);
    const MessageBox& result = boxes.shown().back();
    EXPECT_EQ(result.title, QStringLiteral("Settings Not Applied"));
    EXPECT_TRUE(result.prompt.startsWith(QStringLiteral("Settings Not Applied\r\n")));
    EXPECT_GT(result.prompt.size(), QStringLiteral("Settings Not Applied\r\n").size());
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "101");
    EXPECT_EQ(engine::driverSettings(), recordBefore);
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{9});

    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    item("mPopBCore", 2)->trigger();
    EXPECT_EQ(boxes.shown().back().title, QStringLiteral("Settings Not Applied"));
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{7});
}

TEST_F(BansheePanelTest, CoreClockItemStoresTheClockUnderTheClassKey) {
    putNonDefaults();
    loadFromStore();
    boxes.answer(MessageAnswer::Yes);
    item("mPopBCore", 5)->trigger();
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>{kSure});
    EXPECT_EQ(slider("sld3DfxBansheeGrx")->value(), 5);
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "105");
    EXPECT_EQ(stored(classDefaultKey("0003"), "grxclock"), "text:105");
    EXPECT_EQ(stored(classDefaultKey("0003"), "GraphicsClock"), "text:105");
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{5});
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{9});
}

TEST_F(BansheePanelTest, MemoryClockItemStoresUnappliedEditsToo) {
    putNonDefaults();
    loadFromStore();
    slider("sldBanDGG")->setValue(26);
    boxes.answer(MessageAnswer::Yes);
    item("mPopBMem", 2)->trigger();
    EXPECT_EQ(stored(classDefaultKey("0003"), "memclock"), "text:102");
    EXPECT_EQ(stored(classDefaultKey("0003"), "MemClocking"), "text:102");
    EXPECT_EQ(stored(kD3DKey, "SSTH3_GGAMMA"), "text:1.30");
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{2});
}

TEST_F(BansheePanelTest, TrayItemsAnsweredNoChangeNothing) {
    putNonDefaults();
    loadFromStore();
    slider("sldBanGRG")->setValue(5);
    const auto before = bansheeStore();
    const auto recordBefore = engine::driverSettings();
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::No);
    item("mPopBCore", 3)->trigger();
    item("mPopBMem", 9)->trigger();
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::No);
    item("mPopBCoreDefault")->trigger();
    item("mPopBMemDefault")->trigger();
    EXPECT_EQ(boxes.shown(), std::vector<MessageBox>(4, kSure));
    EXPECT_EQ(bansheeStore(), before);
    EXPECT_EQ(engine::driverSettings(), recordBefore);
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{7});
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{9});
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "107");
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "109");
}

TEST_F(BansheePanelTest, MemoryDefaultItemSetsThePanelAndLeavesTheStoredClock) {
    putNonDefaults();
    loadFromStore();
    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    item("mPopBMemDefault")->trigger();
    EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{kSure, notice("Default set")}));
    EXPECT_EQ(slider("sld3DfxBansheeMem")->value(), 0);
    EXPECT_EQ(caption("lbl3DfxBansheeMemVal"), "100");
    EXPECT_EQ(stored(classDefaultKey("0003"), "memclock"), "text:109");
    EXPECT_EQ(checkedItems("mPopBMem"), std::vector<int>{9});
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "107");
}

TEST_F(BansheePanelTest, CoreDefaultRoutineStoresTheCurrentValuesBack) {
    putNonDefaults();
    loadFromStore();
    putDword(kGlideKey, "FX_GLIDE_ALLOC_COLOR", 2);
    store::RegDeleteValue(store::HKEY_LOCAL_MACHINE, kGlideKey, "SSTH3_RGAMMA");
    const auto result = panel->SetBansheeCoreDefault();
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(caption("lbl3DfxBansheeGrxVal"), "100");
    EXPECT_EQ(slider("sld3DfxBansheeGrx")->value(), 0);
    EXPECT_EQ(stored(classDefaultKey("0003"), "grxclock"), "text:107");
    EXPECT_EQ(stored(classDefaultKey("0003"), "GraphicsClock"), "text:107");
    EXPECT_EQ(stored(kGlideKey, "FX_GLIDE_ALLOC_COLOR"), "absent");
    EXPECT_EQ(stored(kGlideKey, "SSTH3_RGAMMA"), "text:");
    EXPECT_EQ(checkedItems("mPopBCore"), std::vector<int>{7});
    EXPECT_TRUE(boxes.shown().empty());
}

// The three pages grabbed for the documentation.
TEST_F(BansheePanelTest, ScreenshotsOfTheThreePages) {
    putNonDefaults();
    loadFromStore();
    form->resize(720, 540);
    form->show();
    form->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
    panel->HideSubPages();
    const QString folder = QStringLiteral(TUNEXA_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const struct {
        void (panels::BansheePanel::*open)();
        const char* file;
    } pages[] = {{&panels::BansheePanel::HideSubPages, "banshee-main.png"},
                 {&panels::BansheePanel::cmdShowBanD3D_Click, "banshee-d3d.png"},
                 {&panels::BansheePanel::cmdShowBanGlide_Click, "banshee-glide.png"}};
    for (const auto& page : pages) {
        (panel->*page.open)();
        QApplication::processEvents();
        EXPECT_TRUE(frame->grab().save(folder + QLatin1Char('/') + QString::fromLatin1(page.file)));
    }
}

}  // namespace
}  // namespace tunexa
