// The real window as the engine's control reader. What each control means is the engine's own
// tests' business; here: every control a card is collected from is on the window as the kind the
// engine asks for, captions come as Windows-1252, a one-row list gives its selection (not the
// item in view), and anything else reads as nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>

#include "app/Form1.h"
#include "engine/RegMethods.h"
#include "ui/CheckBox.h"
#include "ui/ListBox.h"

namespace tunexa::app {
namespace {

using engine::SettingValue;

// Asks the window, noting each name it has no control of the asked kind for.
class CheckedReader final : public engine::ControlReader {
  public:
    explicit CheckedReader(const Form1& form) : form_(form) {}
    std::string caption(std::string_view name) const override {
        return form_.caption(has<QLabel>(name));
    }
    int checkValue(std::string_view name) const override {
        return form_.checkValue(has<QCheckBox>(name));
    }
    std::string selectedText(std::string_view name) const override {
        return form_.selectedText(has<QListWidget>(name));
    }
    mutable std::vector<std::string> missing;

  private:
    template <typename Widget>
    std::string_view has(std::string_view name) const {
        if (form_.findChild<Widget*>(QString::fromUtf8(name)) == nullptr) {
            missing.emplace_back(name);
        }
        return name;
    }
    const Form1& form_;
};

TEST(CollectFromForm1Test, TheWindowIsTheReaderOfEveryControlACardIsCollectedFrom) {
    Form1 form;
    form.findChild<QLabel*>(QStringLiteral("lblV2GRGVal"))->setText(QStringLiteral("1–3"));
    auto* mipmaps = form.findChild<QListWidget*>(QStringLiteral("lstTNTD3Dmip"));
    mipmaps->addItems({QStringLiteral("in view, not selected"), QStringLiteral("12")});
    ui::setCheckValue(form.findChild<QCheckBox*>(QStringLiteral("chkTNTFogTable")), 1);
    const CheckedReader reader(form);
    engine::DriverSettings settings;
    for (const auto card : {engine::kCardTNT, engine::kCardVoodoo2, engine::kCardBanshee}) {
        engine::CollectDriverSettings(card, reader, settings);
    }
    EXPECT_EQ(reader.missing, std::vector<std::string>{});
    EXPECT_EQ(settings.V2Glide.SSTV2_RGAMMA, SettingValue("1\x96"
                                                          "3"));
    EXPECT_EQ(settings.TNT.MIPMAPLEVELS, SettingValue(""));
    EXPECT_EQ(settings.TNT.FOGTABLEENABLE, SettingValue(1));
    ui::selectText(mipmaps, QStringLiteral("12"));
    engine::CollectDriverSettings(engine::kCardTNT, form, settings);
    EXPECT_EQ(settings.TNT.MIPMAPLEVELS, SettingValue("12"));

    const engine::ControlReader& plain = form;
    EXPECT_EQ(plain.caption("chkTNTDX6") + plain.selectedText("lblTNTCoreVal"), "");
    EXPECT_EQ(plain.checkValue("lblNoSuchBox"), 0);
}

}  // namespace
}  // namespace tunexa::app
