// Reboot and Exit Windows from the first tab's buttons and the popup menu, on the real main window
// with a fake power service.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <functional>
#include <vector>

#include "FakePower.h"
#include "ScriptedMessageBoxes.h"
#include "app/Form1.h"
#include "system/PowerCommands.h"

namespace tunexa {
namespace {

using platform::ExitWindowsFlags;
using platform::MessageAnswer;
using platform::MessageButtons;

struct Command {
    const char* name;
    std::function<void(app::Form1&)> invoke;
    const char* title;
    const char* prompt;
    ExitWindowsFlags flags;
};

const Command kCommands[] = {
    {"cmdReboot", [](app::Form1& form) { form.ui.cmdReboot->click(); }, "Reboot Windows",
     "Do you want to reboot?", ExitWindowsFlags::EWX_REBOOT},
    {"mPopReboot", [](app::Form1& form) { form.popupMenu().item("mPopReboot")->trigger(); },
     "Reboot Windows?", "Do you want to reboot?", ExitWindowsFlags::EWX_REBOOT},
    {"cmdShutDown", [](app::Form1& form) { form.ui.cmdShutDown->click(); }, "Exit Windows?",
     "Do you want to exit Windows?", ExitWindowsFlags::EWX_SHUTDOWN},
    {"mPopExitWindows",
     [](app::Form1& form) { form.popupMenu().item("mPopExitWindows")->trigger(); }, "Exit Windows?",
     "Do you want to exit Windows?", ExitWindowsFlags::EWX_SHUTDOWN},
};

class PowerCommandsTest : public ::testing::TestWithParam<Command> {
  protected:
    PowerCommandsTest()
        : commands_(*form_.ui.cmdReboot, *form_.ui.cmdShutDown, form_.popupMenu(), boxes_, power_),
          quit_(&commands_, &system::PowerCommands::quitRequested) {}

    platform::MessageBox confirmation() const {
        return {GetParam().prompt, GetParam().title, MessageButtons::YesNo};
    }

    app::Form1 form_;
    test::ScriptedMessageBoxes boxes_;
    test::FakePower power_;
    system::PowerCommands commands_;
    QSignalSpy quit_;
};

TEST_P(PowerCommandsTest, NoAsksNothingOfTheSystemAndKeepsRunning) {
    boxes_.answer(MessageAnswer::No);
    GetParam().invoke(form_);

    EXPECT_EQ(boxes_.shown(), std::vector<platform::MessageBox>{confirmation()});
    EXPECT_TRUE(power_.requests().empty());
    EXPECT_EQ(quit_.count(), 0);
}

TEST_P(PowerCommandsTest, YesMakesTheRequestAndAnAcceptedOneUnloadsTheWindow) {
    boxes_.answer(MessageAnswer::Yes);
    GetParam().invoke(form_);

    EXPECT_EQ(boxes_.shown(), std::vector<platform::MessageBox>{confirmation()});
    EXPECT_EQ(power_.requests(), std::vector<ExitWindowsFlags>{GetParam().flags});
    EXPECT_EQ(quit_.count(), 1);
}

TEST_P(PowerCommandsTest, ARefusalIsToldWithItsReasonAndTheProgramKeepsRunning) {
    power_.refuse(QStringLiteral("The system bus is not available."));
    boxes_.answer(MessageAnswer::Yes).answer(MessageAnswer::Ok);
    GetParam().invoke(form_);

    ASSERT_EQ(boxes_.shown().size(), 2u);
    const platform::MessageBox& notice = boxes_.shown()[1];
    const QString first = GetParam().flags == ExitWindowsFlags::EWX_REBOOT
                              ? QStringLiteral("The system did not accept the reboot.")
                              : QStringLiteral("The system did not accept the shut-down.");
    EXPECT_EQ(notice, (platform::MessageBox{first + "\r\nThe system bus is not available.",
                                            "Tunexa", MessageButtons::Ok}));
    EXPECT_EQ(power_.requests(), std::vector<ExitWindowsFlags>{GetParam().flags});
    EXPECT_EQ(quit_.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Handlers, PowerCommandsTest, ::testing::ValuesIn(kCommands),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace tunexa
