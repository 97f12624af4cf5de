#include "panels/live/MatroxPanel.h"

#include <gtest/gtest.h>

#include "ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QTest>

#include <optional>
#include <string>

#include "TempRoot.h"
#include "app/Form1.h"
#include "store/Registry.h"

namespace tunexa::panels {
namespace {

using store::HKEY_LOCAL_MACHINE;

constexpr const char* kPowerDeskKey = "Software\\Matrox\\PowerDesk\\Current Settings";
constexpr const char* kProgramKey = "Software\\Tunexa\\Tunexa";

struct MatroxBox {
    const char* valueName;
    QCheckBox* Ui::MatroxFrame::*box;
};
const MatroxBox kBoxes[] = {
    {"Use Subpixel", &Ui::MatroxFrame::chkG200sub},
    {"Anisotropic", &Ui::MatroxFrame::chkG200aniso},
    {"Flip on VBlank", &Ui::MatroxFrame::chkG200V},
};

std::optional<std::string> powerDesk(const char* name) {
    return store::RegGetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, name);
}

std::optional<std::string> matroxEnable() {
    return store::RegGetString(HKEY_LOCAL_MACHINE, kProgramKey, "Matrox Enable");
}

class MatroxPanelTest : public ::testing::Test {
  protected:
    void SetUp() override { store::useHiveFile(dir_ / "registry.db"); }

    test::TempDir dir_;
    app::Form1 form_;
    MatroxFrame& frame_ = *form_.findChild<MatroxFrame*>();
    QCheckBox& onOff_ = *form_.ui.chkMatroxOnOff;
    test::ScriptedMessageBoxes boxes_;
    MatroxPanel panel_{frame_, onOff_, boxes_};
};

TEST_F(MatroxPanelTest, EachBoxWritesItsOwnValueAsTextOnEveryClick) {
    for (const MatroxBox& entry : kBoxes) {
        QCheckBox* box = frame_.ui.*entry.box;
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(powerDesk(entry.valueName), "1") << entry.valueName;
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(powerDesk(entry.valueName), "0") << entry.valueName;
    }
}

TEST_F(MatroxPanelTest, AClickWritesOnlyItsOwnValue) {
    QTest::mouseClick(frame_.ui.chkG200aniso, Qt::LeftButton);
    EXPECT_EQ(powerDesk("Anisotropic"), "1");
    EXPECT_FALSE(powerDesk("Use Subpixel"));
    EXPECT_FALSE(powerDesk("Flip on VBlank"));
    EXPECT_FALSE(matroxEnable());
}

TEST_F(MatroxPanelTest, MatroxOnOffSwitchesTheFrameAndRemembersIt) {
    onOff_.setChecked(true);
    onOff_.setChecked(false);
    EXPECT_FALSE(frame_.ui.frameMatrox->isEnabled());
    EXPECT_EQ(matroxEnable(), "0");
    onOff_.click();
    EXPECT_TRUE(frame_.ui.frameMatrox->isEnabled());
    EXPECT_EQ(matroxEnable(), "1");
}

TEST_F(MatroxPanelTest, DisablingTheFrameLeavesTheMatroxValuesAlone) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Anisotropic", "1");
    onOff_.setChecked(true);
    onOff_.setChecked(false);
    EXPECT_EQ(powerDesk("Anisotropic"), "1");
    EXPECT_FALSE(powerDesk("Use Subpixel"));
}

TEST_F(MatroxPanelTest, RestoreTicksTheBoxesFromTheirStoredTexts) {
    // Ticked before the values are stored: the tick itself writes "Anisotropic".
    frame_.ui.chkG200aniso->setChecked(true);
    store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Flip on VBlank", "1");
    store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Anisotropic", "0");
    store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Use Subpixel", "1");
    panel_.RestoreMatroxSettings();

    EXPECT_TRUE(frame_.ui.chkG200V->isChecked());
    EXPECT_FALSE(frame_.ui.chkG200aniso->isChecked());
    EXPECT_TRUE(frame_.ui.chkG200sub->isChecked());
    // The ticks run the click behaviour, which writes back what was read.
    EXPECT_EQ(powerDesk("Flip on VBlank"), "1");
    EXPECT_EQ(powerDesk("Anisotropic"), "0");
}

TEST_F(MatroxPanelTest, OtherTextsAndOtherTypesLeaveTheBoxes) {
    store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Flip on VBlank", "yes");
    store::RegSetDword(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Anisotropic", 1);
    store::RegSetString(HKEY_LOCAL_MACHINE, kPowerDeskKey, "Use Subpixel", " 1");
    panel_.RestoreMatroxSettings();

    EXPECT_FALSE(frame_.ui.chkG200V->isChecked());
    EXPECT_FALSE(frame_.ui.chkG200aniso->isChecked());
    EXPECT_FALSE(frame_.ui.chkG200sub->isChecked());
    EXPECT_EQ(powerDesk("Flip on VBlank"), "yes");
    EXPECT_TRUE(frame_.ui.frameMatrox->isEnabled());
}

struct EnableCase {
    const char* stored;  // nullptr: no value
    bool frameEnabled;
    bool boxTicked;
};

class MatroxEnableTest : public MatroxPanelTest,
                         public ::testing::WithParamInterface<EnableCase> {};

TEST_P(MatroxEnableTest, StartupSetsTheFrameAndTheBoxFromMatroxEnable) {
    if (GetParam().stored != nullptr) {
        store::RegSetString(HKEY_LOCAL_MACHINE, kProgramKey, "Matrox Enable", GetParam().stored);
    }
    panel_.RestoreMatroxSettings();
    EXPECT_EQ(frame_.ui.frameMatrox->isEnabled(), GetParam().frameEnabled);
    EXPECT_EQ(onOff_.isChecked(), GetParam().boxTicked);
    EXPECT_EQ(matroxEnable(),
              GetParam().stored ? std::optional<std::string>(GetParam().stored) : std::nullopt);
}

// The design state is an enabled frame and an unticked box.
INSTANTIATE_TEST_SUITE_P(Values, MatroxEnableTest,
                         ::testing::Values(EnableCase{"1", true, true},
                                           EnableCase{"0", false, false},
                                           EnableCase{nullptr, true, false},
                                           EnableCase{"on", true, false}));

}  // namespace
}  // namespace tunexa::panels
