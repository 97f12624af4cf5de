#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>

#include "app/Form1.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"

namespace tunexa::app {
namespace {

class Form1ReaderTest : public testing::Test {
  protected:
    template <typename Widget>
    Widget* find(const char* name) {
        auto* widget = form.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    Form1 form;
    const engine::ControlReader& reader = form;
};

TEST_F(Form1ReaderTest, LabelCaptionsComeBackAsWindows1252) {
    find<QLabel>("lblTNTCoreVal")->setText(QStringLiteral("100"));
    find<QLabel>("lblV2DRGVal")->setText(QStringLiteral("1.35"));
    find<QLabel>("lblTNTdriverVal")->setText(QStringLiteral("Détonator – 2.08"));
    EXPECT_EQ(reader.caption("lblTNTCoreVal"), "100");
    EXPECT_EQ(reader.caption("lblV2DRGVal"), "1.35");
    EXPECT_EQ(reader.caption("lblTNTdriverVal"), "D\xE9tonator \x96 2.08");
}

TEST_F(Form1ReaderTest, CheckValuesAreZeroOrOne) {
    for (const char* name : {"chkTNTDX6", "chkV2Glimit", "chkBanGtriple", "chkConfTNT"}) {
        ui::setCheckValue(find<QCheckBox>(name), 1);
        EXPECT_EQ(reader.checkValue(name), 1) << name;
        ui::setCheckValue(find<QCheckBox>(name), 0);
        EXPECT_EQ(reader.checkValue(name), 0) << name;
    }
}

TEST_F(Form1ReaderTest, SelectedTextOfOneRowAndPlainLists) {
    auto* mip = find<QListWidget>("lstTNTD3Dmipd");
    mip->clear();
    mip->addItems({QStringLiteral("Best image quality"), QStringLiteral("Blend")});
    EXPECT_EQ(reader.selectedText("lstTNTD3Dmipd"), "");
    ui::selectText(mip, QStringLiteral("Blend"));
    EXPECT_EQ(reader.selectedText("lstTNTD3Dmipd"), "Blend");

    auto* modes = find<QListWidget>("lstMainRes");
    modes->clear();
    modes->addItems({QStringLiteral("640x480"), QStringLiteral("800x600")});
    ui::selectItem(modes, 1);
    EXPECT_EQ(reader.selectedText("lstMainRes"), "800x600");
    ui::deselectItem(modes, 1);
    EXPECT_EQ(reader.selectedText("lstMainRes"), "");
}

TEST_F(Form1ReaderTest, UnknownNamesAndOtherKindsReadAsEmpty) {
    EXPECT_EQ(reader.caption("lblNoSuchLabel"), "");
    EXPECT_EQ(reader.checkValue("chkNoSuchBox"), 0);
    EXPECT_EQ(reader.selectedText("lstNoSuchList"), "");
    ui::setCheckValue(find<QCheckBox>("chkTNTDX6"), 1);
    EXPECT_EQ(reader.caption("chkTNTDX6"), "");
    EXPECT_EQ(reader.checkValue("lblTNTCoreVal"), 0);
    EXPECT_EQ(reader.selectedText("chkTNTDX6"), "");
}

}  // namespace
}  // namespace tunexa::app
