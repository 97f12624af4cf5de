// The Voodoo2 panel driven through the real main window: load from the store, the gamma and clock
// scales, Apply and Defaults with their messages, the two option frames and the tray's Voodoo2
// items.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedMessageBoxes.h"
#include "TempRoot.h"
#include "app/Form1.h"
#include "engine/RegMethods.h"
#include "panels/voodoo2/Voodoo2Panel.h"
#include "store/Registry.h"

namespace tunexa {
namespace {

using platform::MessageAnswer;
using platform::MessageBox;
using platform::MessageButtons;

constexpr const char* kD3DKey = "Software\\3Dfx Interactive\\Voodoo2\\D3D";
constexpr const char* kGlideKey = "Software\\3Dfx Interactive\\Voodoo2\\Glide";

// What the store holds under a name: "absent", "text:<text>" or "dword:<n>".
std::string stored(const char* key, const char* name) {
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

MessageBox box(const char* prompt, const char* title, MessageButtons buttons) {
    return {QString::fromUtf8(prompt), QString::fromUtf8(title), buttons};
}

MessageBox notice(const char* text) {
    return box(text, text, MessageButtons::Ok);
}

class Voodoo2PanelTest : public testing::Test {
  protected:
    void SetUp() override {
        store::useHiveFile(dir / "registry.db");
        engine::driverSettings() = {};
        makeWindow();
    }

    void TearDown() override {
        EXPECT_EQ(boxes.pending(), 0u) << "scripted answers left over";
        form.reset();
        store::useHive(nullptr);
    }

    // A fresh window and panel over the same store, as after a restart.
    void makeWindow() {
        panel = nullptr;
        form = std::make_unique<app::Form1>();
        frame = form->findChild<panels::Voodoo2Frame*>();
        ASSERT_NE(frame, nullptr);
        panel = new panels::Voodoo2Panel(
            *frame,
            ui::PanelEnvironment{boxes, *form, engine::driverSettings(), form->popupMenu()});
    }

    // Start-up's part: the record from the store, then the panel from the record.
    void restart() {
        engine::driverSettings() = {};
        makeWindow();
        engine::ReadDriverSettings(engine::kCardVoodoo2);
        panel->LoadVoodoo2Panel();
    }

    void loadFromStore() {
        engine::ReadDriverSettings(engine::kCardVoodoo2);
        panel->LoadVoodoo2Panel();
    }

    template <typename Widget>
    Widget* control(const char* name) const {
        auto* widget = form->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QSlider* slider(const char* name) const { return control<QSlider>(name); }
    QLabel* label(const char* name) const { return control<QLabel>(name); }
    QCheckBox* check(const char* name) const { return control<QCheckBox>(name); }
    std::string caption(const char* name) const { return label(name)->text().toStdString(); }

    ui::IndexedActionGroup* group(const char* name) const {
        auto* found = form->popupMenu().group(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // The indices of a group's checked items.
    std::vector<int> checkedItems(const char* name) const {
        std::vector<int> checked;
        const auto* items = group(name);
        for (int i = 0; i < items->count(); ++i) {
            if (items->at(i)->isChecked()) {
                checked.push_back(i);
            }
        }
        return checked;
    }

    void applyConfirmed() {
        boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
        control<QPushButton>("cmd3DfxV2apply")->click();
    }

    test::TempDir dir;
    test::ScriptedMessageBoxes boxes;
    std::unique_ptr<app::Form1> form;
    panels::Voodoo2Frame* frame = nullptr;
    panels::Voodoo2Panel* panel = nullptr;  // owned by the frame
};

struct GammaRow {
    const char* key;
    const char* valueName;
    const char* sliderName;
    const char* labelName;
};

constexpr GammaRow kGammas[] = {
    {kD3DKey, "SSTV2_RGAMMA", "sldV2D3DRG", "lblV2DRGVal"},
    {kD3DKey, "SSTV2_GGAMMA", "sldV2D3DGG", "lblV2DGGVal"},
    {kD3DKey, "SSTV2_BGAMMA", "sldV2D3DBG", "lblV2DBGVal"},
    {kGlideKey, "SSTV2_RGAMMA", "sldV2GRG", "lblV2GRGVal"},
    {kGlideKey, "SSTV2_GGAMMA", "sldV2GGG", "lblV2GGGVal"},
    {kGlideKey, "SSTV2_BGAMMA", "sldV2GBG", "lblV2GBGVal"},
};

TEST_F(Voodoo2PanelTest, GammaTextsOnTheScalePositionTheirSlider) {
    const struct {
        const char* text;
        int position;
    } cases[] = {{"1.80", 36}, {"0.00", 0}, {"2.00", 40}, {"0.05", 1}, {"1.00", 20}, {"0.95", 19}};
    for (const auto& gamma : kGammas) {
        for (const auto& [text, position] : cases) {
            SCOPED_TRACE(std::string(gamma.sliderName) + " " + text);
            store::RegSetString(store::HKEY_LOCAL_MACHINE, gamma.key, gamma.valueName, text);
            loadFromStore();
            EXPECT_EQ(slider(gamma.sliderName)->value(), position);
            EXPECT_EQ(caption(gamma.labelName), text);
        }
    }
}

TEST_F(Voodoo2PanelTest, GammaTextsOffTheScaleKeepTheSliderAndAreWrittenBackUnchanged) {
    for (const char* text : {"1.8", "1,80", " 1.80", "2.05", "1.83", "-0.05"}) {
        SCOPED_TRACE(text);
        for (const auto& gamma : kGammas) {
            slider(gamma.sliderName)->setValue(7);
            store::RegSetString(store::HKEY_LOCAL_MACHINE, gamma.key, gamma.valueName, text);
        }
        loadFromStore();
        for (const auto& gamma : kGammas) {
            EXPECT_EQ(slider(gamma.sliderName)->value(), 7) << gamma.sliderName;
            EXPECT_EQ(caption(gamma.labelName), text) << gamma.labelName;
        }
        applyConfirmed();
        for (const auto& gamma : kGammas) {
            EXPECT_EQ(stored(gamma.key, gamma.valueName), std::string("text:") + text)
                << gamma.key << " " << gamma.valueName;
        }
    }
}

TEST_F(Voodoo2PanelTest, AnAbsentGammaShowsAnEmptyLabel) {
    slider("sldV2GGG")->setValue(12);
    loadFromStore();
    EXPECT_EQ(slider("sldV2GGG")->value(), 12);
    EXPECT_EQ(caption("lblV2GGGVal"), "");
}

struct ClockRow {
    const char* key;
    const char* sliderName;
    const char* labelName;
    const char* trayGroup;
};

constexpr ClockRow kClocks[] = {
    {kD3DKey, "sldV2D3DCore", "lblV2D3DCoreVal", "mPopV2D3DCoreClock"},
    {kGlideKey, "sldV2GCore", "lblV2GCoreVal", "mPopV2GCoreClock"},
};

TEST_F(Voodoo2PanelTest, ClocksOfTheTrayRangeSetSliderAndOneTrayItem) {
    const struct {
        const char* text;
        int position;
    } cases[] = {{"90", 0}, {"95", 5}, {"100", 10}};
    for (const auto& clock : kClocks) {
        for (const auto& [text, position] : cases) {
            SCOPED_TRACE(std::string(clock.sliderName) + " " + text);
            store::RegSetString(store::HKEY_LOCAL_MACHINE, clock.key, "SSTV2_GRXCLK", text);
            loadFromStore();
            EXPECT_EQ(slider(clock.sliderName)->value(), position);
            EXPECT_EQ(caption(clock.labelName), text);
            EXPECT_EQ(checkedItems(clock.trayGroup), std::vector<int>{position});
        }
    }
}

TEST_F(Voodoo2PanelTest, ClocksOutsideTheTrayRangeLeaveSliderAndCheckNoItem) {
    for (const auto& clock : kClocks) {
        for (const char* text : {"105", "110", "89", "095", "95 ", "", "fast"}) {
            SCOPED_TRACE(std::string(clock.sliderName) + " '" + text + "'");
            store::RegSetString(store::HKEY_LOCAL_MACHINE, clock.key, "SSTV2_GRXCLK", "97");
            loadFromStore();
            ASSERT_EQ(slider(clock.sliderName)->value(), 7);
            store::RegSetString(store::HKEY_LOCAL_MACHINE, clock.key, "SSTV2_GRXCLK", text);
            loadFromStore();
            EXPECT_EQ(slider(clock.sliderName)->value(), 7);
            EXPECT_EQ(caption(clock.labelName), text);
            EXPECT_TRUE(checkedItems(clock.trayGroup).empty());
        }
        store::RegDeleteValue(store::HKEY_LOCAL_MACHINE, clock.key, "SSTV2_GRXCLK");
        loadFromStore();
        EXPECT_EQ(caption(clock.labelName), "");
        EXPECT_TRUE(checkedItems(clock.trayGroup).empty());
    }
}

TEST_F(Voodoo2PanelTest, SlidersRewriteOnlyTheirOwnLabel) {
    loadFromStore();
    slider("sldV2D3DCore")->setValue(20);
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "110");
    slider("sldV2GCore")->setValue(10);
    EXPECT_EQ(caption("lblV2GCoreVal"), "100");
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "110");
    for (const auto& gamma : kGammas) {
        SCOPED_TRACE(gamma.sliderName);
        for (const auto& [position, text] :
             std::vector<std::pair<int, std::string>>{{1, "0.05"}, {40, "2.00"}, {0, "0.00"}}) {
            slider(gamma.sliderName)->setValue(position);
            EXPECT_EQ(caption(gamma.labelName), text);
        }
        slider(gamma.sliderName)->setValue(33);
        for (const auto& other : kGammas) {
            if (&other != &gamma) {
                EXPECT_NE(caption(other.labelName), "1.65") << other.labelName;
            }
        }
        slider(gamma.sliderName)->setValue(0);
    }
}

struct CheckCase {
    const char* key;
    const char* valueName;
    bool asText;  // stored as text rather than a double word
    const char* boxName;
    std::int32_t uncheckedValue;
    std::int32_t checkedValue;
    std::int32_t ignoredValue;
};

constexpr CheckCase kCheckCases[] = {
    {kD3DKey, "SSTV2_ANTIALIAS", true, "chkV2D3Dfa", 0, 1, 2},
    {kD3DKey, "SSTV2_FORCE_TRILINEAR", true, "chkV2D3Dft", 0, 1, 5},
    {kD3DKey, "SSTV2_AUTOMIPMAP", true, "chkV2D3Dam", 0, 1, 7},
    {kD3DKey, "SSTV2_SWAPINTERVAL", false, "chkV2D3Dvs", 0, 1, 2},
    {kGlideKey, "FX_GLIDE_SWAPINTERVAL", false, "chkV2GVSync", 0, 1, 3},
    {kGlideKey, "FX_GLIDE_LOD_DITHER", false, "chkV2Gadvance", 0, 1, 2},
    {kGlideKey, "FX_GLIDE_ALLOC_COLOR", false, "chkV2Gtriple", 2, 3, 0},
    {kGlideKey, "SSTV2_TMU_MEMSIZE", false, "chkV2Glimit", 4, 2, 0},
    {kGlideKey, "SSTV2_SLIDETECT", false, "chkV2sli", 0, 1, 4},
};

TEST_F(Voodoo2PanelTest, CheckBoxesFollowTheirTwoValuesAndIgnoreOthers) {
    for (const auto& row : kCheckCases) {
        SCOPED_TRACE(row.valueName);
        const auto put = [&](std::int32_t value) {
            if (row.asText) {
                store::RegSetString(store::HKEY_LOCAL_MACHINE, row.key, row.valueName,
                                    std::to_string(value));
            } else {
                store::RegSetDword(store::HKEY_LOCAL_MACHINE, row.key, row.valueName, value);
            }
            loadFromStore();
        };
        put(row.checkedValue);
        EXPECT_TRUE(check(row.boxName)->isChecked());
        put(row.ignoredValue);
        EXPECT_TRUE(check(row.boxName)->isChecked());
        put(row.uncheckedValue);
        EXPECT_FALSE(check(row.boxName)->isChecked());
        put(row.ignoredValue);
        EXPECT_FALSE(check(row.boxName)->isChecked());
    }
}

TEST_F(Voodoo2PanelTest, VSyncMarksTheTrayItemsAndAnAbsentValueMeansOff) {
    check("chkV2D3Dvs")->setChecked(true);
    check("chkV2GVSync")->setChecked(true);
    loadFromStore();
    EXPECT_FALSE(check("chkV2D3Dvs")->isChecked());
    EXPECT_FALSE(check("chkV2GVSync")->isChecked());
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{0});
    EXPECT_EQ(checkedItems("mPopV2GV"), std::vector<int>{0});

    store::RegSetDword(store::HKEY_LOCAL_MACHINE, kGlideKey, "FX_GLIDE_SWAPINTERVAL", 1);
    loadFromStore();
    EXPECT_TRUE(check("chkV2GVSync")->isChecked());
    EXPECT_EQ(checkedItems("mPopV2GV"), std::vector<int>{1});
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{0});
}

TEST_F(Voodoo2PanelTest, LoadingTwiceEqualsOnceAndUndoesUnappliedMoves) {
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kD3DKey, "SSTV2_GRXCLK", "93");
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kD3DKey, "SSTV2_RGAMMA", "1.25");
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kGlideKey, "SSTV2_BGAMMA", "1.3");
    loadFromStore();
    slider("sldV2GBG")->setValue(11);
    const auto snapshot = [&] {
        std::vector<std::string> state;
        for (const auto* widget : frame->findChildren<QSlider*>()) {
            state.push_back(widget->objectName().toStdString() + "=" +
                            std::to_string(widget->value()));
        }
        for (const auto* widget : frame->findChildren<QLabel*>()) {
            state.push_back(widget->objectName().toStdString() + "=" +
                            widget->text().toStdString());
        }
        return state;
    };
    panel->LoadVoodoo2Panel();
    const auto once = snapshot();
    panel->LoadVoodoo2Panel();
    EXPECT_EQ(snapshot(), once);

    slider("sldV2D3DCore")->setValue(15);
    slider("sldV2D3DRG")->setValue(3);
    slider("sldV2GBG")->setValue(30);
    panel->LoadVoodoo2Panel();
    EXPECT_EQ(slider("sldV2D3DCore")->value(), 3);
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "93");
    EXPECT_EQ(slider("sldV2D3DRG")->value(), 25);
    EXPECT_EQ(caption("lblV2DRGVal"), "1.25");
    EXPECT_EQ(slider("sldV2GBG")->value(), 30);  // "1.3" has no position
    EXPECT_EQ(caption("lblV2GBGVal"), "1.3");
}

TEST_F(Voodoo2PanelTest, DisabledSliIsTextZeroInBothKeysAndReadsBackAsZero) {
    loadFromStore();
    check("chkV2sli")->setChecked(true);
    applyConfirmed();
    EXPECT_EQ(stored(kGlideKey, "SSTV2_SLIDETECT"), "text:0");
    EXPECT_EQ(stored(kD3DKey, "SSTV2_SLIDETECT"), "text:0");
    // The reload after Apply uses the record, so the box stays checked while the program runs.
    EXPECT_TRUE(check("chkV2sli")->isChecked());

    restart();
    EXPECT_EQ(engine::driverSettings().V2Glide.SSTV2_SLIDETECT, engine::SettingValue(0));
    EXPECT_FALSE(check("chkV2sli")->isChecked());

    check("chkV2sli")->setChecked(true);
    applyConfirmed();
    check("chkV2sli")->setChecked(false);
    applyConfirmed();
    EXPECT_EQ(stored(kGlideKey, "SSTV2_SLIDETECT"), "absent");
    EXPECT_EQ(stored(kD3DKey, "SSTV2_SLIDETECT"), "absent");
}

// A store full of non-default values, loaded.
void putNonDefaults() {
    const auto text = [](const char* key, const char* name, const char* value) {
        store::RegSetString(store::HKEY_LOCAL_MACHINE, key, name, value);
    };
    const auto dword = [](const char* key, const char* name, std::int32_t value) {
        store::RegSetDword(store::HKEY_LOCAL_MACHINE, key, name, value);
    };
    text(kD3DKey, "SSTV2_GRXCLK", "98");
    text(kD3DKey, "SSTV2_RGAMMA", "1.50");
    text(kD3DKey, "SSTV2_GGAMMA", "0.70");
    text(kD3DKey, "SSTV2_BGAMMA", "1.8");
    text(kD3DKey, "SSTV2_ANTIALIAS", "1");
    text(kD3DKey, "SSTV2_FORCE_TRILINEAR", "1");
    text(kD3DKey, "SSTV2_AUTOMIPMAP", "1");
    dword(kD3DKey, "SSTV2_SWAPINTERVAL", 1);
    text(kGlideKey, "SSTV2_GRXCLK", "96");
    text(kGlideKey, "SSTV2_RGAMMA", "1.10");
    text(kGlideKey, "SSTV2_GGAMMA", "1.20");
    text(kGlideKey, "SSTV2_BGAMMA", "1.30");
    dword(kGlideKey, "FX_GLIDE_SWAPINTERVAL", 0);
    dword(kGlideKey, "FX_GLIDE_ALLOC_COLOR", 3);
    dword(kGlideKey, "FX_GLIDE_LOD_DITHER", 1);
    dword(kGlideKey, "SSTV2_TMU_MEMSIZE", 2);
    text(kGlideKey, "SSTV2_SLIDETECT", "0");
    text(kD3DKey, "SSTV2_SLIDETECT", "0");
}

// Every Voodoo2 value the store holds, for before/after comparisons.
std::vector<std::string> storeSnapshot() {
    std::vector<std::string> values;
    for (const char* key : {kD3DKey, kGlideKey}) {
        for (const auto& value : store::currentHive().values(store::HKEY_LOCAL_MACHINE, key)) {
            values.push_back(std::string(key) + "\\" + value.name + "=" +
                             stored(key, value.name.c_str()));
        }
    }
    return values;
}

TEST_F(Voodoo2PanelTest, DefaultsChangeOnlyTheControlsUntilApplied) {
    putNonDefaults();
    loadFromStore();
    check("chkV2sli")->setChecked(true);
    const auto storeBefore = storeSnapshot();
    const auto recordBefore = engine::driverSettings();

    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    control<QPushButton>("cmd3DfxV2reset")->click();
    EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{
                                 box("Are you sure?", "Restoring Defaults", MessageButtons::YesNo),
                                 notice("Defaults Restored")}));
    for (const auto& clock : kClocks) {
        EXPECT_EQ(slider(clock.sliderName)->value(), 0);
        EXPECT_EQ(caption(clock.labelName), "90");
    }
    for (const auto& gamma : kGammas) {
        EXPECT_EQ(slider(gamma.sliderName)->value(), 20);
        EXPECT_EQ(caption(gamma.labelName), "1.00");
    }
    EXPECT_TRUE(check("chkV2GVSync")->isChecked());
    for (const char* name : {"chkV2D3Dvs", "chkV2D3Dfa", "chkV2D3Dft", "chkV2D3Dam",
                             "chkV2Gadvance", "chkV2Gtriple", "chkV2Glimit", "chkV2sli"}) {
        EXPECT_FALSE(check(name)->isChecked()) << name;
    }
    EXPECT_EQ(storeSnapshot(), storeBefore);
    EXPECT_EQ(engine::driverSettings(), recordBefore);
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{8});
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{6});
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{1});
    EXPECT_EQ(checkedItems("mPopV2GV"), std::vector<int>{0});
}

TEST_F(Voodoo2PanelTest, DefaultsThenApplyStoresTheFactoryValues) {
    putNonDefaults();
    loadFromStore();
    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    control<QPushButton>("cmd3DfxV2reset")->click();
    applyConfirmed();
    EXPECT_EQ(boxes.shown().back(), notice("Voodoo2 Settings Applied"));
    EXPECT_EQ(boxes.shown().at(2),
              box("Are you sure?", "Applying Voodoo2 Settings", MessageButtons::YesNo));

    const std::vector<std::string> expected = {
        std::string(kD3DKey) + "\\SSTV2_GRXCLK=text:90",
        std::string(kD3DKey) + "\\SSTV2_RGAMMA=text:1.00",
        std::string(kD3DKey) + "\\SSTV2_GGAMMA=text:1.00",
        std::string(kD3DKey) + "\\SSTV2_BGAMMA=text:1.00",
        std::string(kD3DKey) + "\\SSTV2_ANTIALIAS=text:0",
        std::string(kD3DKey) + "\\SSTV2_SWAPINTERVAL=dword:0",
        std::string(kGlideKey) + "\\SSTV2_GRXCLK=text:90",
        std::string(kGlideKey) + "\\SSTV2_RGAMMA=text:1.00",
        std::string(kGlideKey) + "\\SSTV2_GGAMMA=text:1.00",
        std::string(kGlideKey) + "\\SSTV2_BGAMMA=text:1.00",
        std::string(kGlideKey) + "\\FX_GLIDE_SWAPINTERVAL=dword:1",
    };
    EXPECT_EQ(storeSnapshot(), expected);
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{0});
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{0});
    EXPECT_EQ(checkedItems("mPopV2GV"), std::vector<int>{1});
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{0});
}

TEST_F(Voodoo2PanelTest, DefaultsAnsweredNoKeepEveryControl) {
    putNonDefaults();
    loadFromStore();
    slider("sldV2GRG")->setValue(2);
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::Ok);
    control<QPushButton>("cmd3DfxV2reset")->click();
    EXPECT_EQ(boxes.shown().back(), notice("Defaults Not Restored"));
    EXPECT_EQ(slider("sldV2GRG")->value(), 2);
    EXPECT_EQ(caption("lblV2GRGVal"), "0.10");
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "98");
    EXPECT_TRUE(check("chkV2Gtriple")->isChecked());
}

TEST_F(Voodoo2PanelTest, ApplyAnsweredNoWritesNothingAndKeepsTheEdits) {
    putNonDefaults();
    loadFromStore();
    const auto before = storeSnapshot();
    slider("sldV2D3DCore")->setValue(1);
    check("chkV2Glimit")->setChecked(false);
    boxes.answer(MessageAnswer::No).answer(MessageAnswer::Ok);
    control<QPushButton>("cmd3DfxV2apply")->click();
    EXPECT_EQ(boxes.shown(),
              (std::vector<MessageBox>{
                  box("Are you sure?", "Applying Voodoo2 Settings", MessageButtons::YesNo),
                  notice("Settings Not Applied")}));
    EXPECT_EQ(storeSnapshot(), before);
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "91");
    EXPECT_FALSE(check("chkV2Glimit")->isChecked());
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{8});
}

TEST_F(Voodoo2PanelTest, ApplyTellsWhenTheStoreDidNotSave) {
    putNonDefaults();
    loadFromStore();
    const auto recordBefore = engine::driverSettings();
    const auto file = dir / "registry.db";
    store::useHive(store::Hive::open(file, store::OpenMode::ReadOnly));

    slider("sldV2D3DCore")->setValue(2);
    check("chkV2D3Dvs")->setChecked(false);
    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    control<QPushButton>("cmd3DfxV2apply")->click();
    ASSERT_EQ(boxes.shown().size(), 2u);
    const MessageBox& result = boxes.shown().back();
    EXPECT_EQ(result.title, QStringLiteral("Settings Not Applied"));
    EXPECT_TRUE(result.prompt.startsWith(QStringLiteral("Settings Not Applied\r\n")));
    EXPECT_GT(result.prompt.size(), QStringLiteral("Settings Not Applied\r\n").size());
    EXPECT_EQ(result.buttons, MessageButtons::Ok);
    // The panel keeps what the user set; the record and the tray still show what is stored.
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "92");
    EXPECT_FALSE(check("chkV2D3Dvs")->isChecked());
    EXPECT_EQ(engine::driverSettings(), recordBefore);
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{8});
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{1});
    EXPECT_EQ(stored(kD3DKey, "SSTV2_GRXCLK"), "text:98");
}

TEST_F(Voodoo2PanelTest, OptionFramesSwitchWithoutChangingValues) {
    loadFromStore();
    form->show();
    form->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
    panel->SSTab1_Click();
    auto* d3d = control<QWidget>("frameV2D3D");
    auto* glide = control<QWidget>("frameV2Glide");
    EXPECT_TRUE(d3d->isVisible());
    EXPECT_FALSE(glide->isVisible());

    slider("sldV2GRG")->setValue(9);
    for (int press = 0; press < 2; ++press) {
        control<QPushButton>("cmdV2SwitchGlide")->click();
        EXPECT_FALSE(d3d->isVisible());
        EXPECT_TRUE(glide->isVisible());
    }
    EXPECT_TRUE(control<QWidget>("chkV2sli")->isVisible());
    EXPECT_TRUE(control<QWidget>("cmd3DfxV2apply")->isVisible());
    control<QPushButton>("cmdV2SwitchD3D")->click();
    EXPECT_TRUE(d3d->isVisible());
    EXPECT_FALSE(glide->isVisible());

    control<QPushButton>("cmdV2SwitchGlide")->click();
    panel->SSTab1_Click();
    EXPECT_TRUE(d3d->isVisible());
    EXPECT_FALSE(glide->isVisible());
    EXPECT_EQ(slider("sldV2GRG")->value(), 9);
    EXPECT_EQ(caption("lblV2GRGVal"), "0.45");
}

TEST_F(Voodoo2PanelTest, ClockItemStoresTheClockWithEveryUnappliedChange) {
    putNonDefaults();
    loadFromStore();
    slider("sldV2GRG")->setValue(30);  // moved, not applied
    check("chkV2D3Dfa")->setChecked(false);
    boxes.answer(MessageAnswer::Yes);
    group("mPopV2D3DCoreClock")->at(5)->trigger();
    EXPECT_EQ(
        boxes.shown(),
        (std::vector<MessageBox>{box("Are you sure?", "Are you sure?", MessageButtons::YesNo)}));
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{5});
    EXPECT_EQ(slider("sldV2D3DCore")->value(), 5);
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "95");
    EXPECT_EQ(stored(kD3DKey, "SSTV2_GRXCLK"), "text:95");
    EXPECT_EQ(stored(kGlideKey, "SSTV2_GRXCLK"), "text:96");
    EXPECT_EQ(stored(kGlideKey, "SSTV2_RGAMMA"), "text:1.50");
    EXPECT_EQ(stored(kD3DKey, "SSTV2_ANTIALIAS"), "text:0");
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{6});
}

TEST_F(Voodoo2PanelTest, ChoosingTheCheckedClockAgainAsksAndApplies) {
    putNonDefaults();
    loadFromStore();
    slider("sldV2GGG")->setValue(4);
    boxes.answer(MessageAnswer::Yes);
    group("mPopV2GCoreClock")->at(6)->trigger();
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{6});
    EXPECT_EQ(stored(kGlideKey, "SSTV2_GGAMMA"), "text:0.20");
}

TEST_F(Voodoo2PanelTest, TrayItemsAnsweredNoChangeNothing) {
    putNonDefaults();
    loadFromStore();
    slider("sldV2D3DRG")->setValue(1);
    const auto before = storeSnapshot();
    const auto recordBefore = engine::driverSettings();
    const struct {
        const char* group;
        int index;
    } items[] = {{"mPopV2D3DCoreClock", 2},
                 {"mPopV2GCoreClock", 10},
                 {"mPopV2D3DV", 0},
                 {"mPopV2GV", 1},
                 {"mPopV2D3DCoreClock", 8}};
    for (const auto& [name, index] : items) {
        SCOPED_TRACE(std::string(name) + " " + std::to_string(index));
        boxes.answer(MessageAnswer::No);
        group(name)->at(index)->trigger();
    }
    for (const char* name : {"mPopV2D3DCoreDefault", "mPopV2GCoreDefault"}) {
        boxes.answer(MessageAnswer::No);
        form->popupMenu().item(QString::fromLatin1(name))->trigger();
    }
    EXPECT_EQ(boxes.shown().size(), 7u);
    EXPECT_EQ(storeSnapshot(), before);
    EXPECT_EQ(engine::driverSettings(), recordBefore);
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{8});
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{6});
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{1});
    EXPECT_EQ(checkedItems("mPopV2GV"), std::vector<int>{0});
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "98");
    EXPECT_EQ(caption("lblV2GCoreVal"), "96");
    EXPECT_EQ(caption("lblV2DRGVal"), "0.05");
    EXPECT_TRUE(check("chkV2D3Dvs")->isChecked());
    EXPECT_FALSE(check("chkV2GVSync")->isChecked());
}

TEST_F(Voodoo2PanelTest, VSyncItemSetsTheBoxAndStoresUnappliedGammas) {
    putNonDefaults();
    loadFromStore();
    slider("sldV2GBG")->setValue(24);
    boxes.answer(MessageAnswer::Yes);
    group("mPopV2GV")->at(1)->trigger();
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(check("chkV2GVSync")->isChecked());
    EXPECT_EQ(checkedItems("mPopV2GV"), std::vector<int>{1});
    EXPECT_EQ(stored(kGlideKey, "FX_GLIDE_SWAPINTERVAL"), "dword:1");
    EXPECT_EQ(stored(kGlideKey, "SSTV2_BGAMMA"), "text:1.20");

    boxes.answer(MessageAnswer::Yes);
    group("mPopV2D3DV")->at(0)->trigger();
    EXPECT_FALSE(check("chkV2D3Dvs")->isChecked());
    EXPECT_EQ(checkedItems("mPopV2D3DV"), std::vector<int>{0});
    EXPECT_EQ(stored(kD3DKey, "SSTV2_SWAPINTERVAL"), "dword:0");
}

TEST_F(Voodoo2PanelTest, DefaultItemSetsThePanelOnlyUntilTheNextApply) {
    putNonDefaults();
    loadFromStore();
    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    form->popupMenu().item(QStringLiteral("mPopV2GCoreDefault"))->trigger();
    EXPECT_EQ(boxes.shown(),
              (std::vector<MessageBox>{box("Are you sure?", "Are you sure?", MessageButtons::YesNo),
                                       notice("Default set")}));
    EXPECT_EQ(slider("sldV2GCore")->value(), 0);
    EXPECT_EQ(caption("lblV2GCoreVal"), "90");
    EXPECT_EQ(stored(kGlideKey, "SSTV2_GRXCLK"), "text:96");
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{6});
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "98");

    applyConfirmed();
    EXPECT_EQ(stored(kGlideKey, "SSTV2_GRXCLK"), "text:90");
    EXPECT_EQ(checkedItems("mPopV2GCoreClock"), std::vector<int>{0});
}

TEST_F(Voodoo2PanelTest, DefaultRoutineStoresTheCurrentValuesInNormalisedForm) {
    store::RegSetString(store::HKEY_LOCAL_MACHINE, kD3DKey, "SSTV2_GRXCLK", "99");
    store::RegSetDword(store::HKEY_LOCAL_MACHINE, kGlideKey, "FX_GLIDE_ALLOC_COLOR", 2);
    engine::driverSettings().V2D3D.SSTV2_GRXCLK = "91";  // stale record contents
    const auto result = panel->SetV2D3DCoreDefault();
    EXPECT_TRUE(result.saved);
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "90");
    EXPECT_EQ(slider("sldV2D3DCore")->value(), 0);
    EXPECT_EQ(stored(kD3DKey, "SSTV2_GRXCLK"), "text:99");
    EXPECT_EQ(stored(kGlideKey, "FX_GLIDE_ALLOC_COLOR"), "absent");
    EXPECT_EQ(stored(kGlideKey, "SSTV2_GRXCLK"), "text:");
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Voodoo2PanelTest, TrayClockOnAStoreThatCannotSaveSaysSoAndKeepsTheMarks) {
    putNonDefaults();
    loadFromStore();
    store::useHive(store::Hive::open(dir / "registry.db", store::OpenMode::ReadOnly));
    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    group("mPopV2D3DCoreClock")->at(1)->trigger();
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown().back().title, QStringLiteral("Settings Not Applied"));
    EXPECT_EQ(checkedItems("mPopV2D3DCoreClock"), std::vector<int>{8});
    EXPECT_EQ(caption("lblV2D3DCoreVal"), "91");

    boxes.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    form->popupMenu().item(QStringLiteral("mPopV2D3DCoreDefault"))->trigger();
    ASSERT_EQ(boxes.shown().size(), 4u);
    EXPECT_EQ(boxes.shown().back().title, QStringLiteral("Settings Not Applied"));
}

// Both option frames grabbed for the documentation.
TEST_F(Voodoo2PanelTest, ScreenshotsOfBothOptionFrames) {
    putNonDefaults();
    loadFromStore();
    form->resize(720, 540);
    form->show();
    form->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(2);
    QApplication::processEvents();
    const QString folder = QStringLiteral(TUNEXA_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    panel->SSTab1_Click();
    QApplication::processEvents();
    EXPECT_TRUE(frame->grab().save(folder + QStringLiteral("/voodoo2-d3d.png")));
    control<QPushButton>("cmdV2SwitchGlide")->click();
    QApplication::processEvents();
    EXPECT_TRUE(frame->grab().save(folder + QStringLiteral("/voodoo2-glide.png")));
}

}  // namespace
}  // namespace tunexa
